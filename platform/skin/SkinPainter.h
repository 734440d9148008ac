#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/graphics.h>
#include <wx/string.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "platform/SkinEngine.h"
#include "platform/skin/KeptPicture.h"
#include "platform/skin/SkinDescription.h"

class wxDC;
class wxGraphicsContext;

namespace zorbel::skin {

// Draws one element or item after its style: a rounded box with a flat or vertical gradient
// fill and a border, an optional picture (SVG or PNG from the skin's folder) and a caption,
// all shifted by the global hue/saturation/brightness. Pictures are rendered once per size and
// shift and kept, for windows on the X server (KeptPicture).
class SkinPainter {
public:
    static SkinPainter& Get();

    // Box, picture and text laid out after the style's "layout" (center, top, left).
    void Draw(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
              const std::string& folder, const wxString& text, const Hsb& hsb);
    void DrawBox(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style, const Hsb& hsb);
    // The picture fitted into `rect` (keeping its proportions) or, with "tile", repeated.
    void DrawPicture(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
                     const std::string& folder, const std::string& picture, const Hsb& hsb);
    void DrawText(wxGraphicsContext* gc, const wxRect& rect, const SkinStyle& style,
                  const wxString& text, const Hsb& hsb);

    wxColour Colour(const SkinStyle& style, const std::string& key, const Hsb& hsb,
                    const wxColour& fallback = wxNullColour) const;
    static int Number(const SkinStyle& style, const std::string& key, int fallback);
    wxFont Font(const SkinStyle& style) const;

    // A picture as drawn at the given size with the shift applied; null when missing.
    wxBitmap Picture(const std::string& folder, const std::string& picture, wxSize size,
                     const Hsb& hsb);
    // Also forgets the window fonts, which are kept per colour: a colour shift changes them.
    void ForgetPictures() {
        cache_.clear();
        windowFonts_.clear();
    }

private:
    using Key = std::tuple<std::string, int, int, int, int, int>;
    // What a font depends on: its pixel size, bold and underline.
    static int FontKey(const SkinStyle& style);
    // The font of a window's drawing, made once per look and colour: making a font (and
    // converting it for the window's resolution) on every drawn text cost more than drawing it.
    const wxGraphicsFont& WindowFont(wxGraphicsContext* gc, const SkinStyle& style,
                                     const wxColour& colour);
    // A text's size in a window's font, measured once: each measure lays the text out anew.
    std::pair<double, double> WindowTextExtent(wxGraphicsContext* gc, int fontKey,
                                               const wxString& text);

    // The kept picture, made (or found missing: an empty bitmap) at its first use.
    KeptPicture* Kept(const std::string& folder, const std::string& picture, wxSize size,
                      const Hsb& hsb);

    std::map<Key, std::unique_ptr<KeptPicture>> cache_;
    mutable std::unordered_map<int, wxFont> fonts_;
    std::unordered_map<std::uint64_t, wxGraphicsFont> windowFonts_;
    std::unordered_map<std::string, std::pair<double, double>> windowExtents_;
};

}  // namespace zorbel::skin
