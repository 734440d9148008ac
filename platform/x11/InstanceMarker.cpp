#include "platform/x11/InstanceMarker.h"

#include <gtk/gtk.h>
#include <gdk/gdkx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <wx/toplevel.h>

#include "platform/x11/InstanceActivator.h"
#include "platform/x11/X11Display.h"

namespace zorbel::x11 {
namespace {

// Root → window-manager frame → client (→ one level of slack for reparenting managers).
constexpr int kSearchDepth = 3;

// Called inside an error trap: any window may vanish while we look at it.
bool ReadMarker(Display* display, Window window, Atom atom, long* value) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, window, atom, 0, 1, False, AnyPropertyType, &type,
                                    &format, &count, &after, &data);
    bool ok = status == Success && data != nullptr && format == 32 && count == 1;
    if (ok) *value = reinterpret_cast<long*>(data)[0];
    if (data != nullptr) XFree(data);
    return ok;
}

Window Search(Display* display, Window parent, Atom atom, int depth) {
    Window root = None;
    Window parentOfParent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count)) return None;
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        long value = 0;
        if (ReadMarker(display, children[i], atom, &value) && value == CInstanceMarker::kValue)
            found = children[i];
    }
    for (unsigned int i = 0; i < count && found == None && depth > 1; ++i)
        found = Search(display, children[i], atom, depth - 1);
    if (children != nullptr) XFree(children);
    return found;
}

}  // namespace

unsigned long CInstanceMarker::XWindowOf(wxTopLevelWindow* window) {
    if (window == nullptr || CX11Display::Get() == nullptr) return 0;
    GtkWidget* widget = window->GetHandle();
    if (widget == nullptr) return 0;
    gtk_widget_realize(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (gdkWindow == nullptr || !GDK_IS_X11_WINDOW(gdkWindow)) return 0;
    return gdk_x11_window_get_xid(gdkWindow);
}

bool CInstanceMarker::Set(wxTopLevelWindow* window, const std::string& name) {
    Display* display = CX11Display::Get();
    Window xwindow = XWindowOf(window);
    if (display == nullptr || xwindow == 0 || name.empty()) return false;
    Atom atom = XInternAtom(display, name.c_str(), False);
    long value = kValue;
    XChangeProperty(display, xwindow, atom, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    XFlush(display);
    CInstanceActivator::Listen(window);
    return true;
}

unsigned long CInstanceMarker::Find(const std::string& name) {
    Display* display = CX11Display::Get();
    if (display == nullptr || name.empty()) return 0;
    // No window can carry a marker whose name was never interned.
    Atom atom = XInternAtom(display, name.c_str(), True);
    if (atom == None) return 0;
    CX11Display::PushErrorTrap();
    Window found = Search(display, DefaultRootWindow(display), atom, kSearchDepth);
    CX11Display::PopErrorTrap();
    return found;
}

bool CInstanceMarker::Read(unsigned long window, const std::string& name, long* value) {
    Display* display = CX11Display::Get();
    if (display == nullptr || window == 0 || name.empty()) return false;
    Atom atom = XInternAtom(display, name.c_str(), True);
    if (atom == None) return false;
    CX11Display::PushErrorTrap();
    long read = 0;
    bool ok = ReadMarker(display, window, atom, &read);
    ok = CX11Display::PopErrorTrap() == 0 && ok;
    if (ok) *value = read;
    return ok;
}

}  // namespace zorbel::x11
