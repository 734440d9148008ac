// zorbel-skin-gallery [--screenshot FILE] [--hsb H,S,B] [--skins FOLDER]
// Shows every skin element in its states; with --screenshot it saves the window and ends.
#include <wx/app.h>
#include <wx/cmdline.h>
#include <wx/filefn.h>

#include <cstdio>

#include "platform/SkinEngine.h"
#include "tools/skin_gallery/GalleryFrame.h"

namespace {

class GalleryApp : public wxApp {
public:
    void OnInitCmdLine(wxCmdLineParser& parser) override {
        parser.AddOption("", "screenshot", "save the window as PNG and quit");
        parser.AddOption("", "hsb", "colour shift h,s,b");
        parser.AddOption("", "skins", "folder holding Zorbel, ZorbelPlim and changeskin");
    }
    bool OnCmdLineParsed(wxCmdLineParser& parser) override {
        parser.Found("screenshot", &m_screenshot);
        parser.Found("hsb", &m_hsb);
        parser.Found("skins", &m_skins);
        return true;
    }
    bool OnInit() override {
        if (!wxApp::OnInit()) return false;
        // An old picture must not pass for this run's.
        if (!m_screenshot.empty() && wxFileExists(m_screenshot)) wxRemoveFile(m_screenshot);
        const std::string skins = m_skins.empty() ? ZORBEL_SKIN_SOURCE_DIR : m_skins.utf8_string();
        for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"})
            SkinDLL_LoadSkinResourceFromFolder((skins + "/" + folder).c_str(), "7QOVANETHRIM");
        if (zorbel::skin::LoadedFolders().size() != 3) {
            std::fprintf(stderr, "skin gallery: not every skin folder loaded from %s\n",
                         skins.c_str());
            m_failed = true;
        }
        int h = 0, s = 0, b = 0;
        if (!m_hsb.empty() && std::sscanf(m_hsb.utf8_str(), "%d,%d,%d", &h, &s, &b) == 3)
            SkinDLL_SetHSB(h, s, b);
        m_frame = new GalleryFrame(m_screenshot);
        m_frame->Show();
        return true;
    }
    // A failed load or screenshot shows in the exit code, for scripted runs.
    int OnRun() override {
        const int result = wxApp::OnRun();
        const bool shotFailed = !m_screenshot.empty() && !wxFileExists(m_screenshot);
        return result != 0 ? result : (m_failed || shotFailed) ? 1 : 0;
    }

private:
    wxString m_screenshot;
    wxString m_hsb;
    wxString m_skins;
    GalleryFrame* m_frame = nullptr;
    bool m_failed = false;
};

}  // namespace

wxIMPLEMENT_APP(GalleryApp);
