#include "gis/layers/feature_layer.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <numeric>

#include "gis/data/server_table.h"
#include "gis/host_errors.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// Colours for new layers, told apart easily on a light map; each layer takes one by its id.
constexpr std::array<Color, 8> kLayerColors{{
    {31, 119, 180, false},
    {230, 97, 1, false},
    {44, 160, 44, false},
    {214, 39, 40, false},
    {148, 103, 189, false},
    {140, 86, 75, false},
    {227, 119, 194, false},
    {23, 170, 190, false},
}};

// The symbol a simple renderer needs for a shape type: a marker for points (and for shapes of unknown type,
// which are most often points), a line for lines, a fill for polygons.
std::shared_ptr<ISymbol> DefaultSymbol(GeometryType type, Color color) {
    switch (type) {
    case GeometryType::Polyline: {
        auto line = std::make_shared<SimpleLineSymbol>();
        line->LineColor = color;
        line->Width = 1.0;
        return line;
    }
    case GeometryType::Polygon: {
        auto fill = std::make_shared<SimpleFillSymbol>();
        fill->FillColor = color;
        fill->Outline->LineColor = Color{110, 110, 110, false};
        fill->Outline->Width = 0.4;
        return fill;
    }
    default: {
        auto marker = std::make_shared<SimpleMarkerSymbol>();
        marker->MarkerColor = color;
        marker->Size = 5.0;
        return marker;
    }
    }
}

bool SymbolSuits(const ISymbol* symbol, GeometryType type) {
    switch (type) {
    case GeometryType::Polyline:
        return dynamic_cast<const SimpleLineSymbol*>(symbol) != nullptr;
    case GeometryType::Polygon:
        return dynamic_cast<const SimpleFillSymbol*>(symbol) != nullptr;
    default:
        return dynamic_cast<const IMarkerSymbol*>(symbol) != nullptr;
    }
}

} // namespace

FeatureLayer::FeatureLayer(std::shared_ptr<IFeatureClass> feature_class, std::string data_source_type, std::string name)
    : feature_class_(std::move(feature_class)), data_source_type_(std::move(data_source_type)) {
    if (!name.empty()) {
        Name(std::move(name));
    } else if (feature_class_) {
        Name(feature_class_->Name());
    }
    ApplyDefaultRenderer();
}

void FeatureLayer::FeatureClass(std::shared_ptr<IFeatureClass> feature_class) {
    if (feature_class == feature_class_) {
        return;
    }
    feature_class_ = std::move(feature_class);
    joins_.clear();
    RestrictServerRows();
    ApplyDefaultRenderer();
    Changed();
}

void FeatureLayer::Renderer(std::shared_ptr<IFeatureRenderer> renderer) {
    if (renderer == renderer_) {
        return;
    }
    if (renderer_) {
        replaced_renderer_revisions_ += renderer_->Revision();
    }
    renderer_ = std::move(renderer);
    Changed();
}

uint64_t FeatureLayer::DrawRevision() const noexcept {
    // Each term only grows while the renderer stays, and a replacement adds the old renderer's count to the
    // base and one to revision_, so the sum never returns to an earlier value.
    return revision_ + replaced_renderer_revisions_ + (renderer_ ? renderer_->Revision() : 0) + label_changes_;
}

void FeatureLayer::Labels(std::optional<LabelSettings> labels) {
    if (labels == labels_) {
        return;
    }
    labels_ = std::move(labels);
    // Labels change the image, not the features drawn, so the cached visible features stay.
    ++label_changes_;
}

void FeatureLayer::RestrictServerRows() {
    // A clause that does not parse draws nothing, so the server keeps the last restriction rather than being asked
    // for every row.
    if (auto* server = dynamic_cast<IServerTable*>(feature_class_.get()); server != nullptr && parse_error_.empty()) {
        server->Restrict(definition_, time_reading_);
    }
}

void FeatureLayer::ApplyDefaultRenderer() {
    if (!feature_class_) {
        return;
    }
    // A renderer chosen for the data stays; a simple one whose symbol cannot draw the new shapes is replaced.
    const GeometryType type = feature_class_->ShapeType();
    if (const auto* simple = dynamic_cast<const SimpleRenderer*>(renderer_.get())) {
        if (SymbolSuits(simple->Symbol.get(), type)) {
            return;
        }
    } else if (renderer_) {
        return;
    }
    auto renderer = std::make_shared<SimpleRenderer>();
    renderer->Symbol = DefaultSymbol(type, kLayerColors[LayerId() % kLayerColors.size()]);
    Renderer(std::move(renderer));
}

void FeatureLayer::DefinitionExpression(std::string text) {
    if (text == definition_text_) {
        return;
    }
    const uint64_t draw_revision_before = DrawRevision();
    definition_text_ = std::move(text);
    definition_ = WhereClause();
    parse_error_.clear();
    try {
        definition_ = WhereClause::Parse(definition_text_);
    } catch (const platform::AutomationError& e) {
        parse_error_ = e.Description();
    } catch (const std::exception& e) {
        parse_error_ = e.what();
    }
    RestrictServerRows();
    Changed();
    FollowGrowth(draw_revision_before);
    if (!parse_error_.empty()) {
        ReportDefinitionError(parse_error_);
    }
}

