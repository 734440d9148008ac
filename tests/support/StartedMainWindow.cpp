#include "tests/support/StartedMainWindow.h"

#include <wx/timer.h>

#include "app/StartupSequence.h"
#include "catalog/DownloadState.h"
#include "mainwnd/PlimDlg.h"
#include "platform/SkinEngine.h"

namespace zorbel::test {

CPlimDlg* ShowStartedMainWindow(const std::string& skinsFolder) {
    for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"})
        SkinDLL_LoadSkinResourceFromFolder((skinsFolder + "/" + folder).c_str(),
                                           CStartupSequence::kSkinPassword);
    SkinTexture = "skin.texture11";
    DownloadBusy = 0;
    auto* dialog = new CPlimDlg;
    dialog->Show();
    const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
    const_cast<wxTimer&>(dialog->AdRotationTimer()).Stop();
    return dialog;
}

CPlimDlg* ShowMainWindowWithPanels() {
    DownloadBusy = 0;
    auto* dialog = new CPlimDlg;
    dialog->Show();
    const_cast<wxTimer&>(dialog->DeferredStartupTimer()).Stop();
    const_cast<wxTimer&>(dialog->AdRotationTimer()).Stop();
    dialog->CreatePlayerPanel();
    dialog->CreateAdPanel();
    dialog->CreateMoviePanel();
    dialog->LayoutChildren();
    return dialog;
}

}  // namespace zorbel::test
