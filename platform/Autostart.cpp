#include "platform/Autostart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/HomeFolder.h"
#include "platform/Utf8Text.h"

namespace zorbel::autostart {

namespace {

namespace fs = std::filesystem;

constexpr const char* kEntryExtension = ".desktop";
// Longest file name the usual Linux file systems take, in bytes.
constexpr std::size_t kNameMax = 255;

// Control characters other than those the string escapes can carry cannot be written.
bool HasUnwritableControl(const std::string& s) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\t' && c != '\r') || u == 0x7F) return true;
    }
    return false;
}

// The escapes every string value of a desktop entry takes.
std::string EscapeValue(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string AutostartFolder() {
    const std::string base = ConfigHome();
    return base.empty() ? std::string() : base + "/autostart";
}

std::string EntryFileName(const std::string& valueName) {
    if (valueName.empty()) return std::string();
    std::string name = valueName;
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || u < 0x20 || u == 0x7F) c = '_';
    }
    if (name[0] == '.') name[0] = '_';
    name += kEntryExtension;
    return name.size() <= kNameMax ? name : std::string();
}

std::string EntryPath(const std::string& valueName) {
    const std::string folder = AutostartFolder();
    const std::string file = EntryFileName(valueName);
    if (folder.empty() || file.empty()) return std::string();
    return folder + "/" + file;
}

std::string ExecValue(const std::string& executablePath) {
    static const std::string kReserved = std::string(" \t\n\"'\\><~|&;$*?#()`");
    std::string arg;
    const bool quote = executablePath.find_first_of(kReserved) != std::string::npos;
    for (char c : executablePath) {
        if (c == '%')
            arg += "%%";
        else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            arg += std::string("\\") + c;
        else
            arg += c;
    }
    return EscapeValue(quote ? "\"" + arg + "\"" : arg);
}

std::string EntryText(const std::string& valueName, const std::string& executablePath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           EscapeValue(valueName) +
           "\n"
           "Exec=" +
           ExecValue(executablePath) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string RunningExecutablePath() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

bool IsRegistered(const std::string& valueName) {
    const std::string path = EntryPath(valueName);
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

Result Register(const std::string& valueName, const std::string& executablePath) {
    if (AutostartFolder().empty()) return Result::kNoFolder;
    const std::string path = EntryPath(valueName);
    if (path.empty() || executablePath.empty() || executablePath[0] != '/' ||
        !IsValidUtf8(valueName) || !IsValidUtf8(executablePath) ||
        HasUnwritableControl(valueName) || HasUnwritableControl(executablePath))
        return Result::kBadName;

    const fs::path folder = AutostartFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return Result::kWriteFailed;

    std::string tmpl = (folder / ("." + EntryFileName(valueName) + ".XXXXXX")).string();
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return Result::kWriteFailed;
    bool ok = WriteAll(fd, EntryText(valueName, executablePath)) &&
              ::fchmod(fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(name.data(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return Result::kWriteFailed;
    }
    return Result::kOk;
}

Result Unregister(const std::string& valueName) {
    if (AutostartFolder().empty()) return Result::kNoFolder;
    const std::string path = EntryPath(valueName);
    if (path.empty()) return Result::kBadName;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return Result::kOk;
    if (!fs::remove(path, ec) || ec) return Result::kRemoveFailed;
    return Result::kOk;
}

}  // namespace zorbel::autostart
