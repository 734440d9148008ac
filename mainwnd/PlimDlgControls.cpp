// The main window's controls: made from template 103, bound to their members, skinned and
// placed.
#include <algorithm>

#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/treectrl.h>
#include <wx/webview.h>

#include "mainwnd/PlimDlg.h"
#include "mainwnd/PlimIds.h"
#include "platform/MemoryTrim.h"
#include "platform/SkinEngine.h"
#include "platform/skin/CSkinButton.h"
#include "platform/templates/DialogTemplate.h"
#include "platform/templates/TemplateBuilder.h"

using namespace zorbel::plim;
using zorbel::templates::ControlKind;
using zorbel::templates::DialogControl;

namespace {

// Skinned windows for the buttons and the link line (toolkit buttons cannot be painted
// over), the web view for the browser; everything else as the template says.
class ControlFactory {
public:
    explicit ControlFactory(CWebBrowser2& browser) : m_browser(browser) {}

    wxWindow* operator()(wxWindow* parent, const DialogControl& control, wxWindowID id,
                         const wxRect& rect) {
        const wxString text = wxString::FromUTF8(control.text);
        switch (control.kind) {
            case ControlKind::AutoRadioButton:
                if (control.Has(zorbel::templates::kGroup)) ++m_group;
                return new CSkinButton(parent, id, text, rect.GetPosition(), rect.GetSize(),
                                       CSkinButton::Kind::Radio, m_group);
            case ControlKind::PushButton:
                return new CSkinButton(parent, id, text, rect.GetPosition(), rect.GetSize(),
                                       CSkinButton::Kind::Push);
            case ControlKind::Static:
                if (control.id != kIdAdLink) return nullptr;
                return new CSkinButton(parent, id, text, rect.GetPosition(), rect.GetSize(),
                                       CSkinButton::Kind::Label);
            case ControlKind::WebControl:
                // Without a web view the template's placeholder stands in.
                if (control.id == kIdBrowser && m_browser.Create(parent, id, rect))
                    return m_browser.GetView();
                return nullptr;
            default:
                return nullptr;
        }
    }

private:
    CWebBrowser2& m_browser;
    int m_group = 0;
};

void Check(wxWindow* window) {
    if (auto* button = dynamic_cast<CSkinButton*>(window))
        button->SetValue(true);
    else if (auto* radio = dynamic_cast<wxRadioButton*>(window))
        radio->SetValue(true);
}

// The skin's footer strip along the bottom edge, and how much of it the own maximise hides.
constexpr int kFooterHeight = 24;
constexpr int kFooterHiddenEdge = 2;

// Moves a window with repaint; sizes below zero become zero (the toolkit would read -1 as
// "keep the current size").
void Place(wxWindow* window, int x, int y, int width, int height) {
    if (window == nullptr) return;
    window->SetSize(x, y, std::max(width, 0), std::max(height, 0), wxSIZE_ALLOW_MINUS_ONE);
    window->Refresh();
}

}  // namespace

wxWindow* CPlimDlg::GetDlgItem(int id) const {
    for (wxWindow* child : GetChildren())
        if (child->GetId() == id) return child;
    return nullptr;
}

std::vector<wxWindow*> CPlimDlg::ContentPanels() const {
    const zorbel::templates::DialogTemplate* tmpl =
        zorbel::templates::FindDialogTemplate(kTemplateId);
    std::vector<wxWindow*> panels;
    for (wxWindow* child : GetChildren()) {
        if (child->IsTopLevel() || !wxDynamicCast(child, wxPanel)) continue;
        // The browser's stand-in (when there is no web view) is a panel of the template.
        if (tmpl != nullptr && tmpl->FindControl(child->GetId()) != nullptr) continue;
        panels.push_back(child);
    }
    return panels;
}

void CPlimDlg::CreateControls() {
    const zorbel::templates::DialogTemplate* tmpl =
        zorbel::templates::FindDialogTemplate(kTemplateId);
    if (tmpl == nullptr) return;
    ControlFactory factory(m_browser);
    zorbel::templates::CreateDialogControls(
        this, *tmpl,
        [&factory](wxWindow* parent, const DialogControl& control, wxWindowID id,
                   const wxRect& rect) { return factory(parent, control, id, rect); });
}

