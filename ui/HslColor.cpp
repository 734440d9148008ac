#include "ui/HslColor.h"

#include <algorithm>

namespace {

// One channel of the HSL to RGB conversion, 0 to 1.
float Channel(float m1, float m2, float hue) {
    if (hue > 360.0f)
        hue -= 360.0f;
    else if (hue < 0.0f)
        hue += 360.0f;
    if (hue < 60.0f) return m1 + (m2 - m1) * hue / 60.0f;
    if (hue < 180.0f) return m2;
    if (hue < 240.0f) return m1 + (m2 - m1) * (240.0f - hue) / 60.0f;
    return m1;
}

// Lightness and saturation a little outside 0..1 would wrap round in the byte; keep them in.
std::uint8_t ToByte(float unit) {
    const float value = unit * 255.0f;
    if (!(value > 0.0f)) return 0;
    if (value >= 255.0f) return 255;
    return static_cast<std::uint8_t>(value);
}

}  // namespace

void CHslColor::SetRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    m_nRed = red;
    m_nGreen = green;
    m_nBlue = blue;
    m_bRgbCurrent = true;
    m_bHslCurrent = false;
}

void CHslColor::SetHsl(float hue, float saturation, float lightness) {
    m_fHue = hue;
    m_fSaturation = saturation;
    m_fLightness = lightness;
    m_bHslCurrent = true;
    m_bRgbCurrent = false;
}

void CHslColor::SetHue(float hue) {
    EnsureHsl();
    SetHsl(hue, m_fSaturation, m_fLightness);
}

void CHslColor::SetSaturation(float saturation) {
    EnsureHsl();
    SetHsl(m_fHue, saturation, m_fLightness);
}

void CHslColor::SetLightness(float lightness) {
    EnsureHsl();
    SetHsl(m_fHue, m_fSaturation, lightness);
}

std::uint8_t CHslColor::GetRed() const {
    EnsureRgb();
    return m_nRed;
}

std::uint8_t CHslColor::GetGreen() const {
    EnsureRgb();
    return m_nGreen;
}

std::uint8_t CHslColor::GetBlue() const {
    EnsureRgb();
    return m_nBlue;
}

ColorRef CHslColor::GetRgb() const {
    EnsureRgb();
    return MakeRgb(m_nRed, m_nGreen, m_nBlue);
}

float CHslColor::GetHue() const {
    EnsureHsl();
    return m_fHue;
}

float CHslColor::GetSaturation() const {
    EnsureHsl();
    return m_fSaturation;
}

float CHslColor::GetLightness() const {
    EnsureHsl();
    return m_fLightness;
}

void CHslColor::EnsureHsl() const {
    if (m_bHslCurrent) return;
    const float red = m_nRed, green = m_nGreen, blue = m_nBlue;
    const float max = std::max({red, green, blue});
    const float min = std::min({red, green, blue});
    m_fLightness = (max + min) / 510.0f;
    if (max == min) {
        m_fSaturation = 0.0f;
        m_fHue = 0.0f;
    } else {
        const float d = max - min;
        m_fSaturation = m_fLightness <= 0.5f ? d / (max + min) : d / (510.0f - max - min);
        // Later tests win on ties: blue over green over red.
        if (red == max) m_fHue = 60.0f * (6.0f + (max - blue) / d - (max - green) / d);
        if (green == max) m_fHue = 60.0f * (2.0f + (max - red) / d - (max - blue) / d);
        if (blue == max) m_fHue = 60.0f * (4.0f + (max - green) / d - (max - red) / d);
        if (m_fHue > 360.0f) m_fHue -= 360.0f;
    }
    m_bHslCurrent = true;
}

void CHslColor::EnsureRgb() const {
    if (m_bRgbCurrent) return;
    if (m_fSaturation == 0.0f) {
        m_nRed = m_nGreen = m_nBlue = ToByte(m_fLightness);
    } else {
        const float m2 = m_fLightness <= 0.5f
                             ? m_fLightness * (1.0f + m_fSaturation)
                             : m_fLightness + m_fSaturation - m_fLightness * m_fSaturation;
        const float m1 = 2.0f * m_fLightness - m2;
        m_nRed = ToByte(Channel(m1, m2, m_fHue + 120.0f));
        m_nGreen = ToByte(Channel(m1, m2, m_fHue));
        m_nBlue = ToByte(Channel(m1, m2, m_fHue - 120.0f));
    }
    m_bRgbCurrent = true;
}
