#pragma once

#include <string>
#include <vector>

namespace zorbel::swfgen {

struct DemoTitle {
    std::string fileId;
    std::string classId;
    std::string name;
    int line = 0;
    int typeId = 0;  // its class's typeid (1 songs .. 4 games); 0 when no class line names it
};

struct DemoSeedResult {
    bool ok = false;  // false only when the seed cannot be read at all
    std::string message;
    std::vector<DemoTitle> titles;
    std::vector<std::string> warnings;  // skipped lines, one text each, with the line number
};

// The title lines of the demo catalog seed: tab-separated UTF-8,
// "title<TAB>fileid<TAB>classid<TAB>name[<TAB>clicks]", with the type of each title's class
// from the "class<TAB>classid<TAB>typeid<TAB>name" lines; other kinds of line and '#' comments
// are not ours and are passed over.
class DemoSeed {
public:
    static DemoSeedResult Parse(const std::string& text);
    static DemoSeedResult Load(const std::string& path);

    // A title name that can be the base name of a file: non-empty valid UTF-8, no '/', no
    // control characters, not "." or "..", and short enough with ".swf" for a file name.
    static bool IsUsableName(const std::string& name, std::string* why);
};

}  // namespace zorbel::swfgen
