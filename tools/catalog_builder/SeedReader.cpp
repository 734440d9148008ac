#include "tools/catalog_builder/SeedReader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "platform/Utf8Text.h"
#include "tools/catalog_builder/TitleName.h"

namespace zorbel::catalogbuild {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

bool ParseInt(const std::string& text, long minValue, int* out) {
    if (text.empty() || text.size() > 11) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!(c >= '0' && c <= '9') && !(i == 0 && c == '-')) return false;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < minValue || value > INT_MAX) return false;
    *out = static_cast<int>(value);
    return true;
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A label shown to the user: any printable UTF-8 text without surrounding blanks.
std::string LabelProblem(const std::string& what, const std::string& text) {
    if (text.empty()) return what + " is empty";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) return what + " contains a control character";
    }
    if (text.front() == ' ' || text.back() == ' ') return what + " begins or ends with a blank";
    return {};
}

class LineParser {
public:
    LineParser(const std::string& webBase, const std::string& source)
        : m_webBase(webBase), m_source(source) {}

    bool Line(int lineNo, const std::string& raw) {
        m_lineNo = lineNo;
        std::string line = raw;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        if (!IsValidUtf8(line)) return Fail("the line is not valid UTF-8");
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') return true;

        const std::vector<std::string> f = SplitTabs(line);
        const std::string& kind = f[0];
        if (kind == "class") return Class(f);
        if (kind == "title") return Title(f);
        if (kind == "movieclass") return MovieClass(f);
        if (kind == "movie") return Movie(f);
        if (kind == "skin") return Skin(f);
        return Fail("unknown record \"" + kind +
                    "\" (expected class, title, movieclass, movie or skin)");
    }

    // Checks that need the whole file: every title and cartoon belongs to a class that exists.
    bool Finish() {
        for (std::size_t i = 0; i < m_seed.titles.size(); ++i) {
            const SeedTitle& t = m_seed.titles[i];
            if (!m_classLines.count(t.classId)) {
                m_lineNo = m_titleLines[i];
                return Fail("title " + std::to_string(t.fileId) + " names class " +
                            std::to_string(t.classId) + ", which no class line defines");
            }
        }
        for (std::size_t i = 0; i < m_seed.movies.size(); ++i) {
            const SeedMovie& m = m_seed.movies[i];
            if (!m_movieClassLines.count(m.classId)) {
                m_lineNo = m_movieLines[i];
                return Fail("movie " + std::to_string(m.id) + " names movie class " +
                            std::to_string(m.classId) + ", which no movieclass line defines");
            }
        }
        return true;
    }

    const std::string& Error() const { return m_error; }
    CatalogSeed TakeSeed() { return std::move(m_seed); }

private:
    bool Fail(const std::string& what) {
        m_error = m_source + ":" + std::to_string(m_lineNo) + ": " + what;
        return false;
    }

    bool FieldCount(const std::vector<std::string>& f, std::size_t least, std::size_t most,
                    const char* layout) {
        if (f.size() >= least && f.size() <= most) return true;
        std::string expected = std::to_string(least - 1);
        if (most != least) expected += " or " + std::to_string(most - 1);
        return Fail(f[0] + " needs " + expected + " tab-separated fields (" + layout + "), found " +
                    std::to_string(f.size() - 1));
    }

    bool Number(const std::string& text, const char* what, long minValue, int* out) {
        if (ParseInt(text, minValue, out)) return true;
        return Fail(std::string(what) + " \"" + text + "\" is not " +
                    (minValue > 0    ? "a positive whole number"
                     : minValue == 0 ? "a whole number of 0 or more"
                                     : "a whole number"));
    }

    bool Duplicate(std::map<int, int>& seen, int id, const char* what) {
        const auto it = seen.find(id);
        if (it == seen.end()) {
            seen.emplace(id, m_lineNo);
            return false;
        }
        Fail(std::string(what) + " " + std::to_string(id) + " is already defined on line " +
             std::to_string(it->second));
        return true;
    }

    bool Class(const std::vector<std::string>& f) {
        if (!FieldCount(f, 4, 4, "classid, typeid, name")) return false;
        SeedClass c;
        if (!Number(f[1], "class id", 1, &c.classId) || !Number(f[2], "type id", 1, &c.typeId))
            return false;
        if (c.typeId > 4) return Fail("type id " + f[2] + " is not one of 1 to 4");
        c.name = f[3];
        if (const std::string p = LabelProblem("the class name", c.name); !p.empty())
            return Fail(p);
        if (Duplicate(m_classLines, c.classId, "class")) return false;
        m_seed.classes.push_back(std::move(c));
        return true;
    }

    bool Title(const std::vector<std::string>& f) {
        if (!FieldCount(f, 4, 5, "fileid, classid, name, clicks (optional)")) return false;
        SeedTitle t;
        if (!Number(f[1], "file id", 1, &t.fileId) || !Number(f[2], "class id", 1, &t.classId))
            return false;
        if (f.size() == 5 && !Number(f[4], "click count", 0, &t.clicks)) return false;
        t.name = f[3];
        if (const std::string p = TitleNameProblem(t.name); !p.empty()) return Fail(p);
        if (Duplicate(m_fileLines, t.fileId, "file id")) return false;
        // The program finds a title again by its name with LIKE, which ignores ASCII case.
        const auto [it, added] = m_titleNames.emplace(AsciiLower(t.name), m_lineNo);
        if (!added)
            return Fail("the title name \"" + t.name + "\" is already used on line " +
                        std::to_string(it->second));
        m_titleLines.push_back(m_lineNo);
        m_seed.titles.push_back(std::move(t));
        return true;
    }

