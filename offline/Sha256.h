#pragma once

#include <cstddef>
#include <string>

#include <sodium.h>

namespace zorbel::offline {

// SHA-256 of a byte stream, fed piece by piece (a title is never held in memory whole).
class Sha256 {
public:
    Sha256();
    void Update(const void* data, std::size_t length);
    // The digest as 64 lowercase hex digits; the object is spent afterwards.
    std::string FinishHex();

    // The digest of a whole file; false when it cannot be read to the end.
    static bool OfFile(const std::string& path, std::string& hex);
    static std::string HexOf(const std::string& bytes);

private:
    crypto_hash_sha256_state m_state;
};

}  // namespace zorbel::offline