void FeatureLayer::FollowsGrowth(bool follows) {
    if (follows == follows_growth_) {
        return;
    }
    follows_growth_ = follows;
    const uint64_t draw_revision_before = DrawRevision();
    growth_tracks_.clear();
    growth_steps_.clear();
    growth_data_ = nullptr;
    // The order the features are drawn in changes.
    Changed();
    FollowGrowth(draw_revision_before);
}

void FeatureLayer::FollowGrowth(uint64_t draw_revision_before) {
    // Growth is followed for as many steps as a drawer could still hold an image of.
    constexpr size_t kKeptSteps = 1024;
    std::vector<WhereClause::UpperBound> bounds;
    std::shared_ptr<const ColumnTable> data;
    if (follows_growth_ && feature_class_ && parse_error_.empty()) {
        try {
            data = feature_class_->Data();
            bounds = definition_.UpperBounds(*data, time_reading_);
        } catch (const platform::AutomationError&) {
            // The expression does not suit the data (or names joined fields); drawing reports why.
            bounds.clear();
        }
    }
    const bool continues = !bounds.empty() && data == growth_data_ && !growth_steps_.empty() &&
                           growth_steps_.back() == draw_revision_before;
    if (continues) {
        // A track goes on while its bound is still there, of the same shape, and reaches at least as far.
        std::erase_if(growth_tracks_, [&](GrowthTrack& track) {
            const auto same = std::find_if(bounds.begin(), bounds.end(), [&](const WhereClause::UpperBound& bound) {
                return bound.order == track.order && bound.shape == track.shape && bound.end >= track.ends.back();
            });
            if (same == bounds.end()) {
                return true;
            }
            track.ends.push_back(same->end);
            return false;
        });
    }
    if (!continues || growth_tracks_.empty()) {
        growth_tracks_.clear();
        growth_steps_.clear();
        growth_data_ = bounds.empty() ? nullptr : data;
        for (const WhereClause::UpperBound& bound : bounds) {
            growth_tracks_.push_back(GrowthTrack{bound.order, bound.shape, bound.whole, {bound.end}});
        }
    }
    if (growth_tracks_.empty()) {
        return;
    }
    growth_steps_.push_back(DrawRevision());
    if (growth_steps_.size() > kKeptSteps) {
        const auto dropped = static_cast<std::ptrdiff_t>(growth_steps_.size() - kKeptSteps);
        growth_steps_.erase(growth_steps_.begin(), growth_steps_.begin() + dropped);
        for (GrowthTrack& track : growth_tracks_) {
            track.ends.erase(track.ends.begin(), track.ends.begin() + dropped);
        }
    }
}

RowIds FeatureLayer::GrowthRows(size_t first, size_t last) const {
    const GrowthTrack& track = growth_tracks_.front();
    const auto order_begin = track.order->begin();
    RowIds rows(order_begin + static_cast<std::ptrdiff_t>(first), order_begin + static_cast<std::ptrdiff_t>(last));
    if (!track.whole) {
        rows = definition_.Filter(*growth_data_, std::move(rows), time_reading_);
    }
    if (!joins_.empty()) {
        const RowIds& joined = joins_.back()->FeatureRows();
        std::erase_if(rows, [&](uint32_t row) { return !std::binary_search(joined.begin(), joined.end(), row); });
    }
    if (time_selection_) {
        std::erase_if(rows, [&](uint32_t row) {
            return !std::binary_search(time_selection_->begin(), time_selection_->end(), row);
        });
    }
    return rows;
}

RowIds FeatureLayer::VisibleFeaturesInGrowthOrder() const {
    if (growth_tracks_.empty() || !feature_class_ || feature_class_->Data() != growth_data_) {
        return {};
    }
    return GrowthRows(0, growth_tracks_.front().ends.back());
}

std::optional<RowIds> FeatureLayer::RowsAppendedSince(uint64_t since) const {
    if (growth_tracks_.empty() || growth_steps_.back() != DrawRevision() || !feature_class_ ||
        feature_class_->Data() != growth_data_) {
        return std::nullopt;
    }
    const auto from = std::find(growth_steps_.begin(), growth_steps_.end(), since);
    if (from == growth_steps_.end()) {
        return std::nullopt;
    }
    const std::vector<size_t>& ends = growth_tracks_.front().ends;
    return GrowthRows(ends[static_cast<size_t>(from - growth_steps_.begin())], ends.back());
}

std::string FeatureLayer::DefinitionError() const {
    if (!parse_error_.empty()) {
        return parse_error_;
    }
    // Errors of fields and literals only show when the expression meets the data.
    VisibleFeatures();
    return evaluation_error_;
}

std::shared_ptr<ITable> FeatureLayer::DisplayTable() const {
    if (!joins_.empty()) {
        return joins_.back();
    }
    return feature_class_;
}

