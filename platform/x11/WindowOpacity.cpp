#include "platform/x11/WindowOpacity.h"

#include <algorithm>
#include <cmath>

#include <gtk/gtk.h>
#include <gdk/gdkx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <wx/toplevel.h>

#include "platform/x11/X11Display.h"

namespace zorbel::x11 {
namespace {

constexpr const char* kOpacityAtom = "_NET_WM_WINDOW_OPACITY";
constexpr double kOpaque = 4294967295.0;  // 0xFFFFFFFF, the property's full opacity

Window XWindowOf(wxWindow* window) {
    if (window == nullptr || CX11Display::Get() == nullptr) return None;
    wxWindow* top = wxGetTopLevelParent(window);
    if (top == nullptr) return None;
    GtkWidget* widget = top->GetHandle();
    if (widget == nullptr) return None;
    gtk_widget_realize(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (gdkWindow == nullptr || !GDK_IS_X11_WINDOW(gdkWindow)) return None;
    return gdk_x11_window_get_xid(gdkWindow);
}

}  // namespace

bool CWindowOpacity::Set(wxWindow* window, int alpha) {
    Display* display = CX11Display::Get();
    Window xwindow = XWindowOf(window);
    if (display == nullptr || xwindow == None) return false;
    alpha = std::clamp(alpha, 0, 255);
    Atom atom = XInternAtom(display, kOpacityAtom, False);
    CX11Display::PushErrorTrap();
    if (alpha == 255) {
        // Compositors treat a missing property as opaque; some draw a set one slower.
        XDeleteProperty(display, xwindow, atom);
    } else {
        // Format-32 data travels as longs in Xlib.
        long value = static_cast<long>(std::lround(alpha * (kOpaque / 255.0)));
        XChangeProperty(display, xwindow, atom, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&value), 1);
    }
    XFlush(display);
    return CX11Display::PopErrorTrap() == 0;
}

int CWindowOpacity::Get(wxWindow* window) {
    Display* display = CX11Display::Get();
    Window xwindow = XWindowOf(window);
    if (display == nullptr || xwindow == None) return 255;
    Atom atom = XInternAtom(display, kOpacityAtom, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    CX11Display::PushErrorTrap();
    int status = XGetWindowProperty(display, xwindow, atom, 0, 1, False, XA_CARDINAL, &type,
                                    &format, &count, &remaining, &data);
    int error = CX11Display::PopErrorTrap();
    int alpha = 255;
    if (status == Success && error == 0 && data != nullptr && format == 32 && count == 1) {
        const unsigned long value = *reinterpret_cast<unsigned long*>(data) & 0xFFFFFFFFul;
        alpha = static_cast<int>(std::lround(value * 255.0 / kOpaque));
    }
    if (data != nullptr) XFree(data);
    return alpha;
}

}  // namespace zorbel::x11
