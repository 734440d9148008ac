#include "platform/MessageBoxDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/display.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "platform/MessageBoxStyle.h"

namespace zorbel {

// clang-format off
wxBEGIN_EVENT_TABLE(CMessageBoxDlg, wxDialog)
    EVT_BUTTON      (wxID_OK,     CMessageBoxDlg::OnAnswer)
    EVT_BUTTON      (wxID_CANCEL, CMessageBoxDlg::OnAnswer)
    EVT_BUTTON      (wxID_YES,    CMessageBoxDlg::OnAnswer)
    EVT_BUTTON      (wxID_NO,     CMessageBoxDlg::OnAnswer)
    EVT_INIT_DIALOG (             CMessageBoxDlg::OnInitDialog)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
// The four icons, 32 by 32: a blue circle with "i", a yellow triangle with "!", a green circle
// with "?" and a red circle with "×". Shapes only: the toolkit's SVG reader draws no text.
const char kInformationSvg[] =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#4fc3f7"/><stop offset="1" stop-color="#0288d1"/></linearGradient></defs>
<circle cx="16" cy="16" r="14.5" fill="url(#g)" stroke="#0277bd" stroke-width="1.5"/>
<circle cx="16" cy="9.2" r="2.3" fill="#ffffff"/>
<rect x="13.9" y="13" width="4.2" height="11.5" rx="2.1" fill="#ffffff"/>
</svg>)svg";

const char kWarningSvg[] =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ffe082"/><stop offset="1" stop-color="#ffc107"/></linearGradient></defs>
<path d="M16 3 L29.5 27.8 L2.5 27.8 Z" fill="url(#g)" stroke="#ff9800" stroke-width="2.4" stroke-linejoin="round"/>
<rect x="14.1" y="10.5" width="3.8" height="9.5" rx="1.9" fill="#5d4037"/>
<circle cx="16" cy="23.5" r="2" fill="#5d4037"/>
</svg>)svg";

const char kQuestionSvg[] =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#9ccc65"/><stop offset="1" stop-color="#43a047"/></linearGradient></defs>
<circle cx="16" cy="16" r="14.5" fill="url(#g)" stroke="#388e3c" stroke-width="1.5"/>
<path d="M11.6 12.2 C11.6 9.4 13.6 7.6 16.2 7.6 C18.8 7.6 20.6 9.3 20.6 11.6 C20.6 13.6 19.4 14.5 18 15.4 C16.6 16.3 16 17.1 16 18.8 L16 19.4" fill="none" stroke="#ffffff" stroke-width="3.2" stroke-linecap="round" stroke-linejoin="round"/>
<circle cx="16" cy="24.2" r="2.1" fill="#ffffff"/>
</svg>)svg";

const char kErrorSvg[] =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">
<stop offset="0" stop-color="#ff7961"/><stop offset="1" stop-color="#e53935"/></linearGradient></defs>
<circle cx="16" cy="16" r="14.5" fill="url(#g)" stroke="#c62828" stroke-width="1.5"/>
<path d="M11 11 L21 21 M21 11 L11 21" fill="none" stroke="#ffffff" stroke-width="3.6" stroke-linecap="round"/>
</svg>)svg";

const char* IconSvg(long style) {
    switch (style & kMbIconMask) {
        case kMbIconInformation:
            return kInformationSvg;
        case kMbIconWarning:
            return kWarningSvg;
        case kMbIconQuestion:
            return kQuestionSvg;
        case kMbIconError:
            return kErrorSvg;
        default:
            return nullptr;
    }
}

struct ButtonChoice {
    int id;
    const char* label;  // UTF-8
};

std::vector<ButtonChoice> ButtonsOf(long style) {
    switch (style & kMbButtonMask) {
        case kMbYesNo:
            return {{wxID_YES, "是"}, {wxID_NO, "否"}};
        case kMbOkCancel:
            return {{wxID_OK, "确定"}, {wxID_CANCEL, "取消"}};
        default:
            return {{wxID_OK, "确定"}};
    }
}

