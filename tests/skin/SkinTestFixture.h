#pragma once

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <ostream>
#include <string>

#include "platform/SkinEngine.h"
#include "platform/skin/SkinColor.h"
#include "platform/skin/SkinManager.h"

namespace zorbel::skin {
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}
}  // namespace zorbel::skin

// A frame to put skinned windows in, with the program's three skin folders loaded.
class SkinWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        zorbel::skin::ResetForTests();
        for (const char* folder : {"Zorbel", "ZorbelPlim", "changeskin"})
            SkinDLL_LoadSkinResourceFromFolder(
                (std::string(ZORBEL_SOURCE_DIR) + "/res/skins/" + folder).c_str(), "7QOVANETHRIM");
        frame = new wxFrame(nullptr, wxID_ANY, "skin test", wxPoint(0, 0), wxSize(700, 500));
    }
    void TearDown() override {
        frame->Destroy();
        zorbel::skin::ResetForTests();
    }

    // The window drawn through its own paint code into an off-screen bitmap.
    static wxImage Snapshot(wxWindow* window) {
        const wxSize size = window->GetClientSize();
        wxBitmap bitmap(size.x, size.y, 24);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        zorbel::skin::SkinManager::Get().Render(window, dc);
        dc.SelectObject(wxNullBitmap);
        return bitmap.ConvertToImage();
    }

    static zorbel::skin::Rgb Pixel(const wxImage& image, int x, int y) {
        return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
    }

    wxFrame* frame = nullptr;
};
