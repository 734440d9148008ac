#include "parent/ParentSettingsFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/HomeFolder.h"

namespace zorbel::parent {

ParentSettingsFile::ParentSettingsFile(std::string path) : m_path(std::move(path)) {}

std::string ParentSettingsFile::DefaultPath() {
    const char* xdg = getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/')
        base = xdg;
    else
        base = HomeFolder() + "/.config";
    return base + "/zorbel/parent.conf";
}

bool ParentSettingsFile::Load() {
    m_values.clear();
    std::error_code error;
    const auto status = std::filesystem::status(m_path, error);
    if (status.type() == std::filesystem::file_type::not_found) return true;
    if (status.type() != std::filesystem::file_type::regular) return false;
    std::ifstream in(m_path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string::size_type eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        m_values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return true;
}

bool ParentSettingsFile::Save() const {
    std::ostringstream text;
    for (const auto& [key, value] : m_values) text << key << '=' << value << '\n';
    return WritePrivate(m_path, text.str());
}

bool ParentSettingsFile::WritePrivate(const std::string& path, const std::string& bytes) {
    std::error_code error;
    const std::filesystem::path target(path);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    std::string tmpl = path + ".XXXXXX";
    int fd = mkstemp(tmpl.data());  // mkstemp makes it 0600
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0600) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    if (ok) ok = fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) ok = rename(tmpl.c_str(), path.c_str()) == 0;
    if (!ok) unlink(tmpl.c_str());
    return ok;
}

std::string ParentSettingsFile::Get(const std::string& key, const std::string& fallback) const {
    const auto it = m_values.find(key);
    return it == m_values.end() ? fallback : it->second;
}

std::int64_t ParentSettingsFile::GetInt(const std::string& key, std::int64_t fallback) const {
    const auto it = m_values.find(key);
    if (it == m_values.end()) return fallback;
    try {
        std::size_t used = 0;
        const long long value = std::stoll(it->second, &used);
        return used == it->second.size() ? value : fallback;
    } catch (...) {
        return fallback;
    }
}

bool ParentSettingsFile::Has(const std::string& key) const {
    return m_values.count(key) != 0;
}

void ParentSettingsFile::Set(const std::string& key, const std::string& value) {
    m_values[key] = value;
}

void ParentSettingsFile::SetInt(const std::string& key, std::int64_t value) {
    m_values[key] = std::to_string(value);
}

void ParentSettingsFile::Erase(const std::string& key) {
    m_values.erase(key);
}

std::vector<std::string> ParentSettingsFile::KeysWithPrefix(const std::string& prefix) const {
    std::vector<std::string> keys;
    for (auto it = m_values.lower_bound(prefix);
         it != m_values.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        keys.push_back(it->first);
    return keys;
}

}  // namespace zorbel::parent
