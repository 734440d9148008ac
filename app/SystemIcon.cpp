#include "app/SystemIcon.h"

#include <gtk/gtk.h>

#include <chrono>

#include <wx/artprov.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/taskbar.h>
#include <wx/window.h>

#include "res/menus/MenuResources.h"

wxDEFINE_EVENT(wxEVT_TRAY_NOTIFY, wxCommandEvent);

void CResourceMenu::AppendResourceItem(int resourceId, const wxString& text) {
    const int itemId = kFirstItemId + static_cast<int>(m_resourceIds.size());
    m_resourceIds.push_back(resourceId);
    if (resourceId == 0)
        AppendSeparator();
    else
        Append(itemId, text);
}

int CResourceMenu::GetResourceId(size_t pos) const {
    return pos < m_resourceIds.size() ? m_resourceIds[pos] : 0;
}

int CResourceMenu::ResourceIdOf(int itemId) const {
    if (itemId < kFirstItemId) return 0;
    return GetResourceId(static_cast<size_t>(itemId - kFirstItemId));
}

bool CResourceMenu::SetDefaultItem(int pos) {
    if (pos < 0 || static_cast<size_t>(pos) >= GetMenuItemCount()) return false;
    wxMenuItem* item = FindItemByPosition(pos);
    if (!item || item->IsSeparator()) return false;
    m_defaultPos = pos;
    // GTK menus know no default item; a bold label shows it as the shell's menus do.
    if (GtkWidget* widget = item->GetMenuItem()) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
        if (child && GTK_IS_LABEL(child)) {
            gchar* markup = g_markup_printf_escaped(
                "<b>%s</b>", static_cast<const char*>(item->GetItemLabelText().utf8_str()));
            gtk_label_set_markup(GTK_LABEL(child), markup);
            g_free(markup);
        }
    }
    return true;
}

// The toolkit's icon; it hands clicks and the menu's commands to the CSystemIcon.
class CSystemIcon::TrayIcon : public wxTaskBarIcon {
public:
    explicit TrayIcon(CSystemIcon* owner) : m_owner(owner) {
        Bind(wxEVT_TASKBAR_LEFT_DOWN, &TrayIcon::OnActivate, this);
        Bind(wxEVT_TASKBAR_LEFT_DCLICK, &TrayIcon::OnDoubleClick, this);
        Bind(wxEVT_TASKBAR_CLICK, &TrayIcon::OnContextClick, this);
        Bind(wxEVT_MENU, &TrayIcon::OnMenu, this);
    }

    // The menu being shown, whose item ids are turned back into command ids.
    void SetShownMenu(CResourceMenu* menu) { m_menu = menu; }

    // Cut off from its owner once removed: the object itself goes away only later.
    void Detach() { m_owner = nullptr; }

private:
    // GTK reports each left click as an activation and never a double click.
    void OnActivate(wxTaskBarIconEvent&) {
        if (!m_owner) return;
        using namespace std::chrono;
        long long now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        m_owner->Deliver(m_owner->TranslateActivation(now));
    }
    void OnDoubleClick(wxTaskBarIconEvent&) {
        if (m_owner) m_owner->Deliver(kLeftButtonDoubleClick);
    }
    // The desktop's request for the icon's menu stands for the right-button release.
    void OnContextClick(wxTaskBarIconEvent&) {
        if (m_owner) m_owner->Deliver(kRightButtonUp);
    }
    void OnMenu(wxCommandEvent& event) {
        if (!m_owner) return;
        // An id that is no item of the shown menu is taken as a command id already.
        int id = m_menu ? m_menu->ResourceIdOf(event.GetId()) : 0;
        m_owner->ForwardCommand(id ? id : event.GetId());
    }

    CSystemIcon* m_owner;
    CResourceMenu* m_menu = nullptr;
};

CSystemIcon::CSystemIcon() = default;

CSystemIcon::~CSystemIcon() {
    RemoveIcon();
}

bool CSystemIcon::Create(wxWindow* owner, int callbackMessage, const std::string& tip,
                         const wxBitmapBundle& icon, int iconId) {
    if (m_shown) RemoveIcon();
    m_shown = false;
    if (!owner) return false;

    m_owner = owner;
    m_callbackMessage = callbackMessage;
    m_iconId = iconId;
    // Without a notification area the icon is not shown, as when the shell refuses it; the
    // owner still has its icon id and menu.
    if (!wxTaskBarIcon::IsAvailable()) return false;
    m_tray = std::make_unique<TrayIcon>(this);
    m_shown = m_tray->SetIcon(icon.IsOk() ? icon : LoadAppIcon(), wxString::FromUTF8(tip));
    if (!m_shown) m_tray.reset();
    return m_shown;
}

