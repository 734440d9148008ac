#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace zorbel::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the
// end of the test.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zorbel-test-XXXXXX").string();
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        if (mkdtemp(name.data())) m_path = name.data();
    }
    ~TempDir() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing '/'.
    const std::string& Path() const { return m_path; }
    // The folder with a trailing '/', as the program's folder functions return folders.
    std::string Folder() const { return m_path + "/"; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

}  // namespace zorbel::test
