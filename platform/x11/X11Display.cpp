#include "platform/x11/X11Display.h"

#include <gdk/gdk.h>
#include <gdk/gdkx.h>

namespace zorbel::x11 {
namespace {

GdkDisplay* X11GdkDisplay() {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return nullptr;
    return display;
}

}  // namespace

_XDisplay* CX11Display::Get() {
    GdkDisplay* display = X11GdkDisplay();
    return display != nullptr ? gdk_x11_display_get_xdisplay(display) : nullptr;
}

unsigned long CX11Display::Root() {
    Display* display = Get();
    return display != nullptr ? DefaultRootWindow(display) : 0;
}

void CX11Display::PushErrorTrap() {
    if (GdkDisplay* display = X11GdkDisplay()) gdk_x11_display_error_trap_push(display);
}

int CX11Display::PopErrorTrap() {
    GdkDisplay* display = X11GdkDisplay();
    return display != nullptr ? gdk_x11_display_error_trap_pop(display) : 0;
}

}  // namespace zorbel::x11