    bool MovieClass(const std::vector<std::string>& f) {
        if (!FieldCount(f, 3, 3, "classid, name")) return false;
        SeedMovieClass c;
        if (!Number(f[1], "movie class id", 1, &c.classId)) return false;
        c.name = f[2];
        if (const std::string p = LabelProblem("the movie class name", c.name); !p.empty())
            return Fail(p);
        if (Duplicate(m_movieClassLines, c.classId, "movie class")) return false;
        m_seed.movieClasses.push_back(std::move(c));
        return true;
    }

    bool Movie(const std::vector<std::string>& f) {
        if (!FieldCount(f, 5, 5, "id, classid, name, address")) return false;
        SeedMovie m;
        if (!Number(f[1], "movie id", 1, &m.id) || !Number(f[2], "movie class id", 1, &m.classId))
            return false;
        m.name = f[3];
        if (const std::string p = LabelProblem("the movie name", m.name); !p.empty())
            return Fail(p);
        const std::string placeholder = "${WEB}";
        for (std::size_t at = f[4].find("${"); at != std::string::npos;
             at = f[4].find("${", at + 2)) {
            if (f[4].compare(at, placeholder.size(), placeholder) != 0)
                return Fail("the address \"" + f[4] + "\" holds a placeholder other than ${WEB}");
        }
        for (std::size_t at = 0; at < f[4].size();) {
            const std::size_t next = f[4].find(placeholder, at);
            if (next == std::string::npos) {
                m.address += f[4].substr(at);
                break;
            }
            m.address += f[4].substr(at, next - at) + m_webBase;
            at = next + placeholder.size();
        }
        if (const std::string p = LabelProblem("the address", m.address); !p.empty())
            return Fail(p);
        if (m.address.find(' ') != std::string::npos)
            return Fail("the address \"" + m.address + "\" contains a blank");
        if (Duplicate(m_movieIdLines, m.id, "movie")) return false;
        m_movieLines.push_back(m_lineNo);
        m_seed.movies.push_back(std::move(m));
        return true;
    }

    bool Skin(const std::vector<std::string>& f) {
        if (!FieldCount(f, 7, 7, "h, s, b, texture, theme, userid")) return false;
        SeedSkin s;
        if (!Number(f[1], "hue", INT_MIN + 1L, &s.h) ||
            !Number(f[2], "saturation", INT_MIN + 1L, &s.s) ||
            !Number(f[3], "brightness", INT_MIN + 1L, &s.b))
            return false;
        s.texture = f[4];
        s.theme = f[5];
        s.userId = f[6];
        // These go back into the program's own UPDATE and INSERT text unescaped.
        for (const std::string* text : {&s.texture, &s.theme, &s.userId}) {
            if (text->find('\'') != std::string::npos)
                return Fail("skin values may not contain a single quote");
            for (const char ch : *text)
                if (static_cast<unsigned char>(ch) < 0x20)
                    return Fail("skin values may not contain control characters");
        }
        m_seed.skins.push_back(std::move(s));
        return true;
    }

    const std::string& m_webBase;
    const std::string& m_source;
    int m_lineNo = 0;
    std::string m_error;
    CatalogSeed m_seed;
    std::map<int, int> m_classLines, m_fileLines, m_movieClassLines, m_movieIdLines;
    std::map<std::string, int> m_titleNames;
    std::vector<int> m_titleLines, m_movieLines;
};

}  // namespace

SeedReader::SeedReader(std::string webBase) : m_strWebBase(std::move(webBase)) {
    while (!m_strWebBase.empty() && m_strWebBase.back() == '/') m_strWebBase.pop_back();
}

SeedReadResult SeedReader::ReadFile(const std::string& path) const {
    SeedReadResult result;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = path + ": cannot open the seed file";
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        result.error = path + ": cannot read the seed file";
        return result;
    }
    return ReadText(text.str(), path);
}

SeedReadResult SeedReader::ReadText(const std::string& text, const std::string& sourceName) const {
    SeedReadResult result;
    if (m_strWebBase.empty()) {
        result.error = "the web base address is empty";
        return result;
    }
    if (text.find('\0') != std::string::npos) {
        result.error = sourceName + ": the seed holds a zero byte; it is not a text file";
        return result;
    }
    LineParser parser(m_strWebBase, sourceName);
    std::size_t start = 0;
    int lineNo = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (!parser.Line(++lineNo, text.substr(start, end - start))) {
            result.error = parser.Error();
            return result;
        }
        start = end + 1;
    }
    if (!parser.Finish()) {
        result.error = parser.Error();
        return result;
    }
    result.seed = parser.TakeSeed();
    result.ok = true;
    return result;
}

}  // namespace zorbel::catalogbuild
