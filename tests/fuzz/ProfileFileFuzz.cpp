// libFuzzer target: the settings file. The input holds five fields separated by \x01 -- a
// section, a key and a value to write, and a second section and key to watch -- followed by
// the file's text. The text is read through the profile functions and the host addresses,
// the value is written, and the file is read again.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/HostConfig.h"
#include "platform/ProfileFile.h"

namespace {

// A folder of our own for the file, in memory when the system offers it (writes are synced).
const std::string& SettingsPath() {
    static const std::string path = [] {
        std::string base = access("/dev/shm", W_OK) == 0
                               ? std::string("/dev/shm")
                               : std::filesystem::temp_directory_path().string();
        std::string tmpl = base + "/zorbel-fuzz-XXXXXX";
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr) std::abort();
        static const std::string folder = name.data();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        return folder + "/Zorbel.ini";
    }();
    return path;
}

std::string NextField(std::string& input) {
    const size_t cut = input.find('\x01');
    std::string field = input.substr(0, cut);
    input.erase(0, cut == std::string::npos ? input.size() : cut + 1);
    return field;
}

std::string ReadBack(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// What reading a written value gives back: blanks around it and a pair of quotes go.
std::string AsRead(const std::string& value) {
    std::string v = Trim(value);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    const std::string section = NextField(input);
    const std::string key = NextField(input);
    const std::string value = NextField(input);
    const std::string otherSection = NextField(input);
    const std::string otherKey = NextField(input);
    const std::string& path = SettingsPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << input;
    }

    const zorbel::HostConfig hosts = zorbel::HostConfig::Load(path);
    for (const std::string* base : {&hosts.webSite, &hosts.webServer, &hosts.contentServer}) {
        if (base->empty() || base->back() == '/') std::abort();
    }
    if (hosts.vendorSiteName.empty()) std::abort();

    CProfileFile file(path);
    // A caller's buffer never overflows.
    const size_t buffer = size % 17;
    if (buffer > 0 && file.GetString(section, key, value, buffer).size() >= buffer) std::abort();
    const std::string kAbsent = "\x02";
    const std::string otherBefore = file.GetString(otherSection, otherKey, kAbsent, 1 << 20);

    if (!file.WriteString(section, key, value)) {
        if (ReadBack(path) != input) std::abort();  // a refused write leaves the file alone
        return 0;
    }
    if (file.GetString(section, key, kAbsent, 1 << 20) != AsRead(value)) std::abort();
    const bool sameEntry =
        SameName(Trim(section), Trim(otherSection)) && SameName(Trim(key), Trim(otherKey));
    if (!sameEntry && file.GetString(otherSection, otherKey, kAbsent, 1 << 20) != otherBefore)
        std::abort();
    return 0;
}
