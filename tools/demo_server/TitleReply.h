#pragma once

#include "tools/demo_server/FaultPlan.h"
#include "tools/demo_server/ReplySender.h"
#include "tools/demo_server/TitleDigests.h"

#include <httplib.h>

#include <mutex>
#include <set>
#include <string>

namespace zorbel::demo {

// What a content server adds to a title answer: validators (ETag, Last-Modified), the digest
// (Repr-Digest and Digest) and a single byte range ("Range", honoured only while "If-Range"
// still names this version), with the title faults of the plan applied.
class TitleReply {
public:
    explicit TitleReply(TitleDigests& digests) : m_digests(digests) {}

    // reply: a 200 title answer from the routes; rewritten in place.
    void Apply(const httplib::Request& req, const FaultPlan& plan, Reply& reply);

    // The text of "<name>.swf.sha256" for a content file; empty when it cannot be read.
    std::string SidecarText(const std::string& file, const std::string& name);

private:
    TitleDigests& m_digests;
    std::mutex m_lock;
    std::set<std::string> m_flakyDone;
};

}  // namespace zorbel::demo
