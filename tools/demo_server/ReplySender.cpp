#include "tools/demo_server/ReplySender.h"

#include "tools/demo_server/ConnectionSockets.h"
#include "tools/demo_server/StopSignal.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace zorbel::demo {

namespace {

struct Transfer {
    std::shared_ptr<BodySource> body;
    std::shared_ptr<StopSignal> stop;
    std::uint64_t limit = 0;  // bytes to send before giving up on the connection
    bool truncated = false;   // limit lies before the end of the body
    bool reset = false;       // end a truncated transfer with a reset instead of a close
    std::uint64_t tricklePer100ms = 0;
    std::string localAddr, peerAddr;
    int localPort = 0, peerPort = 0;
    std::vector<char> buffer;
    std::shared_ptr<std::atomic<std::uint64_t>> sent;

    // Writes the next piece from offset; returns false when the connection is to be dropped.
    bool Next(std::uint64_t offset, std::uint64_t maxLength, httplib::DataSink& sink,
              bool chunked) {
        if (stop->IsRaised()) return false;
        if (offset >= limit) {
            if (!truncated) {
                if (chunked) sink.done();
                return true;
            }
            if (reset) ConnectionSockets::Reset(localAddr, localPort, peerAddr, peerPort, *stop);
            return false;
        }
        std::uint64_t budget = std::min<std::uint64_t>(limit - offset, maxLength);
        if (tricklePer100ms)
            budget = std::min(budget, tricklePer100ms);
        else
            budget = std::min<std::uint64_t>(budget, ReplySender::kPieceSize);
        std::uint64_t sent = 0;
        while (sent < budget) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(budget - sent, buffer.size()));
            const long long got = body->ReadAt(offset + sent, buffer.data(), want);
            if (got <= 0 || !sink.write(buffer.data(), static_cast<std::size_t>(got))) return false;
            sent += static_cast<std::uint64_t>(got);
            if (this->sent) *this->sent += static_cast<std::uint64_t>(got);
        }
        if (tricklePer100ms && offset + sent < limit)
            return stop->WaitFor(std::chrono::milliseconds(100));
        if (chunked && !truncated && offset + sent >= limit) sink.done();
        return true;
    }
};

}  // namespace

void ReplySender::Send(const Reply& reply, const FaultPlan& plan, std::shared_ptr<StopSignal> stop,
                       const httplib::Request& req, httplib::Response& res,
                       std::shared_ptr<std::atomic<std::uint64_t>> sent) {
    res.status = reply.status;
    // Tests count reloads in the request log, so no page may come from a browser cache.
    res.set_header("Cache-Control", "no-store");
    for (const auto& [name, value] : reply.headers) res.set_header(name, value);
    const std::shared_ptr<BodySource> body = reply.body ? reply.body : BodySource::FromText("");

    if (!plan.ChangesTransfer() && body->Text()) {
        res.set_content(*body->Text(), reply.contentType);
        return;
    }
    if (body->Size() == 0 && !plan.chunked) {
        res.set_content(std::string(), reply.contentType);
        return;
    }

    auto transfer = std::make_shared<Transfer>();
    transfer->body = body;
    transfer->stop = std::move(stop);
    transfer->limit = body->Size();
    if (plan.shortBytes && *plan.shortBytes < transfer->limit) {
        transfer->limit = *plan.shortBytes;
        transfer->truncated = true;
    }
    if (plan.cutBytes && *plan.cutBytes < body->Size() && *plan.cutBytes <= transfer->limit) {
        transfer->limit = *plan.cutBytes;
        transfer->truncated = true;
        transfer->reset = true;
    }
    transfer->tricklePer100ms = plan.tricklePer100ms.value_or(0);
    transfer->localAddr = req.local_addr;
    transfer->localPort = req.local_port;
    transfer->peerAddr = req.remote_addr;
    transfer->peerPort = req.remote_port;
    transfer->buffer.resize(kPieceSize);
    transfer->sent = std::move(sent);

    if (plan.chunked) {
        res.set_chunked_content_provider(reply.contentType,
                                         [transfer](std::size_t offset, httplib::DataSink& sink) {
                                             return transfer->Next(offset, UINT64_MAX, sink, true);
                                         });
    } else {
        res.set_content_provider(
            static_cast<std::size_t>(body->Size()), reply.contentType,
            [transfer](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                return transfer->Next(offset, length, sink, false);
            });
    }
}

}  // namespace zorbel::demo
