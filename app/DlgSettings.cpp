#include "app/DlgSettings.h"

#include <filesystem>
#include <mutex>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dirdlg.h>
#include <wx/textctrl.h>

#include "app/CatalogFiles.h"
#include "app/SettingsFiles.h"
#include "app/SystemIcon.h"
#include "parent/DlgParentSettings.h"
#include "platform/Autostart.h"
#include "platform/HostConfig.h"
#include "platform/MessageBox.h"
#include "platform/templates/TemplateBuilder.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CDlgSettings, wxDialog)
    EVT_BUTTON      (CDlgSettings::kIdBrowse,    CDlgSettings::OnBrowseFolder)
    EVT_CHECKBOX    (CDlgSettings::kIdAutoStart, CDlgSettings::OnAutoStart)
    EVT_BUTTON      (wxID_OK,                    CDlgSettings::OnOK)
    EVT_BUTTON      (CDlgSettings::kIdParentSettings, CDlgSettings::OnParentSettings)
    // wx sends the dialog's initialisation as an event.
    EVT_INIT_DIALOG (                            CDlgSettings::OnInitDialog)
wxEND_EVENT_TABLE()
// clang-format on

namespace {
// The small icon of a dialog's title bar.
const wxSize kSmallIconSize(16, 16);

std::mutex g_chooserLock;
CDlgSettings::FolderChooser g_folderChooser;

std::string ChooseFolder(wxWindow* owner, const std::string& title) {
    CDlgSettings::FolderChooser hook;
    {
        std::lock_guard<std::mutex> lock(g_chooserLock);
        hook = g_folderChooser;
    }
    if (hook) return hook(owner, title);
    wxDirDialog dialog(owner, wxString::FromUTF8(title), wxString(),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return std::string();
    return std::string(dialog.GetPath().utf8_str());
}

// The caption the framework gives its plain message boxes: the executable's name.
std::string ExecutableName() {
    const std::string exe = zorbel::autostart::RunningExecutablePath();
    if (!exe.empty()) return std::filesystem::path(exe).filename().string();
    return std::string(wxTheApp ? wxTheApp->GetAppName().utf8_str() : "zorbel");
}

}  // namespace

CDlgSettings::CDlgSettings(wxWindow* parent) {
    zorbel::templates::CreateTemplateDialog(this, parent, kTemplateId);
    // Left of OK and Cancel, on their line.
    new wxButton(this, kIdParentSettings, wxString::FromUTF8("家长设置..."),
                 ConvertDialogToPixels(wxPoint(23, 76)), ConvertDialogToPixels(wxSize(60, 14)));
}

CDlgSettings::~CDlgSettings() = default;

void CDlgSettings::SetFolderChooserHook(FolderChooser hook) {
    std::lock_guard<std::mutex> lock(g_chooserLock);
    g_folderChooser = std::move(hook);
}

wxTextCtrl* CDlgSettings::CacheFolderEdit() const {
    return dynamic_cast<wxTextCtrl*>(FindWindow(kIdCacheFolder));
}

wxCheckBox* CDlgSettings::AutoStartCheck() const {
    return dynamic_cast<wxCheckBox*>(FindWindow(kIdAutoStart));
}

void CDlgSettings::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();

    wxBitmapBundle icon = CSystemIcon::LoadAppIcon();
    if (icon.IsOk()) SetIcon(icon.GetIcon(kSmallIconSize));

    // An installed program shows the folder in effect, the user's default one when no
    // settings file names one; only the app folder's own file must name it.
    const zorbel::files::SettingsFiles settings = zorbel::files::LocateSettings();
    bool missing = false;
    const std::string folder = zorbel::files::ShownCacheFolder(settings, &missing);
    if (missing)
        zorbel::AppMessageBox(this, zorbel::MissingCacheFolderText(settings),
                              zorbel::kDataMessageCaption, zorbel::kMbIconError);

    if (wxTextCtrl* edit = CacheFolderEdit()) edit->ChangeValue(wxString::FromUTF8(folder));
    // The box tells the truth about the entry, whoever made or removed it.
    if (wxCheckBox* check = AutoStartCheck())
        check->SetValue(zorbel::autostart::IsRegistered(kAutoStartName));
}

void CDlgSettings::OnBrowseFolder(wxCommandEvent& /*event*/) {
    const std::string folder = ChooseFolder(this, kBrowseTitle);
    if (wxTextCtrl* edit = CacheFolderEdit()) edit->SetValue(wxString::FromUTF8(folder));
}

void CDlgSettings::OnAutoStart(wxCommandEvent& /*event*/) {
    wxCheckBox* check = AutoStartCheck();
    if (!check) return;
    namespace autostart = zorbel::autostart;
    const autostart::Result result =
        check->GetValue() ? autostart::Register(kAutoStartName, autostart::RunningExecutablePath())
                          : autostart::Unregister(kAutoStartName);
    if (result != autostart::Result::kOk)
        zorbel::AppMessageBox(this, kAutoStartFailedText, ExecutableName(), zorbel::kMbOk);
    check->SetValue(autostart::IsRegistered(kAutoStartName));
}

void CDlgSettings::OnOK(wxCommandEvent& /*event*/) {
    const wxTextCtrl* edit = CacheFolderEdit();
    const std::string folder = edit ? std::string(edit->GetValue().utf8_str()) : std::string();
    zorbel::files::WriteCacheFolder(zorbel::files::LocateSettings(), folder);
    EndDialog(wxID_OK);
}

void CDlgSettings::OnParentSettings(wxCommandEvent& /*event*/) {
    CDlgParentSettings dialog(this);
    dialog.ShowModal();
}

namespace zorbel {

std::string MissingCacheFolderText(const files::SettingsFiles& settings) {
    return "CODE:1001，程序被损坏，请联系" + HostConfig::Load(settings.ReadOrder()).vendorSiteName +
           "解决！";
}

std::string ReReadCacheFolderAfterSettings(wxWindow* owner) {
    const files::SettingsFiles settings = files::LocateSettings();
    bool missing = false;
    bool ownDefault = false;
    const std::string folder = files::EffectiveCacheFolder(settings, &missing, &ownDefault);
    if (missing) AppMessageBox(owner, MissingCacheFolderText(settings), kDataMessageCaption, kMbOk);
    std::error_code error;
    if (ownDefault && !folder.empty()) std::filesystem::create_directories(folder, error);
    return folder;
}

}  // namespace zorbel
