#include "tools/swfgen/DemoSeed.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/Utf8Text.h"

namespace zorbel::swfgen {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

}  // namespace

bool DemoSeed::IsUsableName(const std::string& name, std::string* why) {
    auto refuse = [why](const char* text) {
        if (why) *why = text;
        return false;
    };
    if (name.empty()) return refuse("the name is empty");
    if (name == "." || name == "..") return refuse("the name is a folder reference");
    if (name.find('/') != std::string::npos) return refuse("the name contains '/'");
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return refuse("the name contains a control character");
        }
    }
    if (!IsValidUtf8(name)) return refuse("the name is not valid UTF-8");
    if (name.size() + 4 > 255) return refuse("the name is too long for a file name");
    return true;
}

DemoSeedResult DemoSeed::Parse(const std::string& text) {
    DemoSeedResult result;
    result.ok = true;
    std::set<std::string> names;
    std::map<std::string, int> classTypes;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields = SplitTabs(line);
        if (fields[0] == "class" && fields.size() >= 3) {
            classTypes[fields[1]] = std::atoi(fields[2].c_str());
            continue;
        }
        if (fields[0] != "title") continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (fields.size() < 4 || fields.size() > 5) {
            result.warnings.push_back(where + "a title line needs 4 or 5 tab-separated fields");
            continue;
        }
        DemoTitle title{fields[1], fields[2], fields[3], number};
        std::string why;
        if (title.fileId.empty()) {
            result.warnings.push_back(where + "the title has no file id");
            continue;
        }
        if (!IsUsableName(title.name, &why)) {
            result.warnings.push_back(where + why);
            continue;
        }
        if (!names.insert(title.name).second) {
            result.warnings.push_back(where + "\"" + title.name +
                                      "\" repeats an earlier title; the first one's movie is kept");
            continue;
        }
        result.titles.push_back(title);
    }
    // Class lines may come after their titles.
    for (DemoTitle& title : result.titles) {
        auto it = classTypes.find(title.classId);
        if (it != classTypes.end()) title.typeId = it->second;
    }
    return result;
}

DemoSeedResult DemoSeed::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        DemoSeedResult failed;
        failed.message = "cannot open the seed " + path;
        return failed;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        DemoSeedResult failed;
        failed.message = "cannot read the seed " + path;
        return failed;
    }
    return Parse(text.str());
}

}  // namespace zorbel::swfgen
