#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char kBom[] = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Cuts s to at most maxBytes without splitting a UTF-8 sequence.
std::string CutUtf8(const std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::size_t n = maxBytes;
    // Step back over continuation bytes to the start of the character that would be split.
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

// One line of the file as found on disk, with what the parser made of it.
struct Line {
    std::string raw;  // without its line end
    std::string eol;  // "\n", "\r\n" or "" for an unterminated last line
    enum Kind { Other, Section, Entry } kind = Other;
    std::string name;   // section or key name, trimmed
    std::string value;  // entry value, trimmed
};

std::vector<Line> Parse(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.raw = text.substr(pos);
            pos = text.size();
        } else {
            line.raw = text.substr(pos, nl - pos);
            line.eol = "\n";
            pos = nl + 1;
        }
        if (!line.raw.empty() && line.raw.back() == '\r') {
            line.raw.pop_back();
            if (!line.eol.empty()) line.eol = "\r\n";
        }
        std::string body = line.raw;
        if (lines.empty() && body.compare(0, 3, kBom) == 0) body.erase(0, 3);
        body = Trim(body);
        if (!body.empty() && body[0] == '[') {
            std::size_t close = body.rfind(']');
            if (close != std::string::npos) {
                line.kind = Line::Section;
                line.name = Trim(body.substr(1, close - 1));
            }
        } else if (!body.empty() && body[0] != ';' && body[0] != '#') {
            line.kind = Line::Entry;
            std::size_t eq = body.find('=');
            if (eq == std::string::npos) {
                line.name = body;
            } else {
                line.name = Trim(body.substr(0, eq));
                line.value = Trim(body.substr(eq + 1));
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadFile(const std::string& path, std::string& text) {
    text.clear();
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return ReadResult::Missing;
    if (ec || !fs::is_regular_file(st)) return ReadResult::Failed;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return ReadResult::Failed;
    char buf[8192];
    std::size_t n;
    bool tooBig = false;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (text.size() + n > CProfileFile::kMaxFileSize) {
            tooBig = true;
            break;
        }
        text.append(buf, n);
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed || tooBig) {
        text.clear();
        return ReadResult::Failed;
    }
    return ReadResult::Ok;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes data beside target and renames it over target; the old file stays intact until the
// new one is complete on disk.
bool ReplaceFile(const std::string& target, const std::string& data) {
    std::error_code ec;
    fs::path path(target);
    // Writing through a link keeps the link and changes the file it points at.
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path resolved = fs::canonical(path, ec);
        if (ec) return false;
        path = resolved;
    }
    fs::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmpl = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = std::rename(name.data(), path.c_str()) == 0;
    if (!ok) ::unlink(name.data());
    return ok;
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

}  // namespace

CProfileFile::CProfileFile(std::string path) : m_strPath(std::move(path)) {}

CProfileFile::~CProfileFile() = default;

std::string CProfileFile::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::size_t bufferSize) const {
    if (bufferSize == 0) return std::string();
    std::string result;
    bool found = false;
    std::string text;
    if (!m_strPath.empty() && ReadFile(m_strPath, text) == ReadResult::Ok) {
        const std::string wantSection = Trim(section);
        const std::string wantKey = Trim(key);
        bool inSection = false;
        bool seenSection = false;
        for (const Line& line : Parse(text)) {
            if (line.kind == Line::Section) {
                // Only the first section of that name counts, as with the Windows functions.
                if (inSection) break;
                inSection = !seenSection && SameName(line.name, wantSection);
                seenSection = seenSection || inSection;
            } else if (inSection && line.kind == Line::Entry && SameName(line.name, wantKey)) {
                result = line.value;
                if (result.size() >= 2 && (result.front() == '"' || result.front() == '\'') &&
                    result.back() == result.front())
                    result = result.substr(1, result.size() - 2);
                found = true;
                break;
            }
        }
    }
    if (!found) {
        result = defaultValue;
        while (!result.empty() && IsBlank(result.back())) result.pop_back();
    }
    return CutUtf8(result, bufferSize - 1);
}

bool CProfileFile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
    const std::string wantSection = Trim(section);
    const std::string wantKey = Trim(key);
    if (m_strPath.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        wantSection.find(']') != std::string::npos || wantKey.empty() ||
        wantKey.find('=') != std::string::npos || wantKey[0] == '[' || wantKey[0] == ';' ||
        wantKey[0] == '#')
        return false;

    std::string text;
    ReadResult read = ReadFile(m_strPath, text);
    if (read == ReadResult::Failed) return false;
    std::vector<Line> lines = Parse(text);

    std::string eol = "\n";
    for (const Line& line : lines) {
        if (!line.eol.empty()) {
            eol = line.eol;
            break;
        }
    }

    // Locate the first section of that name and, inside it, the key.
    std::optional<std::size_t> header;
    std::size_t end = lines.size();
    std::optional<std::size_t> entry;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Section) {
            if (header) {
                end = i;
                break;
            }
            if (SameName(lines[i].name, wantSection)) header = i;
        } else if (header && !entry && lines[i].kind == Line::Entry &&
                   SameName(lines[i].name, wantKey)) {
            entry = i;
        }
    }

    Line fresh;
    fresh.eol = eol;
    if (entry) {
        // The key keeps the spelling it already has in the file.
        fresh.raw = lines[*entry].name + "=" + value;
        fresh.eol = lines[*entry].eol.empty() ? eol : lines[*entry].eol;
        lines[*entry] = fresh;
    } else if (header) {
        std::size_t at = *header + 1;
        for (std::size_t i = *header + 1; i < end; ++i) {
            if (!Trim(lines[i].raw).empty()) at = i + 1;
        }
        if (lines[at - 1].eol.empty()) lines[at - 1].eol = eol;
        fresh.raw = wantKey + "=" + value;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), fresh);
    } else {
        if (!lines.empty()) {
            if (lines.back().eol.empty()) lines.back().eol = eol;
            if (!Trim(lines.back().raw).empty()) {
                Line blank;
                blank.eol = eol;
                lines.push_back(blank);
            }
        }
        Line head;
        head.raw = "[" + wantSection + "]";
        head.eol = eol;
        lines.push_back(head);
        fresh.raw = wantKey + "=" + value;
        lines.push_back(fresh);
    }

    std::string out;
    out.reserve(text.size() + value.size() + key.size() + section.size() + 8);
    for (const Line& line : lines) out += line.raw + line.eol;
    return ReplaceFile(m_strPath, out);
}