std::shared_ptr<IFeatureClass> FeatureLayer::DisplayFeatureClass() const {
    if (!joins_.empty()) {
        return joins_.back();
    }
    return feature_class_;
}

void FeatureLayer::DisplayRelationshipClass(std::shared_ptr<const MemoryRelationshipClass> relationship,
                                            JoinType join_type) {
    if (!relationship) {
        return;
    }
    if (dynamic_cast<const IServerTable*>(feature_class_.get()) != nullptr) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The layer '" + Name() +
                                 "' reads its rows from a database server a step at a time and cannot be "
                                 "joined in memory; join the tables in the source's SQL query instead.");
    }
    // The chain is the feature class followed by the joins; the origin says where the new join goes.
    const ITable* origin = relationship->Origin.get();
    size_t keep = 0;
    bool found = feature_class_ && origin == static_cast<const ITable*>(feature_class_.get());
    while (!found && keep < joins_.size()) {
        found = origin == static_cast<const ITable*>(joins_[keep].get());
        ++keep;
    }
    if (!found) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The relationship '" + relationship->Name +
                                 "' does not start at the table of the layer '" + Name() + "'.");
    }
    auto join = std::make_shared<JoinedTable>(std::move(relationship), join_type);
    joins_.resize(keep);
    joins_.push_back(std::move(join));
    Changed();
}

void FeatureLayer::RemoveAllJoins() {
    if (joins_.empty()) {
        return;
    }
    joins_.clear();
    Changed();
}

std::shared_ptr<const RowIds> FeatureLayer::VisibleFeatures() const {
    if (!visible_ || visible_revision_ != revision_) {
        evaluation_error_.clear();
        visible_ = std::make_shared<const RowIds>(ComputeVisibleFeatures());
        visible_revision_ = revision_;
    }
    return visible_;
}

void FeatureLayer::TimeReading(const platform::TimeReading& reading) {
    if (reading == time_reading_) {
        return;
    }
    time_reading_ = reading;
    RestrictServerRows();
    Changed();
}

void FeatureLayer::TimeSelection(std::shared_ptr<const RowIds> rows) {
    if (rows == time_selection_ || (rows && time_selection_ && *rows == *time_selection_)) {
        return;
    }
    time_selection_ = std::move(rows);
    Changed();
}

void FeatureLayer::Trails(std::shared_ptr<const std::vector<FeatureTrail>> trails) {
    if (trails == trails_) {
        return;
    }
    trails_ = std::move(trails);
    Changed();
}

RowIds FeatureLayer::ComputeVisibleFeatures() const {
    if (feature_class_ && time_selection_ && definition_.IsEmpty() && parse_error_.empty() && joins_.empty()) {
        return *time_selection_; // a track's few rows, without a pass over every row
    }
    RowIds rows = ComputeDefinitionRows();
    if (!time_selection_) {
        return rows;
    }
    RowIds kept;
    std::set_intersection(rows.begin(), rows.end(), time_selection_->begin(), time_selection_->end(),
                          std::back_inserter(kept));
    return kept;
}

RowIds FeatureLayer::ComputeDefinitionRows() const {
    if (!feature_class_ || !parse_error_.empty()) {
        return {};
    }
    const auto data = feature_class_->Data();
    const JoinedTable* top = joins_.empty() ? nullptr : joins_.back().get();
    if (definition_.IsEmpty()) {
        if (top != nullptr) {
            return top->FeatureRows();
        }
        RowIds all(data->RowCount());
        std::iota(all.begin(), all.end(), uint32_t{0});
        return all;
    }
    try {
        RowIds rows = definition_.Select(*data, time_reading_);
        if (top == nullptr) {
            return rows;
        }
        RowIds kept;
        const RowIds& joined = top->FeatureRows();
        std::set_intersection(rows.begin(), rows.end(), joined.begin(), joined.end(), std::back_inserter(kept));
        return kept;
    } catch (const platform::AutomationError& own_error) {
        if (top != nullptr) {
            // The expression may name fields that a join brought in; those live in the joined data only.
            try {
                const RowIds joined_rows = definition_.Select(*top->Data(), time_reading_);
                RowIds rows;
                rows.reserve(joined_rows.size());
                for (const uint32_t row : joined_rows) {
                    rows.push_back(top->FeatureRows()[row]);
                }
                return rows;
            } catch (const platform::AutomationError&) {
                // Report the error against the layer's own data, which names the field the user wrote.
            }
        }
        evaluation_error_ = own_error.Description();
        ReportDefinitionError(evaluation_error_);
        return {};
    }
}

Envelope FeatureLayer::AreaOfInterest() const {
    if (!feature_class_) {
        return {};
    }
    return feature_class_->Extent();
}

std::string FeatureLayer::SpatialReference() const {
    if (!feature_class_) {
        return {};
    }
    return feature_class_->SpatialReference();
}

void FeatureLayer::Changed() {
    ++revision_;
}

void FeatureLayer::ReportDefinitionError(const std::string& error) const {
    ReportHostError("The definition expression \"" + definition_text_ + "\" of the layer '" + Name() +
                    "' is not valid: " + error);
}

} // namespace chronova::gis
