#pragma once

#include <cstdint>

// A colour as red, green and blue bytes packed the classic way (0x00BBGGRR), so that the
// numbers written in colour tables read the same everywhere.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
           (static_cast<ColorRef>(blue) << 16);
}
constexpr std::uint8_t RedOf(ColorRef colour) {
    return colour & 0xFF;
}
constexpr std::uint8_t GreenOf(ColorRef colour) {
    return (colour >> 8) & 0xFF;
}
constexpr std::uint8_t BlueOf(ColorRef colour) {
    return (colour >> 16) & 0xFF;
}

// One colour seen both as RGB bytes and as hue (degrees), saturation and lightness (0 to 1).
// Setting one side makes the other stale; reading a stale side converts once, on demand.
class CHslColor {
public:
    CHslColor() = default;
    explicit CHslColor(ColorRef colour) { SetRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)); }
    virtual ~CHslColor() = default;

    void SetRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void SetHsl(float hue, float saturation, float lightness);

    void SetHue(float hue);
    void SetSaturation(float saturation);
    void SetLightness(float lightness);

    std::uint8_t GetRed() const;
    std::uint8_t GetGreen() const;
    std::uint8_t GetBlue() const;
    ColorRef GetRgb() const;

    float GetHue() const;
    float GetSaturation() const;
    float GetLightness() const;

private:
    void EnsureRgb() const;
    void EnsureHsl() const;

    // Lazily converted sides, hence mutable.
    mutable std::uint8_t m_nRed = 0;
    mutable std::uint8_t m_nGreen = 0;
    mutable std::uint8_t m_nBlue = 0;
    mutable float m_fHue = 0.0f;
    mutable float m_fSaturation = 0.0f;
    mutable float m_fLightness = 0.0f;
    mutable bool m_bRgbCurrent = true;
    mutable bool m_bHslCurrent = true;
};
