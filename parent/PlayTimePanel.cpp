#include "parent/PlayTimePanel.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>

// clang-format off
wxBEGIN_EVENT_TABLE(CPlayTimePanel, wxPanel)
    EVT_PAINT  (                         CPlayTimePanel::OnPaint)
    EVT_BUTTON (CPlayTimePanel::kGrantId, CPlayTimePanel::OnGrant)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
// The seek bar's lilac and a soft cream, the program's own colours.
const wxColour kLilac(198, 97, 239);
const wxColour kCream(255, 248, 225);
const wxColour kInk(96, 40, 128);
}  // namespace

CPlayTimePanel::CPlayTimePanel(wxWindow* player, std::function<void()> onGrant)
    : wxPanel(player, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE),
      m_onGrant(std::move(onGrant)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_grant = new wxButton(this, kGrantId, wxString());
    m_grant->Hide();
    Hide();
}

void CPlayTimePanel::ShowNotice(const std::string& text) {
    ShowAs(Mode::kNotice, text);
}

void CPlayTimePanel::ShowCover(const std::string& text, int grantMinutes) {
    ShowAs(Mode::kCover, text, grantMinutes);
}

void CPlayTimePanel::KeepCovering() {
    if (m_mode != Mode::kCover) return;
    for (wxWindow* sibling : GetParent()->GetChildren()) {
        if (sibling == this || sibling->IsTopLevel() || !sibling->IsShown()) continue;
        sibling->Hide();
        m_covered.emplace_back(sibling);
    }
}

void CPlayTimePanel::Uncover() {
    for (wxWindow* sibling : m_covered)
        if (sibling) sibling->Show();
    m_covered.clear();
}

void CPlayTimePanel::ShowAs(Mode mode, const std::string& text, int grantMinutes) {
    if (mode != Mode::kCover) Uncover();
    m_mode = mode;
    m_text = text;
    if (mode == Mode::kCover)
        m_grant->SetLabel(
            wxString::FromUTF8("爸爸妈妈：再玩 " + std::to_string(grantMinutes) + " 分钟"));
    m_grant->Show(mode == Mode::kCover);
    Place();
    Show();
    Raise();
    KeepCovering();
    Refresh();
}

void CPlayTimePanel::HideAll() {
    m_mode = Mode::kHidden;
    m_text.clear();
    Hide();
    Uncover();
}

void CPlayTimePanel::Place() {
    const wxSize size = GetParent()->GetClientSize();
    if (m_mode == Mode::kNotice)
        SetSize(0, size.y - kNoticeHeight, size.x, kNoticeHeight);
    else
        SetSize(0, 0, size.x, size.y);
    if (m_mode == Mode::kCover) {
        const wxSize button = m_grant->GetBestSize();
        m_grant->SetSize((size.x - button.x) / 2, size.y * 2 / 3, button.x, button.y);
    }
}

void CPlayTimePanel::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxRect all = GetClientRect();
    dc.GradientFillLinear(all, kCream, wxColour(244, 220, 255), wxSOUTH);
    dc.SetPen(wxPen(kLilac, 3));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRoundedRectangle(wxRect(all).Deflate(2), 10);
    wxFont font = GetFont();
    font.SetPointSize(m_mode == Mode::kCover ? 18 : 12);
    font.MakeBold();
    dc.SetFont(font);
    dc.SetTextForeground(kInk);
    wxRect text = all;
    if (m_mode == Mode::kCover) text.height = all.height * 2 / 3;
    dc.DrawLabel(wxString::FromUTF8(m_text), text, wxALIGN_CENTER);
}

void CPlayTimePanel::OnGrant(wxCommandEvent&) {
    if (m_onGrant) m_onGrant();
}
