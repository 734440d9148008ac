#pragma once

#include <string>

class wxTopLevelWindow;

namespace zorbel::x11 {

// The mark by which a running instance's main window is recognised: a 32-bit CARDINAL
// property on the top-level X window, named after the executable, holding 2011.
class CInstanceMarker {
public:
    static constexpr long kValue = 2011;

    // Marks the window (realising it first if needed) and lets it answer requests to come
    // forward. false when there is no X11 display.
    static bool Set(wxTopLevelWindow* window, const std::string& name);

    // The first window up to three levels below the root whose marker holds kValue; 0 when
    // there is none. Hidden (unmapped) windows count: a window hidden to the tray is still
    // the instance.
    static unsigned long Find(const std::string& name);

    // The marker's value on one window; false when the window has none or is gone.
    static bool Read(unsigned long window, const std::string& name, long* value);

    // The X window of a top-level wx window, realising it if needed; 0 without X11.
    static unsigned long XWindowOf(wxTopLevelWindow* window);
};

}  // namespace zorbel::x11
