#pragma once

#include <memory>
#include <string>
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/event.h>
#include <wx/menu.h>
#include <wx/weakref.h>

class wxTaskBarIcon;
class wxWindow;

// What the notification-area icon tells its owner window: the event's id is the callback
// message given to Create (0x466 for the main window), GetInt() the icon id and GetExtraLong()
// the mouse message, with the classic values below. The owner maps it with
// EVT_TRAY_NOTIFY(0x466, handler) and answers a double click itself; anything else goes to
// HandleIconMessage. The menu's commands reach the owner as wxEVT_MENU with the item's id.
wxDECLARE_EVENT(wxEVT_TRAY_NOTIFY, wxCommandEvent);
#define EVT_TRAY_NOTIFY(message, fn) \
    wx__DECLARE_EVT1(wxEVT_TRAY_NOTIFY, message, wxCommandEventHandler(fn))

// A popup menu built from a menu resource, which knows its default (bold) item. The resource's
// command ids (32777...) lie above what the toolkit accepts for menu items, so the items carry
// ids of their own and the menu turns a chosen item back into its resource id.
class CResourceMenu : public wxMenu {
public:
    // Appends an item for resource command resourceId (0: a separator).
    void AppendResourceItem(int resourceId, const wxString& text);
    // The resource id of the item at pos, or of the item with the toolkit id itemId; 0 when
    // there is none (or it is a separator).
    int GetResourceId(size_t pos) const;
    int ResourceIdOf(int itemId) const;

    // The item at position pos becomes the default one and is shown in bold.
    bool SetDefaultItem(int pos);
    // Position of the default item, or -1.
    int GetDefaultItem() const { return m_defaultPos; }

private:
    static constexpr int kFirstItemId = 100;
    std::vector<int> m_resourceIds;
    int m_defaultPos = -1;
};

class CSystemIcon {
public:
    enum MouseMessage : long {
        kLeftButtonDown = 513,
        kLeftButtonDoubleClick = 515,
        kRightButtonUp = 517,
    };

    CSystemIcon();
    virtual ~CSystemIcon();
    CSystemIcon(const CSystemIcon&) = delete;
    CSystemIcon& operator=(const CSystemIcon&) = delete;

    // Shows the icon with its tip; its notifications go to owner as wxEVT_TRAY_NOTIFY with the
    // id callbackMessage. False (and nothing shown) without an owner or a notification area;
    // in the latter case the owner and id are kept, so HandleIconMessage still answers.
    bool Create(wxWindow* owner, int callbackMessage, const std::string& tip,
                const wxBitmapBundle& icon, int iconId);
    // Removes the icon if it is shown; further calls do nothing.
    void RemoveIcon();
    // 0 for another icon's id; on a right-button release shows the menu whose resource id is
    // the icon id, at the cursor, and returns 1 (0 if the menu cannot be loaded); 1 otherwise.
    virtual long HandleIconMessage(int iconId, long mouseMessage);

    bool IsShown() const { return m_shown; }
    // The toolkit's icon while shown, else null.
    wxTaskBarIcon* GetTaskBarIcon() const;

    // The popup of the menu resource menuId; null when there is no such resource.
    static std::unique_ptr<CResourceMenu> LoadMenu(int menuId);
    // The menu the icon shows: the resource named by the icon id, with position 7 ("退出")
    // as its default item; null when the resource is missing.
    static std::unique_ptr<CResourceMenu> BuildIconMenu(int iconId);
    static constexpr int kDefaultItemPosition = 7;
    // The program's icon: zorbel.svg next to the executable, in the installed icon folder or in
    // the icon theme; the information icon when none is found.
    static wxBitmapBundle LoadAppIcon();

    // The mouse message for an activation (a left click) at nowMs: a second one within the
    // desktop's double-click time is a double click.
    long TranslateActivation(long long nowMs);

private:
    class TrayIcon;
    friend class TrayIcon;

    void Deliver(long mouseMessage);
    void ForwardCommand(int id);

    std::unique_ptr<TrayIcon> m_tray;
    wxWeakRef<wxWindow> m_owner;
    int m_callbackMessage = 0;
    int m_iconId = 0;
    bool m_shown = false;
    long long m_lastActivationMs = -1;
};