void CPlimDlg::DoDataExchange() {
    m_progress = dynamic_cast<wxGauge*>(GetDlgItem(kIdProgress));
    m_treeCatalog = dynamic_cast<wxTreeCtrl*>(GetDlgItem(kIdCatalogTree));
    m_treeQuick = dynamic_cast<wxTreeCtrl*>(GetDlgItem(kIdQuickTree));
    m_btnTab = dynamic_cast<CSkinButton*>(GetDlgItem(kIdTabRecommended));
    // m_browser holds control 1032's view since the control was made.
}

void CPlimDlg::SkinControls() {
    struct Skin {
        int id;  // 0: the dialog itself
        const char* element;
    };
    static const Skin kBeforeCaption[] = {
        {0, "mainframe11"},
        {kIdClose, "button.system.close"},
        {kIdMaximize, "button.system.max"},
        {kIdMinimize, "button.system.min"},
        {kIdMenu, "button.system.menu"},
        {kIdFeedback, "button.system.feed"},
        {kIdSkin, "item.btn.skin"},
        {kIdNavCaption, "item.plim.btn.NavText"},
        {kIdTabRecommended, "radio.tab"},
        {kIdTabFavourites, "radio.tab"},
        {kIdTabPlayed, "radio.tab"},
        {kIdCategoryHome, "tool.plim"},
        {kIdCategorySongs, "tool.eg"},
        {kIdCategoryStories, "tool.gs"},
        {kIdCategoryKnowledge, "tool.zs"},
        {kIdCategoryGames, "tool.yx"},
        {kIdCategoryCartoons, "tool.dh"},
        {kIdCategoryCommunity, "tool.mm"},
        {kIdAdLink, "item.text.link"},
    };
    for (const Skin& skin : kBeforeCaption) {
        wxWindow* window = skin.id == 0 ? this : GetDlgItem(skin.id);
        // The home button and the first tab start selected.
        if (skin.id == kIdTabRecommended || skin.id == kIdCategoryHome) Check(window);
        SkinDLL_SubclassWindow(window, skin.element);
    }
    SkinDLL_DirectUI_SetSubItemValue(this, "item.text", kCaptionText, 1);

    MainDialog = this;

    SkinDLL_SubclassWindow(m_treeQuick, "tree.videolist");
    SkinDLL_SubclassWindow(m_treeCatalog, "tree.videolist");
}

void CPlimDlg::LayoutChildren() {
    const wxSize client = GetClientSize();
    const int W = client.GetWidth();
    const int H = client.GetHeight();

    // The content panels share one place, right of the trees.
    for (wxWindow* panel : ContentPanels()) Place(panel, 207, 106, W - 209, H - 137);
    // The controls exist together once they have been bound.
    if (m_progress != nullptr) {
        Place(GetDlgItem(kIdTabRecommended), 2, 106, 68, 30);
        Place(GetDlgItem(kIdTabFavourites), 70, 106, 68, 30);
        Place(GetDlgItem(kIdTabPlayed), 138, 106, 69, 30);
        // The count and the link line share a centre line in the footer strip, within the part
        // that stays on screen when maximised. The count draws its text at its top and the link
        // line centres its own, so the count gets just its text's height.
        const int footerTop = H - kFooterHeight;
        const int footerCentre = H - (kFooterHeight + kFooterHiddenEdge) / 2;
        if (wxWindow* online = GetDlgItem(kIdOnlineLabel)) {
            const int height = online->GetBestSize().GetHeight();
            Place(online, 8, footerCentre - height / 2, 190, height);
        }
        Place(GetDlgItem(kIdAdLink), 207, footerTop, W - 350, 2 * (footerCentre - footerTop));
        Place(m_progress, W - 108, H - 20, 100, 10);
    }
    Place(m_treeQuick, 2, 135, 205, H - 166);
    Place(m_treeCatalog, 2, 135, 205, H - 166);
    Place(GetDlgItem(kIdBrowser), 2, 106, W - 4, H - 137);

    zorbel::TrimWorkingSet();
}
