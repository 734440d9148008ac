#include "tests/support/FakeTray.h"

#include <string>

#include <gdk/gdkx.h>

namespace zorbel::test {

FakeTray::FakeTray() {
    display_ = gdk_x11_get_default_xdisplay();
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(gdk_x11_get_default_screen());
    atom_ = XInternAtom(display_, name.c_str(), False);
    window_ = None;
    if (XGetSelectionOwner(display_, atom_) != None) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display_, atom_, window_, CurrentTime);
    XSync(display_, False);
}

FakeTray::~FakeTray() {
    if (window_ == None) return;
    XSetSelectionOwner(display_, atom_, None, CurrentTime);
    XDestroyWindow(display_, window_);
    XSync(display_, False);
}

}  // namespace zorbel::test
