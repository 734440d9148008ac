#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CatalogWriteQueue.h"

namespace {

using zorbel::WriteOutcome;

// Writes that land in `landed` unless the catalog is "locked"; one may find it damaged.
struct FakeCatalog {
    bool locked = false;
    std::string damagedBy;
    std::vector<std::string> landed;

    CCatalogWriteQueue::Write Write(const std::string& name) {
        return [this, name] {
            if (locked) return WriteOutcome::kLocked;
            if (name == damagedBy) return WriteOutcome::kDataFailure;
            landed.push_back(name);
            return WriteOutcome::kWritten;
        };
    }
};

TEST(CatalogWriteQueueTest, WritesThatMeetALockWaitAndLandInTheOrderMade) {
    FakeCatalog catalog;
    CCatalogWriteQueue queue;
    EXPECT_EQ(queue.Submit(catalog.Write("a")), WriteOutcome::kWritten);
    EXPECT_FALSE(queue.HasPending());

    catalog.locked = true;
    EXPECT_EQ(queue.Submit(catalog.Write("b")), WriteOutcome::kLocked);
    EXPECT_EQ(queue.Submit(catalog.Write("c")), WriteOutcome::kLocked);
    EXPECT_EQ(queue.Retry(), WriteOutcome::kLocked);
    EXPECT_EQ(queue.PendingCount(), 2u);

    // The lock is gone when a new write comes: the waiting ones land first.
    catalog.locked = false;
    EXPECT_EQ(queue.Submit(catalog.Write("d")), WriteOutcome::kWritten);
    EXPECT_EQ(catalog.landed, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(queue.HasPending());
    EXPECT_EQ(queue.Retry(), WriteOutcome::kWritten);
}

TEST(CatalogWriteQueueTest, DamageIsReportedAndDroppedWhileTheOthersStillLand) {
    FakeCatalog catalog;
    CCatalogWriteQueue queue;
    catalog.locked = true;
    catalog.damagedBy = "b";
    for (const char* name : {"a", "b", "c"}) queue.Submit(catalog.Write(name));
    catalog.locked = false;
    EXPECT_EQ(queue.Retry(), WriteOutcome::kDataFailure);
    EXPECT_EQ(catalog.landed, (std::vector<std::string>{"a", "c"}));
    EXPECT_FALSE(queue.HasPending());

    catalog.locked = true;
    queue.Submit(catalog.Write("e"));
    queue.Clear();
    catalog.locked = false;
    EXPECT_EQ(queue.Retry(), WriteOutcome::kWritten);
    EXPECT_EQ(catalog.landed.size(), 2u);
}

}  // namespace
