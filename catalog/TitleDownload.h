#pragma once

#include <string>

// What item activation hands the download worker for one title: the address on the content
// server and the path in the cache folder.
struct TitleDownload {
    // False when the title's name would put its file anywhere but directly inside the cache
    // folder (a '/', "..", an empty or overlong name): nothing may be downloaded for it.
    bool ok = false;
    // "<content server>/vudevu/fla/<title>.swf", passed through CVelacodeApp::EncodeUrl.
    std::string url;
    // "<cache folder>/<title>.swf".
    std::string titlePath;

    static TitleDownload Prepare(const std::string& cacheFolder, const std::string& titleName,
                                 const std::string& contentServer);
};
