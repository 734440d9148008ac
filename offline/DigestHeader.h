#pragma once

#include <string>

namespace zorbel::offline {

// The SHA-256 digest a server states for a title, as 64 lowercase hex digits (empty when it
// states none we can use).
struct DigestHeader {
    // "Repr-Digest: sha-256=:<base64>:, ..." (structured field).
    static std::string FromReprDigest(const std::string& value);
    // "Digest: SHA-256=<base64>, ..." (the older header).
    static std::string FromDigest(const std::string& value);
    // A "<name>.swf.sha256" file: the first word, 64 hex digits ("sha256sum" output works).
    static std::string FromSidecar(const std::string& text);

    // The base64 of 32 bytes, as the headers carry it; empty for anything else.
    static std::string HexFromBase64(const std::string& text);
    static std::string Base64FromHex(const std::string& hex);
};

}  // namespace zorbel::offline