// The button that Escape and the window's close press.
int EscapeIdOf(long style) {
    switch (style & kMbButtonMask) {
        case kMbYesNo:
            return wxID_NO;
        case kMbOkCancel:
            return wxID_CANCEL;
        default:
            return wxID_OK;
    }
}

// Chinese, Japanese and Korean characters and the full-width forms: a line may break before
// or after each of them.
bool IsWide(wxUniChar c) {
    const unsigned v = c.GetValue();
    return (v >= 0x1100 && v <= 0x115F) || (v >= 0x2E80 && v <= 0xA4CF) ||
           (v >= 0xAC00 && v <= 0xD7A3) || (v >= 0xF900 && v <= 0xFAFF) ||
           (v >= 0xFE30 && v <= 0xFE4F) || (v >= 0xFF00 && v <= 0xFF60) ||
           (v >= 0xFFE0 && v <= 0xFFE6) || v >= 0x20000;
}

// Punctuation that never starts a line, and punctuation that never ends one.
bool NoLineStart(wxUniChar c) {
    static const wxString kChars = wxString::FromUTF8("，。、；：！？）》」』】〕〉”’…·%,.;:!?)]}");
    return kChars.Find(c) != wxNOT_FOUND;
}
bool NoLineEnd(wxUniChar c) {
    static const wxString kChars = wxString::FromUTF8("（《「『【〔〈“‘([{");
    return kChars.Find(c) != wxNOT_FOUND;
}

wxString TrimRight(wxString s) {
    return s.Trim(true);
}

// Pieces between which a line may break: a word of non-wide characters, one wide character,
// or a run of spaces; punctuation stays with its neighbour.
std::vector<wxString> BreakPieces(const wxString& paragraph) {
    std::vector<wxString> pieces;
    wxString current;
    auto flush = [&] {
        if (!current.empty()) pieces.push_back(current);
        current.clear();
    };
    for (wxUniChar c : paragraph) {
        const bool space = c == ' ' || c == '\t' || c == 0x3000;
        const bool currentIsSpace = !current.empty() && current.Last() == ' ';
        if (space) {
            if (!currentIsSpace) flush();
            current += ' ';
            continue;
        }
        if (currentIsSpace) flush();
        const bool joinsPrevious =
            NoLineStart(c) || (!current.empty() && NoLineEnd(current.Last()));
        if (joinsPrevious) {
            if (current.empty() && !pieces.empty() && pieces.back().Last() != ' ') {
                current = pieces.back();
                pieces.pop_back();
            }
            current += c;
        } else if (IsWide(c)) {
            flush();
            current += c;
        } else {
            if (!current.empty() && IsWide(current.Last())) flush();
            current += c;
        }
    }
    flush();
    return pieces;
}

// The text with line breaks so that no line is wider than maxWidth as the window measures it;
// a piece wider than a whole line is broken between characters. The text's own line breaks are
// kept.
wxString WrapText(const wxWindow* window, const wxString& text, int maxWidth) {
    auto width = [window](const wxString& s) { return window->GetTextExtent(s).x; };
    wxString result;
    wxString line;
    auto endLine = [&] {
        result += TrimRight(line);
        result += '\n';
        line.clear();
    };
    wxString lines = text;
    lines.Replace("\r\n", "\n");
    const wxArrayString paragraphs = wxSplit(lines, '\n', '\0');
    for (size_t p = 0; p < paragraphs.size(); ++p) {
        if (p > 0) endLine();
        bool wrapped = false;
        for (const wxString& piece : BreakPieces(paragraphs[p])) {
            if (piece.Last() == ' ') {
                // Spaces where a line was wrapped are dropped.
                if (!(wrapped && line.empty())) line += piece;
                continue;
            }
            if (width(TrimRight(line + piece)) <= maxWidth) {
                line += piece;
                continue;
            }
            if (!TrimRight(line).empty()) {
                endLine();
                wrapped = true;
            } else {
                line.clear();
            }
            if (width(piece) <= maxWidth) {
                line = piece;
                continue;
            }
            for (wxUniChar c : piece) {
                if (!line.empty() && width(line + c) > maxWidth) {
                    endLine();
                    wrapped = true;
                }
                line += c;
            }
        }
    }
    result += TrimRight(line);
    return result;
}

