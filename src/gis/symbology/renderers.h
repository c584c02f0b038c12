#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/geometry_column.h"
#include "gis/symbology/color.h"
#include "gis/symbology/palettes.h"
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

/// The breaks of a quantile classification: classes + 1 values from the smallest to the largest, each class
/// holding about as many of the values as the others. NaN values (nulls) are ignored; breaks that fall on the
/// same value are merged, so fewer classes may come back. Empty without values or for fewer than one class.
std::vector<double> QuantileBreaks(std::vector<double> values, int32_t classes);

/// Sets a class-breaks renderer's classes from ascending breaks b0..bn: n classes, the first from b0 (its
/// minimum break) to b1. Symbols and labels of the classes are cleared.
void SetClassBreaks(ClassBreaksRenderer& renderer, const std::vector<double>& breaks);

/// Symbols by distinct value of a field of any type: values are matched as text, numbers written the way
/// UniqueValueText writes them, so the integer 3 and the text "3" are one value. Features whose value is not
/// listed (or null) take the default symbol; without one they are not drawn.
class UniqueValueRenderer : public IFeatureRenderer {
public:
    std::string Field;
    std::shared_ptr<ISymbol> DefaultSymbol;
    std::string DefaultLabel;

    /// Lists a value with its symbol and legend label (empty: the value itself); a value listed before gets
    /// the new symbol and label.
    void AddValue(std::string value, std::shared_ptr<ISymbol> symbol, std::string label = {});
    void RemoveAllValues();
    int32_t ValueCount() const noexcept { return static_cast<int32_t>(entries_.size()); }
    const std::string& Value(int32_t index) const;
    std::shared_ptr<ISymbol> Symbol(int32_t index) const;
    void Symbol(int32_t index, std::shared_ptr<ISymbol> symbol);
    const std::string& Label(int32_t index) const;
    /// The position of a listed value, -1 when it is not listed; a hash look-up.
    int32_t IndexOf(std::string_view value) const;

    /// The position of every row's value of a column of the table (-1 for a value not listed or null), worked
    /// out on the first call for that column and the renderer's state and then kept, so that drawing a frame
    /// reads one number per feature. Thread-safe.
    std::shared_ptr<const std::vector<int32_t>> ClassesOf(const std::shared_ptr<const ColumnTable>& table,
                                                          size_t column) const;

private:
    struct Entry {
        std::string Value;
        std::shared_ptr<ISymbol> Symbol;
        std::string Label;
    };
    // Hashes texts and string views alike, so that a look-up makes no copy of the text.
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    struct RowClasses {
        std::weak_ptr<const ColumnTable> Table;
        const ColumnTable* TableKey = nullptr;
        size_t Column = 0;
        uint64_t Revision = 0;
        std::shared_ptr<const std::vector<int32_t>> Classes;
    };
    void CheckIndex(int32_t index) const;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, int32_t, TextHash, std::equal_to<>> index_;
    mutable std::mutex row_classes_mutex_;
    mutable RowClasses row_classes_;
};

/// A number as unique values match it: whole numbers without a fraction ("3", "-12"), others with up to 15
/// significant digits ("2.5").
std::string UniqueValueText(double value);
/// A date (OLE serial) as unique values match it: "2024-05-01", or "2024-05-01 06:30:00" with a time of day.
std::string UniqueDateText(double serial);

/// A copy of a symbol with its main colour (marker, line or fill colour) replaced.
std::shared_ptr<ISymbol> RecoloredSymbol(const ISymbol& symbol, Color color);

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
    /// A ramp of several colours at ascending positions 0..1; when set it replaces FromColor and ToColor.
    std::vector<RampStop> Stops;
    /// The raster the renderer was last bound to.
    std::shared_ptr<RasterDataset> Raster;
    /// Takes in changed settings (the host's renderer update); bumps the revision.
    void Update() { Touch(); }
    /// The stops the ramp draws with: Stops, or FromColor at 0 and ToColor at 1.
    std::vector<RampStop> EffectiveStops() const;
};

/// Three bands drawn as the red, green and blue of each cell, with an optional alpha band, as a photograph or
/// a basemap is drawn. Bands are numbered from 1; an alpha band of 0 means none. 8-bit bands are drawn as they
/// are; bands of other types are stretched between their minimum and maximum.
class RasterRGBRenderer : public IRasterRenderer {
public:
    int32_t RedBand = 1;
    int32_t GreenBand = 2;
    int32_t BlueBand = 3;
    int32_t AlphaBand = 0;
    std::shared_ptr<RasterDataset> Raster;
    void Update() { Touch(); }
};

} // namespace chronova::gis
