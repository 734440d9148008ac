#include "platform/skin/SkinPainter.h"

#include <wx/bmpbndl.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/skin/SkinColor.h"

namespace zorbel::skin {
namespace {

std::string Attr(const SkinStyle& style, const std::string& key) {
    auto it = style.find(key);
    return it == style.end() ? std::string() : it->second;
}

void ShiftImage(wxImage& image, const Hsb& hsb) {
    if (hsb.hue == 0 && hsb.saturation == 0 && hsb.brightness == 0) return;
    unsigned char* p = image.GetData();
    const long n = long(image.GetWidth()) * image.GetHeight();
    for (long i = 0; i < n; ++i, p += 3) {
        Rgb c = ShiftHsb({p[0], p[1], p[2]}, hsb.hue, hsb.saturation, hsb.brightness);
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
}

}  // namespace

SkinPainter& SkinPainter::Get() {
    static SkinPainter painter;
    return painter;
}

int SkinPainter::Number(const SkinStyle& style, const std::string& key, int fallback) {
    const std::string v = Attr(style, key);
    return v.empty() ? fallback : std::atoi(v.c_str());
}

wxColour SkinPainter::Colour(const SkinStyle& style, const std::string& key, const Hsb& hsb,
                             const wxColour& fallback) const {
    auto c = ParseColour(Attr(style, key));
    if (!c) return fallback;
    // "fixed" colours (e.g. the preset swatches of the skin panel) show what they choose.
    if (Attr(style, "fixed") != "1") c = ShiftHsb(*c, hsb.hue, hsb.saturation, hsb.brightness);
    // "alpha" makes fills see-through (buttons on the title band); lines and text stay solid.
    const bool isFill = key == "fill" || key == "fill2";
    const int alpha = isFill ? std::clamp(Number(style, "alpha", 255), 0, 255) : 255;
    return wxColour(c->r, c->g, c->b, static_cast<unsigned char>(alpha));
}

int SkinPainter::FontKey(const SkinStyle& style) {
    return Number(style, "font-size", 14) * 4 + (Number(style, "bold", 0) ? 2 : 0) +
           (Number(style, "underline", 0) ? 1 : 0);
}

wxFont SkinPainter::Font(const SkinStyle& style) const {
    const int key = FontKey(style);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    wxFont font(wxFontInfo().Family(wxFONTFAMILY_SWISS));
    font.SetPixelSize(wxSize(0, Number(style, "font-size", 14)));
    if (Number(style, "bold", 0)) font.SetWeight(wxFONTWEIGHT_BOLD);
    if (Number(style, "underline", 0)) font.SetUnderlined(true);
    fonts_.emplace(key, font);
    return font;
}

const wxGraphicsFont& SkinPainter::WindowFont(wxGraphicsContext* gc, const SkinStyle& style,
                                              const wxColour& colour) {
    const std::uint64_t key =
        (static_cast<std::uint64_t>(static_cast<unsigned>(FontKey(style))) << 32) |
        (static_cast<std::uint64_t>(colour.GetRGBA()) & 0xffffffffu);
    auto it = windowFonts_.find(key);
    if (it != windowFonts_.end()) return it->second;
    // A window's context asks the X server for the window's resolution on every font
    // change: one round trip per drawn text. The resolution of our one display does not
    // change while the program runs.
    static const wxRealPoint dpi = [gc] {
        double x = 0, y = 0;
        gc->GetDPI(&x, &y);
        return wxRealPoint(x, y);
    }();
    return windowFonts_.emplace(key, gc->GetRenderer()->CreateFontAtDPI(Font(style), dpi, colour))
        .first->second;
}

std::pair<double, double> SkinPainter::WindowTextExtent(wxGraphicsContext* gc, int fontKey,
                                                        const wxString& text) {
    std::string key = std::to_string(fontKey);
    key += '\n';
    key += text.utf8_string();
    auto it = windowExtents_.find(key);
    if (it != windowExtents_.end()) return it->second;
    // Bounded: a tree of ten thousand titles scrolled through should not keep them all.
    if (windowExtents_.size() >= 4096) windowExtents_.clear();
    double w = 0, h = 0;
    gc->GetTextExtent(text, &w, &h);
    return windowExtents_.emplace(std::move(key), std::make_pair(w, h)).first->second;
}

wxBitmap SkinPainter::Picture(const std::string& folder, const std::string& picture, wxSize size,
                              const Hsb& hsb) {
    KeptPicture* kept = Kept(folder, picture, size, hsb);
    return kept != nullptr ? kept->Bitmap() : wxNullBitmap;
}

KeptPicture* SkinPainter::Kept(const std::string& folder, const std::string& picture, wxSize size,
                               const Hsb& hsb) {
    if (picture.empty() || size.x <= 0 || size.y <= 0) return nullptr;
    const std::string path = (std::filesystem::path(folder) / picture).string();
    Key key{path, size.x, size.y, hsb.hue, hsb.saturation, hsb.brightness};
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second.get();

    wxBitmap bitmap;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        wxImage image;
        if (picture.size() > 4 && picture.compare(picture.size() - 4, 4, ".svg") == 0) {
            wxBitmapBundle bundle = wxBitmapBundle::FromSVGFile(path, size);
            if (bundle.IsOk()) image = bundle.GetBitmap(size).ConvertToImage();
            // The rasteriser hands back premultiplied colours; wxImage wants them straight,
            // or every half-transparent edge and pattern turns dark.
            if (image.IsOk() && image.HasAlpha()) {
                unsigned char* rgb = image.GetData();
                const unsigned char* alpha = image.GetAlpha();
                const long n = long(image.GetWidth()) * image.GetHeight();
                for (long i = 0; i < n; ++i, rgb += 3) {
                    const int a = alpha[i];
                    if (a == 0 || a == 255) continue;
                    for (int c = 0; c < 3; ++c)
                        rgb[c] = static_cast<unsigned char>(std::min(255, rgb[c] * 255 / a));
                }
            }
        } else {
            image.LoadFile(path);
            if (image.IsOk() && image.GetSize() != size)
                image.Rescale(size.x, size.y, wxIMAGE_QUALITY_HIGH);
        }
        if (image.IsOk()) {
            ShiftImage(image, hsb);
            bitmap = wxBitmap(image);
        }
    }
    auto& kept = cache_[key];
    kept = std::make_unique<KeptPicture>(bitmap);
    return kept.get();
}

void SkinPainter::DrawBox(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
                          const Hsb& hsb) {
    if (rect.IsEmpty()) return;
    const wxColour fill = Colour(style, "fill", hsb);
    const wxColour fill2 = Colour(style, "fill2", hsb);
    const wxColour border = Colour(style, "border", hsb);
    const wxColour shadow = Colour(style, "shadow", hsb);
    const int borderWidth = Number(style, "border-width", border.IsOk() ? 1 : 0);
    const double radius =
        std::min<double>(Number(style, "radius", 0), std::min(rect.width, rect.height) / 2.0);
    const double inset = borderWidth / 2.0;
    wxRect2DDouble r(rect.x + inset, rect.y + inset, rect.width - 2 * inset,
                     rect.height - 2 * inset);
    if (shadow.IsOk()) {
        // A soft drop under raised things (buttons, swatches) makes them read as pressable.
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(wxBrush(shadow));
        gc->DrawRoundedRectangle(r.m_x, r.m_y + 2, r.m_width, r.m_height, radius);
        r.m_height -= 2;
    }
    if (fill.IsOk() && fill2.IsOk())
        gc->SetBrush(
            gc->CreateLinearGradientBrush(r.m_x, r.m_y, r.m_x, r.m_y + r.m_height, fill, fill2));
    else if (fill.IsOk())
        gc->SetBrush(wxBrush(fill));
    else
        gc->SetBrush(*wxTRANSPARENT_BRUSH);
    if (border.IsOk() && borderWidth > 0)
        gc->SetPen(gc->CreatePen(wxGraphicsPenInfo(border).Width(borderWidth)));
    else
        gc->SetPen(*wxTRANSPARENT_PEN);
    if (fill.IsOk() || (border.IsOk() && borderWidth > 0)) {
        if (radius > 0)
            gc->DrawRoundedRectangle(r.m_x, r.m_y, r.m_width, r.m_height, radius);
        else
            gc->DrawRectangle(r.m_x, r.m_y, r.m_width, r.m_height);
    }
}

void SkinPainter::DrawPicture(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
                              const std::string& folder, const std::string& picture,
                              const Hsb& shift) {
    if (rect.IsEmpty() || picture.empty()) return;
    // "fixed" items (the choices of the skin panel) show what they choose, unshifted.
    const Hsb hsb = Attr(style, "fixed") == "1" ? Hsb() : shift;
    if (Number(style, "stretch", 0)) {
        // Drawn at its own size and stretched: gradient strips such as the hue track.
        KeptPicture* bmp =
            Kept(folder, picture, wxSize(std::max(rect.width, 1), std::max(rect.height, 1)), hsb);
        if (bmp && bmp->IsOk()) bmp->Draw(gc, rect.x, rect.y, rect.width, rect.height);
        return;
    }
    const int tile = Number(style, "tile", 0);
    if (tile > 0) {
        KeptPicture* bmp = Kept(folder, picture, wxSize(tile, tile), hsb);
        if (!bmp || !bmp->IsOk()) return;
        // Saved and restored rather than reset: a reset would also drop the clip of the
        // paint event and let this window draw over its siblings.
        gc->PushState();
        gc->Clip(rect.x, rect.y, rect.width, rect.height);
        // Only the tiles that show: a button repaints the band behind it, not the whole band.
        double clipX = 0, clipY = 0, clipW = 0, clipH = 0;
        gc->GetClipBox(&clipX, &clipY, &clipW, &clipH);
        for (int y = rect.y; y < rect.GetBottom() + 1; y += tile) {
            if (y + tile <= clipY || y >= clipY + clipH) continue;
            for (int x = rect.x; x < rect.GetRight() + 1; x += tile) {
                if (x + tile <= clipX || x >= clipX + clipW) continue;
                bmp->Draw(gc, x, y, tile, tile);
            }
        }
        gc->PopState();
        return;
    }
    const int size = std::min(rect.width, rect.height);
    KeptPicture* bmp = Kept(folder, picture, wxSize(size, size), hsb);
    if (!bmp || !bmp->IsOk()) return;
    bmp->Draw(gc, rect.x + (rect.width - size) / 2, rect.y + (rect.height - size) / 2, size, size);
}

void SkinPainter::DrawText(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
                           const wxString& text, const Hsb& hsb) {
    if (text.empty() || rect.IsEmpty()) return;
    const wxColour colour = Colour(style, "text-color", hsb, *wxBLACK);
    double w = 0, h = 0;
    if (gc->GetWindow() != nullptr) {
        gc->SetFont(WindowFont(gc, style, colour));
        std::tie(w, h) = WindowTextExtent(gc, FontKey(style), text);
    } else {
        gc->SetFont(Font(style), colour);
        gc->GetTextExtent(text, &w, &h);
    }
    const std::string align = Attr(style, "text-align");
    double x = rect.x + (rect.width - w) / 2;
    if (align == "left") x = rect.x + Number(style, "padding", 0);
    if (align == "right") x = rect.GetRight() + 1 - w - Number(style, "padding", 0);
    const double y = rect.y + (rect.height - h) / 2;
    gc->PushState();
    gc->Clip(rect.x, rect.y, rect.width, rect.height);
    gc->DrawText(text, x, y);
    gc->PopState();
}

void SkinPainter::Draw(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
                       const std::string& folder, const wxString& text, const Hsb& hsb) {
    DrawBox(gc, rect, style, hsb);
    const std::string picture = Attr(style, "picture");
    const std::string layout = Attr(style, "layout");
    const int pad = Number(style, "padding", 0);
    wxRect inner = wxRect(rect).Deflate(pad);
    if (picture.empty() || Number(style, "tile", 0) > 0 || Number(style, "stretch", 0)) {
        DrawPicture(gc, rect, style, folder, picture, hsb);
        DrawText(gc, inner, style, text, hsb);
        return;
    }
    const int size = Number(style, "picture-size", std::min(inner.width, inner.height));
    if (text.empty() || layout.empty() || layout == "center") {
        DrawPicture(gc,
                    wxRect(inner.x + (inner.width - size) / 2, inner.y + (inner.height - size) / 2,
                           size, size),
                    style, folder, picture, hsb);
        if (layout == "center") DrawText(gc, inner, style, text, hsb);
        return;
    }
    if (layout == "top") {
        // Picture above, caption below: the category buttons.
        const int textHeight = Number(style, "font-size", 14) + 6;
        const int top = inner.y + std::max(0, (inner.height - textHeight - size) / 2);
        DrawPicture(gc, wxRect(inner.x + (inner.width - size) / 2, top, size, size), style, folder,
                    picture, hsb);
        DrawText(gc, wxRect(inner.x, top + size, inner.width, textHeight), style, text, hsb);
        return;
    }
    // "left": picture then caption, as tree rows and caption bars.
    DrawPicture(gc, wxRect(inner.x, inner.y + (inner.height - size) / 2, size, size), style, folder,
                picture, hsb);
    SkinStyle textStyle = style;
    textStyle["text-align"] = "left";
    textStyle["padding"] = "0";
    DrawText(gc, wxRect(inner.x + size + 6, inner.y, inner.width - size - 6, inner.height),
             textStyle, text, hsb);
}

}  // namespace zorbel::skin
