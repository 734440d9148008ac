#include "platform/templates/DialogTemplate.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "platform/Utf8Text.h"
#include "platform/templates/EmbeddedTemplates.h"

namespace zorbel::templates {

namespace {

struct KindName {
    ControlKind kind;
    const char* name;
    // Flags beyond the common ones that make sense for this kind.
    std::uint32_t extraFlags;
};

constexpr std::uint32_t kCommonFlags = kHidden | kDisabled | kGroup | kTabStop | kBorder;
constexpr std::uint32_t kTreeFlags = kNoHScroll | kFullRowSelect | kTrackSelect | kNoToolTips |
                                     kShowSelAlways | kHasButtons | kHasLines | kLinesAtRoot;

constexpr KindName kKinds[] = {
    {ControlKind::PushButton, "pushbutton", 0},
    {ControlKind::DefPushButton, "defpushbutton", 0},
    {ControlKind::AutoRadioButton, "autoradiobutton", 0},
    {ControlKind::AutoCheckBox, "autocheckbox", 0},
    {ControlKind::Static, "static", kNotify | kAlignRight | kAlignCenter | kBlackRect},
    {ControlKind::Icon, "icon", kNotify},
    {ControlKind::Edit, "edit", kAutoHScroll | kReadOnly | kAlignRight | kAlignCenter},
    {ControlKind::TreeView, "treeview", kTreeFlags},
    {ControlKind::ProgressBar, "progress", kVertical | kSmooth},
    {ControlKind::Trackbar, "trackbar", kNoTicks | kBothSides | kVertical},
    {ControlKind::WebControl, "webcontrol", 0},
};

struct FlagName {
    const char* name;
    std::uint32_t flag;
};

constexpr FlagName kControlFlags[] = {
    {"hidden", kHidden},
    {"disabled", kDisabled},
    {"group", kGroup},
    {"tabstop", kTabStop},
    {"border", kBorder},
    {"notify", kNotify},
    {"right", kAlignRight},
    {"center", kAlignCenter},
    {"blackrect", kBlackRect},
    {"autohscroll", kAutoHScroll},
    {"readonly", kReadOnly},
    {"nohscroll", kNoHScroll},
    {"fullrowselect", kFullRowSelect},
    {"trackselect", kTrackSelect},
    {"notooltips", kNoToolTips},
    {"showselalways", kShowSelAlways},
    {"hasbuttons", kHasButtons},
    {"haslines", kHasLines},
    {"linesatroot", kLinesAtRoot},
    {"noticks", kNoTicks},
    {"both", kBothSides},
    {"vertical", kVertical},
    {"smooth", kSmooth},
};

constexpr FlagName kDialogStyles[] = {
    {"popup", kPopup},        {"child", kChild},     {"visible", kVisible},
    {"caption", kCaption},    {"sysmenu", kSysMenu}, {"modalframe", kModalFrame},
    {"border", kBorderStyle},
};

constexpr FlagName kDialogExStyles[] = {
    {"appwindow", kAppWindow},
};

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits a line into words and quoted texts. Returns false with a reason on bad quoting.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        // A word beginning with '#' starts a comment that runs to the end of the line.
        if (line[i] == '#') break;
        Token token;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (i >= line.size()) {
                        error = "a backslash ends the line inside a text";
                        return false;
                    }
                    const char e = line[i++];
                    if (e == '"' || e == '\\')
                        token.text += e;
                    else if (e == 'n')
                        token.text += '\n';
                    else {
                        error = std::string("unknown escape \\") + e + " in a text";
                        return false;
                    }
                    continue;
                }
                token.text += c;
            }
            if (!closed) {
                error = "a text has no closing quote";
                return false;
            }
            if (i < line.size() && !IsBlank(line[i])) {
                error = "a closing quote is followed directly by \"" +
                        std::string(line.substr(i, 1)) + "\"";
                return false;
            }
        } else {
            while (i < line.size() && !IsBlank(line[i])) {
                if (line[i] == '"') {
                    error = "a quote inside the word \"" + token.text + "\"";
                    return false;
                }
                token.text += line[i++];
            }
        }
        tokens.push_back(std::move(token));
    }
    return true;
}

