#pragma once

#include <functional>
#include <string>

#include "platform/MessageBoxStyle.h"

class wxWindow;

namespace zorbel {

// Every message the program shows goes through here. Texts are UTF-8.
// Returns one of MessageBoxAnswer.
int AppMessageBox(wxWindow* owner, const std::string& text, const std::string& caption, long style);

// A hook sees every box instead of the user and gives the answer; tests use it so that
// no test ever waits on a real dialog. An empty function removes the hook.
using MessageBoxHook = std::function<int(wxWindow* owner, const std::string& text,
                                         const std::string& caption, long style)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace zorbel
