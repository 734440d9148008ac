#pragma once

#include <string>

class CPlimDlg;

namespace zorbel::test {

// The main window as the program shows it once started, for the window benchmarks: the three
// skin folders under skinsFolder loaded, the title band tiled with the texture the synthetic
// and the shipped catalogs name, no download running, and the deferred start-up and the ad
// rotation stopped (each would run in the middle of a timing). The caller runs the deferred
// start-up itself when it wants it.
CPlimDlg* ShowStartedMainWindow(const std::string& skinsFolder);

// The main window shown with its player, advertisement and movie panels made and laid out,
// no download running, and the deferred start-up (which would load the trees behind a test's
// back) and the ad rotation stopped.
CPlimDlg* ShowMainWindowWithPanels();

}  // namespace zorbel::test
