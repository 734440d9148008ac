#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "parent/ParentSettingsFile.h"
#include "parent/PinStore.h"
#include "tests/parent/FakeClock.h"
#include "tests/platform/TempDir.h"

using zorbel::parent::PinChange;
using zorbel::parent::PinCheck;
using zorbel::parent::PinStore;

namespace {

class PinStoreTest : public ::testing::Test {
protected:
    zorbel::test::TempDir dir;
    zorbel::test::FakeClock clock;
    std::string path = dir.File("zorbel/parent.conf");
};

TEST_F(PinStoreTest, OnlyFourToEightDigitsAreAPin) {
    for (const char* good : {"1234", "00000000", "5678901"})
        EXPECT_TRUE(PinStore::IsValidPin(good)) << good;
    for (const char* bad : {"", "123", "123456789", "12a4", " 1234", "１２３４"})
        EXPECT_FALSE(PinStore::IsValidPin(bad)) << bad;
    PinStore store(path, clock);
    EXPECT_EQ(store.SetPin("12"), PinChange::kBadFormat);
    EXPECT_FALSE(store.HasPin());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PinStoreTest, StoresOnlyASaltedHashInAPrivateFile) {
    const std::string pin = "73925184";
    PinStore store(path, clock);
    EXPECT_EQ(store.Check(pin), PinCheck::kNoPin);
    ASSERT_EQ(store.SetPin(pin), PinChange::kOk);
    EXPECT_TRUE(store.HasPin());

    // No file anywhere under the folder holds the PIN (no temporary file was left either).
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
        if (!entry.is_regular_file()) continue;
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(bytes.find(pin), std::string::npos) << entry.path();
        EXPECT_NE(bytes.find("$argon2id$"), std::string::npos);
    }
    EXPECT_EQ(files, 1);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Salted: the same PIN set again gives another hash.
    zorbel::parent::ParentSettingsFile first(path);
    first.Load();
    ASSERT_EQ(store.SetPin(pin), PinChange::kOk);
    zorbel::parent::ParentSettingsFile second(path);
    second.Load();
    EXPECT_NE(first.Get("pin.hash"), second.Get("pin.hash"));

    EXPECT_EQ(store.Check(pin), PinCheck::kRight);
    EXPECT_EQ(store.Check("73925185"), PinCheck::kWrong);
    ASSERT_TRUE(store.RemovePin());
    EXPECT_FALSE(store.HasPin());
    EXPECT_EQ(store.Check(pin), PinCheck::kNoPin);
}

TEST_F(PinStoreTest, ThreeWrongEntriesLockForAMinuteAcrossARestart) {
    ASSERT_EQ(PinStore(path, clock).SetPin("2468"), PinChange::kOk);
    {
        PinStore store(path, clock);
        EXPECT_EQ(store.Check("1111"), PinCheck::kWrong);
        EXPECT_EQ(store.Check("2222"), PinCheck::kWrong);
        EXPECT_EQ(store.LockSecondsLeft(), 0);
        EXPECT_EQ(store.Check("3333"), PinCheck::kWrong);
    }
    // A new store is a restart: the lock holds, even for the right PIN.
    PinStore store(path, clock);
    EXPECT_EQ(store.LockSecondsLeft(), 60);
    EXPECT_EQ(store.Check("2468"), PinCheck::kLocked);
    clock.Advance(59 * 1000);
    EXPECT_EQ(store.Check("2468"), PinCheck::kLocked);
    clock.Advance(1000);
    EXPECT_EQ(store.LockSecondsLeft(), 0);
    EXPECT_EQ(store.Check("2468"), PinCheck::kRight);

    // A right entry clears the count of wrong ones.
    EXPECT_EQ(store.Check("1"), PinCheck::kWrong);
    EXPECT_EQ(store.Check("2"), PinCheck::kWrong);
    EXPECT_EQ(store.Check("2468"), PinCheck::kRight);
    EXPECT_EQ(store.Check("3"), PinCheck::kWrong);
    EXPECT_EQ(store.LockSecondsLeft(), 0);
}

TEST_F(PinStoreTest, ClockMovedBackDoesNotStretchTheLock) {
    PinStore store(path, clock);
    ASSERT_EQ(store.SetPin("2468"), PinChange::kOk);
    for (int i = 0; i < 3; ++i) store.Check("0000");
    clock.wall -= 3600;
    EXPECT_EQ(store.LockSecondsLeft(), 60);
    EXPECT_EQ(store.Check("2468"), PinCheck::kLocked);
    clock.wall += 60;
    EXPECT_EQ(store.Check("2468"), PinCheck::kRight);
}

TEST_F(PinStoreTest, UnreadableSettingsCountAsLocked) {
    PinStore store(path, clock);
    ASSERT_EQ(store.SetPin("2468"), PinChange::kOk);
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);  // a folder in the file's place cannot be read
    EXPECT_TRUE(store.HasPin());
    EXPECT_EQ(store.Check("2468"), PinCheck::kLocked);
}

}  // namespace
