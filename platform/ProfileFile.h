#pragma once

#include <cstddef>
#include <string>

// A settings file in the private-profile format: "[Section]" lines, each followed by
// "Key=Value" lines. It behaves like the Windows profile functions the settings were made
// for: section and key names match without regard to ASCII case, blanks around names and
// values do not count, a value between a pair of matching quotes loses the quotes, the file
// and the section are created by the first write, and every other line (comments, unknown
// keys, blank lines) survives a write. Texts are UTF-8. The file is read anew on every call,
// so several objects on one path see each other's writes.
class CProfileFile {
public:
    explicit CProfileFile(std::string path);
    virtual ~CProfileFile();

    // The value of key in section, or defaultValue (less its trailing blanks) when the file,
    // the section or the key is missing. The result is cut to bufferSize - 1 bytes, as a
    // caller's buffer of bufferSize characters would hold it, never inside a UTF-8 character.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue, std::size_t bufferSize) const;

    // Sets key in section to value. Returns false, leaving the file as it was, when the file
    // cannot be read or replaced, or when a name or the value would break the file's line
    // structure (a line break in any of them, "]" in the section, "=" in the key, an empty
    // key). The new content goes to a temporary file that then replaces the old one, so a
    // full disk or a crash never leaves a truncated settings file behind.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    const std::string& Path() const { return m_strPath; }

    // Files larger than this are not settings files; they read as missing and are never
    // rewritten.
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;

private:
    std::string m_strPath;
};
