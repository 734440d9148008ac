#include "web/SharedPageProcess.h"

#include <webkit2/webkit2.h>
#include <wx/webview.h>

namespace {
// A live page view to relate new ones to; cleared by GObject when that view goes.
gpointer s_pageView = nullptr;
}  // namespace

CSharedPageProcess::CSharedPageProcess()
    : m_related("related-view", static_cast<GObject*>(s_pageView)) {}

CSharedPageProcess::~CSharedPageProcess() = default;

void CSharedPageProcess::Made(wxWebView* view) {
    auto* native = view ? static_cast<GObject*>(view->GetNativeBackend()) : nullptr;
    if (native == nullptr || !WEBKIT_IS_WEB_VIEW(native) || s_pageView != nullptr) return;
    s_pageView = native;
    g_object_add_weak_pointer(native, &s_pageView);
}
