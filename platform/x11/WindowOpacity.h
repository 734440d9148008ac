#pragma once

class wxWindow;

namespace zorbel::x11 {

// A top-level window's opacity as the compositor sees it: the _NET_WM_WINDOW_OPACITY
// property of its X window. The toolkit's own transparency call works only before the window
// is realised; this works at any time. Without a compositor the window stays opaque.
class CWindowOpacity {
public:
    // Sets the opacity of window's top-level window, alpha 0 (invisible) to 255 (opaque;
    // the property is then removed). False when there is no X11 display or no window.
    static bool Set(wxWindow* window, int alpha);
    // The alpha the property asks for; 255 when it is absent or unreadable.
    static int Get(wxWindow* window);
};

}  // namespace zorbel::x11
