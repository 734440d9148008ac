// The seek bar in a real window under Xvfb: creation over a placeholder, the events its
// parent gets from clicks and drags, and the picture it paints.
#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/stattext.h>

#include <chrono>
#include <memory>
#include <vector>

#include "tests/support/WindowTestSupport.h"
#include "ui/BitmapResource.h"
#include "ui/MemDC.h"
#include "ui/XScrollBar.h"
#include "ui/XScrollPalette.h"

namespace {

using zorbel::test::PumpFor;
using zorbel::test::PumpUntil;

constexpr int kPlaceholderId = 1016;
constexpr int kBarId = 1018;
const ColorRef kPlayerThumb = 0xEF61C6;  // RGB(198, 97, 239)

// A parent that maps the bar's event the way the player's event table does.
class SeekParent : public wxFrame {
public:
    SeekParent() : wxFrame(nullptr, wxID_ANY, "seek", wxPoint(300, 300), wxSize(480, 120)) {}

    struct Seen {
        int position;
        long code;
        wxObject* source;
        int id;
    };
    std::vector<Seen> seen;

private:
    void OnHScroll(wxCommandEvent& event) {
        seen.push_back(
            {event.GetInt(), event.GetExtraLong(), event.GetEventObject(), event.GetId()});
    }
    wxDECLARE_EVENT_TABLE();
};

// clang-format off
wxBEGIN_EVENT_TABLE(SeekParent, wxFrame)
    EVT_XSCROLL_HSCROLL (kBarId, SeekParent::OnHScroll)
wxEND_EVENT_TABLE()
// clang-format on

class XScrollBarWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new SeekParent;
        m_placeholder =
            new wxStaticText(m_frame, kPlaceholderId, "Static", wxPoint(10, 20), wxSize(400, 10));
        m_frame->Show();
        m_bar = new CXScrollBar;
        ASSERT_TRUE(m_bar->CreateFromStatic(0, m_frame, kPlaceholderId, kBarId));
        m_bar->SetScrollRange(0, 1000, true);
        m_bar->SetScrollPos(0, true);
        m_bar->m_crThumb = kPlayerThumb;
        m_bar->m_bThumbColor = 1;
        // As the player lays it out: the track as wide as the bar, 7 pixels high.
        m_bar->SetTrackWidth(400);
        m_bar->SetSize(10, 20, 400, 7);
        PumpUntil([&] { return m_bar->IsShownOnScreen(); });
        PumpFor(std::chrono::milliseconds(50));
    }

    void TearDown() override {
        m_frame->Destroy();
        PumpFor(std::chrono::milliseconds(20));
    }

    void Mouse(wxEventType type, int x, int y = 3) {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.SetEventObject(m_bar);
        event.m_leftDown = type != wxEVT_LEFT_UP;
        m_bar->GetEventHandler()->ProcessEvent(event);
    }

    std::vector<int> Positions() const {
        std::vector<int> positions;
        for (const auto& s : m_frame->seen) positions.push_back(s.position);
        return positions;
    }

    // The picture the bar paints, composed into a bitmap of the track's size.
    wxImage Picture() {
        wxBitmap bitmap(m_bar->m_rectTrack.width, m_bar->m_rectTrack.height);
        {
            wxMemoryDC dc(bitmap);
            m_bar->DrawOn(dc);
        }
        return bitmap.ConvertToImage();
    }

    static ColorRef At(const wxImage& image, int x, int y) {
        return MakeRgb(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    }

    SeekParent* m_frame = nullptr;
    wxStaticText* m_placeholder = nullptr;
    CXScrollBar* m_bar = nullptr;
};

TEST_F(XScrollBarWindowTest, TakesThePlaceholdersPlaceAndTheThumbsSize) {
    EXPECT_FALSE(m_placeholder->IsShown());
    EXPECT_EQ(m_bar->GetParent(), m_frame);
    EXPECT_EQ(m_bar->m_pParent, m_frame);
    EXPECT_EQ(m_bar->GetId(), kBarId);
    EXPECT_EQ(m_bar->m_nThumbWidth, 7);
    EXPECT_EQ(m_bar->m_nThumbHeight, 7);
    EXPECT_EQ(m_bar->m_rectTrack, wxRect(0, 0, 400, 7));
    EXPECT_EQ(m_bar->m_nRange, 1000);
    EXPECT_TRUE(m_bar->m_hHandCursor.IsOk());

    CXScrollBar orphan;
    EXPECT_FALSE(orphan.CreateFromStatic(0, m_frame, 4242, 1019));
}

