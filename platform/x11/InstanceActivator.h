#pragma once

class wxTopLevelWindow;

namespace zorbel::x11 {

// Brings a running instance's window forward at the request of another process. A window
// that another process maps behind the toolkit's back confuses the toolkit's idea of its
// state, so the owner shows, restores and raises its window itself when asked.
class CInstanceActivator {
public:
    // Lets the window answer requests from now on (on the UI thread, also while a modal loop
    // runs). Calling it again for the same window does nothing more.
    static void Listen(wxTopLevelWindow* window);

    // Asks the owner of an X window to bring it forward and asks the window manager to
    // activate it. false when the window is gone or there is no X11 display.
    static bool Request(unsigned long window);

    // The name of the request's message type.
    static constexpr const char* kRequestAtom = "_ZORBEL_BRING_FORWARD";
};

}  // namespace zorbel::x11
