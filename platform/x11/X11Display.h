#pragma once

struct _XDisplay;

namespace zorbel::x11 {

// The toolkit's own X connection. Everything here goes through it, so that requests and the
// toolkit's event handling stay in order and GDK's error traps cover them.
class CX11Display {
public:
    // Null when the toolkit does not run on an X11 display (then there is no instance rule).
    static _XDisplay* Get();
    static unsigned long Root();

    // Brackets requests that may hit a window that vanished meanwhile; Pop() returns the X
    // error code that occurred since Push() (0 when none).
    static void PushErrorTrap();
    static int PopErrorTrap();
};

}  // namespace zorbel::x11
