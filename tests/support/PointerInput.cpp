#include "tests/support/PointerInput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace zorbel::test {
namespace {

Display* XDisplay() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

void Button(int button, bool down) {
    XTestFakeButtonEvent(XDisplay(), static_cast<unsigned>(button), down ? True : False,
                         CurrentTime);
}

}  // namespace

void MovePointer(const wxPoint& screen) {
    XTestFakeMotionEvent(XDisplay(), -1, screen.x, screen.y, CurrentTime);
    XFlush(XDisplay());
}

void ClickPointer(int button) {
    Button(button, true);
    Button(button, false);
    XFlush(XDisplay());
}

void DoubleClickPointer(int button) {
    ClickPointer(button);
    ClickPointer(button);
}

void PressPointer(bool down, int button) {
    Button(button, down);
    XFlush(XDisplay());
}

void TypeKey(unsigned long keysym) {
    const KeyCode code = XKeysymToKeycode(XDisplay(), keysym);
    XTestFakeKeyEvent(XDisplay(), code, True, CurrentTime);
    XTestFakeKeyEvent(XDisplay(), code, False, CurrentTime);
    XFlush(XDisplay());
}

}  // namespace zorbel::test
