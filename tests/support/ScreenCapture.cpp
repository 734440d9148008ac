#include "tests/support/ScreenCapture.h"

#include <gdk/gdk.h>

namespace zorbel::test {

wxImage CaptureScreen(const wxRect& screen) {
    GdkPixbuf* pixels = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), screen.x,
                                                   screen.y, screen.width, screen.height);
    if (pixels == nullptr) return wxImage();
    const int width = gdk_pixbuf_get_width(pixels);
    const int height = gdk_pixbuf_get_height(pixels);
    const int stride = gdk_pixbuf_get_rowstride(pixels);
    const int channels = gdk_pixbuf_get_n_channels(pixels);
    const guchar* data = gdk_pixbuf_get_pixels(pixels);
    wxImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const guchar* p = data + y * stride + x * channels;
            image.SetRGB(x, y, p[0], p[1], p[2]);
        }
    g_object_unref(pixels);
    return image;
}

}  // namespace zorbel::test
