#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zorbel {

// The program's own URI scheme on WebKit's default web context: it serves the movie player's
// files from the app folder and the movies from memory, so neither a server nor file:// is
// involved. WebKit allows a scheme to be registered only once per process, hence one object.
class FlashUriScheme {
public:
    static FlashUriScheme& Instance();

    // Registers the scheme and the UI languages the player needs; later calls do nothing.
    // Must run before the first page of the scheme is loaded.
    void Register();
    bool IsRegistered() const { return m_bRegistered; }

    // Folder of the player's files; by default "ruffle" next to the executable.
    void SetFilesFolder(const std::string& folder) { m_strFilesFolder = folder; }
    const std::string& FilesFolder() const { return m_strFilesFolder; }

    // Keeps a movie in memory and returns its address under the scheme.
    std::string AddMovie(std::vector<uint8_t> bytes);
    void RemoveMovie(const std::string& uri);
    size_t MovieCount() const { return m_movies.size(); }

    // The shared answer for one request: content type and bytes, or false when nothing is there.
    bool Lookup(const std::string& uri, std::string& contentType,
                std::shared_ptr<const std::vector<uint8_t>>& movie, std::string& file) const;

private:
    FlashUriScheme();

    bool m_bRegistered = false;
    std::string m_strFilesFolder;
    unsigned m_nNextMovie = 1;
    std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>>
        m_movies;  // relative path -> bytes
};

}  // namespace zorbel
