#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zorbel::demo {

// Where the bytes of an answer come from: a text in memory, an open file read piece by piece
// (a 64 MiB title is never held in memory), or a synthetic pattern of any length.
class BodySource {
public:
    static std::shared_ptr<BodySource> FromText(std::string text);
    // Null when the path is not a readable regular file.
    static std::shared_ptr<BodySource> OpenFile(const std::string& path);
    static std::shared_ptr<BodySource> Synthetic(std::uint64_t size);
    // length bytes of whole from offset, each XORed with mask, and the byte at flipAt (an
    // offset into whole) inverted: another version of a title, a part of it, a damaged copy.
    static std::shared_ptr<BodySource> View(std::shared_ptr<BodySource> whole, std::uint64_t offset,
                                            std::uint64_t length, unsigned char mask,
                                            std::optional<std::uint64_t> flipAt);

    // The synthetic pattern: a prime period, so a piece delivered at the wrong offset shows.
    static unsigned char SyntheticByte(std::uint64_t offset) {
        return static_cast<unsigned char>(offset % 251);
    }

    ~BodySource();
    BodySource(const BodySource&) = delete;
    BodySource& operator=(const BodySource&) = delete;

    std::uint64_t Size() const { return m_size; }
    // The whole text for a body held in memory, null otherwise.
    const std::string* Text() const;
    // Copies up to n bytes from offset; returns the count, 0 at the end, -1 on a read error.
    long long ReadAt(std::uint64_t offset, char* buffer, std::size_t n) const;

private:
    enum class Kind { Text, File, Synthetic, View };
    BodySource(Kind kind, std::uint64_t size) : m_kind(kind), m_size(size) {}

    Kind m_kind;
    std::uint64_t m_size;
    std::string m_text;
    int m_fd = -1;
    std::shared_ptr<BodySource> m_whole;
    std::uint64_t m_offset = 0;
    unsigned char m_mask = 0;
    std::optional<std::uint64_t> m_flipAt;
};

}  // namespace zorbel::demo
