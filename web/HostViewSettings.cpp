#include "web/HostViewSettings.h"

#include <webkit2/webkit2.h>

#include "web/GraphicsPath.h"

namespace {
GObject* NewSettings() {
    // Without a graphics processor WebKit's compositing runs on Mesa's software GL: a hundred
    // megabytes a web process and more processor time than painting the page directly.
    if (!zorbel::web::DrawsInSoftware()) return nullptr;
    return G_OBJECT(webkit_settings_new_with_settings(
        "hardware-acceleration-policy", WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER, nullptr));
}
}  // namespace

CHostViewSettings::CHostViewSettings() : m_settings("settings", nullptr) {
    if (GObject* settings = NewSettings()) {
        m_settings.SetValue(settings);
        g_object_unref(settings);
    }
}
