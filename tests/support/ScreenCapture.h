#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>

namespace zorbel::test {

// What the X server shows in a rectangle of the screen, windows of every program included;
// an invalid image when the rectangle lies off the screen.
wxImage CaptureScreen(const wxRect& screen);

}  // namespace zorbel::test
