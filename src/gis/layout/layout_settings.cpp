#include "gis/layout/layout_settings.h"

#include <array>
#include <utility>

namespace chronova::gis {

namespace {

constexpr std::array<std::pair<Placement, std::string_view>, 9> kNames = {{
    {Placement::Automatic, "auto"},
    {Placement::TopLeft, "top-left"},
    {Placement::Top, "top"},
    {Placement::TopRight, "top-right"},
    {Placement::Left, "left"},
    {Placement::Right, "right"},
    {Placement::BottomLeft, "bottom-left"},
    {Placement::Bottom, "bottom"},
    {Placement::BottomRight, "bottom-right"},
}};

} // namespace

std::string_view PlacementName(Placement placement) {
    for (const auto& [value, name] : kNames) {
        if (value == placement) {
            return name;
        }
    }
    return "auto";
}

std::optional<Placement> PlacementFromName(std::string_view name) {
    for (const auto& [value, known] : kNames) {
        if (known == name) {
            return value;
        }
    }
    return std::nullopt;
}

std::string_view PlacementNames() {
    return "auto, top-left, top, top-right, left, right, bottom-left, bottom, bottom-right";
}

} // namespace chronova::gis
