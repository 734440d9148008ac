#pragma once

#include <wx/gdicmn.h>

namespace zorbel::test {

// Pointer input through the X server's test extension, as a user's mouse would give it.
// wxUIActionSimulator yields to the toolkit until nothing is pending, which never happens
// while a big animated page is being drawn; these only send and flush, and the caller pumps.
void MovePointer(const wxPoint& screen);
void ClickPointer(int button = 1);
void DoubleClickPointer(int button = 1);
// Holds a button down or lets it go, for drags.
void PressPointer(bool down, int button = 1);
// A key press and release (an X key symbol, XK_Left say) to whatever window has the focus.
void TypeKey(unsigned long keysym);

}  // namespace zorbel::test
