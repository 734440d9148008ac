#pragma once

#include <glib-object.h>

// wx makes its WebKit views itself, and WebKit takes some choices only while a view is being
// made (construct-only properties: the process to share, the website policies). For the life of
// one of these on the UI thread, every WebKit view made is given its property; scopes nest.
class CViewConstructProperty {
public:
    // The value is referenced for the life of the scope; null gives nothing.
    CViewConstructProperty(const char* property, GObject* value);
    ~CViewConstructProperty();
    CViewConstructProperty(const CViewConstructProperty&) = delete;
    CViewConstructProperty& operator=(const CViewConstructProperty&) = delete;

    void SetValue(GObject* value);

private:
    friend struct CViewConstructPropertyHook;
    CViewConstructProperty* m_pOuter = nullptr;
    const char* m_szProperty;
    GObject* m_pValue = nullptr;
};
