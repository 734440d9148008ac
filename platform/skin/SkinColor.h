#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorbel::skin {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Moves a colour by the skin's global shift: hue in degrees (-180..180) turns the colour
// wheel; saturation and brightness (-100..100) move towards grey/black at -100 and towards
// full colour/white at +100. Greys keep their hue-less look, so white text stays white.
// 0,0,0 returns the colour unchanged. Out-of-range arguments are clamped.
Rgb ShiftHsb(Rgb colour, int hue, int saturation, int brightness);

// "#rrggbb" or "#rgb"; anything else is no colour.
std::optional<Rgb> ParseColour(const std::string& text);

}  // namespace zorbel::skin
