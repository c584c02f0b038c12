#include "gis/symbology/palettes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

constexpr Color Hex(uint32_t rgb) {
    return Color{static_cast<uint8_t>((rgb >> 16) & 0xFF), static_cast<uint8_t>((rgb >> 8) & 0xFF),
                 static_cast<uint8_t>(rgb & 0xFF), false};
}

std::vector<Color> Colors(std::initializer_list<uint32_t> hex) {
    std::vector<Color> colors;
    colors.reserve(hex.size());
    for (const uint32_t rgb : hex) {
        colors.push_back(Hex(rgb));
    }
    return colors;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

uint8_t Mix(uint8_t a, uint8_t b, double f) {
    return static_cast<uint8_t>(std::lround(a + (b - a) * f));
}

} // namespace

const std::vector<ColorRamp>& ColorRamps() {
    static const std::vector<ColorRamp> ramps = {
        {"viridis", RampKind::Sequential,
         Colors({0x440154, 0x482878, 0x3e4989, 0x31688e, 0x26828e, 0x1f9e89, 0x35b779, 0x6ece58, 0xb5de2b, 0xfde725})},
        {"blues", RampKind::Sequential,
         Colors({0xf7fbff, 0xdeebf7, 0xc6dbef, 0x9ecae1, 0x6baed6, 0x4292c6, 0x2171b5, 0x08519c, 0x08306b})},
        {"greens", RampKind::Sequential,
         Colors({0xf7fcf5, 0xe5f5e0, 0xc7e9c0, 0xa1d99b, 0x74c476, 0x41ab5d, 0x238b45, 0x006d2c, 0x00441b})},
        {"oranges", RampKind::Sequential,
         Colors({0xfff5eb, 0xfee6ce, 0xfdd0a2, 0xfdae6b, 0xfd8d3c, 0xf16913, 0xd94801, 0xa63603, 0x7f2704})},
        {"reds", RampKind::Sequential,
         Colors({0xfff5f0, 0xfee0d2, 0xfcbba1, 0xfc9272, 0xfb6a4a, 0xef3b2c, 0xcb181d, 0xa50f15, 0x67000d})},
        {"greys", RampKind::Sequential,
         Colors({0xffffff, 0xf0f0f0, 0xd9d9d9, 0xbdbdbd, 0x969696, 0x737373, 0x525252, 0x252525, 0x000000})},
        {"ylorrd", RampKind::Sequential,
         Colors({0xffffcc, 0xffeda0, 0xfed976, 0xfeb24c, 0xfd8d3c, 0xfc4e2a, 0xe31a1c, 0xbd0026, 0x800026})},
        {"rdylbu", RampKind::Diverging,
         Colors({0xa50026, 0xd73027, 0xf46d43, 0xfdae61, 0xfee090, 0xffffbf, 0xe0f3f8, 0xabd9e9, 0x74add1, 0x4575b4,
                 0x313695})},
        {"rdbu", RampKind::Diverging,
         Colors({0x67001f, 0xb2182b, 0xd6604d, 0xf4a582, 0xfddbc7, 0xf7f7f7, 0xd1e5f0, 0x92c5de, 0x4393c3, 0x2166ac,
                 0x053061})},
        {"brbg", RampKind::Diverging,
         Colors({0x543005, 0x8c510a, 0xbf812d, 0xdfc27d, 0xf6e8c3, 0xf5f5f5, 0xc7eae5, 0x80cdc1, 0x35978f, 0x01665e,
                 0x003c30})},
        {"spectral", RampKind::Diverging,
         Colors({0x9e0142, 0xd53e4f, 0xf46d43, 0xfdae61, 0xfee08b, 0xffffbf, 0xe6f598, 0xabdda4, 0x66c2a5, 0x3288bd,
                 0x5e4fa2})},
        {"set1", RampKind::Qualitative,
         Colors({0xe41a1c, 0x377eb8, 0x4daf4a, 0x984ea3, 0xff7f00, 0xffff33, 0xa65628, 0xf781bf, 0x999999})},
        {"set2", RampKind::Qualitative,
         Colors({0x66c2a5, 0xfc8d62, 0x8da0cb, 0xe78ac3, 0xa6d854, 0xffd92f, 0xe5c494, 0xb3b3b3})},
        {"tab10", RampKind::Qualitative,
         Colors({0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd, 0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf})},
        {"paired", RampKind::Qualitative,
         Colors({0xa6cee3, 0x1f78b4, 0xb2df8a, 0x33a02c, 0xfb9a99, 0xe31a1c, 0xfdbf6f, 0xff7f00, 0xcab2d6, 0x6a3d9a,
                 0xffff99, 0xb15928})},
    };
    return ramps;
}

