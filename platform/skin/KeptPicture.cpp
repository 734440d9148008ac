#include "platform/skin/KeptPicture.h"

#include <cairo.h>

namespace zorbel::skin {

KeptPicture::KeptPicture(const wxBitmap& bitmap) : m_bitmap(bitmap) {}

KeptPicture::~KeptPicture() {
    // Cairo lets go of a surface whose display has already closed without touching it.
    if (m_server) cairo_surface_destroy(m_server);
}

cairo_surface_t* KeptPicture::ServerCopy(cairo_surface_t* target, cairo_surface_t* image) {
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_XLIB) return nullptr;
    // A scaled drawable would make the copy at another resolution than the image.
    double scaleX = 1, scaleY = 1;
    cairo_surface_get_device_scale(target, &scaleX, &scaleY);
    if (scaleX != 1 || scaleY != 1) return nullptr;
    if (m_server && cairo_surface_get_device(m_server) == cairo_surface_get_device(target))
        return m_server;
    if (m_server) cairo_surface_destroy(m_server);
    m_server = nullptr;
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    cairo_surface_t* copy =
        cairo_surface_create_similar(target, cairo_surface_get_content(image), width, height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(copy);
        return nullptr;
    }
    m_server = copy;
    return m_server;
}

void KeptPicture::Draw(wxGraphicsContext* gc, double x, double y, double w, double h) {
    if (!m_bitmap.IsOk()) return;
    if (gc->GetRenderer() != wxGraphicsRenderer::GetCairoRenderer()) {
        gc->DrawBitmap(m_bitmap, x, y, w, h);
        return;
    }
    if (m_image.IsNull()) m_image = gc->GetRenderer()->CreateBitmap(m_bitmap);
    auto* image = static_cast<cairo_surface_t*>(m_image.GetNativeBitmap());
    auto* cr = static_cast<cairo_t*>(gc->GetNativeContext());
    if (!image || !cr || cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE) {
        gc->DrawBitmap(m_image, x, y, w, h);
        return;
    }
    cairo_surface_t* server = ServerCopy(cairo_get_target(cr), image);
    cairo_surface_t* source = server ? server : image;
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    // As wxCairoContext::DrawBitmap: the source at its own size, scaled into the rectangle.
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, w / width, h / height);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace zorbel::skin
