// The main window's content panels: the player, the advertisement page and the movie page
// share one place right of the trees; these operations create, show and hide them.
#include "mainwnd/PlimDlg.h"

#include "listening/ListeningBar.h"
#include "player/DlgPlayer.h"
#include "web/DlgMovie.h"
#include "web/DlgShowAd.h"

namespace {

// The object first, kept in its member, then its window inside the main window. A panel
// whose window could not be made is of no use to anyone: it goes, and a later operation
// tries again.
template <typename Panel>
void CreatePanel(Panel*& member, wxWindow* mainWindow) {
    if (member != nullptr) return;
    member = new Panel();
    if (!member->Create(mainWindow)) {
        delete member;
        member = nullptr;
    }
}

}  // namespace

void CPlimDlg::CreatePlayerPanel() {
    const bool made = m_pPlayerPanel == nullptr;
    CreatePanel(m_pPlayerPanel, this);
    if (!made || m_pPlayerPanel == nullptr) return;
    CListeningBar* listening = m_pPlayerPanel->EnableListening();
    if (listening == nullptr) return;
    CListeningBar::ListHooks hooks;
    hooks.nextTitle = [this] { return NextListeningTitle(); };
    hooks.playTitle = [this](const std::string& title) { PlayListeningTitle(title); };
    listening->SetListHooks(std::move(hooks));
}

void CPlimDlg::CreateAdPanel() {
    CreatePanel(m_pAdPanel, this);
    // A page that finishes loading shows the advertisement panel even when the player or the
    // movie page has taken the place meanwhile; they stay on top of it, for the eye and for
    // the pointer.
    if (m_pAdPanel != nullptr)
        m_pAdPanel->SetShownByLoadHandler([this] {
            if (m_pMoviePanel != nullptr && m_pMoviePanel->IsShown()) m_pMoviePanel->Raise();
            if (m_pPlayerPanel != nullptr && m_pPlayerPanel->IsShown()) m_pPlayerPanel->Raise();
        });
}

void CPlimDlg::CreateMoviePanel() {
    CreatePanel(m_pMoviePanel, this);
}

bool CPlimDlg::ShowAdPage(const std::string& address) {
    if (m_pAdPanel == nullptr) CreateAdPanel();
    if (m_pAdPanel != nullptr) m_pAdPanel->Show(address);
    return true;
}

bool CPlimDlg::ShowMoviePage(const std::string& address) {
    if (m_pMoviePanel == nullptr) CreateMoviePanel();
    if (m_pMoviePanel != nullptr) m_pMoviePanel->Open(address);
    return true;
}

bool CPlimDlg::PlayInPanel(const std::string& path) {
    if (m_pPlayerPanel == nullptr) CreatePlayerPanel();
    if (m_pPlayerPanel != nullptr) {
        // The kind of the title: songs, stories and clips count against the play allowance
        // while they play and may play straight through; games count while touched.
        if (!path.empty())
            m_pPlayerPanel->SetNextKind(KindOfTitle(CDlgPlayer::TitleFromPath(path)));
        m_pPlayerPanel->PlayMovie(path);
        // The panels share one place: the player goes on top of the other two.
        m_pPlayerPanel->Raise();
    }
    return true;
}

bool CPlimDlg::HidePlayerPanel() {
    if (m_pPlayerPanel == nullptr) return false;
    const bool wasShown = m_pPlayerPanel->IsShown();
    m_pPlayerPanel->Pause();
    m_pPlayerPanel->Hide();
    return wasShown;
}

bool CPlimDlg::HideAdPanel() {
    if (m_pAdPanel == nullptr) return false;
    const bool wasShown = m_pAdPanel->IsShown();
    m_pAdPanel->Hide();
    return wasShown;
}

bool CPlimDlg::HideMoviePanel() {
    if (m_pMoviePanel == nullptr) return false;
    // Opening the empty address shows the panel for a moment; what counts is how it was
    // before.
    const bool wasShown = m_pMoviePanel->IsShown();
    m_pMoviePanel->Open(std::string());
    m_pMoviePanel->Hide();
    return wasShown;
}
