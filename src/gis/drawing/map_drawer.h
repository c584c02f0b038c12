#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/raster_drawer.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/map.h"

namespace chronova::gis {

class CoordinateProjection;

/// Draws a map into images: its layers bottom to top (a group's children in their order), invisible layers and
/// web map service layers left out, over a background colour. Each layer is drawn into an image of its own and
/// the frame is composed from those images, so a redraw that concerns one layer draws only that layer. Layers
/// in another spatial reference than the map's are projected once and the projected shapes kept. The map's
/// screen display fires DrawingStarted before and DrawingFinished after every drawing pass.
class MapDrawer {
public:
    /// Raises 91 for no map.
    explicit MapDrawer(std::shared_ptr<Map> map);

    /// Draws the map at a size, showing an extent (by default the one DefaultExtent gives). Layers that keep a
    /// display cache (ILayer::Cached) are drawn again only when what they draw or the view changed; all others
    /// are drawn again. Whenever a feature layer is drawn again in the same view and it only let more rows in
    /// after those it showed (FeatureLayer::RowsAppendedSince: a time layer showing its previous steps moving
    /// forward), only those rows are drawn onto its last image, which gives the same pixels; anything else
    /// draws the layer whole.
    QImage Draw(QSize size, std::optional<Envelope> extent = {});
    /// Draws every layer again, caches or not.
    QImage Refresh(QSize size, std::optional<Envelope> extent = {});
    /// Carries out what the map asked for since the last call (ActiveViewBase::TakeRedrawRequest): a full
    /// refresh, or a plain partial refresh of the geography, draws every layer again; a cache-aware partial
    /// refresh draws only the layers it names (with their children) and those that changed since they were
    /// drawn, and composes the frame from the other layers' last images. With nothing asked for, the last
    /// frame is returned and nothing fires. A change of size or extent draws as Draw does. A request's area
    /// does not narrow the drawing: a layer is always drawn whole.
    QImage Update(QSize size, std::optional<Envelope> extent = {});
    /// As Update, with a request the caller took from the map itself.
    QImage Update(const RedrawRequest& request, QSize size, std::optional<Envelope> extent = {});

    /// The last frame drawn; null before the first.
    const QImage& Frame() const noexcept { return frame_; }

    /// The extent drawn when none is given: an extent set on the map, else the union of its layers' areas in
    /// the map's spatial reference.
    Envelope DefaultExtent();

    const QColor& Background() const noexcept { return background_; }
    /// The colour under every layer; white by default. Takes effect at the next drawing pass.
    void Background(QColor color) { background_ = color; }

    /// Whether feature layers that only let rows in are added to (the default) or drawn whole, as before such
    /// layers were added to; the pixels are the same either way. For benchmarks and diagnostics.
    void AddAppendedRows(bool enabled) noexcept { add_appended_rows_ = enabled; }

    /// Whether a layer that cannot be drawn fails the drawing pass with an AutomationError naming the layer,
    /// instead of being left out and reported to the host (the default, as a window keeps showing the rest).
    /// Batch output sets it: a frame without a layer must not pass for the whole map.
    void FailOnLayerErrors(bool enabled) noexcept { fail_on_layer_errors_ = enabled; }

    /// The most bytes the layers' own images may take together. When a drawing at some size would need more
    /// (large frames, many layers), every pass draws each layer straight onto the frame instead and keeps no
    /// image per layer: unchanged layers are drawn again, but memory stays near one frame. Unlimited by default.
    void LayerImageBudget(int64_t bytes) noexcept { layer_image_budget_ = bytes; }

    /// How often a layer has been drawn into its image, for tests and diagnostics.
    int64_t DrawCount(const ILayer& layer) const;
    /// How many of those drawings only added the rows a feature layer let in to its last image.
    int64_t AppendCount(const ILayer& layer) const;
    /// The drawer of raster layers, with its caches and counters.
    RasterDrawer& Rasters() noexcept { return rasters_; }
    const std::shared_ptr<Map>& BoundMap() const noexcept { return map_; }

private:
    enum class Mode {
        // Every layer is drawn again.
        All,
        // Layers without a display cache are drawn again, cached ones when they changed.
        CacheAware,
        // Only the named layers and those that changed are drawn again.
        Named,
    };

