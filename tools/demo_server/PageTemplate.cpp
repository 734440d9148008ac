#include "tools/demo_server/PageTemplate.h"

#include <fstream>
#include <sstream>

namespace zorbel::demo {

bool PageTemplate::Render(const std::string& path, const std::map<std::string, std::string>& values,
                          std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return false;
    out = Fill(text.str(), values);
    return true;
}

std::string PageTemplate::Fill(const std::string& text,
                               const std::map<std::string, std::string>& values) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = text.find("{{", pos);
        const std::size_t close = open == std::string::npos ? open : text.find("}}", open + 2);
        if (close == std::string::npos) {
            out.append(text, pos, std::string::npos);
            return out;
        }
        out.append(text, pos, open - pos);
        const auto it = values.find(text.substr(open + 2, close - open - 2));
        if (it != values.end()) out += it->second;
        pos = close + 2;
    }
}

}  // namespace zorbel::demo
