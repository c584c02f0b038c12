#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace chronova::gis {

/// Where a piece of map furniture sits: a corner or the middle of an edge of the frame, or wherever it covers the
/// least data.
enum class Placement { Automatic, TopLeft, Top, TopRight, Left, Right, BottomLeft, Bottom, BottomRight };

/// The name project files use: "top-left", "top", "top-right", "left", "right", "bottom-left", "bottom",
/// "bottom-right"; "auto" for Automatic.
std::string_view PlacementName(Placement placement);
/// The placement of a name PlacementName gives; none for any other text.
std::optional<Placement> PlacementFromName(std::string_view name);
/// The names a user may write, for messages: "top-left, top, ...".
std::string_view PlacementNames();

/// Whether a piece is drawn and where.
struct PieceSettings {
    bool Shown = true;
    Placement Where = Placement::Automatic;
    friend bool operator==(const PieceSettings&, const PieceSettings&) = default;
};

/// What is drawn around a map on an exported frame. The defaults give a finished map: every piece on (a legend
/// and a colour bar only when there is something to show) and a little room around the data.
struct LayoutSettings {
    static constexpr double kDefaultMargin = 0.05;
    static constexpr double kLargestMargin = 0.5;

    PieceSettings Title;
    /// The title's text; unset writes the map's name, unless it is still the host's default name "Layers".
    std::optional<std::string> TitleText;
    PieceSettings Legend;
    PieceSettings ScaleBar;
    PieceSettings ColorBar;
    PieceSettings TimeLabel;
    /// Room around the data, as a fraction of the data's width and height added on every side.
    double Margin = kDefaultMargin;

    /// The bare map: no furniture and no margin.
    static LayoutSettings None() {
        LayoutSettings none;
        for (PieceSettings* piece : {&none.Title, &none.Legend, &none.ScaleBar, &none.ColorBar, &none.TimeLabel}) {
            piece->Shown = false;
        }
        none.Margin = 0.0;
        return none;
    }
    bool AnyShown() const noexcept {
        return Title.Shown || Legend.Shown || ScaleBar.Shown || ColorBar.Shown || TimeLabel.Shown;
    }
    friend bool operator==(const LayoutSettings&, const LayoutSettings&) = default;
};

} // namespace chronova::gis
