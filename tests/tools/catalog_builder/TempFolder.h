#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zorbel-catalog-XXXXXX").string();
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of everything in the folder, to see what a build left behind.
    std::string Listing() const {
        std::string names;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(m_path, ec))
            names += e.path().filename().string() + ";";
        return names;
    }

private:
    std::string m_path;
};
