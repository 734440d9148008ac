#include "platform/x11/InstanceActivator.h"

#include <gtk/gtk.h>
#include <gdk/gdkx.h>
#include <X11/Xlib.h>

#include <set>

#include <wx/toplevel.h>

#include "platform/x11/InstanceMarker.h"
#include "platform/x11/X11Display.h"

namespace zorbel::x11 {
namespace {

// The windows that listen, so that a window's filter is added once and removed with it.
std::set<wxTopLevelWindow*>& Listeners() {
    static std::set<wxTopLevelWindow*> listeners;
    return listeners;
}

void BringForward(wxTopLevelWindow* window) {
    window->Show();
    window->Iconize(false);
    // Also maps a window that was withdrawn from outside while the toolkit thought it shown.
    window->Raise();
}

GdkFilterReturn OnXEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    auto* event = static_cast<XEvent*>(xevent);
    if (event->type != ClientMessage) return GDK_FILTER_CONTINUE;
    // Every client message of the window passes here; ask the server for the atom once.
    static Atom requestAtom =
        XInternAtom(CX11Display::Get(), CInstanceActivator::kRequestAtom, False);
    if (event->xclient.message_type != requestAtom) return GDK_FILTER_CONTINUE;
    auto* window = static_cast<wxTopLevelWindow*>(data);
    if (Listeners().count(window) != 0) {
        // Showing a window may run its initialisation; do that outside the X event dispatch.
        window->CallAfter([window] { BringForward(window); });
    }
    return GDK_FILTER_REMOVE;
}

GdkWindow* GdkWindowOf(wxTopLevelWindow* window) {
    GtkWidget* widget = window->GetHandle();
    return widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
}

}  // namespace

void CInstanceActivator::Listen(wxTopLevelWindow* window) {
    if (window == nullptr || Listeners().count(window) != 0) return;
    if (CInstanceMarker::XWindowOf(window) == 0) return;
    GdkWindow* gdkWindow = GdkWindowOf(window);
    if (gdkWindow == nullptr) return;
    gdk_window_add_filter(gdkWindow, OnXEvent, window);
    Listeners().insert(window);
    window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() != window) return;  // a child's destruction
        if (GdkWindow* gdkWindow = GdkWindowOf(window))
            gdk_window_remove_filter(gdkWindow, OnXEvent, window);
        Listeners().erase(window);
    });
}

bool CInstanceActivator::Request(unsigned long window) {
    Display* display = CX11Display::Get();
    if (display == nullptr || window == 0) return false;

    CX11Display::PushErrorTrap();
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = XInternAtom(display, kRequestAtom, False);
    request.xclient.format = 32;
    // No event mask: the event goes to the client that created the window, its owner.
    XSendEvent(display, window, False, NoEventMask, &request);

    // Source indication 2: the request comes from a pager-like tool that speaks for the
    // user, so the window manager does not treat it as focus stealing.
    XEvent activate{};
    activate.xclient.type = ClientMessage;
    activate.xclient.window = window;
    activate.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    activate.xclient.format = 32;
    activate.xclient.data.l[0] = 2;
    activate.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &activate);
    XSync(display, False);
    return CX11Display::PopErrorTrap() == 0;
}

}  // namespace zorbel::x11
