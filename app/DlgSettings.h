#pragma once

#include <functional>
#include <string>

#include <wx/dialog.h>

class wxCheckBox;
class wxTextCtrl;

// The settings dialog (template 178): the cache folder for downloaded titles, stored in the
// settings file on OK (an installed program's in the user's own file, see SettingsFiles.h),
// and starting the program with the desktop session, which takes effect at once on each click
// of the check box. Run it with ShowModal; wxID_OK means the settings file was written, and
// the caller then takes the new folder over with zorbel::ReReadCacheFolderAfterSettings.
class CDlgSettings : public wxDialog {
public:
    enum ControlId {
        kIdBrowse = 1036,
        kIdCacheFolder = 1037,
        kIdAutoStart = 1039,
        kIdParentSettings = 1041,  // not in the template: parent mode's own page
    };

    static constexpr int kTemplateId = 178;
    // The autostart entry's name.
    static constexpr const char* kAutoStartName = "儿童游戏";
    static constexpr const char* kBrowseTitle = "请选择保存视频的文件夹";
    static constexpr const char* kAutoStartFailedText = "系统参数错误，不能随系统启动！";

    explicit CDlgSettings(wxWindow* parent = nullptr);
    ~CDlgSettings() override;

    // The folder chooser: returns the chosen folder, or the empty text when the user cancels.
    // A hook replaces the real folder dialog (tests); an empty function removes it.
    using FolderChooser = std::function<std::string(wxWindow* owner, const std::string& title)>;
    static void SetFolderChooserHook(FolderChooser hook);

    wxTextCtrl* CacheFolderEdit() const;
    wxCheckBox* AutoStartCheck() const;

private:
    void OnInitDialog(wxInitDialogEvent& event);
    void OnBrowseFolder(wxCommandEvent& event);
    void OnAutoStart(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnParentSettings(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};

namespace zorbel {

namespace files {
struct SettingsFiles;
}

// "CODE:1001，程序被损坏，请联系" + the vendor's web site name + "解决！": the report of an
// empty cache folder setting.
std::string MissingCacheFolderText(const files::SettingsFiles& settings);
constexpr const char* kDataMessageCaption = "佐贝乐.儿童游戏";

// After the settings dialog ended with OK: reads the cache folder from the settings files
// again and returns it, resolved; when the app folder's own setting is missing, first reports
// that with the CODE:1001 text (no icon) owned by owner. The per-user default folder, when it
// is the one taken, is made; a folder the settings name is not created here.
std::string ReReadCacheFolderAfterSettings(wxWindow* owner);

}  // namespace zorbel
