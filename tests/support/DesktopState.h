#pragma once

#include <string>
#include <vector>

#include <wx/colour.h>
#include <wx/gdicmn.h>

class wxWindow;

namespace zorbel::test {

// What the X server and the window manager show, as a user sees the desktop: which windows
// are managed and mapped, in which stacking order, and the pixels on the screen.

// The X window of a top-level window (its frame's client window, not the manager's frame).
unsigned long XWindowOf(wxWindow* topLevel);
// The window manager's managed windows, bottom to top (_NET_CLIENT_LIST_STACKING); empty
// without a window manager.
std::vector<unsigned long> StackingOrder();
// The topmost managed window that is mapped; 0 when there is none.
unsigned long TopmostMappedWindow();
bool IsMapped(unsigned long window);
// The window's rectangle on the screen as the X server has it.
wxRect ScreenRectOf(unsigned long window);
// True when a window manager runs (it names itself on the root window).
bool WindowManagerRuns();
// True when a notification area (a tray host) has claimed its selection.
bool TrayHostRuns();
// Why this display is not a desktop with a window manager and a tray host; empty when it is.
// Tests that need one skip without it, unless the test script promised one
// (ZORBEL_TEST_DESKTOP=1): then its absence is a failure.
std::string MissingDesktop();
// The colour of the screen's pixel at a screen point.
wxColour ScreenPixel(const wxPoint& screen);
// What a user must see of a full-screen window: the window manager shows it above every
// other window, over the whole screen, the desktop's own panel included. Waits a little for
// the window manager; returns what is wrong, or an empty text.
std::string FullScreenFault(wxWindow* topLevel);
// The managed windows' names (_NET_WM_NAME), for failure messages.
std::string DescribeStacking();

}  // namespace zorbel::test
