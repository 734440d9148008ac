#pragma once

#include <chrono>
#include <cstddef>

struct _XDisplay;

namespace zorbel::x11 {

// Sends a copy-data message (a block of bytes and a number) to another client's window and
// waits until that client has handled it, as a synchronous window message does.
//
// Each send uses an X connection of its own, so it may run on any thread and never mixes its
// wait with the toolkit's event handling. It must not target a window whose owner can only
// answer after the sender returns (such as a window of the sending thread's own event loop):
// that ends in the time-out.
class CCopyDataSender {
public:
    enum class Result {
        kAcknowledged,  // the receiver read the bytes and handled them
        kUnreadable,    // the receiver answered but could not read the bytes
        kNoDisplay,     // no X display could be opened
        kNoWindow,      // the target window does not exist (or vanished before answering)
        kTooLarge,      // more bytes than the server takes in one request; nothing was sent
        kTimedOut,      // no answer within the time-out
        kFailed,        // the server refused a request (out of memory, for instance)
    };

    // bytes null: no bytes are sent (length 0). displayName null: the display named by
    // $DISPLAY.
    static Result Send(unsigned long targetWindow, unsigned long dwData, const void* bytes,
                       size_t length, std::chrono::milliseconds timeout,
                       const char* displayName = nullptr);

    // The largest payload the server behind this connection takes in one property request.
    static size_t MaxLength(_XDisplay* display);

    static const char* ResultName(Result result);
};

inline CCopyDataSender::Result SendCopyData(unsigned long targetWindow, unsigned long dwData,
                                            const void* bytes, size_t length,
                                            std::chrono::milliseconds timeout) {
    return CCopyDataSender::Send(targetWindow, dwData, bytes, length, timeout);
}

}  // namespace zorbel::x11
