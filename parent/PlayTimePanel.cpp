#include "parent/PlayTimePanel.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>

#include "ui/RaiseOverMovie.h"

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

CPlayTimePanel::CPlayTimePanel(wxWindow* player, int grantMinutes, std::function<void()> onGrant)
    : wxPanel(player, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE),
      m_onGrant(std::move(onGrant)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_grant = new wxButton(
        this, kGrantId,
        wxString::FromUTF8("爸爸妈妈：再玩 " + std::to_string(grantMinutes) + " 分钟"));
    m_grant->Hide();
    Hide();
}

void CPlayTimePanel::ShowNotice(const std::string& text) {
    ShowAs(Mode::kNotice, text);
}

void CPlayTimePanel::ShowCover(const std::string& text) {
    ShowAs(Mode::kCover, text);
}

void CPlayTimePanel::ShowAs(Mode mode, const std::string& text) {
    m_mode = mode;
    m_text = text;
    m_grant->Show(mode == Mode::kCover);
    Place();
    Show();
    RaiseOverMovie(this);
    Refresh();
}

void CPlayTimePanel::HideAll() {
    m_mode = Mode::kHidden;
    m_text.clear();
    Hide();
}

void CPlayTimePanel::Place() {
    const wxSize size = GetParent()->GetClientSize();
    if (m_mode == Mode::kNotice)
        SetSize(0, 0, size.x, kNoticeHeight);
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
