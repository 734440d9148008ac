#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include <wx/event.h>
#include <wx/timer.h>
#include <wx/weakref.h>

class CPlimDlg;

// A test-only driver of the running program, compiled in but idle unless the environment
// variable ZORBEL_TEST_SCRIPT names a script file. End-to-end tests start the real program
// with it to do what a user would (select a title, pick a tab) and to read what the windows
// show, which no other process can see. It only uses the handlers the user's own clicks reach.
//
// The main window starts it after its deferred start-up. One command a line, run in order,
// one every tenth of a second (a stamp and the line after it together, a wait looked at every
// few milliseconds); unknown lines are skipped:
//   select <title>        selects the first item of the catalog tree with that text
//   wait-play             holds the script until the player has a movie playing
//   wait-frame            holds it until the movie control has shown the movie's first frame
//   sleep <ms>            holds it for that long
//   stamp <file> <label>  appends "<label> <wall-clock ms>" to file, for benchmarks
//   watch-stalls          from now on a 10 ms timer measures how late the UI thread serves it
//   stalls <file> <label> appends "<label> <longest lateness in ms>" to file; the watch ends
//   radio <id>            the radio button with that control id is clicked
//   dump <id> <file>      writes the items of tree <id> to file, one "<depth>\t<text>" a line
//                         (written to <file>.part, then renamed, so a reader never sees half)
// The script ends after its last line or when the window goes.
class CTestScript : public wxEvtHandler {
public:
    static constexpr const char* kVariable = "ZORBEL_TEST_SCRIPT";

    // Starts the script named by the environment for window; nothing when unset or unreadable.
    static void StartFromEnvironment(CPlimDlg* window);

private:
    CTestScript(CPlimDlg* window, std::vector<std::string> lines);
    static constexpr int kTickMs = 100;
    static constexpr int kStallTickMs = 10;

    void OnTick(wxTimerEvent& event);
    static bool IsStamp(const std::string& line);
    // false while the line must wait.
    bool Run(const std::string& line);
    void OnStallTick(wxTimerEvent& event);

    wxWeakRef<CPlimDlg> m_window;
    std::vector<std::string> m_lines;
    size_t m_next = 0;
    size_t m_sleepLine = static_cast<size_t>(-1);
    std::chrono::steady_clock::time_point m_sleepUntil;
    wxTimer m_timer;
    wxTimer m_stallTimer;
    std::chrono::steady_clock::time_point m_lastStallTick;
    double m_longestStallMs = 0;
};
