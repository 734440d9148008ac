#include "platform/x11/InstanceClaim.h"

#include <X11/Xlib.h>

#include "platform/x11/X11Display.h"

namespace zorbel::x11 {
namespace {

// An input-only window that never shows; it exists to own the selection.
Window OwnerWindow(Display* display) {
    static Window owner = None;
    if (owner == None) {
        XSetWindowAttributes attributes{};
        owner = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, CopyFromParent,
                              InputOnly, CopyFromParent, 0, &attributes);
    }
    return owner;
}

}  // namespace

CInstanceClaim::Result CInstanceClaim::Take(const std::string& name) {
    Display* display = CX11Display::Get();
    if (display == nullptr || name.empty()) return Result::kNoDisplay;
    Atom selection = XInternAtom(display, name.c_str(), False);
    Window mine = OwnerWindow(display);

    XGrabServer(display);
    Window owner = XGetSelectionOwner(display, selection);
    if (owner == None) {
        XSetSelectionOwner(display, selection, mine, CurrentTime);
        owner = XGetSelectionOwner(display, selection);
    }
    XUngrabServer(display);
    XFlush(display);
    return owner == mine ? Result::kWon : Result::kHeld;
}

bool CInstanceClaim::HeldByOther(const std::string& name) {
    Display* display = CX11Display::Get();
    if (display == nullptr || name.empty()) return false;
    Atom selection = XInternAtom(display, name.c_str(), False);
    Window owner = XGetSelectionOwner(display, selection);
    return owner != None && owner != OwnerWindow(display);
}

}  // namespace zorbel::x11
