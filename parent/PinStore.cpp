#include "parent/PinStore.h"

#include <sodium.h>

#include <algorithm>

#include "parent/ParentSettingsFile.h"

namespace zorbel::parent {

namespace {
constexpr const char* kHashKey = "pin.hash";
constexpr const char* kWrongKey = "pin.wrong";
constexpr const char* kLockedUntilKey = "pin.locked_until";

// The lock never lasts longer than kLockSeconds from now: a clock moved back must not lock
// the parent out for an hour, and a clock moved forward only ends it early.
std::int64_t LockLeft(const ParentSettingsFile& file, std::int64_t now) {
    const std::int64_t until = file.GetInt(kLockedUntilKey, 0);
    if (until <= now) return 0;
    return std::min(until - now, PinStore::kLockSeconds);
}
}  // namespace

PinStore::PinStore(std::string settingsPath, const Clock& clock)
    : m_path(std::move(settingsPath)), m_clock(clock) {
    // Safe to call again; it only prepares the random source and picks implementations.
    [[maybe_unused]] const int ready = sodium_init();
}

bool PinStore::IsValidPin(const std::string& pin) {
    if (pin.size() < kMinDigits || pin.size() > kMaxDigits) return false;
    return std::all_of(pin.begin(), pin.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool PinStore::HasPin() const {
    ParentSettingsFile file(m_path);
    // An unreadable file counts as a PIN set: failing open would hand the child everything.
    if (!file.Load()) return true;
    return !file.Get(kHashKey).empty();
}

PinChange PinStore::SetPin(const std::string& pin) {
    if (!IsValidPin(pin)) return PinChange::kBadFormat;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, pin.data(), pin.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return PinChange::kHashFailed;
    ParentSettingsFile file(m_path);
    if (!file.Load()) return PinChange::kWriteFailed;
    file.Set(kHashKey, hash);
    file.Erase(kWrongKey);
    file.Erase(kLockedUntilKey);
    return file.Save() ? PinChange::kOk : PinChange::kWriteFailed;
}

bool PinStore::RemovePin() {
    ParentSettingsFile file(m_path);
    if (!file.Load()) return false;
    file.Erase(kHashKey);
    file.Erase(kWrongKey);
    file.Erase(kLockedUntilKey);
    return file.Save();
}

PinCheck PinStore::Check(const std::string& pin) {
    ParentSettingsFile file(m_path);
    if (!file.Load()) return PinCheck::kLocked;
    const std::string hash = file.Get(kHashKey);
    if (hash.empty()) return PinCheck::kNoPin;
    const std::int64_t now = m_clock.WallSeconds();
    if (LockLeft(file, now) > 0) {
        // Store the shortened lock, so that a clock put right again does not bring it back.
        if (file.GetInt(kLockedUntilKey, 0) - now > kLockSeconds) {
            file.SetInt(kLockedUntilKey, now + kLockSeconds);
            file.Save();
        }
        return PinCheck::kLocked;
    }
    file.Erase(kLockedUntilKey);
    if (crypto_pwhash_str_verify(hash.c_str(), pin.data(), pin.size()) == 0) {
        if (file.Has(kWrongKey)) {
            file.Erase(kWrongKey);
            file.Save();
        }
        return PinCheck::kRight;
    }
    const std::int64_t wrong = file.GetInt(kWrongKey, 0) + 1;
    if (wrong >= kMaxWrong) {
        file.Erase(kWrongKey);
        file.SetInt(kLockedUntilKey, now + kLockSeconds);
    } else {
        file.SetInt(kWrongKey, wrong);
    }
    file.Save();
    return PinCheck::kWrong;
}

std::int64_t PinStore::LockSecondsLeft() const {
    ParentSettingsFile file(m_path);
    if (!file.Load()) return kLockSeconds;
    return LockLeft(file, m_clock.WallSeconds());
}

}  // namespace zorbel::parent
