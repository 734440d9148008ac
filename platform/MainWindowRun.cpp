#include "platform/MainWindowRun.h"

#include <gtk/gtk.h>

#include <wx/evtloop.h>
#include <wx/toplevel.h>

namespace {

struct ActiveRun {
    const wxWindow* window = nullptr;
    wxGUIEventLoop* loop = nullptr;
    bool ending = false;
};

ActiveRun& Active() {
    static ActiveRun run;
    return run;
}

}  // namespace

int CMainWindowRun::Run(wxTopLevelWindow* window) {
    if (!window || Active().loop) return 0;

    wxGUIEventLoop loop;
    Active() = ActiveRun{window, &loop, false};
    // A window destroyed behind the run's back (the toolkit closing it, say) must not leave
    // the program running with no window.
    auto onDestroy = [window](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() == window) End(window, 0);
    };
    window->Bind(wxEVT_DESTROY, onDestroy);

    ShowAsMainWindow(window);
    const int code = loop.Run();

    window->Unbind(wxEVT_DESTROY, onDestroy);
    Active() = ActiveRun{};
    return code;
}

bool CMainWindowRun::End(const wxWindow* window, int code) {
    ActiveRun& run = Active();
    if (!window || window != run.window || !run.loop || run.ending) return false;
    run.ending = true;
    run.loop->ScheduleExit(code);
    return true;
}

bool CMainWindowRun::IsRunning(const wxWindow* window) {
    const ActiveRun& run = Active();
    return window && window == run.window && run.loop && !run.ending;
}

void CMainWindowRun::ShowAsMainWindow(wxTopLevelWindow* window) {
    if (!window) return;
    // A dialog is a "dialog" window to the window manager, which keeps one without a parent
    // above every other window of the program. The main window is a window like any other;
    // the hint counts only before the window is first mapped.
    if (GtkWidget* widget = window->GetHandle()) {
        if (GTK_IS_WINDOW(widget) && !gtk_widget_get_mapped(widget))
            gtk_window_set_type_hint(GTK_WINDOW(widget), GDK_WINDOW_TYPE_HINT_NORMAL);
    }
    window->Show();
}
