#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/panel.h>
#include <wx/weakref.h>

class wxButton;

// What the player shows of the play allowance: a friendly strip along its bottom (over the
// buttons) for the minutes-left notices, and, at time's up or bedtime, a cover over the whole
// player with a button by which a grown-up grants more time. Drawn in the program's colours.
// The movie's web view is a native window that no sibling can be drawn over, so the cover
// hides the player's other children while it is up and gives them back afterwards.
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
    // Hides again whatever the player showed under the cover meanwhile (a new movie).
    void KeepCovering();
    Mode CurrentMode() const { return m_mode; }
    const std::string& Text() const { return m_text; }
    // Follows the player's size.
    void Place();

private:
    void ShowAs(Mode mode, const std::string& text, int grantMinutes = 0);
    void OnPaint(wxPaintEvent& event);
    void OnGrant(wxCommandEvent& event);

    void Uncover();

    std::function<void()> m_onGrant;
    std::vector<wxWeakRef<wxWindow>> m_covered;  // hidden by the cover, shown again after
    wxButton* m_grant = nullptr;
    Mode m_mode = Mode::kHidden;
    std::string m_text;

    wxDECLARE_EVENT_TABLE();
};
