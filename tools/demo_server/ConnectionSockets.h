#pragma once

#include <string>

namespace zorbel::demo {

class StopSignal;

// The server library hides the socket of a connection from the request handlers, yet two
// misbehaviours need it: a connection reset in the middle of a body, and a stop that must not
// wait for idle keep-alive connections to time out. The socket is found among the process's
// open descriptors by its two end points. Every check and action works on a duplicate of the
// descriptor, so a descriptor number that is closed and reused meanwhile is never touched.
class ConnectionSockets {
public:
    // Waits (bounded, and never past a stop) until the peer has acknowledged what was written,
    // then resets the connection. Returns false when no such connection was found.
    static bool Reset(const std::string& localAddr, int localPort, const std::string& peerAddr,
                      int peerPort, const StopSignal& stop);
    // Shuts down every accepted connection whose local end is localAddr:localPort, so that
    // threads waiting on them wake up. Returns how many there were.
    static int ShutdownAccepted(const std::string& localAddr, int localPort);
};

}  // namespace zorbel::demo