TEST_F(XScrollBarWindowTest, StartsWithTheListedValues) {
    CXScrollBar bar;
    EXPECT_EQ(bar.m_pParent, nullptr);
    EXPECT_EQ(bar.m_nThumbLeft, 4);
    EXPECT_EQ(bar.m_nThumbWidth, 4);
    EXPECT_EQ(bar.m_nThumbHeight, 4);
    EXPECT_EQ(bar.m_nPos, 0);
    EXPECT_EQ(bar.m_nRange, 0);
    EXPECT_EQ(bar.m_rectThumb, wxRect(-1, -1, 0, 0));
    EXPECT_EQ(bar.m_crThumb, MakeRgb(0, 0, 0));
    EXPECT_EQ(bar.m_crThumbHover, MakeRgb(255, 204, 0));
    EXPECT_EQ(bar.m_bThumbColor, 0);
    EXPECT_EQ(bar.m_bTintTrack, 1);
    EXPECT_EQ(bar.m_bGreyEdge, 1);
    EXPECT_EQ(bar.m_bHover + bar.m_bPressed + bar.m_bDragging, 0);
}

TEST_F(XScrollBarWindowTest, PositionMovesTheThumbAndReturnsTheOldOne) {
    EXPECT_EQ(m_bar->SetScrollPos(500, true), 0);
    EXPECT_EQ(m_bar->m_nThumbLeft, 197);
    EXPECT_EQ(m_bar->SetScrollPos(2000, true), 500);
    EXPECT_EQ(m_bar->m_nPos, 2000);  // kept as given
    EXPECT_EQ(m_bar->m_nThumbLeft, 393);
    // A wider track moves the thumb to the same position further on.
    m_bar->SetScrollPos(500, false);
    m_bar->SetTrackWidth(207);
    EXPECT_EQ(m_bar->m_nThumbLeft, 100);
    EXPECT_TRUE(m_frame->seen.empty());
}

TEST_F(XScrollBarWindowTest, ClickBesideTheThumbJumpsAndNotifiesOnce) {
    m_bar->SetScrollPos(500, true);
    Mouse(wxEVT_LEFT_DOWN, 100);
    ASSERT_EQ(m_frame->seen.size(), 1u);
    EXPECT_EQ(m_frame->seen[0].position, 247);
    EXPECT_EQ(m_frame->seen[0].code, CXScrollBar::kThumbTrack);
    EXPECT_EQ(m_frame->seen[0].source, m_bar);
    EXPECT_EQ(m_frame->seen[0].id, kBarId);
    EXPECT_EQ(m_bar->m_nPos, 247);
    EXPECT_EQ(m_bar->m_nThumbLeft, 97);

    // Moving on with the button held, without having pressed the thumb, sends nothing more.
    Mouse(wxEVT_MOTION, 150);
    Mouse(wxEVT_MOTION, 250);
    Mouse(wxEVT_LEFT_UP, 250);
    EXPECT_EQ(m_frame->seen.size(), 1u);
    EXPECT_EQ(m_bar->m_nPos, 247);
    EXPECT_EQ(m_bar->m_nThumbLeft, 97);  // 247 x 393/1000 + 0.5
    EXPECT_FALSE(m_bar->HasCapture());
}

TEST_F(XScrollBarWindowTest, DraggingTheThumbNotifiesEveryStepAndStaysInside) {
    m_bar->SetScrollPos(500, true);
    Mouse(wxEVT_LEFT_DOWN, 200);  // on the thumb (197 .. 203)
    EXPECT_EQ(m_bar->m_bPressed, 1);
    EXPECT_TRUE(m_frame->seen.empty());

    Mouse(wxEVT_MOTION, 100);
    EXPECT_EQ(m_bar->m_bDragging, 1);
    Mouse(wxEVT_MOTION, 300);
    Mouse(wxEVT_MOTION, 5000);
    Mouse(wxEVT_MOTION, -40);
    EXPECT_EQ(Positions(), (std::vector<int>{247, 756, 1000, 0}));
    EXPECT_EQ(m_bar->m_nThumbLeft, 0);

    Mouse(wxEVT_MOTION, 396);
    EXPECT_EQ(m_bar->m_nThumbLeft, 393);
    Mouse(wxEVT_LEFT_UP, 396);
    EXPECT_EQ(m_frame->seen.size(), 5u);  // no event on release
    EXPECT_EQ(m_bar->m_nPos, 1000);
    EXPECT_EQ(m_bar->m_bPressed + m_bar->m_bDragging, 0);
    // Released on the thumb: hover until the pointer is found elsewhere.
    EXPECT_EQ(m_bar->m_bHover, 1);
}

TEST_F(XScrollBarWindowTest, HoverEndsWhenThePointerIsNoLongerOnTheThumb) {
    // The X pointer rests far from the bar; the hover timer finds it there.
    m_bar->WarpPointer(420, 100);
    m_bar->SetScrollPos(500, true);
    Mouse(wxEVT_MOTION, 200);
    EXPECT_EQ(m_bar->m_bHover, 1);
    EXPECT_TRUE(PumpUntil([&] { return m_bar->m_bHover == 0; }));
}

