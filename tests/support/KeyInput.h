#pragma once

class wxWebView;

namespace zorbel::test {

// Hands a key press or release (a GDK key value and modifier state) to the web view's native
// widget as the toolkit would, so the view's own handlers see it; true when one took it.
bool SendKeyToView(wxWebView* view, bool press, unsigned keyval, unsigned state = 0);

}  // namespace zorbel::test
