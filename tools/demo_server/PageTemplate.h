#pragma once

#include <map>
#include <string>

namespace zorbel::demo {

// A page kept as a file in the www folder, with {{NAME}} placeholders.
class PageTemplate {
public:
    // Reads the file and replaces every {{NAME}} by values[NAME] (the empty text for a name
    // without a value). Returns false when the file cannot be read.
    static bool Render(const std::string& path, const std::map<std::string, std::string>& values,
                       std::string& out);
    static std::string Fill(const std::string& text,
                            const std::map<std::string, std::string>& values);
};

}  // namespace zorbel::demo