TEST_F(XScrollBarWindowTest, PictureShowsTheThumbWhereTheArithmeticPutsIt) {
    m_bar->SetScrollPos(500, true);
    const wxImage image = Picture();
    ASSERT_EQ(image.GetWidth(), 400);
    ASSERT_EQ(image.GetHeight(), 7);
    EXPECT_EQ(m_bar->m_rectThumb, wxRect(197, 0, 7, 7));

    const auto tints = CXScrollPalette::TrackTints(kPlayerThumb);
    const ColorRef white = MakeRgb(255, 255, 255), black = MakeRgb(0, 0, 0);
    for (int y = 1; y < 6; ++y) {
        // Played part: row 1 the lightest tint, row 2 the middle, lower rows the darkest.
        const ColorRef played = y == 1 ? tints[2] : y == 2 ? tints[1] : tints[0];
        EXPECT_EQ(At(image, 1, y), played) << y;
        EXPECT_EQ(At(image, 196, y), played) << y;
        for (int x = 197; x < 204; ++x) EXPECT_EQ(At(image, x, y), black) << x << "," << y;
        EXPECT_EQ(At(image, 204, y), white) << y;
        EXPECT_EQ(At(image, 398, y), white) << y;
    }
    // The frame round the track.
    for (int x : {0, 100, 200, 399}) {
        EXPECT_EQ(At(image, x, 0), CXScrollPalette::kFrame) << x;
        EXPECT_EQ(At(image, x, 6), CXScrollPalette::kFrame) << x;
    }
    EXPECT_EQ(At(image, 0, 3), CXScrollPalette::kFrame);
    EXPECT_EQ(At(image, 399, 3), CXScrollPalette::kFrame);

    // Without the thumb colour the played part stays white.
    m_bar->m_bThumbColor = 0;
    EXPECT_EQ(At(Picture(), 100, 3), white);
}

TEST_F(XScrollBarWindowTest, WindowOnScreenShowsTheSamePicture) {
    m_bar->SetScrollPos(250, true);  // thumb at 98
    m_bar->Raise();
    PumpFor(std::chrono::milliseconds(100));
    m_bar->Update();
    GdkWindow* window = m_bar->GTKGetDrawingWindow();
    ASSERT_NE(window, nullptr);
    GdkPixbuf* shot = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        if (shot) g_object_unref(shot);
        shot = gdk_pixbuf_get_from_window(window, 0, 0, 400, 7);
        if (!shot) return false;
        const guchar* px = gdk_pixbuf_get_pixels(shot);
        const int n = gdk_pixbuf_get_n_channels(shot);
        const guchar* thumb = px + gdk_pixbuf_get_rowstride(shot) * 3 + 100 * n;
        return thumb[0] == 0 && thumb[1] == 0 && thumb[2] == 0;
    }));
    const guchar* px = gdk_pixbuf_get_pixels(shot);
    const int n = gdk_pixbuf_get_n_channels(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot);
    auto at = [&](int x, int y) {
        const guchar* p = px + stride * y + x * n;
        return MakeRgb(p[0], p[1], p[2]);
    };
    const wxImage picture = Picture();
    for (int x : {0, 50, 97, 98, 104, 105, 300, 399}) {
        for (int y = 0; y < 7; ++y) EXPECT_EQ(at(x, y), At(picture, x, y)) << x << "," << y;
    }
    EXPECT_EQ(at(101, 3), MakeRgb(0, 0, 0));
    EXPECT_EQ(at(105, 3), MakeRgb(255, 255, 255));
    g_object_unref(shot);
}

TEST_F(XScrollBarWindowTest, RangeZeroDrawsNoThumb) {
    m_bar->SetScrollRange(0, 0, true);
    m_bar->SetScrollPos(300, true);
    EXPECT_EQ(m_bar->m_nThumbLeft, 0);
    const wxImage image = Picture();
    EXPECT_EQ(m_bar->m_rectThumb, wxRect(-1, -1, 0, 0));
    for (int x = 1; x < 399; ++x) ASSERT_NE(At(image, x, 3), MakeRgb(0, 0, 0)) << x;
    // Clicks still work and report position 0.
    Mouse(wxEVT_LEFT_DOWN, 200);
    Mouse(wxEVT_LEFT_UP, 200);
    EXPECT_EQ(Positions(), std::vector<int>{0});
    m_bar->Refresh();
    m_bar->Update();
    PumpFor(std::chrono::milliseconds(20));

    // The reversed ends give the same range as the ordered ones.
    m_bar->SetScrollRange(1000, 0, false);
    EXPECT_EQ(m_bar->m_nRange, 1000);
}

