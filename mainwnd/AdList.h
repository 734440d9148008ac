#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One line of the rotating advertisement link: the caption shown and the address opened on
// a click.
struct AdEntry {
    std::string text;
    std::string url;
};

namespace zorbel::mainwnd {

// Reads the advertisement list, an XML document whose first element holds "File" elements
// with the attributes "Text" and "Url", and appends one entry per "File" child to entries in
// document order. Other children and anything below a "File" are not read; a missing
// attribute gives the empty text. Text that is not well-formed XML appends nothing. Returns
// how many entries were appended.
std::size_t AppendAdEntries(const std::string& document, std::vector<AdEntry>& entries);

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD, so that a hostile
// list cannot put undecodable text into labels and addresses.
std::string ValidUtf8(const std::string& text);

}  // namespace zorbel::mainwnd
