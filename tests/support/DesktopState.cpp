#include "tests/support/DesktopState.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <chrono>

#include <wx/display.h>
#include <wx/toplevel.h>

#include "tests/support/EventPump.h"

namespace zorbel::test {
namespace {

Display* XDisplay() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

// Managed windows come and go while they are looked at (menus, tooltips, a window being
// destroyed): an X error on a vanished one must not end the test program.
class ErrorTrap {
public:
    ErrorTrap() { gdk_x11_display_error_trap_push(gdk_display_get_default()); }
    ~ErrorTrap() { gdk_x11_display_error_trap_pop_ignored(gdk_display_get_default()); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
};

std::vector<unsigned long> WindowListProperty(Window window, const char* name) {
    std::vector<unsigned long> result;
    ErrorTrap trap;
    Display* display = XDisplay();
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False,
                           XA_WINDOW, &actualType, &actualFormat, &count, &after,
                           &data) == Success &&
        data && actualFormat == 32) {
        auto* windows = reinterpret_cast<unsigned long*>(data);
        result.assign(windows, windows + count);
    }
    if (data) XFree(data);
    return result;
}

}  // namespace

unsigned long XWindowOf(wxWindow* topLevel) {
    GtkWidget* widget = topLevel ? topLevel->GetHandle() : nullptr;
    if (!widget) return 0;
    gtk_widget_realize(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    return gdkWindow ? gdk_x11_window_get_xid(gdkWindow) : 0;
}

std::vector<unsigned long> StackingOrder() {
    XSync(XDisplay(), False);
    return WindowListProperty(DefaultRootWindow(XDisplay()), "_NET_CLIENT_LIST_STACKING");
}

bool IsMapped(unsigned long window) {
    ErrorTrap trap;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(XDisplay(), window, &attributes)) return false;
    return attributes.map_state == IsViewable;
}

unsigned long TopmostMappedWindow() {
    const std::vector<unsigned long> order = StackingOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (IsMapped(*it)) return *it;
    }
    return 0;
}

wxRect ScreenRectOf(unsigned long window) {
    ErrorTrap trap;
    Display* display = XDisplay();
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return wxRect();
    int x = 0;
    int y = 0;
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return wxRect(x, y, attributes.width, attributes.height);
}

bool WindowManagerRuns() {
    return !WindowListProperty(DefaultRootWindow(XDisplay()), "_NET_SUPPORTING_WM_CHECK").empty();
}

bool TrayHostRuns() {
    Display* display = XDisplay();
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False)) != None;
}

std::string MissingDesktop() {
    if (!WindowManagerRuns()) return "no window manager runs on this display";
    if (!TrayHostRuns()) return "no notification area runs on this display";
    return std::string();
}

wxColour ScreenPixel(const wxPoint& screen) {
    Display* display = XDisplay();
    XSync(display, False);
    ErrorTrap trap;
    XImage* image = XGetImage(display, DefaultRootWindow(display), screen.x, screen.y, 1, 1,
                              AllPlanes, ZPixmap);
    if (!image) return wxColour();
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return wxColour((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

std::string FullScreenFault(wxWindow* topLevel) {
    using namespace std::chrono_literals;
    const unsigned long window = XWindowOf(topLevel);
    const wxRect screen = wxDisplay(0u).GetGeometry();
    if (WindowManagerRuns() && !PumpUntil([&] { return TopmostMappedWindow() == window; }, 10s))
        return "not the topmost mapped window: " + DescribeStacking();
    if (!PumpUntil([&] { return ScreenRectOf(window) == screen; }, 10s)) {
        const wxRect r = ScreenRectOf(window);
        return "covers " + std::to_string(r.width) + "x" + std::to_string(r.height) + " at " +
               std::to_string(r.x) + "," + std::to_string(r.y);
    }
    PumpFor(200ms);
    // The bottom corner, where a desktop puts its panel, shows what the window shows a
    // quarter of the screen further left.
    const wxPoint corner(screen.GetRight(), screen.GetBottom());
    if (ScreenPixel(corner) != ScreenPixel(corner - wxPoint(screen.width / 4, 0)))
        return "the screen's bottom corner shows something else: " +
               ScreenPixel(corner).GetAsString(wxC2S_HTML_SYNTAX).ToStdString();
    return std::string();
}

std::string DescribeStacking() {
    ErrorTrap trap;
    Display* display = XDisplay();
    std::string text;
    for (unsigned long window : StackingOrder()) {
        char* name = nullptr;
        XFetchName(display, window, &name);
        char buffer[32];
        snprintf(buffer, sizeof buffer, "0x%lx", window);
        text += std::string(buffer) + " \"" + (name ? name : "") + "\"" +
                (IsMapped(window) ? " mapped" : " unmapped") + "; ";
        if (name) XFree(name);
    }
    return text;
}

}  // namespace zorbel::test
