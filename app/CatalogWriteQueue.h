#pragma once

#include <cstddef>
#include <deque>
#include <functional>

#include "app/WriteOutcome.h"

// Catalog writes that met another program's lock, kept in the order they were made and
// tried again until they land, so that a play or a choice is not lost to a moment's lock.
// Window-free: the owner calls Retry from a timer on the UI thread while HasPending().
class CCatalogWriteQueue {
public:
    // One write, run anew on every try: it opens its own connection and says how it ended.
    using Write = std::function<zorbel::WriteOutcome()>;

    CCatalogWriteQueue();
    virtual ~CCatalogWriteQueue();
    CCatalogWriteQueue(const CCatalogWriteQueue&) = delete;
    CCatalogWriteQueue& operator=(const CCatalogWriteQueue&) = delete;

    // Runs write now, or keeps it when it meets a lock. When earlier writes still wait, it
    // goes behind them and they are tried first, so that writes land in the order made.
    // Returns what Retry returns; with nothing waiting, how write itself ended.
    zorbel::WriteOutcome Submit(Write write);

    // Keeps write behind the waiting ones without trying anything.
    void Keep(Write write);

    // Tries the waiting writes in order until one meets the lock again. A write that ends in
    // any other way is done with: trying a damaged catalog again mends nothing. Returns
    // kDataFailure when one found the catalog missing or damaged, else kLocked when some
    // still wait, else how the last one ended (kWritten with nothing to try).
    zorbel::WriteOutcome Retry();

    // Forgets the waiting writes (a newer appearance makes an older one pointless).
    void Clear() { m_writes.clear(); }

    bool HasPending() const { return !m_writes.empty(); }
    std::size_t PendingCount() const { return m_writes.size(); }

private:
    std::deque<Write> m_writes;
};
