#pragma once

#include <cstdint>

namespace chronova::gis {

/// An RGB colour as the host stores it: a Long whose low byte is red, then green, then blue.
struct Color {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    /// A colour that draws nothing (no outline, no fill).
    bool NullColor = false;

    static constexpr Color FromRGB(int32_t rgb) noexcept {
        return Color{static_cast<uint8_t>(rgb & 0xFF), static_cast<uint8_t>((rgb >> 8) & 0xFF),
                     static_cast<uint8_t>((rgb >> 16) & 0xFF), false};
    }
    constexpr int32_t RGB() const noexcept { return Red | (Green << 8) | (Blue << 16); }
    friend bool operator==(const Color&, const Color&) = default;
};

} // namespace chronova::gis
