#pragma once

#include <wx/bitmap.h>
#include <wx/graphics.h>

typedef struct _cairo_surface cairo_surface_t;

namespace zorbel::skin {

// One skin picture at one size and colour shift, kept in the forms its drawings need: the
// bitmap, the image Cairo draws from (made at the first drawing instead of at every one), and
// for windows a copy of that image kept on the X server, so drawing it into a window sends
// no pixels. Drawn exactly as wxGraphicsContext::DrawBitmap draws a bitmap.
class KeptPicture {
public:
    explicit KeptPicture(const wxBitmap& bitmap);
    ~KeptPicture();
    KeptPicture(const KeptPicture&) = delete;
    KeptPicture& operator=(const KeptPicture&) = delete;

    const wxBitmap& Bitmap() const { return m_bitmap; }
    bool IsOk() const { return m_bitmap.IsOk(); }

    // Draws the picture scaled into the rectangle (x, y, w, h) of gc's user space.
    void Draw(wxGraphicsContext* gc, double x, double y, double w, double h);

private:
    // The X server's copy for drawing into target, made at the first such drawing; null when
    // target is not an X drawable of unit scale (then the image is drawn as it is).
    cairo_surface_t* ServerCopy(cairo_surface_t* target, cairo_surface_t* image);

    wxBitmap m_bitmap;
    wxGraphicsBitmap m_image;
    cairo_surface_t* m_server = nullptr;
};

}  // namespace zorbel::skin