void CSystemIcon::RemoveIcon() {
    if (!m_shown) return;
    m_shown = false;
    if (m_tray) {
        m_tray->RemoveIcon();
        m_tray->Detach();
        // The toolkit object may be inside one of its own handlers (exit from its menu).
        m_tray.release()->Destroy();
    }
}

wxTaskBarIcon* CSystemIcon::GetTaskBarIcon() const {
    return m_shown ? m_tray.get() : nullptr;
}

long CSystemIcon::HandleIconMessage(int iconId, long mouseMessage) {
    if (iconId != m_iconId) return 0;
    if ((mouseMessage & 0xFFFF) != kRightButtonUp) return 1;
    std::unique_ptr<CResourceMenu> menu = BuildIconMenu(m_iconId);
    if (!menu) return 0;
    // The chosen item arrives at the owner as wxEVT_MENU with its command id.
    if (m_tray) {
        m_tray->SetShownMenu(menu.get());
        m_tray->PopupMenu(menu.get());
        if (m_tray) m_tray->SetShownMenu(nullptr);
    } else if (wxWindow* owner = m_owner.get()) {
        int chosen = owner->GetPopupMenuSelectionFromUser(*menu);
        if (chosen != wxID_NONE) ForwardCommand(menu->ResourceIdOf(chosen));
    }
    return 1;
}

std::unique_ptr<CResourceMenu> CSystemIcon::LoadMenu(int menuId) {
    const zorbel::res::MenuResource* resource = zorbel::res::FindMenuResource(menuId);
    if (!resource) return nullptr;
    auto menu = std::make_unique<CResourceMenu>();
    for (size_t i = 0; i < resource->count; ++i) {
        const zorbel::res::MenuItemResource& item = resource->items[i];
        menu->AppendResourceItem(item.id, item.id ? wxString::FromUTF8(item.text) : wxString());
    }
    return menu;
}

std::unique_ptr<CResourceMenu> CSystemIcon::BuildIconMenu(int iconId) {
    std::unique_ptr<CResourceMenu> menu = LoadMenu(iconId);
    if (menu) menu->SetDefaultItem(kDefaultItemPosition);
    return menu;
}

wxBitmapBundle CSystemIcon::LoadAppIcon() {
    const wxSize size(32, 32);
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    const wxString dir = exe.GetPath();
    const wxString candidates[] = {
        dir + "/zorbel.svg",
        dir + "/icons/zorbel.svg",
        // Installed: the app folder is <prefix>/lib/zorbel, the icon in <prefix>/share.
        dir + "/../../share/icons/hicolor/scalable/apps/zorbel.svg",
    };
    for (const wxString& path : candidates) {
        if (!wxFileName::FileExists(path)) continue;
        wxBitmapBundle bundle = wxBitmapBundle::FromSVGFile(path, size);
        if (bundle.IsOk()) return bundle;
    }
    wxBitmapBundle themed = wxArtProvider::GetBitmapBundle("zorbel", wxART_OTHER, size);
    if (themed.IsOk()) return themed;
    return wxArtProvider::GetBitmapBundle(wxART_INFORMATION, wxART_OTHER, size);
}

long CSystemIcon::TranslateActivation(long long nowMs) {
    gint doubleClickMs = 400;
    if (GtkSettings* settings = gtk_settings_get_default())
        g_object_get(settings, "gtk-double-click-time", &doubleClickMs, nullptr);
    if (m_lastActivationMs >= 0 && nowMs - m_lastActivationMs <= doubleClickMs) {
        m_lastActivationMs = -1;
        return kLeftButtonDoubleClick;
    }
    m_lastActivationMs = nowMs;
    return kLeftButtonDown;
}

void CSystemIcon::Deliver(long mouseMessage) {
    wxWindow* owner = m_owner.get();
    if (!owner) return;
    wxCommandEvent event(wxEVT_TRAY_NOTIFY, m_callbackMessage);
    event.SetEventObject(owner);
    event.SetInt(m_iconId);
    event.SetExtraLong(mouseMessage);
    owner->GetEventHandler()->ProcessEvent(event);
}

void CSystemIcon::ForwardCommand(int id) {
    wxWindow* owner = m_owner.get();
    if (!owner) return;
    // Posted, as the shell's menu posts its command once the menu has closed.
    auto* event = new wxCommandEvent(wxEVT_MENU, id);
    event->SetEventObject(owner);
    owner->GetEventHandler()->QueueEvent(event);
}
