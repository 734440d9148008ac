#include "ui/DlgSkin.h"

#include <wx/app.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "app/StartupSequence.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/skin/CSkinSlider.h"
#include "platform/templates/TemplateBuilder.h"
#include "platform/x11/WindowOpacity.h"

namespace ss = zorbel::skinsettings;

// The slider's scroll-changed event ends every drag, click and key move: the end of tracking.
// clang-format off
wxBEGIN_EVENT_TABLE(CDlgSkin, wxDialog)
    EVT_ACTIVATE               (                           CDlgSkin::OnActivate)
    EVT_SET_FOCUS              (                           CDlgSkin::OnSetFocus)
    EVT_KILL_FOCUS             (                           CDlgSkin::OnKillFocus)
    EVT_COMMAND_SCROLL_CHANGED (CDlgSkin::kIdHue,          CDlgSkin::OnHScroll)
    EVT_COMMAND_SCROLL_CHANGED (CDlgSkin::kIdSaturation,   CDlgSkin::OnHScroll)
    EVT_COMMAND_SCROLL_CHANGED (CDlgSkin::kIdBrightness,   CDlgSkin::OnHScroll)
    EVT_COMMAND_SCROLL_CHANGED (CDlgSkin::kIdTransparency, CDlgSkin::OnHScroll)
    EVT_SKIN_ITEM              (                           CDlgSkin::OnSkinItemEvent)
    EVT_TIMER                  (CDlgSkin::kSaveTimerId,    CDlgSkin::OnSaveTimer)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
struct SliderRole {
    int id;
    int minValue;
    int maxValue;
    const char* element;
};

constexpr SliderRole kSliders[] = {
    {CDlgSkin::kIdHue, ss::kHueMin, ss::kHueMax, "slider.hue"},
    {CDlgSkin::kIdSaturation, ss::kSaturationMin, ss::kSaturationMax, "slider.sat"},
    {CDlgSkin::kIdBrightness, ss::kBrightnessMin, ss::kBrightnessMax, "slider.bri"},
    {CDlgSkin::kIdTransparency, ss::kTransparencyMin, ss::kTransparencyMax, "slider.tran"},
};

const char* const kPages[] = {"color", "texture", "theme"};

}  // namespace

CDlgSkin::CDlgSkin(wxWindow* mainWindow, int left, int top, int right, int bottom)
    : m_pMainWindow(mainWindow),
      m_nButtonLeft(left),
      m_nButtonTop(top),
      m_nButtonRight(right),
      m_nButtonBottom(bottom),
      m_timerSave(this, kSaveTimerId) {}

CDlgSkin::~CDlgSkin() {
    m_timerSave.Stop();
    // A last try for an appearance still waiting for a lock: the program is ending.
    if (m_pendingSave.HasPending()) m_pendingSave.Retry();
}

bool CDlgSkin::Create(int templateId, wxWindow* parent) {
    // The toolkit's slider cannot be painted over; the engine's own one takes its place.
    auto factory = [](wxWindow* container, const zorbel::templates::DialogControl& control,
                      wxWindowID id, const wxRect& rect) -> wxWindow* {
        if (control.kind != zorbel::templates::ControlKind::Trackbar) return nullptr;
        return new CSkinSlider(container, id, 0, 0, 100, rect.GetPosition(), rect.GetSize());
    };
    if (!zorbel::templates::CreateTemplateDialog(this, parent, templateId, factory)) return false;
    return OnInitDialog();
}

bool CDlgSkin::OnInitDialog() {
    Hide();
    for (const SliderRole& role : kSliders) {
        if (CSkinSlider* slider = Slider(role.id)) slider->SetRange(role.minValue, role.maxValue);
    }
    SkinDLL_SubclassWindow(this, "changeskin");
    for (const SliderRole& role : kSliders) SkinDLL_SubclassWindow(Slider(role.id), role.element);

    // The panel starts where start-up left the appearance: otherwise the first slider move
    // would store zeros for the other two colours and clear the stored texture. The catalog
    // was checked at start-up; should it be gone now, the next save says so.
    // When the catalog cannot be read just now (another program's lock), what is on the
    // screen is the newest appearance there is.
    ss::StoredAppearance stored =
        ss::ReadStoredAppearance(zorbel::files::CatalogPath(), CurrentUserId);
    if (!stored.found) {
        const zorbel::skin::Hsb shown = zorbel::skin::CurrentHsb();
        stored.appearance = {shown.hue, shown.saturation, shown.brightness, SkinTexture};
    }
    SetColourSliders(stored.appearance.hue, stored.appearance.saturation,
                     stored.appearance.brightness);
    m_strTexture = stored.appearance.texture;
    // Transparency is never stored: the main window always starts opaque.
    if (CSkinSlider* slider = Slider(kIdTransparency)) slider->SetValue(ss::kTransparencyMin);
    return true;
}

wxRect CDlgSkin::DropDownRect(const wxRect& buttonScreenRect) {
    return wxRect(buttonScreenRect.GetRight() + 1 - kPanelWidth, buttonScreenRect.GetBottom() + 1,
                  kPanelWidth, kPanelHeight);
}

void CDlgSkin::DropDown(const wxRect& buttonScreenRect) {
    SetSize(DropDownRect(buttonScreenRect));
    Show();
    Raise();
    SetFocus();
}

CSkinSlider* CDlgSkin::Slider(int id) const {
    return dynamic_cast<CSkinSlider*>(FindWindow(id));
}

void CDlgSkin::OnActivate(wxActivateEvent& event) {
    event.Skip();
    if (!event.GetActive()) Hide();
}

void CDlgSkin::OnSetFocus(wxFocusEvent& event) {
    event.Skip();
    if (!IsShown()) ShowWithoutActivating();
}

