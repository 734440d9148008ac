#pragma once

#include <functional>
#include <string>

#include <wx/panel.h>

class wxButton;

// What the player shows of listening mode: a strip along the foot of the movie for the "next"
// countdown (and the end of a list), with a button to say no, and, at bedtime, a dim cover over
// the whole player with a button to listen a little longer. Drawn in the program's colours.
class CListeningCover : public wxPanel {
public:
    enum class Mode { kHidden, kStrip, kSleep };
    static constexpr int kButtonId = 2301;
    static constexpr int kStripHeight = 44;

    // The button calls onButton with the mode shown when it was pressed.
    CListeningCover(wxWindow* player, std::function<void(Mode)> onButton);

    void ShowStrip(const std::string& text, const std::string& button);
    void ShowSleep(const std::string& text, const std::string& button);
    void HideAll();
    Mode CurrentMode() const { return m_mode; }
    const std::string& Text() const { return m_text; }
    wxButton* Button() const { return m_button; }
    // Follows the player: the strip sits at the foot of movieArea, the cover over everything.
    void Place(const wxRect& movieArea);

private:
    void ShowAs(Mode mode, const std::string& text, const std::string& button);
    void OnPaint(wxPaintEvent& event);
    void OnButton(wxCommandEvent& event);

    std::function<void(Mode)> m_onButton;
    wxButton* m_button = nullptr;
    Mode m_mode = Mode::kHidden;
    std::string m_text;
    wxRect m_movieArea;

    wxDECLARE_EVENT_TABLE();
};
