#include "web/SharedPageProcess.h"

#include <vector>

#include <webkit2/webkit2.h>
#include <wx/webview.h>

namespace {

using Constructor = GObject* (*)(GType, guint, GObjectConstructParam*);
Constructor s_webViewConstructor = nullptr;
// A live page view to relate new ones to; cleared by GObject when that view goes.
gpointer s_pageView = nullptr;
bool s_joining = false;

GObject* ConstructWebView(GType type, guint count, GObjectConstructParam* params) {
    if (!s_joining || s_pageView == nullptr) return s_webViewConstructor(type, count, params);
    GParamSpec* related =
        g_object_class_find_property(G_OBJECT_CLASS(g_type_class_peek(type)), "related-view");
    if (related == nullptr) return s_webViewConstructor(type, count, params);
    GValue value = G_VALUE_INIT;
    g_value_init(&value, WEBKIT_TYPE_WEB_VIEW);
    g_value_set_object(&value, s_pageView);
    std::vector<GObjectConstructParam> all(params, params + count);
    bool given = false;
    for (GObjectConstructParam& param : all) {
        if (param.pspec != related) continue;
        param.value = &value;
        given = true;
    }
    if (!given) all.push_back({related, &value});
    GObject* made = s_webViewConstructor(type, static_cast<guint>(all.size()), all.data());
    g_value_unset(&value);
    return made;
}

void HookConstructor() {
    if (s_webViewConstructor != nullptr) return;
    auto* viewClass = static_cast<GObjectClass*>(g_type_class_ref(WEBKIT_TYPE_WEB_VIEW));
    s_webViewConstructor = viewClass->constructor;
    viewClass->constructor = &ConstructWebView;
}

}  // namespace

CSharedPageProcess::CSharedPageProcess() {
    HookConstructor();
    s_joining = true;
}

CSharedPageProcess::~CSharedPageProcess() {
    s_joining = false;
}

void CSharedPageProcess::Made(wxWebView* view) {
    auto* native = view ? static_cast<GObject*>(view->GetNativeBackend()) : nullptr;
    if (native == nullptr || !WEBKIT_IS_WEB_VIEW(native) || s_pageView != nullptr) return;
    s_pageView = native;
    g_object_add_weak_pointer(native, &s_pageView);
}
