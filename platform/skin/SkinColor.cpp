#include "platform/skin/SkinColor.h"

#include <algorithm>
#include <cmath>
#include <cctype>

namespace zorbel::skin {
namespace {

struct Hsl {
    double h;  // 0..360
    double s;  // 0..1
    double l;  // 0..1
};

Hsl ToHsl(Rgb c) {
    const double r = c.r / 255.0, g = c.g / 255.0, b = c.b / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    Hsl out{0, 0, (mx + mn) / 2};
    const double d = mx - mn;
    if (d <= 0) return out;
    out.s = out.l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    if (mx == r)
        out.h = std::fmod((g - b) / d + 6, 6.0);
    else if (mx == g)
        out.h = (b - r) / d + 2;
    else
        out.h = (r - g) / d + 4;
    out.h *= 60;
    return out;
}

double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

uint8_t ToByte(double v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

Rgb FromHsl(Hsl c) {
    if (c.s <= 0) return {ToByte(c.l), ToByte(c.l), ToByte(c.l)};
    const double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double p = 2 * c.l - q;
    const double h = c.h / 360;
    return {ToByte(HueToChannel(p, q, h + 1.0 / 3)), ToByte(HueToChannel(p, q, h)),
            ToByte(HueToChannel(p, q, h - 1.0 / 3))};
}

// -100 scales towards 0, +100 towards 1.
double Move(double v, int amount) {
    const double a = amount / 100.0;
    return a < 0 ? v * (1 + a) : v + (1 - v) * a;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Rgb ShiftHsb(Rgb colour, int hue, int saturation, int brightness) {
    hue = std::clamp(hue, -180, 180);
    saturation = std::clamp(saturation, -100, 100);
    brightness = std::clamp(brightness, -100, 100);
    if (hue == 0 && saturation == 0 && brightness == 0) return colour;
    Hsl c = ToHsl(colour);
    c.h = std::fmod(c.h + hue + 360, 360.0);
    // A grey has no hue to strengthen; leave its saturation alone.
    if (c.s > 0) c.s = Move(c.s, saturation);
    c.l = Move(c.l, brightness);
    return FromHsl(c);
}

std::optional<Rgb> ParseColour(const std::string& text) {
    if (text.size() != 7 && text.size() != 4) return std::nullopt;
    if (text[0] != '#') return std::nullopt;
    int d[6];
    const size_t n = text.size() - 1;
    for (size_t i = 0; i < n; ++i) {
        d[i] = HexDigit(text[i + 1]);
        if (d[i] < 0) return std::nullopt;
    }
    if (n == 3) return Rgb{uint8_t(d[0] * 17), uint8_t(d[1] * 17), uint8_t(d[2] * 17)};
    return Rgb{uint8_t(d[0] * 16 + d[1]), uint8_t(d[2] * 16 + d[3]), uint8_t(d[4] * 16 + d[5])};
}

}  // namespace zorbel::skin
