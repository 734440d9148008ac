#pragma once

#include "tools/demo_server/BodySource.h"
#include "tools/demo_server/FaultPlan.h"

#include <httplib.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zorbel::demo {

class StopSignal;

// What a route answers, before any misbehaviour is applied.
struct Reply {
    int status = 200;
    std::string contentType;
    std::shared_ptr<BodySource> body;
    std::vector<std::pair<std::string, std::string>> headers;
    // The content file behind a title answer; empty for every other answer.
    std::string titleFile;
};

// Puts a reply into the server library's response, streamed, with the transfer faults of the
// plan (chunked, short, cut, trickle) applied while the body goes out.
class ReplySender {
public:
    // sent, when given, counts the streamed body bytes that went out.
    static void Send(const Reply& reply, const FaultPlan& plan, std::shared_ptr<StopSignal> stop,
                     const httplib::Request& req, httplib::Response& res,
                     std::shared_ptr<std::atomic<std::uint64_t>> sent = nullptr);

    static constexpr std::size_t kPieceSize = 64 * 1024;
};

}  // namespace zorbel::demo