const ColorRamp* FindColorRamp(std::string_view name) {
    for (const ColorRamp& ramp : ColorRamps()) {
        if (SameName(ramp.Name, name)) {
            return &ramp;
        }
    }
    return nullptr;
}

const ColorRamp& ColorRampNamed(std::string_view name) {
    if (const ColorRamp* ramp = FindColorRamp(name)) {
        return *ramp;
    }
    platform::RaiseError(platform::error::kInvalidProcedureCall,
                         "There is no colour ramp '" + std::string(name) + "' (known: " + ColorRampNames() + ").");
}

std::string ColorRampNames() {
    std::string names;
    for (const ColorRamp& ramp : ColorRamps()) {
        names += (names.empty() ? "" : ", ") + std::string(ramp.Name);
    }
    return names;
}

std::vector<RampStop> EvenStops(const std::vector<Color>& colors) {
    std::vector<RampStop> stops;
    stops.reserve(colors.size());
    for (size_t i = 0; i < colors.size(); ++i) {
        const double position =
            colors.size() == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(colors.size() - 1);
        stops.push_back({position, colors[i]});
    }
    return stops;
}

Color SampleStops(const std::vector<RampStop>& stops, double t) {
    if (stops.empty()) {
        return Color{};
    }
    t = std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0);
    if (t <= stops.front().Position) {
        return stops.front().StopColor;
    }
    for (size_t i = 1; i < stops.size(); ++i) {
        const RampStop& low = stops[i - 1];
        const RampStop& high = stops[i];
        if (t <= high.Position) {
            const double span = high.Position - low.Position;
            const double f = span > 0.0 ? (t - low.Position) / span : 1.0;
            return Color{Mix(low.StopColor.Red, high.StopColor.Red, f),
                         Mix(low.StopColor.Green, high.StopColor.Green, f),
                         Mix(low.StopColor.Blue, high.StopColor.Blue, f), false};
        }
    }
    return stops.back().StopColor;
}

Color SampleRamp(const ColorRamp& ramp, double t) {
    return SampleStops(EvenStops(ramp.Colors), t);
}

std::vector<Color> ClassColors(const ColorRamp& ramp, int count) {
    if (ramp.Kind != RampKind::Qualitative) {
        return ClassColors(ramp.Colors, count);
    }
    std::vector<Color> colors;
    for (int i = 0; i < count && !ramp.Colors.empty(); ++i) {
        colors.push_back(ramp.Colors[static_cast<size_t>(i) % ramp.Colors.size()]);
    }
    return colors;
}

std::vector<Color> ClassColors(const std::vector<Color>& colors, int count) {
    if (count <= 0 || colors.empty()) {
        return {};
    }
    if (static_cast<size_t>(count) == colors.size()) {
        return colors;
    }
    const std::vector<RampStop> stops = EvenStops(colors);
    std::vector<Color> sampled;
    sampled.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        sampled.push_back(SampleStops(stops, count == 1 ? 0.5 : static_cast<double>(i) / (count - 1)));
    }
    return sampled;
}

} // namespace chronova::gis
