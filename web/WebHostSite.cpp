#include "web/WebHostSite.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>

#include "platform/MessageBox.h"

namespace {
const char kSiteKey[] = "zorbel-web-host-site";

zorbel::web::RuleKey ToRuleKey(guint keyval) {
    using zorbel::web::RuleKey;
    switch (gdk_keyval_to_lower(keyval)) {
        case GDK_KEY_F5:
            return RuleKey::F5;
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R:
            return RuleKey::Control;
        case GDK_KEY_o:
            return RuleKey::O;
        case GDK_KEY_p:
            return RuleKey::P;
        case GDK_KEY_n:
            return RuleKey::N;
        default:
            return RuleKey::Other;
    }
}

bool HasControl(const GdkEventKey* event) {
    return (event->state & GDK_CONTROL_MASK) != 0;
}
}  // namespace

const char* const CWebHostSite::kScriptCaption = "佐贝乐儿童游戏";

// The GTK callbacks, kept as static members of a friend so they reach the site's state.
struct CWebHostSiteCallbacks {
    static gboolean KeyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
        auto* site = static_cast<CWebHostSite*>(data);
        auto state = site->m_keys.Press(ToRuleKey(event->keyval), HasControl(event));
        return zorbel::web::TranslateAccelerator(state) == zorbel::web::KeyVerdict::Swallow;
    }

    static gboolean KeyRelease(GtkWidget*, GdkEventKey* event, gpointer data) {
        static_cast<CWebHostSite*>(data)->m_keys.Release(ToRuleKey(event->keyval),
                                                         HasControl(event));
        return FALSE;
    }

    static gboolean FocusOut(GtkWidget*, GdkEvent*, gpointer data) {
        static_cast<CWebHostSite*>(data)->m_keys.Reset();
        return FALSE;
    }

    static gboolean ScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data) {
        auto* site = static_cast<CWebHostSite*>(data);
        WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(dialog);
        if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
            // A page may not keep the program from leaving it.
            webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
            return TRUE;
        }
        const gchar* message = webkit_script_dialog_get_message(dialog);
        // Whatever the page asked for, the user sees one information box with an OK button.
        int answer = zorbel::AppMessageBox(site->m_view.get(), message ? message : "",
                                           CWebHostSite::kScriptCaption,
                                           zorbel::kMbOk | zorbel::kMbIconInformation);
        if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM)
            webkit_script_dialog_confirm_set_confirmed(dialog, answer == zorbel::kIdOk);
        // A prompt gets no text, which the page reads as a cancelled prompt.
        return TRUE;
    }

    static GtkWidget* Create(WebKitWebView*, WebKitNavigationAction* action, gpointer data) {
        auto* site = static_cast<CWebHostSite*>(data);
        wxWebView* view = site->m_view.get();
        if (!view) return nullptr;
        WebKitURIRequest* request = webkit_navigation_action_get_request(action);
        const gchar* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
        const bool byUser = webkit_navigation_action_is_user_gesture(action);
        wxWebViewEvent event(wxEVT_WEBVIEW_NEWWINDOW, view->GetId(),
                             wxString::FromUTF8(uri ? uri : ""), wxString(),
                             byUser ? wxWEBVIEW_NAV_ACTION_USER : wxWEBVIEW_NAV_ACTION_OTHER);
        event.SetEventObject(view);
        view->HandleWindowEvent(event);
        // No window is made: the page's window.open() gets null.
        return nullptr;
    }

    static gboolean Authenticate(WebKitWebView*, WebKitAuthenticationRequest* request,
                                 gpointer data) {
        if (!static_cast<CWebHostSite*>(data)->m_silent) return FALSE;
        // Going on without credentials shows the server's refusal page.
        webkit_authentication_request_authenticate(request, nullptr);
        return TRUE;
    }

    static gboolean Print(WebKitWebView*, WebKitPrintOperation*, gpointer data) {
        return static_cast<CWebHostSite*>(data)->m_silent ? TRUE : FALSE;
    }

    static void Free(gpointer data) { delete static_cast<CWebHostSite*>(data); }
};

CWebHostSite::CWebHostSite(wxWebView* view) : m_view(view) {}
CWebHostSite::~CWebHostSite() = default;

CWebHostSite* CWebHostSite::Of(wxWebView* view) {
    if (!view) return nullptr;
    auto* native = static_cast<GObject*>(view->GetNativeBackend());
    if (!native || !WEBKIT_IS_WEB_VIEW(native)) return nullptr;
    return static_cast<CWebHostSite*>(g_object_get_data(native, kSiteKey));
}

bool CWebHostSite::Attach(wxWebView* view) {
    if (!view) return false;
    auto* nativePtr = static_cast<GObject*>(view->GetNativeBackend());
    if (!nativePtr || !WEBKIT_IS_WEB_VIEW(nativePtr)) return false;
    if (g_object_get_data(nativePtr, kSiteKey)) return true;

    WebKitWebView* native = WEBKIT_WEB_VIEW(nativePtr);
    auto* site = new CWebHostSite(view);
    // The site lives exactly as long as the native view.
    g_object_set_data_full(nativePtr, kSiteKey, site, &CWebHostSiteCallbacks::Free);

    view->EnableContextMenu(false);

    // A hosted browser opens every window a script asks for (there is no pop-up blocker in an
    // embedded control), so each window.open() reaches the owner as a new-window event.
    WebKitSettings* settings = webkit_web_view_get_settings(native);
    webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
    webkit_settings_set_enable_developer_extras(settings, FALSE);

    // wx's own handler of "create" hands WebKit back the same view, which aborts the process.
    guint createId = g_signal_lookup("create", WEBKIT_TYPE_WEB_VIEW);
    g_signal_handlers_block_matched(nativePtr,
                                    GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA),
                                    createId, 0, nullptr, nullptr, view);
    g_signal_connect(native, "create", G_CALLBACK(&CWebHostSiteCallbacks::Create), site);

    // Connected before the view's own handlers run, so a swallowed key never reaches the page.
    g_signal_connect(native, "key-press-event", G_CALLBACK(&CWebHostSiteCallbacks::KeyPress), site);
    g_signal_connect(native, "key-release-event", G_CALLBACK(&CWebHostSiteCallbacks::KeyRelease),
                     site);
    g_signal_connect(native, "focus-out-event", G_CALLBACK(&CWebHostSiteCallbacks::FocusOut), site);
    g_signal_connect(native, "script-dialog", G_CALLBACK(&CWebHostSiteCallbacks::ScriptDialog),
                     site);
    g_signal_connect(native, "authenticate", G_CALLBACK(&CWebHostSiteCallbacks::Authenticate),
                     site);
    g_signal_connect(native, "print", G_CALLBACK(&CWebHostSiteCallbacks::Print), site);
    return true;
}
