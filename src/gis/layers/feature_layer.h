#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gis/data/joined_table.h"
#include "gis/data/row_ids.h"
#include "gis/data/table.h"
#include "gis/layers/label_settings.h"
#include "gis/layers/layer.h"
#include "gis/sql/where_clause.h"
#include "gis/symbology/renderers.h"

namespace chronova::gis {

/// A line through some features' points, oldest first, drawn under the features: the track an entity left.
/// Each point has an opacity from 0 to 1 for the segment that ends there, so a trail can fade with age.
struct FeatureTrail {
    std::vector<uint32_t> rows;
    std::vector<float> opacity;
};

/// A layer that draws the features of a feature class, restricted by its definition expression and, while
/// relationships are displayed as joins on it, to the features the top join keeps. Like every host object it
/// lives on one thread; its cache of visible features is not guarded against concurrent calls.
class FeatureLayer : public LayerBase {
public:
    FeatureLayer() = default;
    /// The name defaults to the feature class's name. The data source type is the text the host shows for
    /// the kind of data ("Shapefile Feature Class", ...); whoever opens the data knows it.
    explicit FeatureLayer(std::shared_ptr<IFeatureClass> feature_class, std::string data_source_type = {},
                          std::string name = {});

    const std::shared_ptr<IFeatureClass>& FeatureClass() const noexcept { return feature_class_; }
    /// Replaces the data; the joins of the old feature class are removed.
    void FeatureClass(std::shared_ptr<IFeatureClass> feature_class);

    const std::string& DataSourceType() const noexcept { return data_source_type_; }
    void DataSourceType(std::string text) { data_source_type_ = std::move(text); }

    const std::string& DefinitionExpression() const noexcept { return definition_text_; }
    /// Sets the where clause that picks the features drawn. A text that does not parse is kept, makes the
    /// layer draw nothing and is reported through ReportHostError; the setter itself never throws.
    void DefinitionExpression(std::string text);
    /// Why the definition expression lets no feature through: a parse error, or a field or literal that does
    /// not suit the data; "" when the expression works.
    std::string DefinitionError() const;

    /// How the definition expression reads date and text fields compared with dates: the zone of values
    /// without an offset and the zone to show; as stored by default.
    const platform::TimeReading& TimeReading() const noexcept { return time_reading_; }
    void TimeReading(const platform::TimeReading& reading);
    /// Rows of the feature class that a time layer keeps besides the definition expression (the latest fix of
    /// each track), ascending; null keeps every row.
    const std::shared_ptr<const RowIds>& TimeSelection() const noexcept { return time_selection_; }
    void TimeSelection(std::shared_ptr<const RowIds> rows);
    /// Lines drawn under the features through the points of feature rows; null or empty draws none.
    const std::shared_ptr<const std::vector<FeatureTrail>>& Trails() const noexcept { return trails_; }
    void Trails(std::shared_ptr<const std::vector<FeatureTrail>> trails);

    /// The top join of the chain of joins, or the feature class when nothing is joined.
    std::shared_ptr<ITable> DisplayTable() const;
    std::shared_ptr<IFeatureClass> DisplayFeatureClass() const;
    /// The joins from the bottom (joined to the feature class) to the top.
    const std::vector<std::shared_ptr<JoinedTable>>& Joins() const noexcept { return joins_; }
    /// Displays a relationship as a join. Its origin must be the feature class or one of the layer's joins;
    /// joins above that origin are dropped and the new join goes on top. A null relationship changes nothing.
    /// Raises 5 for an origin that is none of these, and the join's own errors for missing keys.
    void DisplayRelationshipClass(std::shared_ptr<const MemoryRelationshipClass> relationship, JoinType join_type);
    void RemoveAllJoins();

