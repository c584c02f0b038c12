#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/symbology/color.h"
#include "gis/symbology/symbols.h"
#include "platform/variant.h"

namespace chronova::gis {

class RasterDataset;

/// How a feature layer turns features into symbols.
class IFeatureRenderer : public virtual platform::IUnknown {
public:
    /// Counts changes, so that drawing code can tell whether an image it cached is still current.
    uint64_t Revision() const noexcept { return revision_; }
    void Touch() noexcept { ++revision_; }

private:
    uint64_t revision_ = 0;
};

/// One symbol for every feature.
class SimpleRenderer : public IFeatureRenderer {
public:
    std::shared_ptr<ISymbol> Symbol;
    std::string Label;
    std::string Description;
};

/// The host's rotation type codes. Geographic: degrees clockwise from north, the way current and wind
/// directions are stored. Arithmetic: degrees counter-clockwise from east.
enum class RotationType : int32_t { Geographic = 0, Arithmetic = 1 };

/// Symbols by class of a numeric field: class j holds values above break j-1 (above MinimumBreak for class
/// 0) up to and including break j. Markers may be rotated by a second field.
class ClassBreaksRenderer : public IFeatureRenderer {
public:
    std::string Field;
    double MinimumBreak = 0.0;
    /// Sets the number of classes; breaks, symbols and labels grow or shrink with it.
    void BreakCount(int32_t count);
    int32_t BreakCount() const noexcept { return static_cast<int32_t>(breaks_.size()); }
    double Break(int32_t index) const;
    void Break(int32_t index, double value);
    std::shared_ptr<ISymbol> Symbol(int32_t index) const;
    void Symbol(int32_t index, std::shared_ptr<ISymbol> symbol);
    std::string Label(int32_t index) const;
    void Label(int32_t index, std::string label);
    /// The low break of a class as the renderer's property pages show it.
    double LowBreak(int32_t index) const;
    void LowBreak(int32_t index, double value);

    std::string RotationField;
    RotationType Rotation = RotationType::Geographic;
    bool SortClassesAscending = true;
    std::string ColorRampName;
    bool ShowClassGaps = true;
    bool LegendGraduated = false;
    std::string PropertyPage;

    /// The class of a value (-1 when it lies in no class).
    int32_t ClassOf(double value) const;

private:
    void CheckIndex(int32_t index) const;
    std::vector<double> breaks_;
    std::vector<double> low_breaks_;
    std::vector<std::shared_ptr<ISymbol>> symbols_;
    std::vector<std::string> labels_;
};

/// The breaks of an equal-interval classification of minimum..maximum: classes + 1 values from minimum to
/// maximum. Empty for fewer than one class or a maximum below the minimum; one class for an empty range.
std::vector<double> EqualIntervalBreaks(double minimum, double maximum, int32_t classes);

/// How a raster layer turns cells of one band into colours.
class IRasterRenderer : public virtual platform::IUnknown {
public:
    uint64_t Revision() const noexcept { return revision_; }
    void Touch() noexcept { ++revision_; }

private:
    uint64_t revision_ = 0;
};

/// The host's stretch type codes; 5 stretches linearly between a custom minimum and maximum.
enum class StretchType : int32_t { None = 0, DefaultFromHistogram = 1, StandardDeviations = 3, MinimumMaximum = 5 };

/// One band drawn through a colour ramp, stretched between a minimum and a maximum.
class RasterStretchColorRampRenderer : public IRasterRenderer {
public:
    int32_t BandIndex = 0;
    StretchType Stretch = StretchType::MinimumMaximum;
    bool UseCustomStretchMinMax = false;
    double CustomStretchMin = 0.0;
    double CustomStretchMax = 1.0;
    std::string LabelHigh;
    std::string LabelMedium;
    std::string LabelLow;
    Color FromColor = Color{0, 0, 0, false};
    Color ToColor = Color{255, 255, 255, false};
    /// The raster the renderer was last bound to.
    std::shared_ptr<RasterDataset> Raster;
    /// Takes in changed settings (the host's renderer update); bumps the revision.
    void Update() { Touch(); }
};

} // namespace chronova::gis
