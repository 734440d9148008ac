#pragma once

#include "web/ViewConstructProperty.h"

class wxWebView;

// The program's page views (advertisement, cartoon, community, feedback) share one web
// process instead of starting one each: a web process costs 60–90 MB before it shows anything,
// and these pages are small, ours, and never shown side by side with each other's load. The
// movie control keeps a process of its own, so a movie that brings its process down takes no
// page with it.
//
// wx makes its WebKit views itself, and WebKit takes the process to share only while a view is
// being made (its construct-only "related-view" property); so, for the life of this object on
// the UI thread, a web view made is made related to a page view made before.
class CSharedPageProcess {
public:
    CSharedPageProcess();
    ~CSharedPageProcess();
    CSharedPageProcess(const CSharedPageProcess&) = delete;
    CSharedPageProcess& operator=(const CSharedPageProcess&) = delete;

    // Records a page view just made, for the ones made after it.
    void Made(wxWebView* view);

private:
    CViewConstructProperty m_related;
};