TEST_F(XScrollBarWindowTest, EmptyTrackPaintsNothingAndDoesNotFail) {
    m_bar->SetTrackWidth(0);
    m_bar->Refresh();
    m_bar->Update();
    PumpFor(std::chrono::milliseconds(20));
    wxBitmap bitmap(10, 7);
    wxMemoryDC dc(bitmap);
    m_bar->DrawOn(dc);
    EXPECT_EQ(m_bar->m_rectThumb, wxRect(-1, -1, 0, 0));
    // A click beside where the thumb would be has no travel to move along.
    Mouse(wxEVT_LEFT_DOWN, 30);
    Mouse(wxEVT_LEFT_UP, 30);
    EXPECT_EQ(Positions(), std::vector<int>{0});
    EXPECT_EQ(m_bar->m_nThumbLeft, 0);
}

TEST_F(XScrollBarWindowTest, ThumbMarkersTakeTheirColours) {
    // A thumb whose markers name every replacement.
    wxImage thumb(3, 7);
    for (int y = 0; y < 7; ++y) {
        thumb.SetRGB(0, y, 0, 0, 3);
        thumb.SetRGB(1, y, 0, 0, y == 0 ? 2 : 1);
        thumb.SetRGB(2, y, 0, 0, 4);
    }
    m_bar->SetThumbPicture(thumb);
    m_bar->SetScrollPos(500, true);
    const wxImage image = Picture();
    const int left = m_bar->m_rectThumb.x;
    const auto tints = CXScrollPalette::TrackTints(kPlayerThumb);
    EXPECT_EQ(At(image, left, 3), tints[0]);                    // the track's left column
    EXPECT_EQ(At(image, left + 2, 3), MakeRgb(255, 255, 255));  // its right column
    EXPECT_EQ(At(image, left + 1, 3), kPlayerThumb);            // the thumb colour
    m_bar->m_bHover = 1;
    EXPECT_EQ(At(Picture(), left + 1, 3), m_bar->m_crThumbHover);
    // Row 0 is under the frame; the grey edge marker is checked in the palette's own test.
}

TEST(MemDCTest, DrawsWithTheTargetsCoordinatesAndCopiesOnClosing) {
    wxBitmap target(20, 10);
    {
        wxMemoryDC dc(target);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        {
            CMemDC mem(&dc, wxRect(5, 2, 10, 4));
            ASSERT_TRUE(mem.HasBitmap());
            mem.SetPen(*wxTRANSPARENT_PEN);
            mem.SetBrush(*wxRED_BRUSH);
            mem.DrawRectangle(5, 2, 3, 4);
            // Nothing reaches the target before the off-screen picture is closed.
            wxColour before;
            ASSERT_TRUE(dc.GetPixel(5, 2, &before));
            EXPECT_EQ(before, *wxWHITE);
        }
        CMemDC empty(&dc, wxRect(0, 0, 0, 5));
        EXPECT_FALSE(empty.HasBitmap());
    }
    const wxImage image = target.ConvertToImage();
    auto at = [&](int x, int y) {
        return MakeRgb(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    };
    EXPECT_EQ(at(5, 2), MakeRgb(255, 0, 0));
    EXPECT_EQ(at(7, 5), MakeRgb(255, 0, 0));
    EXPECT_EQ(at(8, 3), MakeRgb(0, 0, 0));  // the rest of the rectangle starts black
    EXPECT_EQ(at(14, 5), MakeRgb(0, 0, 0));
    EXPECT_EQ(at(4, 2), MakeRgb(255, 255, 255));  // outside it nothing changes
    EXPECT_EQ(at(15, 3), MakeRgb(255, 255, 255));
    EXPECT_EQ(at(6, 1), MakeRgb(255, 255, 255));
    EXPECT_EQ(at(6, 6), MakeRgb(255, 255, 255));
}

TEST(BitmapResourceTest, TrackAndThumbPicturesAreCarried) {
    const wxImage track = CBitmapResource::Load(159);
    ASSERT_TRUE(track.IsOk());
    EXPECT_EQ(track.GetSize(), wxSize(1, 7));
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(track.GetRed(0, y) + track.GetGreen(0, y) + track.GetBlue(0, y), 3 * 255);
    const wxImage thumb = CBitmapResource::Load(162);
    ASSERT_TRUE(thumb.IsOk());
    EXPECT_EQ(thumb.GetSize(), wxSize(7, 7));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(thumb.GetRed(x, y) + thumb.GetGreen(x, y) + thumb.GetBlue(x, y), 0);
    EXPECT_FALSE(CBitmapResource::Load(160).IsOk());
}

}  // namespace