bool ParseInt(const Token& token, int low, int high, int& value) {
    if (token.quoted || token.text.empty()) return false;
    const char* first = token.text.data();
    const char* last = first + token.text.size();
    long parsed = 0;
    auto [end, ec] = std::from_chars(first, last, parsed);
    if (ec != std::errc() || end != last || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

template <std::size_t N>
bool LookUpWord(const FlagName (&table)[N], const std::string& word, std::uint32_t& bit) {
    for (const FlagName& entry : table) {
        if (word == entry.name) {
            bit = entry.flag;
            return true;
        }
    }
    return false;
}

const KindName* LookUpKind(const std::string& word) {
    for (const KindName& entry : kKinds) {
        if (word == entry.name) return &entry;
    }
    return nullptr;
}

constexpr int kMaxId = 65535;
constexpr int kMaxCoordinate = 32767;
constexpr int kMaxFontSize = 72;

class Parser {
public:
    explicit Parser(std::string_view source) : m_source(source) {}

    TemplateParseResult Run(std::string_view text) {
        // A byte order mark at the very start is not part of the first statement.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        if (!IsValidUtf8(text)) return Fail(0, "the file is not UTF-8 text");

        std::size_t lineNo = 0;
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lineNo;
            if (!Statement(lineNo, line)) return m_result;
            pos = end + 1;
        }
        if (!m_seenDialog) return Fail(0, "no \"dialog\" statement");
        if (!m_seenSize) return Fail(0, "no \"size\" statement");
        if (!m_seenFont) return Fail(0, "no \"font\" statement");
        m_result.ok = true;
        return m_result;
    }

private:
    TemplateParseResult Fail(std::size_t lineNo, const std::string& what) {
        m_result.ok = false;
        m_result.error = std::string(m_source);
        if (lineNo > 0) m_result.error += ", line " + std::to_string(lineNo);
        m_result.error += ": " + what;
        return m_result;
    }

    bool Error(std::size_t lineNo, const std::string& what) {
        Fail(lineNo, what);
        return false;
    }

    bool Statement(std::size_t lineNo, std::string_view line) {
        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') return true;

        std::vector<Token> tokens;
        std::string error;
        if (!Tokenize(line, tokens, error)) return Error(lineNo, error);
        if (tokens[0].quoted) return Error(lineNo, "a statement begins with a text");
        const std::string& keyword = tokens[0].text;

        if (!m_seenDialog && keyword != "dialog")
            return Error(lineNo, "the first statement must be \"dialog <id>\"");

        if (keyword == "dialog") {
            if (m_seenDialog) return Error(lineNo, "a second \"dialog\" statement");
            if (tokens.size() != 2 || !ParseInt(tokens[1], 1, kMaxId, m_result.dialog.id))
                return Error(lineNo, "\"dialog\" needs one id from 1 to 65535");
            m_seenDialog = true;
        } else if (keyword == "caption") {
            if (!Once(m_seenCaption)) return Error(lineNo, "a second \"caption\" statement");
            if (tokens.size() != 2 || !tokens[1].quoted)
                return Error(lineNo, "\"caption\" needs one quoted text");
            m_result.dialog.caption = tokens[1].text;
        } else if (keyword == "size") {
            if (!Once(m_seenSize)) return Error(lineNo, "a second \"size\" statement");
            if (tokens.size() != 3 ||
                !ParseInt(tokens[1], 0, kMaxCoordinate, m_result.dialog.width) ||
                !ParseInt(tokens[2], 0, kMaxCoordinate, m_result.dialog.height))
                return Error(lineNo, "\"size\" needs a width and a height from 0 to 32767");
        } else if (keyword == "font") {
            if (!Once(m_seenFont)) return Error(lineNo, "a second \"font\" statement");
            if (tokens.size() != 3 || !tokens[1].quoted || tokens[1].text.empty() ||
                !ParseInt(tokens[2], 1, kMaxFontSize, m_result.dialog.fontSize))
                return Error(lineNo,
                             "\"font\" needs a quoted face name and a point size from 1 to 72");
            m_result.dialog.font = tokens[1].text;
        } else if (keyword == "style" || keyword == "exstyle") {
            const bool ex = keyword == "exstyle";
            if (!Once(ex ? m_seenExStyle : m_seenStyle))
                return Error(lineNo, "a second \"" + keyword + "\" statement");
            for (std::size_t i = 1; i < tokens.size(); ++i) {
                std::uint32_t bit = 0;
                const bool known =
                    !tokens[i].quoted && (ex ? LookUpWord(kDialogExStyles, tokens[i].text, bit)
                                             : LookUpWord(kDialogStyles, tokens[i].text, bit));
                if (!known)
                    return Error(lineNo,
                                 "unknown dialog " + keyword + " \"" + tokens[i].text + "\"");
                m_result.dialog.styles |= bit;
            }
        } else if (keyword == "control") {
            return Control(lineNo, tokens);
        } else {
            return Error(lineNo, "unknown statement \"" + keyword + "\"");
        }
        return true;
    }

    static bool Once(bool& seen) {
        if (seen) return false;
        seen = true;
        return true;
    }

    bool Control(std::size_t lineNo, const std::vector<Token>& tokens) {
        // control <id> <kind> <x> <y> <w> <h> "<text>" [flags...]
        if (tokens.size() < 8)
            return Error(lineNo,
                         "\"control\" needs an id, a kind, x, y, width, height and a "
                         "quoted text");
        DialogControl control;
        if (!ParseInt(tokens[1], -1, kMaxId, control.id))
            return Error(lineNo,
                         "control id \"" + tokens[1].text + "\" is not a number from -1 to 65535");
        const KindName* kind = tokens[2].quoted ? nullptr : LookUpKind(tokens[2].text);
        if (!kind) return Error(lineNo, "unknown control kind \"" + tokens[2].text + "\"");
        control.kind = kind->kind;
        if (!ParseInt(tokens[3], -kMaxCoordinate, kMaxCoordinate, control.x) ||
            !ParseInt(tokens[4], -kMaxCoordinate, kMaxCoordinate, control.y) ||
            !ParseInt(tokens[5], 0, kMaxCoordinate, control.w) ||
            !ParseInt(tokens[6], 0, kMaxCoordinate, control.h))
            return Error(lineNo, "control " + tokens[1].text +
                                     ": the rectangle needs x and y from -32767 to 32767 and "
                                     "a width and a height from 0 to 32767");
        if (!tokens[7].quoted)
            return Error(lineNo,
                         "control " + tokens[1].text + ": the text must stand between quotes");
        control.text = tokens[7].text;
        for (std::size_t i = 8; i < tokens.size(); ++i) {
            std::uint32_t bit = 0;
            if (tokens[i].quoted || !LookUpWord(kControlFlags, tokens[i].text, bit))
                return Error(lineNo, "control " + tokens[1].text + ": unknown flag \"" +
                                         tokens[i].text + "\"");
            if (!(bit & (kCommonFlags | kind->extraFlags)))
                return Error(lineNo, "control " + tokens[1].text + ": flag \"" + tokens[i].text +
                                         "\" does not apply to a " + kind->name);
            control.flags |= bit;
        }
        if (control.id != -1 && !m_ids.insert(control.id).second)
            return Error(lineNo, "control id " + std::to_string(control.id) + " is used twice");
        m_result.dialog.controls.push_back(std::move(control));
        return true;
    }

    std::string_view m_source;
    TemplateParseResult m_result;
    std::set<int> m_ids;
    bool m_seenDialog = false;
    bool m_seenCaption = false;
    bool m_seenSize = false;
    bool m_seenFont = false;
    bool m_seenStyle = false;
    bool m_seenExStyle = false;
};

struct Store {
    std::map<int, DialogTemplate> templates;
    std::vector<std::string> errors;
};

const Store& EmbeddedStore() {
    static const Store store = [] {
        Store s;
        for (std::size_t i = 0; i < kEmbeddedTemplateFileCount; ++i) {
            const EmbeddedTemplateFile& file = kEmbeddedTemplateFiles[i];
            TemplateParseResult result = ParseDialogTemplate(file.text, file.name);
            if (!result.ok) {
                s.errors.push_back(result.error);
                continue;
            }
            const int id = result.dialog.id;
            if (!s.templates.emplace(id, std::move(result.dialog)).second)
                s.errors.push_back(std::string(file.name) + ": template " + std::to_string(id) +
                                   " is defined twice");
        }
        return s;
    }();
    return store;
}

}  // namespace

const DialogControl* DialogTemplate::FindControl(int controlId) const {
    if (controlId == -1) return nullptr;
    auto it = std::find_if(controls.begin(), controls.end(),
                           [controlId](const DialogControl& c) { return c.id == controlId; });
    return it == controls.end() ? nullptr : &*it;
}

TemplateParseResult ParseDialogTemplate(std::string_view text, std::string_view sourceName) {
    return Parser(sourceName).Run(text);
}

const DialogTemplate* FindDialogTemplate(int id) {
    const Store& store = EmbeddedStore();
    auto it = store.templates.find(id);
    return it == store.templates.end() ? nullptr : &it->second;
}

std::vector<int> DialogTemplateIds() {
    std::vector<int> ids;
    for (const auto& [id, dialog] : EmbeddedStore().templates) ids.push_back(id);
    return ids;
}

std::vector<std::string> DialogTemplateErrors() {
    return EmbeddedStore().errors;
}

const char* ControlKindName(ControlKind kind) {
    for (const KindName& entry : kKinds) {
        if (entry.kind == kind) return entry.name;
    }
    return "?";
}

}  // namespace zorbel::templates
