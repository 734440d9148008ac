#include "tools/demo_server/BodySource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel::demo {

std::shared_ptr<BodySource> BodySource::FromText(std::string text) {
    std::shared_ptr<BodySource> source(new BodySource(Kind::Text, text.size()));
    source->m_text = std::move(text);
    return source;
}

std::shared_ptr<BodySource> BodySource::OpenFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::shared_ptr<BodySource> source(
        new BodySource(Kind::File, static_cast<std::uint64_t>(st.st_size)));
    source->m_fd = fd;
    return source;
}

std::shared_ptr<BodySource> BodySource::Synthetic(std::uint64_t size) {
    return std::shared_ptr<BodySource>(new BodySource(Kind::Synthetic, size));
}

std::shared_ptr<BodySource> BodySource::View(std::shared_ptr<BodySource> whole,
                                             std::uint64_t offset, std::uint64_t length,
                                             unsigned char mask,
                                             std::optional<std::uint64_t> flipAt) {
    const std::uint64_t size = whole->Size();
    if (offset > size) offset = size;
    if (length > size - offset) length = size - offset;
    std::shared_ptr<BodySource> source(new BodySource(Kind::View, length));
    source->m_whole = std::move(whole);
    source->m_offset = offset;
    source->m_mask = mask;
    source->m_flipAt = flipAt;
    return source;
}

BodySource::~BodySource() {
    if (m_fd >= 0) ::close(m_fd);
}

const std::string* BodySource::Text() const {
    return m_kind == Kind::Text ? &m_text : nullptr;
}

long long BodySource::ReadAt(std::uint64_t offset, char* buffer, std::size_t n) const {
    if (offset >= m_size) return 0;
    const std::uint64_t left = m_size - offset;
    if (n > left) n = static_cast<std::size_t>(left);
    switch (m_kind) {
        case Kind::Text:
            std::memcpy(buffer, m_text.data() + offset, n);
            return static_cast<long long>(n);
        case Kind::Synthetic:
            for (std::size_t i = 0; i < n; ++i)
                buffer[i] = static_cast<char>(SyntheticByte(offset + i));
            return static_cast<long long>(n);
        case Kind::File:
            for (;;) {
                const ssize_t got = ::pread(m_fd, buffer, n, static_cast<off_t>(offset));
                if (got < 0 && errno == EINTR) continue;
                // A file that shrank under us ends early; the caller treats that as a failed
                // transfer.
                return got;
            }
        case Kind::View: {
            const long long got = m_whole->ReadAt(m_offset + offset, buffer, n);
            for (long long i = 0; i < got; ++i) {
                buffer[i] = static_cast<char>(buffer[i] ^ m_mask);
                if (m_flipAt && *m_flipAt == m_offset + offset + static_cast<std::uint64_t>(i))
                    buffer[i] = static_cast<char>(~buffer[i]);
            }
            return got;
        }
    }
    return -1;
}

}  // namespace zorbel::demo
