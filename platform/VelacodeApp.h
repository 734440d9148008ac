#pragma once

#include <string>

// Turns program texts into what the system below accepts: file names for the database
// library and addresses for the download. Holds no data.
class CVelacodeApp {
public:
    CVelacodeApp();
    virtual ~CVelacodeApp();

    // The name under which the database library opens path. The library takes UTF-8 file
    // names and Linux file names are byte strings, so a path of this program (UTF-8
    // throughout) is already in that form and comes back unchanged.
    std::string PathEncode(const std::string& path);

    // Makes a download address formatted from a base address and a title name
    // ("<base>/vudevu/fla/<title>.swf") reach the file that bears the title's name on the
    // server: every byte after the scheme and host that is not an unreserved character
    // (A-Z a-z 0-9 - . _ ~) or '/' is written as %XX, so blanks, '%', '#', '?', quotes and
    // the UTF-8 bytes of Chinese names arrive as part of the file name. The scheme and host
    // ("http://127.0.0.1:8517") are kept as they are.
    std::string EncodeUrl(const std::string& url);
};
