#include "app/CatalogWriteQueue.h"

#include <utility>

using zorbel::WriteOutcome;

CCatalogWriteQueue::CCatalogWriteQueue() = default;

CCatalogWriteQueue::~CCatalogWriteQueue() = default;

WriteOutcome CCatalogWriteQueue::Submit(Write write) {
    if (!write) return WriteOutcome::kNotWritten;
    if (HasPending()) {
        Keep(std::move(write));
        return Retry();
    }
    const WriteOutcome outcome = write();
    if (outcome == WriteOutcome::kLocked) Keep(std::move(write));
    return outcome;
}

void CCatalogWriteQueue::Keep(Write write) {
    if (write) m_writes.push_back(std::move(write));
}

WriteOutcome CCatalogWriteQueue::Retry() {
    WriteOutcome last = WriteOutcome::kWritten;
    bool failed = false;
    while (!m_writes.empty()) {
        last = m_writes.front()();
        if (last == WriteOutcome::kLocked) break;
        if (last == WriteOutcome::kDataFailure) failed = true;
        m_writes.pop_front();
    }
    return failed ? WriteOutcome::kDataFailure : last;
}
