#include "extension/toolbar_bitmap.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation_error.h"

namespace chronova {
namespace {

constexpr int32_t kWidth = 24;
constexpr int32_t kHeight = 22;

// One character per pixel, one row of the picture per line; the palette below gives each its colour (0xAARRGGBB).
// clang-format off
constexpr std::array<std::string_view, kHeight> kRows = {
    "..........KKKK..........",
    ".......KKKWWWWKKK.......",
    "......KWWWWGGWWWWK......",
    ".....KWWWWWNNWWWWWK.....",
    "....KWWWWWWNNWWWWWWK....",
    "....KWWWWWWNNWWWWWWK....",
    "...KWWWWWWWNNWWWWWWWK...",
    "...KWGWWWWWRRWWWWWGWK...",
    "...KWGWWWWWRRNNNNWGWK...",
    "...KWWWWWWWWWWWWWWWWK...",
    "....KWWWWWWWWWWWWWWK....",
    "....KWWWWWWWWWWWWWWK....",
    ".....KWWWWWWWWWWWWK.....",
    "......KWWWWGGWWWWK......",
    ".......KKKWWWWKKK.......",
    "..........KKKK..........",
    "..............WWWN......",
    "..............WBBN......",
    ".GGGGGGGGGGGGGWBBNGGGGG.",
    ".SSSSSSSSSSSSSWBBNSSSSS.",
    "..............WBBN......",
    "..............NNNN......",
};
// clang-format on

struct PaletteEntry {
    char code;
    uint32_t argb;
};

constexpr PaletteEntry kPalette[] = {
    {'.', 0x00000000}, // transparent: the toolbar shows through
    {'K', 0xFF000000}, // black: the clock's rim
    {'W', 0xFFFFFFFF}, // white: the face, the thumb's light edge
    {'G', 0xFF808080}, // grey: hour marks, the track
    {'S', 0xFFC0C0C0}, // silver: the track's lower edge
    {'N', 0xFF000080}, // navy: the hands, the thumb's shadow
    {'R', 0xFFFF0000}, // red: the hub
    {'B', 0xFF0000FF}, // blue: the thumb
};

uint32_t ColourOf(char code) {
    for (const auto& entry : kPalette) {
        if (entry.code == code) {
            return entry.argb;
        }
    }
    platform::RaiseError(platform::error::kInternalError,
                         std::string("The toolbar picture uses the colour '") + code + "' that has no palette entry.");
}

gis::CommandBitmap Draw() {
    gis::CommandBitmap bitmap;
    bitmap.Width = kWidth;
    bitmap.Height = kHeight;
    bitmap.Pixels.reserve(static_cast<size_t>(kWidth) * kHeight);
    for (const std::string_view row : kRows) {
        if (row.size() != static_cast<size_t>(kWidth)) {
            platform::RaiseError(platform::error::kInternalError, "A row of the toolbar picture has the wrong width.");
        }
        for (const char code : row) {
            bitmap.Pixels.push_back(ColourOf(code));
        }
    }
    return bitmap;
}

} // namespace

std::shared_ptr<const gis::CommandBitmap> TimeToolbarBitmap() {
    static const auto bitmap = std::make_shared<const gis::CommandBitmap>(Draw());
    return bitmap;
}

} // namespace chronova
