#pragma once

#include <cstdint>
#include <string>

#include "parent/Clock.h"

namespace zorbel::parent {

enum class PinCheck {
    kRight,
    kWrong,   // counted; the third in a row locks the prompt
    kLocked,  // not even looked at: the prompt is locked
    kNoPin,   // no PIN is set: nothing to check against
};

enum class PinChange {
    kOk,
    kBadFormat,   // not 4 to 8 digits
    kHashFailed,  // the hashing library refused (out of memory)
    kWriteFailed,
};

// The parent's PIN, kept only as a salted slow hash (libsodium's crypto_pwhash_str) in the
// parent settings file, together with the count of wrong entries and the time the prompt is
// locked until, so that quitting and starting again does not reset a lock. Every call reads
// the file afresh: the file is the only state.
class PinStore {
public:
    static constexpr int kMinDigits = 4;
    static constexpr int kMaxDigits = 8;
    static constexpr int kMaxWrong = 3;
    static constexpr std::int64_t kLockSeconds = 60;

    PinStore(std::string settingsPath, const Clock& clock);

    static bool IsValidPin(const std::string& pin);

    bool HasPin() const;
    PinChange SetPin(const std::string& pin);
    bool RemovePin();
    PinCheck Check(const std::string& pin);
    // Seconds until the prompt opens again; 0 when it is open.
    std::int64_t LockSecondsLeft() const;

private:
    std::string m_path;
    const Clock& m_clock;
};

}  // namespace zorbel::parent
