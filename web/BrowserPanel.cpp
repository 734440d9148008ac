#include "web/BrowserPanel.h"

#include <wx/app.h>
#include <wx/panel.h>

#include "platform/templates/TemplateBuilder.h"
#include "web/WebBrowser2.h"

bool CreateBrowserPanel(wxPanel* panel, wxWindow* parent, int templateId, int browserId,
                        CWebBrowser2& browser) {
    if (!parent && wxTheApp) parent = wxTheApp->GetTopWindow();
    const zorbel::templates::DialogTemplate* tmpl =
        zorbel::templates::FindDialogTemplate(templateId);
    if (!parent || !tmpl || panel->GetHandle()) return false;
    // A child template without the visible style starts hidden.
    panel->wxPanel::Show(false);
    if (!panel->Create(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxTAB_TRAVERSAL | wxBORDER_NONE))
        return false;
    zorbel::templates::CreateDialogControls(
        panel, *tmpl,
        [&](wxWindow* container, const zorbel::templates::DialogControl& control, wxWindowID id,
            const wxRect& rect) -> wxWindow* {
            if (control.id != browserId || !browser.Create(container, id, rect)) return nullptr;
            return browser.GetView();
        });
    return true;
}
