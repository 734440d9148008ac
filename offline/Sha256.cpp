#include "offline/Sha256.h"

#include <cstdio>
#include <mutex>
#include <vector>

namespace zorbel::offline {

namespace {

void InitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { (void)sodium_init(); });
}

}  // namespace

Sha256::Sha256() {
    InitOnce();
    crypto_hash_sha256_init(&m_state);
}

void Sha256::Update(const void* data, std::size_t length) {
    crypto_hash_sha256_update(&m_state, static_cast<const unsigned char*>(data), length);
}

std::string Sha256::FinishHex() {
    unsigned char out[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&m_state, out);
    return HexOf(std::string(reinterpret_cast<const char*>(out), sizeof out));
}

std::string Sha256::HexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

bool Sha256::OfFile(const std::string& path, std::string& hex) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    Sha256 sha;
    std::vector<char> buffer(256 * 1024);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        sha.Update(buffer.data(), got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    if (ok) hex = sha.FinishHex();
    return ok;
}

}  // namespace zorbel::offline
