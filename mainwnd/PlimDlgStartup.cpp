// The main window's time- and outside-driven behaviour: the deferred start-up one second
// after the first showing, the maker's updater, and the copy-data message by which the
// updater ends the program.
#include <memory>

#include <wx/app.h>

#include "app/SettingsFiles.h"
#include "mainwnd/PlimDlg.h"
#include "player/DlgPlayer.h"
#include "mainwnd/TestScript.h"
#include "parent/ParentGate.h"
#include "platform/HostConfig.h"
#include "platform/ProgramLauncher.h"
#include "platform/x11/CopyDataReceiver.h"
#include "platform/x11/CopyDataText.h"

std::string CPlimDlg::UpdaterCommandLine(const std::string& exeName, bool onRequest) {
    // Unquoted, as the updater has always been started: a name with a blank reaches it as
    // two arguments.
    std::string line = "Tarnup.exe " + exeName;
    if (onRequest) line += " -n";
    return line;
}

bool CPlimDlg::LaunchUpdater(bool onRequest) {
    try {
        const std::string exeName =
            wxTheApp != nullptr ? std::string(wxTheApp->GetAppName().utf8_str()) : std::string();
        // The updater is found by the program search; a missing one is no concern of ours.
        return zorbel::LaunchCommandLine(UpdaterCommandLine(exeName, onRequest));
    } catch (...) {
        return false;
    }
}

void CPlimDlg::OnDeferredStartupTimer() {
    // Fires once.
    m_timerDeferredStartup.Stop();
    LaunchUpdater(false);
    DeferredStartup();
}

void CPlimDlg::DeferredStartup() {
    if (m_bDeferredStartupDone) return;
    m_bDeferredStartupDone = true;

    // A user command during the first second that made a panel has chosen what the window
    // shows: that panel is kept as it is (not made twice, not hidden), and the advertisement,
    // which would cover it, waits until something asks for it.
    const bool playerMade = m_pPlayerPanel != nullptr;
    const bool movieMade = m_pMoviePanel != nullptr;
    const bool viewChosen = playerMade || movieMade || m_pAdPanel != nullptr;
    if (!viewChosen) {
        CreateAdPanel();
        ShowAdPage(std::string(m_strShowAdUrl));
    }
    CreatePlayerPanel();
    if (!playerMade) HidePlayerPanel();
    if (m_pPlayerPanel != nullptr) m_pPlayerPanel->WarmUp();
    CreateMoviePanel();
    if (!movieMade) HideMoviePanel();
    LayoutChildren();

    // The catalog tree (hidden in the home view) holds the songs, the quick list the
    // recommended titles, as the selected tab says.
    LoadCatalogType("1");
    LoadQuickList("1");

    // The hidden community browser loads the shop page; the program never reads it.
    const zorbel::HostConfig hosts = zorbel::files::LoadHosts();
    m_browser.Navigate(hosts.webServer + kShopTeaserPage);
    m_browser.SetSilent(true);

    // Idle unless an end-to-end test asks for it.
    CTestScript::StartFromEnvironment(this);
}

void CPlimDlg::OnOnlineUpdate(wxCommandEvent& /*event*/) {
    // The updater may end the program: the same question as quitting.
    if (!zorbel::parent::ParentGate::Allow(this, "在线升级")) return;
    LaunchUpdater(true);
}

void CPlimDlg::StartCopyDataReceiver() {
    if (m_copyDataReceiver) return;
    m_copyDataReceiver = std::make_unique<zorbel::x11::CCopyDataReceiver>(
        this, [this](unsigned long dwData, const std::vector<uint8_t>& bytes) {
            OnCopyData(dwData, bytes);
        });
}

void CPlimDlg::OnCopyData(unsigned long /*dwData*/, const std::vector<uint8_t>& bytes) {
    // The sender waits while this runs; ending the program asks nothing, so no dialog (and
    // no event loop of its own) keeps it waiting.
    if (zorbel::IsUpdaterQuitMessage(zorbel::CopyDataText(bytes, bytes.size()))) ExitApplication();
}
