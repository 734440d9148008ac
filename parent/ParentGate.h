#pragma once

#include <string>

class wxWindow;

namespace zorbel::parent {

// What the windows ask before a gated command. With no PIN set everything is allowed and
// nothing is shown; with one, a grown-up must type it. A cancelled prompt refuses quietly, a
// wrong or locked one says so in a friendly box.
class ParentGate {
public:
    static constexpr const char* kCaption = "佐贝乐儿童游戏";
    static constexpr const char* kWrongText = "密码不对哦，请爸爸妈妈再试一次吧！";

    static bool PinIsSet();
    // True when the command may go on. what names it for the grown-up ("打开设置").
    static bool Allow(wxWindow* owner, const std::string& what);
    // Whether an embedded page may go to address: anywhere with no PIN set, else only within
    // the hosts the settings file names.
    static bool MayNavigate(const std::string& address);
    // The movie player's walls while a PIN is set: a content-blocker rule list that lets its
    // view load only from ownScheme and the hosts the settings file names.
    static std::string MovieContentRules(const std::string& ownScheme);
    // The parent settings file that the program uses.
    static std::string SettingsPath();
};

}  // namespace zorbel::parent