    // A layer's last image and what it was drawn from.
    struct LayerImage {
        std::weak_ptr<ILayer> Layer;
        QImage Image;
        bool Current = false;
        uint64_t Revision = 0;
        int64_t Draws = 0;
        int64_t Appends = 0;
        // The view the image was drawn for (view_); a layer hidden for a while may come back to another view.
        uint64_t View = 0;
        // For a feature layer: the shapes drawn and what the drawing left, so that rows let in later can be
        // added to the image.
        std::weak_ptr<const GeometryColumn> Shapes;
        FeatureDrawing Features;
        // Which drawing of the drawer made the image; never the same for two drawings, even of two layers that
        // lived at the same address one after the other.
        uint64_t Version = 0;
    };

    // How a layer's coordinates reach the map's spatial reference.
    struct Projection {
        bool Same = true;
        std::shared_ptr<const CoordinateProjection> Transform;
        bool Failed = false;
    };

    // A feature class's shapes projected into the map's spatial reference.
    struct ProjectedShapes {
        std::weak_ptr<IFeatureClass> Owner;
        std::shared_ptr<const GeometryColumn> Source;
        std::shared_ptr<const GeometryColumn> Shapes;
    };

    QImage Pass(Mode mode, const std::unordered_set<const ILayer*>& named, QSize size,
                const std::optional<Envelope>& extent);
    void Compose(Mode mode, const std::unordered_set<const ILayer*>& named, QSize size,
                 const std::optional<Envelope>& extent);
    void DrawLayer(const std::shared_ptr<ILayer>& layer, LayerImage& image, const ViewTransform& transform);
    // Draws every layer straight onto the frame, over the background.
    void DrawDirectly(const std::vector<std::shared_ptr<ILayer>>& layers, QSize size, const ViewTransform& transform);
    // Starts a drawing of a layer: its counters, and what an image drawn before says no more.
    void StartDrawing(LayerImage& image);
    // Paints a layer with a painter set up for the view; an error is reported and leaves the other layers drawn.
    void PaintLayer(QPainter& painter, const std::shared_ptr<ILayer>& layer, LayerImage& image,
                    const ViewTransform& transform);
    // Adds the rows a feature layer let in since its image was drawn; false when the layer must be drawn whole.
    bool AppendToLayer(const ILayer& layer, LayerImage& image, const ViewTransform& transform);
    void ComposeFrame(const std::vector<std::shared_ptr<ILayer>>& layers, size_t lowest_redrawn, QSize size);
    void SetMapSpatialReference(const std::string& wkt);
    const Projection& ProjectionFrom(const std::string& wkt);
    std::shared_ptr<const GeometryColumn> ShapesOf(const FeatureLayer& layer);
    Envelope InMapReference(const ILayer& layer);

    std::shared_ptr<Map> map_;
    QColor background_{Qt::white};
    bool add_appended_rows_ = true;
    bool fail_on_layer_errors_ = false;
    int64_t layer_image_budget_ = std::numeric_limits<int64_t>::max();
    QImage frame_;
    RasterDrawer rasters_;
    // The background with the bottom layers that did not change composed on it, and which images those were:
    // a redraw of the top layers starts from it instead of composing every layer again.
    QImage base_;
    QRgb base_background_ = 0;
    std::vector<std::pair<const ILayer*, uint64_t>> base_layers_;
    uint64_t drawings_ = 0;

    // The view the layer images were drawn for, and a number that changes with it.
    uint64_t view_ = 0;
    QSize drawn_size_;
    Envelope drawn_extent_;
    std::string drawn_reference_;

    std::unordered_map<const ILayer*, LayerImage> images_;
    std::string map_reference_;
    std::map<std::string, Projection> projections_;
    std::unordered_map<const IFeatureClass*, ProjectedShapes> projected_;
};

} // namespace chronova::gis