    /// The rows of the feature class that are drawn: those the definition expression lets through that the
    /// top join keeps, ascending. Empty when the expression does not work. Kept until DataRevision() changes.
    std::shared_ptr<const RowIds> VisibleFeatures() const;
    /// Whether the layer follows an upper bound of its definition expression on a field as it rises (a time
    /// layer showing its previous steps turns this on): its features are then drawn in the order the bound lets
    /// them in, oldest first, so that a step forward draws only the new ones over the last image. Off by
    /// default: other layers draw in row order, whatever their expression. A change counts as a change of what
    /// the layer draws.
    void FollowsGrowth(bool follows);
    bool FollowsGrowth() const noexcept { return follows_growth_; }
    /// Whether the layer follows growth and its definition expression bounds a field from above (`T <= t`,
    /// alone or ANDed with other terms), so that moving the bound up only lets rows in.
    bool GrowsByAppending() const noexcept { return !growth_tracks_.empty(); }
    /// For a layer that grows by appending: its visible features in the order of the bounded field (ties by row),
    /// the order in which a later bound lets rows in. Empty for any other layer.
    RowIds VisibleFeaturesInGrowthOrder() const;
    /// The rows visible now that were not visible when DrawRevision() was `since`, in the order of the bounded
    /// field, when since then only the definition expression changed, each time moving the same upper bound
    /// further along: VisibleFeaturesInGrowthOrder() then is its value at `since` followed by these rows. Costs
    /// the rows let in, not the rows visible. Nothing otherwise, or when `since` lies too far back.
    std::optional<RowIds> RowsAppendedSince(uint64_t since) const;
    /// Counts changes of what the layer draws (expression, joins, feature class), so drawing code can tell
    /// whether an image it cached is still current.
    uint64_t DataRevision() const noexcept { return revision_; }

    /// How features become symbols; a layer made with a feature class starts with a simple renderer in a colour
    /// of its own, so that it draws at all.
    std::shared_ptr<IFeatureRenderer> Renderer() const { return renderer_; }
    /// Replaces the renderer (null draws nothing); counts as a change of what the layer draws.
    void Renderer(std::shared_ptr<IFeatureRenderer> renderer);
    /// Grows whenever the data, the renderer or the renderer's settings change, so an image of the layer that
    /// was drawn at one value is current exactly while the value stays.
    uint64_t DrawRevision() const noexcept;

    /// The labels drawn beside the features; none by default.
    const std::optional<LabelSettings>& Labels() const noexcept { return labels_; }
    /// Replaces the label settings (std::nullopt turns labels off); a change counts for DrawRevision only.
    void Labels(std::optional<LabelSettings> labels);

    bool Valid() const override { return feature_class_ != nullptr; }
    Envelope AreaOfInterest() const override;
    std::string SpatialReference() const override;

private:
    void Changed();
    RowIds ComputeVisibleFeatures() const;
    RowIds ComputeDefinitionRows() const;
    void ReportDefinitionError(const std::string& error) const;
    // Tells a feature class whose rows stay on a server which rows the layer now draws.
    void RestrictServerRows();
    void ApplyDefaultRenderer();
    void FollowGrowth(uint64_t draw_revision_before);
    // The visible rows among positions [first, last) of the growth track's order, in that order.
    RowIds GrowthRows(size_t first, size_t last) const;

    std::shared_ptr<IFeatureClass> feature_class_;
    std::string data_source_type_;
    std::string definition_text_;
    WhereClause definition_;
    std::string parse_error_;
    platform::TimeReading time_reading_;
    std::shared_ptr<const RowIds> time_selection_;
    std::shared_ptr<const std::vector<FeatureTrail>> trails_;
    std::vector<std::shared_ptr<JoinedTable>> joins_;
    uint64_t revision_ = 0;
    std::shared_ptr<IFeatureRenderer> renderer_;
    // The revisions of the renderers replaced so far, so DrawRevision keeps growing across replacements.
    uint64_t replaced_renderer_revisions_ = 0;
    std::optional<LabelSettings> labels_;
    uint64_t label_changes_ = 0;

    // How the visible rows grew over consecutive changes of the definition expression that only moved one upper
    // bound up: the ends along the bound's order at each step, with the draw revision each step made.
    struct GrowthTrack {
        const std::vector<uint32_t>* order = nullptr;
        std::string shape;
        bool whole = false;
        std::vector<size_t> ends;
    };
    bool follows_growth_ = false;
    std::shared_ptr<const ColumnTable> growth_data_;
    std::vector<GrowthTrack> growth_tracks_;
    // The draw revision each step of the growth made.
    std::vector<uint64_t> growth_steps_;

    mutable std::shared_ptr<const RowIds> visible_;
    mutable uint64_t visible_revision_ = 0;
    mutable std::string evaluation_error_;
};

} // namespace chronova::gis
