#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorbel::offline {

// The titles of one class waiting to be fetched for the road, one after another. Kept in a
// file, so a queue cut short by a quit or a lost network goes on after the next start.
class ClassQueue {
public:
    explicit ClassQueue(std::string path);

    // False when there is no saved queue (the queue is then empty).
    bool Load();
    bool Save() const;
    // Starts a queue for className with these titles (the ones not cached yet).
    void Start(const std::string& className, std::vector<std::string> titles);
    // Drops the queue and its file.
    void Cancel();

    bool Empty() const { return m_pending.empty(); }
    const std::string& Front() const { return m_pending.front(); }
    // The front title is done (stored, or given up): the next one moves up.
    void PopFront();
    // Moves the front title to the back (a failed title waits for the others).
    void Postpone();

    const std::string& ClassName() const { return m_className; }
    std::size_t Total() const { return m_total; }
    std::size_t Done() const { return m_total - m_pending.size(); }
    const std::vector<std::string>& Pending() const { return m_pending; }

    // Bytes the queue will need: titles of this size on average (the cached ones' average,
    // else a typical title's size).
    static std::uint64_t EstimateBytes(std::size_t titles, std::uint64_t cachedBytes,
                                       std::size_t cachedTitles);
    // Room for the estimate with a margin left for everything else on the disk.
    static bool Fits(std::uint64_t estimate, std::uint64_t freeBytes);

    static constexpr std::uint64_t kTypicalTitleBytes = 3ull << 20;
    static constexpr std::uint64_t kSpareBytes = 200ull << 20;

private:
    std::string m_path;
    std::string m_className;
    std::size_t m_total = 0;
    std::vector<std::string> m_pending;
};

}  // namespace zorbel::offline
