#pragma once

#include <X11/Xlib.h>

namespace zorbel::test {

// Claims the notification-area selection for its lifetime, which is all the toolkit looks for
// before it shows a tray icon: a bare Xvfb has no panel of its own. On a desktop with a real
// notification area it does nothing, so icons go where a user would click them.
class FakeTray {
public:
    FakeTray();
    ~FakeTray();
    FakeTray(const FakeTray&) = delete;
    FakeTray& operator=(const FakeTray&) = delete;

private:
    Display* display_;
    Atom atom_;
    Window window_;
};

}  // namespace zorbel::test
