#pragma once

// The program's menu resources, compiled in. Each is one popup whose items are listed in menu
// order; an item with id 0 is a separator.
#include <cstddef>

namespace zorbel::res {

struct MenuItemResource {
    int id;
    const char* text;
};

struct MenuResource {
    int id;
    const MenuItemResource* items;
    std::size_t count;
};

// 136: the notification-area icon's menu (its id doubles as the icon's id).
inline constexpr MenuItemResource kTrayMenuItems[] = {
    {32788, "设置"}, {0, nullptr},          {32785, "在线升级"}, {32787, "意见反馈"},
    {0, nullptr},    {32779, "显示主界面"}, {0, nullptr},        {32777, "退出"},
};

inline constexpr MenuResource kMenus[] = {
    {136, kTrayMenuItems, sizeof(kTrayMenuItems) / sizeof(kTrayMenuItems[0])},
};

// The menu resource with the given id, or null when there is none.
inline const MenuResource* FindMenuResource(int id) {
    for (const MenuResource& menu : kMenus)
        if (menu.id == id) return &menu;
    return nullptr;
}

}  // namespace zorbel::res