// The box belongs to its owner's top-level window: modal over it and centred on it.
wxWindow* TopLevelOf(wxWindow* owner) {
    return owner ? wxGetTopLevelParent(owner) : nullptr;
}

}  // namespace

wxBitmapBundle CMessageBoxDlg::IconPicture(long style) {
    const char* svg = IconSvg(style);
    return svg ? wxBitmapBundle::FromSVG(svg, wxSize(32, 32)) : wxBitmapBundle();
}

CMessageBoxDlg::CMessageBoxDlg(wxWindow* owner, const wxString& text, const wxString& caption,
                               long style)
    // Without an owner the box belongs to no window, not even the program's main window
    // (which the toolkit would otherwise pick).
    : wxDialog(TopLevelOf(owner), wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | (owner ? 0 : wxDIALOG_NO_PARENT)),
      m_style(style) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const wxBitmapBundle picture = IconPicture(style);
    if (picture.IsOk()) {
        m_icon = new wxStaticBitmap(this, wxID_ANY, picture, wxDefaultPosition, wxDefaultSize, 0,
                                    "icon");
        row->Add(m_icon, 0, wxALIGN_TOP | wxRIGHT, FromDIP(14));
    }
    m_text =
        new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, "text");
    m_text->SetLabelText(WrapText(m_text, text, FromDIP(kTextWidth)));
    // A very long text (a page's script may show any) gets wider lines rather than a box
    // taller than the screen.
    const wxRect screen = wxDisplay(GetParent() ? GetParent() : this).GetClientArea();
    if (m_text->GetBestSize().y > screen.height * 2 / 3)
        m_text->SetLabelText(
            WrapText(m_text, text, std::max(FromDIP(kTextWidth), screen.width * 4 / 5)));
    // Next to the icon, a short text stands in the middle of its height.
    row->Add(m_text, 0, wxALIGN_CENTER_VERTICAL);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    for (const ButtonChoice& choice : ButtonsOf(style)) {
        auto* button = new wxButton(this, choice.id, wxString::FromUTF8(choice.label));
        button->SetMinSize(wxSize(FromDIP(88), -1));
        buttons->Add(button, 0, wxLEFT, FromDIP(8));
        m_buttons.push_back(button);
    }
    size_t defaultIndex = static_cast<size_t>((style & kMbDefMask) >> 8);
    if (defaultIndex >= m_buttons.size()) defaultIndex = 0;
    m_default = m_buttons[defaultIndex];
    m_default->SetDefault();
    SetEscapeId(EscapeIdOf(style));

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(row, 1, wxLEFT | wxRIGHT | wxTOP | wxBOTTOM, FromDIP(18));
    top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(12));
    // Wide enough that a short text still leaves the caption room in the title bar.
    const int captionRoom = GetTextExtent(caption).x + FromDIP(100);
    top->SetMinSize(wxSize(std::min(std::max(FromDIP(220), captionRoom), FromDIP(kTextWidth)), -1));
    SetSizerAndFit(top);

    wxWindow* parent = GetParent();
    if (parent && parent->IsShown())
        CentreOnParent();
    else
        CentreOnScreen();
    m_default->SetFocus();
}

CMessageBoxDlg::~CMessageBoxDlg() = default;

void CMessageBoxDlg::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    // The default button has the focus, so Enter presses it.
    m_default->SetFocus();
}

void CMessageBoxDlg::OnAnswer(wxCommandEvent& event) {
    if (IsModal())
        EndModal(event.GetId());
    else {
        SetReturnCode(event.GetId());
        Hide();
    }
}

}  // namespace zorbel
