#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/data/row_ids.h"
#include "gis/layers/drawable_layer.h"
#include "gis/layers/layer.h"
#include "gis/symbology/symbols.h"
#include "records/i_time_layer.h"

namespace chronova::plugins {

/// One observation of a moving object: where it was at a time, and how fast it went in which direction.
struct MovingPoint {
    std::string Id;
    platform::Date Time;
    double X = 0.0;
    double Y = 0.0;
    std::optional<double> Speed;
    std::optional<double> Direction;
};

/// An example of a custom time layer written by another component: moving points read from a CSV file with
/// the columns TIME, X and Y and optionally ID, SPEED and DIRECTION (any order, any letter case). Times are
/// date texts or date-time groups. The layer takes its steps from its own data and shows the points of the
/// current step, or of every step up to it. It draws itself: a marker per point, or, when the file has speeds and
/// directions, an arrow turned to the direction and sized by the speed.
class MovingPointsLayer : public gis::LayerBase, public ITimeLayer, public gis::IDrawableLayer {
public:
    /// Reads the file; raises an AutomationError naming the file and line for missing columns, unreadable
    /// times or numbers, and a file that cannot be read.
    static std::shared_ptr<MovingPointsLayer> Open(const std::string& path, std::string name = {});
    /// Reads CSV text (source names it in error messages).
    static std::shared_ptr<MovingPointsLayer> FromText(std::string_view text, const std::string& source,
                                                       std::string name = {});

    // ITimeLayer
    std::string Path() override { return path_; }
    int32_t TimeStepCount() override { return static_cast<int32_t>(steps_.size()); }
    platform::Variant TimeStep(int32_t lIndex) override;
    platform::Variant CurrentTimeStep() override { return current_; }
    void CurrentTimeStep(const platform::Variant& value) override;
    int32_t FieldsCount() override { return static_cast<int32_t>(fields_.size()); }
    void Fields(int32_t lIndex, std::string& sName, int16_t& iType) override;
    bool ShowPrevious() override { return show_previous_; }
    void ShowPrevious(bool value) override;
    bool ForceVectors() override { return has_vectors_; }
    void VectorFields(std::string& sSpeed, std::string& sDirection) override;

    // gis::ILayer
    gis::Envelope AreaOfInterest() const override { return extent_; }

    // gis::IDrawableLayer
    /// Draws the visible points: a point with speed and direction as an arrow pointing the direction (degrees
    /// clockwise from north) whose size grows from 8 to 24 points over the file's range of speeds; any other
    /// point as the point marker.
    void Draw(gis::IDisplay& display) override;
    /// Changes when a new step or ShowPrevious changes the points shown.
    uint64_t DrawRevision() const override { return draw_revision_; }
    /// The points shown: everything else the drawing reads is fixed when the file is read.
    std::optional<std::string> DrawState() const override;

    const std::vector<MovingPoint>& Points() const noexcept { return points_; }
    /// The points the layer shows at its current step, ascending; none before a step is set.
    const gis::RowIds& VisiblePoints() const noexcept { return visible_; }

private:
    MovingPointsLayer() = default;
    void Select();

    std::string path_;
    std::vector<MovingPoint> points_; // ascending by time
    std::vector<platform::Date> steps_;
    std::vector<std::pair<std::string, int16_t>> fields_;
    bool has_vectors_ = false;
    bool show_previous_ = false;
    platform::Variant current_;
    gis::RowIds visible_;
    gis::Envelope extent_;
    uint64_t draw_revision_ = 0;
    gis::SimpleMarkerSymbol point_symbol_;
    // The range of the file's speeds, which the arrow sizes span.
    double min_speed_ = 0.0;
    double max_speed_ = 0.0;
};

} // namespace chronova::plugins