void CDlgSkin::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    // Focus moving onto one of the panel's own sliders keeps the panel open.
    for (wxWindow* w = event.GetWindow(); w != nullptr; w = w->GetParent()) {
        if (w == this) return;
    }
    Hide();
}

void CDlgSkin::ShowSliders(bool show) {
    for (const SliderRole& role : kSliders) {
        if (CSkinSlider* slider = Slider(role.id)) slider->Show(show);
    }
}

void CDlgSkin::SetColourSliders(int hue, int saturation, int brightness) {
    if (CSkinSlider* slider = Slider(kIdHue)) slider->SetValue(hue);
    if (CSkinSlider* slider = Slider(kIdSaturation)) slider->SetValue(saturation);
    if (CSkinSlider* slider = Slider(kIdBrightness)) slider->SetValue(brightness);
}

void CDlgSkin::SelectPage(const std::string& page) {
    ShowSliders(page == "color");
    for (const char* name : kPages) {
        const std::string radio = std::string("radiobtn.") + name;
        const std::string pane = std::string("drawitem.") + name;
        const int on = page == name ? 1 : 0;
        SkinDLL_DirectUI_SetEventItemSubItemVisible(this, radio.c_str(), "item.uncheck", 1 - on,
                                                    1 - on);
        SkinDLL_DirectUI_SetEventItemSubItemVisible(this, radio.c_str(), "item.check", on, on);
        SkinDLL_DirectUI_SetSubItemVisible(this, pane.c_str(), on, 1 - on);
    }
}

void CDlgSkin::OnSkinItemEvent(wxCommandEvent& event) {
    const std::string name = event.GetString().utf8_string();
    if (name == "radiobtn.color") {
        SelectPage("color");
        return;
    }
    if (name == "radiobtn.texture") {
        SelectPage("texture");
        return;
    }
    if (name == "radiobtn.theme") {
        SelectPage("theme");
        return;
    }

    const ss::SkinItem item = ss::LookUpItem(name);
    if (item.kind != ss::ItemKind::kColour && item.kind != ss::ItemKind::kTexture) return;
    SetColourSliders(item.hue, item.saturation, item.brightness);
    SkinDLL_SetHSB(item.hue, item.saturation, item.brightness);
    if (item.kind == ss::ItemKind::kTexture) m_strTexture = item.texture;
    SaveSkinSettings(item.hue, item.saturation, item.brightness, std::string());
    if (item.kind == ss::ItemKind::kTexture && m_pMainWindow != nullptr)
        SkinDLL_DirectUI_SetSubItemValue(m_pMainWindow, "item.texture", m_strTexture.c_str(), 1);
}

void CDlgSkin::OnHScroll(wxScrollEvent& event) {
    event.Skip();
    CSkinSlider* hue = Slider(kIdHue);
    CSkinSlider* saturation = Slider(kIdSaturation);
    CSkinSlider* brightness = Slider(kIdBrightness);
    CSkinSlider* transparency = Slider(kIdTransparency);
    if (hue == nullptr || saturation == nullptr || brightness == nullptr || transparency == nullptr)
        return;

    SkinDLL_SetHSB(hue->GetValue(), saturation->GetValue(), brightness->GetValue());
    SaveSkinSettings(hue->GetValue(), saturation->GetValue(), brightness->GetValue(),
                     std::string());
    // Without a compositor the property changes nothing and the window stays opaque.
    if (m_pMainWindow != nullptr)
        zorbel::x11::CWindowOpacity::Set(m_pMainWindow,
                                         ss::AlphaForTransparency(transparency->GetValue()));
}

zorbel::WriteOutcome CDlgSkin::SaveSkinSettings(int hue, int saturation, int brightness,
                                                const std::string& theme) {
    ss::Appearance values;
    values.hue = hue;
    values.saturation = saturation;
    values.brightness = brightness;
    values.texture = m_strTexture;
    // Only the newest appearance matters: one still waiting for a lock is dropped.
    m_pendingSave.Clear();
    const zorbel::WriteOutcome outcome = m_pendingSave.Submit([values, theme] {
        switch (ss::SaveSkinSettings(zorbel::files::CatalogPath(), values, theme, CurrentUserId)) {
            case ss::SaveOutcome::kUpdated:
            case ss::SaveOutcome::kInserted:
                return zorbel::WriteOutcome::kWritten;
            case ss::SaveOutcome::kNotWritten:
                return zorbel::WriteOutcome::kNotWritten;
            case ss::SaveOutcome::kLocked:
                return zorbel::WriteOutcome::kLocked;
            case ss::SaveOutcome::kNoCatalog:
            case ss::SaveOutcome::kDamaged:
                break;
        }
        return zorbel::WriteOutcome::kDataFailure;
    });
    ReportSave(outcome);
    return outcome;
}

void CDlgSkin::ReportSave(zorbel::WriteOutcome outcome) {
    if (m_pendingSave.HasPending()) {
        if (!m_timerSave.IsRunning()) m_timerSave.Start(kSaveRetryInterval);
    } else {
        m_timerSave.Stop();
    }
    if (outcome == zorbel::WriteOutcome::kDataFailure) {
        const std::string siteName = zorbel::files::LoadHosts().vendorSiteName;
        zorbel::AppMessageBox(this, "CODE:1002，程序数据被损坏，请联系" + siteName + "解决！",
                              kDataFailureCaption, zorbel::kMbIconError | zorbel::kMbOk);
    }
}

void CDlgSkin::OnSaveTimer(wxTimerEvent& /*event*/) {
    // The timer goes on under a data failure box; the box is shown once.
    if (m_bRetryingSave) return;
    m_bRetryingSave = true;
    ReportSave(m_pendingSave.Retry());
    m_bRetryingSave = false;
}
