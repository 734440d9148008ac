#include "listening/ListeningCover.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>

#include "ui/RaiseOverMovie.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CListeningCover, wxPanel)
    EVT_PAINT  (                           CListeningCover::OnPaint)
    EVT_BUTTON (CListeningCover::kButtonId, CListeningCover::OnButton)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
// The seek bar's lilac on cream for the strip; a night sky for bedtime.
const wxColour kLilac(198, 97, 239);
const wxColour kCream(255, 248, 225);
const wxColour kInk(96, 40, 128);
const wxColour kNightTop(18, 22, 52);
const wxColour kNightBottom(40, 34, 86);
const wxColour kMoon(255, 224, 130);
}  // namespace

CListeningCover::CListeningCover(wxWindow* player, std::function<void(Mode)> onButton)
    : wxPanel(player, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE),
      m_onButton(std::move(onButton)) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_button = new wxButton(this, kButtonId, wxString());
    Hide();
}

void CListeningCover::ShowStrip(const std::string& text, const std::string& button) {
    ShowAs(Mode::kStrip, text, button);
}

void CListeningCover::ShowSleep(const std::string& text, const std::string& button) {
    ShowAs(Mode::kSleep, text, button);
}

void CListeningCover::ShowAs(Mode mode, const std::string& text, const std::string& button) {
    const bool sameLook = mode == m_mode && IsShown();
    m_mode = mode;
    m_text = text;
    if (m_button->GetLabel() != wxString::FromUTF8(button))
        m_button->SetLabel(wxString::FromUTF8(button));
    if (!sameLook) {
        Place(m_movieArea);
        Show();
        RaiseOverMovie(this);
    }
    Refresh();
}

void CListeningCover::HideAll() {
    m_mode = Mode::kHidden;
    m_text.clear();
    Hide();
}

void CListeningCover::Place(const wxRect& movieArea) {
    m_movieArea = movieArea;
    if (m_mode == Mode::kHidden) return;
    const wxSize size = GetParent()->GetClientSize();
    const wxSize button = m_button->GetBestSize();
    if (m_mode == Mode::kStrip) {
        const int height = std::min(kStripHeight, std::max(movieArea.height, 0));
        SetSize(movieArea.x, movieArea.GetBottom() + 1 - height, movieArea.width, height);
        m_button->SetSize(movieArea.width - button.x - 10, (height - button.y) / 2, button.x,
                          button.y);
    } else {
        SetSize(0, 0, size.x, size.y);
        m_button->SetSize((size.x - button.x) / 2, size.y * 2 / 3, button.x, button.y);
    }
}

void CListeningCover::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxRect all = GetClientRect();
    wxFont font = GetFont();
    font.MakeBold();
    if (m_mode == Mode::kSleep) {
        // The player dims to a night sky with a moon and a few stars.
        dc.GradientFillLinear(all, kNightTop, kNightBottom, wxSOUTH);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(kMoon));
        const int r = std::max(12, std::min(all.width, all.height) / 10);
        const wxPoint moon(all.width / 2, all.height / 3 - r);
        dc.DrawCircle(moon, r);
        dc.SetBrush(wxBrush(kNightTop));
        dc.DrawCircle(moon + wxPoint(r / 2, -r / 3), r * 4 / 5);
        dc.SetBrush(wxBrush(wxColour(255, 255, 255)));
        const wxPoint stars[] = {{all.width / 5, all.height / 6},
                                 {all.width * 4 / 5, all.height / 5},
                                 {all.width * 2 / 3, all.height / 2 - r},
                                 {all.width / 4, all.height / 2}};
        for (const wxPoint& star : stars) dc.DrawCircle(star, 2);
        font.SetPointSize(18);
        dc.SetFont(font);
        dc.SetTextForeground(kCream);
        wxRect text = all;
        text.y = all.height / 3;
        text.height = all.height / 3;
        dc.DrawLabel(wxString::FromUTF8(m_text), text, wxALIGN_CENTER);
        return;
    }
    dc.GradientFillLinear(all, kCream, wxColour(244, 220, 255), wxSOUTH);
    dc.SetPen(wxPen(kLilac, 3));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRoundedRectangle(wxRect(all).Deflate(2), 10);
    font.SetPointSize(12);
    dc.SetFont(font);
    dc.SetTextForeground(kInk);
    wxRect text = all;
    text.width -= m_button->GetSize().x + 20;
    dc.DrawLabel(wxString::FromUTF8(m_text), text, wxALIGN_CENTER);
}

void CListeningCover::OnButton(wxCommandEvent&) {
    if (m_onButton) m_onButton(m_mode);
}
