#pragma once

#include <string>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "app/CatalogWriteQueue.h"
#include "ui/SkinSettings.h"

class CSkinSlider;
class wxActivateEvent;
class wxFocusEvent;
class wxScrollEvent;

// The skin adjustment panel (template 105, skin element "changeskin") that drops down under
// the main window's skin button: hue, saturation and brightness of every skinned window, the
// main window's transparency, eight preset colours and nine textures. Each change is applied
// at once and stored at once in T_Sys_Skins, except transparency, which is never stored.
//
// The main window makes it once and keeps it:
//
//   SkinDLL_EnableHookSkin(0);
//   if (m_pSkinDlg == nullptr) {
//       m_pSkinDlg = new CDlgSkin(this, r.GetLeft(), r.GetTop(), r.GetRight(), r.GetBottom());
//       m_pSkinDlg->Create(CDlgSkin::kTemplateId, this);
//   }
//   m_pSkinDlg->DropDown(buttonScreenRect);
//   SkinDLL_EnableHookSkin(1);
//
// It hides itself when it is deactivated or the focus leaves it. The panel starts from the
// stored appearance (the values start-up applied), so moving one slider keeps the others and
// the stored texture.
class CDlgSkin : public wxDialog {
public:
    enum ControlId {
        kIdHue = 1025,
        kIdSaturation = 1029,
        kIdBrightness = 1030,
        kIdTransparency = 1031,
    };
    static constexpr int kTemplateId = 105;
    static constexpr int kSaveTimerId = 1;
    // How often an appearance that met another program's lock is tried again.
    static constexpr int kSaveRetryInterval = 1000;
    static constexpr int kPanelWidth = 138;
    static constexpr int kPanelHeight = 197;
    static constexpr const char* kDataFailureCaption = "佐贝乐.儿童游戏";

    // mainWindow: the window whose transparency the panel sets and whose "item.texture" it
    // changes. The button rectangle (screen coordinates) is kept but not needed.
    CDlgSkin(wxWindow* mainWindow, int left, int top, int right, int bottom);
    ~CDlgSkin() override;

    // Creates the hidden panel from the template, as a child of parent (the main window).
    bool Create(int templateId, wxWindow* parent);

    // Where the panel goes under a button (screen coordinates): its right edge at the
    // button's right, its top at the button's bottom, 138 × 197 pixels.
    static wxRect DropDownRect(const wxRect& buttonScreenRect);
    // Places the panel there, shows it on top and gives it the focus.
    void DropDown(const wxRect& buttonScreenRect);

    // Stores the appearance with the texture chosen in this panel. Shows the data failure box
    // when the catalog is missing, does not open or is damaged; while another program holds
    // the catalog the appearance is kept and tried again (a newer one takes its place).
    // Returns what happened.
    zorbel::WriteOutcome SaveSkinSettings(int hue, int saturation, int brightness,
                                          const std::string& theme);

    CSkinSlider* Slider(int id) const;
    const std::string& Texture() const { return m_strTexture; }

private:
    bool OnInitDialog();
    void OnActivate(wxActivateEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnHScroll(wxScrollEvent& event);
    void OnSkinItemEvent(wxCommandEvent& event);
    // Selects one of the three radio buttons: marks, panes and whether the sliders show.
    void SelectPage(const std::string& page);
    void ShowSliders(bool show);
    void SetColourSliders(int hue, int saturation, int brightness);
    void OnSaveTimer(wxTimerEvent& event);
    // The data failure box when a save (now or tried again) says so; starts or stops the save
    // timer as an appearance waits or not.
    void ReportSave(zorbel::WriteOutcome outcome);

    wxWindow* m_pMainWindow;
    int m_nButtonLeft;
    int m_nButtonTop;
    int m_nButtonRight;
    int m_nButtonBottom;
    std::string m_strTexture;
    CCatalogWriteQueue m_pendingSave;
    wxTimer m_timerSave;
    bool m_bRetryingSave = false;

    wxDECLARE_EVENT_TABLE();
};
