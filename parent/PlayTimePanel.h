#pragma once

#include <functional>
#include <string>

#include <wx/panel.h>

class wxButton;

// What the player shows of the play allowance: a friendly strip along its top for the
// minutes-left notices, and, at time's up or bedtime, a cover over the whole player with a
// button by which a grown-up grants more time. Drawn in the program's colours.
class CPlayTimePanel : public wxPanel {
public:
    enum class Mode { kHidden, kNotice, kCover };
    static constexpr int kGrantId = 2201;
    static constexpr int kNoticeHeight = 40;

    // The cover's button asks for more time through onGrant.
    CPlayTimePanel(wxWindow* player, std::function<void()> onGrant);

    void ShowNotice(const std::string& text);
    // The cover, whose button offers grantMinutes more.
    void ShowCover(const std::string& text, int grantMinutes);
    void HideAll();
    Mode CurrentMode() const { return m_mode; }
    const std::string& Text() const { return m_text; }
    // Follows the player's size.
    void Place();

private:
    void ShowAs(Mode mode, const std::string& text, int grantMinutes = 0);
    void OnPaint(wxPaintEvent& event);
    void OnGrant(wxCommandEvent& event);

    std::function<void()> m_onGrant;
    wxButton* m_grant = nullptr;
    Mode m_mode = Mode::kHidden;
    std::string m_text;

    wxDECLARE_EVENT_TABLE();
};
