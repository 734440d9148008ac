#pragma once

class wxTopLevelWindow;
class wxWindow;

// The program's lifetime is the run of its main window. The window is an ordinary top-level
// window on the application's own event loop, not a modal dialog: toolkit modality would grab
// the input of every other window of the program (the tray menu, the skin panel, the
// full-screen frame), and the window manager would keep a modal main window above them all.
// Dialogs that really are modal (settings, about, message boxes) still run modally over it.
class CMainWindowRun {
public:
    // Shows window as a normal window and runs the event loop until End is called for it or
    // the window is destroyed; returns End's code (0 when the window went without one). The
    // window stays where it is (shown or hidden) when the run ends; its owner deletes it.
    static int Run(wxTopLevelWindow* window);
    // Ends window's run once the current event has been handled; false when it is not
    // running (a second End does nothing).
    static bool End(const wxWindow* window, int code);
    static bool IsRunning(const wxWindow* window);
    // Shows window as the window manager should see a main window: a normal window, not a
    // dialog. Run does this; windows standing in for the main window in tests call it.
    static void ShowAsMainWindow(wxTopLevelWindow* window);
};
