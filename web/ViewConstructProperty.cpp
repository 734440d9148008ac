#include "web/ViewConstructProperty.h"

#include <algorithm>
#include <vector>

#include <webkit2/webkit2.h>

namespace {
using Constructor = GObject* (*)(GType, guint, GObjectConstructParam*);
Constructor s_webViewConstructor = nullptr;
CViewConstructProperty* s_innermost = nullptr;
}  // namespace

struct CViewConstructPropertyHook {
    static GObject* Construct(GType type, guint count, GObjectConstructParam* params) {
        if (s_innermost == nullptr) return s_webViewConstructor(type, count, params);
        auto* viewClass = G_OBJECT_CLASS(g_type_class_peek(type));
        std::vector<GObjectConstructParam> all(params, params + count);
        std::vector<GParamSpec*> done;
        GValue values[8] = {};
        size_t used = 0;
        // The innermost scope wins where two give the same property.
        for (CViewConstructProperty* p = s_innermost; p != nullptr && used < 8; p = p->m_pOuter) {
            GParamSpec* property = g_object_class_find_property(viewClass, p->m_szProperty);
            if (property == nullptr || p->m_pValue == nullptr) continue;
            if (std::find(done.begin(), done.end(), property) != done.end()) continue;
            done.push_back(property);
            GValue* value = &values[used++];
            g_value_init(value, G_PARAM_SPEC_VALUE_TYPE(property));
            g_value_set_object(value, p->m_pValue);
            auto given = std::find_if(
                all.begin(), all.end(),
                [property](const GObjectConstructParam& c) { return c.pspec == property; });
            if (given != all.end())
                given->value = value;
            else
                all.push_back({property, value});
        }
        GObject* made = s_webViewConstructor(type, static_cast<guint>(all.size()), all.data());
        for (size_t i = 0; i < used; ++i) g_value_unset(&values[i]);
        return made;
    }
};

CViewConstructProperty::CViewConstructProperty(const char* property, GObject* value)
    : m_szProperty(property) {
    if (s_webViewConstructor == nullptr) {
        auto* viewClass = static_cast<GObjectClass*>(g_type_class_ref(WEBKIT_TYPE_WEB_VIEW));
        s_webViewConstructor = viewClass->constructor;
        viewClass->constructor = &CViewConstructPropertyHook::Construct;
    }
    SetValue(value);
    m_pOuter = s_innermost;
    s_innermost = this;
}

CViewConstructProperty::~CViewConstructProperty() {
    SetValue(nullptr);
    // Scopes end in the reverse order of their start.
    s_innermost = m_pOuter;
}

void CViewConstructProperty::SetValue(GObject* value) {
    if (value != nullptr) g_object_ref(value);
    if (m_pValue != nullptr) g_object_unref(m_pValue);
    m_pValue = value;
}
