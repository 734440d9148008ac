#include "app/StartupSequence.h"

#include <filesystem>
#include <system_error>

#include <wx/app.h>
#include <wx/dialog.h>

#include "app/CatalogFiles.h"
#include "app/CatalogSql.h"
#include "app/DbVelaLite.h"
#include "app/SqlStatement.h"
#include "mainwnd/PlimDlg.h"
#include "app/SettingsFiles.h"
#include "platform/MainWindowRun.h"
#include "platform/MessageBox.h"
#include "platform/SkinEngine.h"
#include "platform/VelaPfcSystem.h"
#include "platform/x11/SingleInstance.h"

CVelaPfcSystem* PfcSystem = nullptr;
std::string SkinTexture;

namespace {

const char* const kSkinFolders[] = {"Themes/Zorbel", "Themes/ZorbelPlim", "Themes/changeskin"};

}  // namespace

CStartupSequence::CStartupSequence(std::string exeName)
    : m_strExeName(std::move(exeName)),
      m_instanceFinder([](const std::string& name) {
          return zorbel::x11::CSingleInstance::AnotherInstanceRuns(name);
      }),
      m_dialogFactory([] { return std::unique_ptr<wxDialog>(new CPlimDlg(nullptr)); }) {}

CStartupSequence::~CStartupSequence() = default;

void CStartupSequence::SetInstanceFinder(InstanceFinder finder) {
    m_instanceFinder = std::move(finder);
}

void CStartupSequence::SetDialogFactory(DialogFactory factory) {
    m_dialogFactory = std::move(factory);
}

std::string CStartupSequence::ExecutableName() {
    std::error_code error;
    std::string exe = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error) return std::string();
    // An executable replaced on disk (an update) while it runs keeps its name with this tail.
    const std::string deleted = " (deleted)";
    if (exe.size() > deleted.size() &&
        exe.compare(exe.size() - deleted.size(), deleted.size(), deleted) == 0)
        exe.resize(exe.size() - deleted.size());
    return std::filesystem::path(exe).stem().string();
}

CStartupSequence::Outcome CStartupSequence::Run() {
    // Nothing else happens when another instance runs: no skin, no catalog.
    if (m_instanceFinder && m_instanceFinder(m_strExeName)) return Outcome::kOtherInstance;

    // No control container to enable: web views need no set-up before a window hosts them.

    for (const char* folder : kSkinFolders)
        SkinDLL_LoadSkinResourceFromFolder(folder, kSkinPassword);
    SkinDLL_Menu_EnableSkin(1);
    SkinDLL_EnableHookSkin(1);

    CurrentUserId.clear();

    std::unique_ptr<wxDialog> mainDialog = m_dialogFactory();
    wxTheApp->SetTopWindow(mainDialog.get());

    if (PfcSystem == nullptr) PfcSystem = new CVelaPfcSystem();

    int hue = 0;
    int saturation = 0;
    int brightness = 0;
    if (!ReadSavedAppearance(&hue, &saturation, &brightness)) {
        ReportDataFailure();
        // The main window was never shown; it goes without ever appearing.
        wxTheApp->SetTopWindow(nullptr);
        mainDialog.reset();
        return Outcome::kDataFailure;
    }

    SkinDLL_SetHSB(hue, saturation, brightness);
    // No COM to initialise: the web views need no per-thread set-up.
    CMainWindowRun::Run(mainDialog.get());
    wxTheApp->SetTopWindow(nullptr);
    mainDialog.reset();
    return Outcome::kRan;
}

bool CStartupSequence::ReadSavedAppearance(int* hue, int* saturation, int* brightness) {
    const std::string dbPath = zorbel::files::CatalogPath(PfcSystem->GetDbPath(CurrentUserId));
    std::error_code error;
    if (!std::filesystem::exists(dbPath, error)) return false;

    auto* db = new CDbVelaLite();
    // Another program writing the catalog (a backup, an update) is waited for a while, with no
    // window to freeze yet; a lock that outlasts the wait is still no damage, and the program
    // starts with the default appearance.
    db->SetBusyTimeout(kLockWaitMs);
    if (!db->Open(dbPath.c_str(), zorbel::files::kCatalogKey)) {
        delete db;
        return false;
    }

    SkinTexture.clear();
    *hue = *saturation = *brightness = 0;
    if (db->MetLock()) {
        delete db;
        return true;
    }
    // The last matching row wins; a statement that fails yields no rows and the zeros stand.
    CSqlStatement* statement = db->Prepare(zorbel::sql::SqlSkinRowsFor(CurrentUserId));
    while (statement != nullptr && statement->NextRow()) {
        *hue = statement->ColumnInt(zorbel::sql::kSkinHue);
        *saturation = statement->ColumnInt(zorbel::sql::kSkinSaturation);
        *brightness = statement->ColumnInt(zorbel::sql::kSkinBrightness);
        SkinTexture = statement->ColumnText(zorbel::sql::kSkinTexture);
    }
    delete statement;
    const bool damaged = db->MetDamage();
    delete db;
    if (damaged) {
        SkinTexture.clear();
        *hue = *saturation = *brightness = 0;
    }
    return !damaged;
}

void CStartupSequence::ReportDataFailure() {
    const std::string siteName = zorbel::files::LoadHosts().vendorSiteName;
    zorbel::AppMessageBox(nullptr, "CODE:1002，程序数据被损坏，请联系" + siteName + "解决！",
                          kDataFailureCaption, zorbel::kMbIconError | zorbel::kMbOk);
}
