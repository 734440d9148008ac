#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zorbel::parent {

// The parent's own settings: one "key=value" line per setting in a file of its own, readable
// by the user only. Written whole into a temporary file that then replaces the old one, so a
// crash never leaves half a file (and never a PIN check that a torn file would skip).
class ParentSettingsFile {
public:
    explicit ParentSettingsFile(std::string path);

    // $XDG_CONFIG_HOME/zorbel/parent.conf (default ~/.config/zorbel/parent.conf).
    static std::string DefaultPath();

    // Reads the file; a missing file reads as empty. False when it exists but cannot be read.
    bool Load();
    // Writes every setting (mode 0600, folder made when missing). False when it could not.
    bool Save() const;

    const std::string& Path() const { return m_path; }
    std::string Get(const std::string& key, const std::string& fallback = std::string()) const;
    std::int64_t GetInt(const std::string& key, std::int64_t fallback) const;
    bool Has(const std::string& key) const;
    void Set(const std::string& key, const std::string& value);
    void SetInt(const std::string& key, std::int64_t value);
    void Erase(const std::string& key);
    std::vector<std::string> KeysWithPrefix(const std::string& prefix) const;

    // Writes bytes as the whole file at path, readable by the user only, through a temporary
    // file that then replaces the old one. False when it could not.
    static bool WritePrivate(const std::string& path, const std::string& bytes);

private:
    std::string m_path;
    std::map<std::string, std::string> m_values;
};

}  // namespace zorbel::parent
