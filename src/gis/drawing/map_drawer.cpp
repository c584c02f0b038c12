#include "gis/drawing/map_drawer.h"

#include <QPainter>
#include <algorithm>
#include <exception>

#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/painter_display.h"
#include "gis/drawing/shape_projection.h"
#include "gis/host_errors.h"
#include "gis/layers/drawable_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/ogr/coordinate_projection.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// The layers below the given ones (listed top first, as maps and groups list them) that are not groups. For
// drawing (`drawn`), they come bottom first and invisible layers and groups are left out, and so are web map
// service layers, which draw nothing without a connection; otherwise every one is listed.
void CollectLeaves(const std::vector<std::shared_ptr<ILayer>>& top_first, bool drawn,
                   std::vector<std::shared_ptr<ILayer>>& out) {
    for (size_t k = 0; k < top_first.size(); ++k) {
        const std::shared_ptr<ILayer>& layer = top_first[drawn ? top_first.size() - 1 - k : k];
        if (!layer || (drawn && (!layer->Visible() || dynamic_cast<const WmsMapLayer*>(layer.get()) != nullptr))) {
            continue;
        }
        if (const auto* composite = dynamic_cast<const ICompositeLayer*>(layer.get())) {
            std::vector<std::shared_ptr<ILayer>> children;
            children.reserve(static_cast<size_t>(std::max(composite->Count(), 0)));
            for (int32_t i = 0; i < composite->Count(); ++i) {
                children.push_back(composite->Layer(i));
            }
            CollectLeaves(children, drawn, out);
        } else {
            out.push_back(layer);
        }
    }
}

// A layer and, for a group, everything in it.
void AddWithChildren(const std::shared_ptr<ILayer>& layer, std::unordered_set<const ILayer*>& named) {
    if (!layer) {
        return;
    }
    named.insert(layer.get());
    std::vector<std::shared_ptr<ILayer>> below;
    CollectLeaves({layer}, false, below);
    for (const auto& child : below) {
        named.insert(child.get());
    }
}

// What a layer draws changes exactly when this number does; layers that draw nothing stay at 0.
uint64_t RevisionOf(const ILayer& layer) {
    if (const auto* feature = dynamic_cast<const FeatureLayer*>(&layer)) {
        return feature->DrawRevision();
    }
    if (const auto* raster = dynamic_cast<const RasterLayer*>(&layer)) {
        return raster->DrawRevision();
    }
    if (const auto* drawable = dynamic_cast<const IDrawableLayer*>(&layer)) {
        return drawable->DrawRevision();
    }
    return 0;
}

// Whether a layer puts anything on its image, so that layers that draw nothing cost no image at all.
bool Draws(const ILayer& layer) {
    if (const auto* raster = dynamic_cast<const RasterLayer*>(&layer)) {
        return raster->Raster() && raster->Renderer() && raster->EffectLevel() < 100;
    }
    return dynamic_cast<const FeatureLayer*>(&layer) != nullptr ||
           dynamic_cast<const IDrawableLayer*>(&layer) != nullptr;
}

} // namespace

MapDrawer::MapDrawer(std::shared_ptr<Map> map) : map_(std::move(map)) {
    if (!map_) {
        platform::RaiseError(platform::error::kObjectNotSet, "A map drawer needs a map.");
    }
}

void MapDrawer::SetMapSpatialReference(const std::string& wkt) {
    if (wkt == map_reference_) {
        return;
    }
    map_reference_ = wkt;
    projections_.clear();
    projected_.clear();
}

const MapDrawer::Projection& MapDrawer::ProjectionFrom(const std::string& wkt) {
    const auto found = projections_.find(wkt);
    if (found != projections_.end()) {
        return found->second;
    }
    Projection projection;
    if (!SameSpatialReference(wkt, map_reference_)) {
        try {
            projection.Same = false;
            projection.Transform = std::make_shared<const CoordinateProjection>(wkt, map_reference_);
        } catch (const platform::AutomationError& error) {
            // Reported once per spatial reference; its layers are left out of every drawing.
            projection.Failed = true;
            ReportHostError(std::string("Layers cannot be drawn in the map's spatial reference: ") + error.what());
        }
    }
    return projections_.emplace(wkt, std::move(projection)).first->second;
}

Envelope MapDrawer::InMapReference(const ILayer& layer) {
    const Envelope area = layer.AreaOfInterest();
    const Projection& projection = ProjectionFrom(layer.SpatialReference());
    if (projection.Failed) {
        return {};
    }
    return projection.Same ? area : ProjectEnvelope(area, *projection.Transform);
}

std::shared_ptr<const GeometryColumn> MapDrawer::ShapesOf(const FeatureLayer& layer) {
    const std::shared_ptr<IFeatureClass>& feature_class = layer.FeatureClass();
    if (!feature_class) {
        return nullptr;
    }
    std::shared_ptr<const GeometryColumn> shapes = feature_class->Shapes();
    if (!shapes) {
        return nullptr;
    }
    const Projection& projection = ProjectionFrom(shapes->SpatialReference);
    if (projection.Failed) {
        return nullptr;
    }
    if (projection.Same) {
        return shapes;
    }
    ProjectedShapes& kept = projected_[feature_class.get()];
    if (kept.Owner.lock() != feature_class || kept.Source != shapes) {
        kept.Owner = feature_class;
        kept.Source = shapes;
        kept.Shapes =
            std::make_shared<const GeometryColumn>(ProjectShapes(*shapes, *projection.Transform, map_reference_));
    }
    return kept.Shapes;
}

Envelope MapDrawer::DefaultExtent() {
    SetMapSpatialReference(map_->SpatialReference());
    const Envelope full = map_->FullExtent();
    const Envelope set = map_->Extent();
    if (!(set == full)) {
        return set;
    }
    std::vector<std::shared_ptr<ILayer>> layers;
    CollectLeaves(map_->Layers(), false, layers);
    Envelope extent;
    for (const auto& layer : layers) {
        extent.Union(InMapReference(*layer));
    }
    return extent;
}

int64_t MapDrawer::DrawCount(const ILayer& layer) const {
    const auto found = images_.find(&layer);
    return found == images_.end() ? 0 : found->second.Draws;
}

int64_t MapDrawer::AppendCount(const ILayer& layer) const {
    const auto found = images_.find(&layer);
    return found == images_.end() ? 0 : found->second.Appends;
}

QImage MapDrawer::Draw(QSize size, std::optional<Envelope> extent) {
    return Pass(Mode::CacheAware, {}, size, extent);
}

QImage MapDrawer::Refresh(QSize size, std::optional<Envelope> extent) {
    return Pass(Mode::All, {}, size, extent);
}

QImage MapDrawer::Update(QSize size, std::optional<Envelope> extent) {
    return Update(map_->TakeRedrawRequest(), size, extent);
}

QImage MapDrawer::Update(const RedrawRequest& request, QSize size, std::optional<Envelope> extent) {
    SetMapSpatialReference(map_->SpatialReference());
    const Envelope shown = extent ? *extent : DefaultExtent();
    const QSize image_size(std::max(size.width(), 1), std::max(size.height(), 1));
    const ViewTransform transform(shown, image_size.width(), image_size.height());
    const bool same_view = !frame_.isNull() && image_size == drawn_size_ &&
                           transform.VisibleExtent() == drawn_extent_ && map_reference_ == drawn_reference_;
    if (!same_view) {
        return Pass(Mode::CacheAware, {}, size, shown);
    }
    if (request.Empty()) {
        return frame_;
    }
    if (request.Full || request.AllLayers) {
        return Pass(Mode::All, {}, size, shown);
    }
    std::unordered_set<const ILayer*> named;
    for (const auto& layer : request.Layers) {
        AddWithChildren(layer, named);
    }
    return Pass(Mode::Named, named, size, shown);
}

QImage MapDrawer::Pass(Mode mode, const std::unordered_set<const ILayer*>& named, QSize size,
                       const std::optional<Envelope>& extent) {
    // DrawingFinished follows every DrawingStarted, also when a handler or a layer throws.
    const std::shared_ptr<ScreenDisplay>& display = map_->ScreenDisplay();
    try {
        display->FireDrawingStarted();
        Compose(mode, named, size, extent);
    } catch (...) {
        display->FireDrawingFinished();
        throw;
    }
    display->FireDrawingFinished();
    return frame_;
}

void MapDrawer::Compose(Mode mode, const std::unordered_set<const ILayer*>& named, QSize size,
                        const std::optional<Envelope>& extent) {
    SetMapSpatialReference(map_->SpatialReference());
    const QSize image_size(std::max(size.width(), 1), std::max(size.height(), 1));
    const ViewTransform transform(extent ? *extent : DefaultExtent(), image_size.width(), image_size.height());
    const bool view_changed = image_size != drawn_size_ || !(transform.VisibleExtent() == drawn_extent_) ||
                              map_reference_ != drawn_reference_;
    if (view_changed) {
        ++view_;
    }
    drawn_size_ = image_size;
    drawn_extent_ = transform.VisibleExtent();
    drawn_reference_ = map_reference_;

    std::vector<std::shared_ptr<ILayer>> layers;
    CollectLeaves(map_->Layers(), true, layers);

    // Images of layers that no longer exist are dropped; those of layers still held (hidden, or out of the
    // map for a while) are kept for their return.
    std::erase_if(images_, [](const auto& entry) { return entry.second.Layer.expired(); });
    std::erase_if(projected_, [](const auto& entry) { return entry.second.Owner.expired(); });

    const int64_t image_bytes = int64_t{4} * image_size.width() * image_size.height();
    if (image_bytes > layer_image_budget_ / std::max<int64_t>(static_cast<int64_t>(layers.size()), 1)) {
        DrawDirectly(layers, image_size, transform);
        return;
    }
    size_t lowest_redrawn = layers.size();
    for (size_t i = 0; i < layers.size(); ++i) {
        const std::shared_ptr<ILayer>& layer = layers[i];
        LayerImage& image = images_[layer.get()];
        if (image.Layer.lock() != layer) {
            image = LayerImage{};
            image.Layer = layer;
        }
        const uint64_t revision = RevisionOf(*layer);
        const bool stale_view = view_changed || image.View != view_;
        const bool stale = stale_view || !image.Current || image.Revision != revision;
        bool redraw = stale;
        switch (mode) {
        case Mode::All:
            redraw = true;
            break;
        case Mode::CacheAware:
            redraw = stale || !layer->Cached();
            break;
        case Mode::Named:
            redraw = stale || named.contains(layer.get());
            break;
        }
        if (redraw) {
            const bool appended = add_appended_rows_ && !stale_view && image.Current && image.Revision != revision &&
                                  AppendToLayer(*layer, image, transform);
            image.Revision = revision;
            if (!appended) {
                DrawLayer(layer, image, transform);
            }
            lowest_redrawn = std::min(lowest_redrawn, i);
        }
    }
    ComposeFrame(layers, lowest_redrawn, image_size);
}

void MapDrawer::ComposeFrame(const std::vector<std::shared_ptr<ILayer>>& layers, size_t lowest_redrawn, QSize size) {
    const auto compose = [&](QImage& target, size_t first, size_t last) {
        QPainter painter(&target);
        for (size_t i = first; i < last; ++i) {
            const QImage& image = images_[layers[i].get()].Image;
            if (!image.isNull()) {
                painter.drawImage(0, 0, image);
            }
        }
    };
    // The base still serves when every layer it holds is still there, in place and as drawn then, and none of
    // them was drawn again now.
    bool base_serves = !base_.isNull() && base_.size() == size && base_background_ == background_.rgba() &&
                       base_layers_.size() <= lowest_redrawn;
    for (size_t i = 0; base_serves && i < base_layers_.size(); ++i) {
        base_serves =
            base_layers_[i] == std::pair<const ILayer*, uint64_t>{layers[i].get(), images_[layers[i].get()].Version};
    }
    if (!base_serves) {
        base_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        base_.fill(background_);
        base_background_ = background_.rgba();
        base_layers_.clear();
    }
    // The layers below the lowest one drawn now join the base, so the next redraw of the layers above starts
    // from there.
    compose(base_, base_layers_.size(), lowest_redrawn);
    for (size_t i = base_layers_.size(); i < lowest_redrawn; ++i) {
        base_layers_.emplace_back(layers[i].get(), images_[layers[i].get()].Version);
    }
    frame_ = base_.copy();
    compose(frame_, lowest_redrawn, layers.size());
}

void MapDrawer::DrawDirectly(const std::vector<std::shared_ptr<ILayer>>& layers, QSize size,
                             const ViewTransform& transform) {
    // No image per layer, and no base: nothing composes them.
    base_ = QImage();
    base_layers_.clear();
    // The last frame is painted over unless the caller still holds it, in which case it stays the caller's. The
    // pixels are those of composed layer images, but for a rounding unit where translucent pixels overlap.
    if (frame_.size() != size || !frame_.isDetached()) {
        frame_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    frame_.fill(background_);
    QPainter painter(&frame_);
    for (const std::shared_ptr<ILayer>& layer : layers) {
        LayerImage& image = images_[layer.get()];
        if (image.Layer.lock() != layer) {
            image = LayerImage{};
            image.Layer = layer;
        }
        image.Revision = RevisionOf(*layer);
        StartDrawing(image);
        // Drawn onto the frame, not into an image of its own: a pass that keeps images draws it again.
        image.Current = false;
        image.Image = QImage();
        if (Draws(*layer)) {
            painter.save();
            PaintLayer(painter, layer, image, transform);
            painter.restore();
        }
    }
}

void MapDrawer::StartDrawing(LayerImage& image) {
    ++image.Draws;
    image.Version = ++drawings_;
    image.Current = true;
    image.View = view_;
    image.Shapes.reset();
    image.Features = FeatureDrawing{};
}

void MapDrawer::DrawLayer(const std::shared_ptr<ILayer>& layer, LayerImage& image, const ViewTransform& transform) {
    StartDrawing(image);
    if (!Draws(*layer)) {
        image.Image = QImage();
        return;
    }
    const QSize size(transform.Width(), transform.Height());
    if (image.Image.size() != size) {
        image.Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    image.Image.fill(Qt::transparent);
    QPainter painter(&image.Image);
    PaintLayer(painter, layer, image, transform);
}

void MapDrawer::PaintLayer(QPainter& painter, const std::shared_ptr<ILayer>& layer, LayerImage& image,
                           const ViewTransform& transform) {
    try {
        if (const auto* raster = dynamic_cast<const RasterLayer*>(layer.get())) {
            const Envelope extent = InMapReference(*raster);
            rasters_.Draw(painter, transform, *raster, extent);
        } else if (const auto* feature = dynamic_cast<const FeatureLayer*>(layer.get())) {
            if (const auto shapes = ShapesOf(*feature)) {
                image.Features = DrawFeatureLayer(painter, transform, *feature, *shapes);
                image.Shapes = shapes;
            }
        } else if (auto* drawable = dynamic_cast<IDrawableLayer*>(layer.get())) {
            PainterDisplay display(painter, transform);
            drawable->Draw(display);
        }
    } catch (const std::exception& error) {
        image.Features = FeatureDrawing{};
        const auto* automation = dynamic_cast<const platform::AutomationError*>(&error);
        const std::string why = automation == nullptr                ? std::string(error.what())
                                : !automation->UserMessage().empty() ? automation->UserMessage()
                                                                     : automation->Description();
        const std::string message = "The layer '" + layer->Name() + "' cannot be drawn: " + why;
        if (fail_on_layer_errors_) {
            platform::AutomationError failure(automation != nullptr ? automation->Number()
                                                                    : platform::error::kInternalError,
                                              automation != nullptr ? automation->Source() : std::string(), message);
            failure.UserMessage(message);
            throw failure;
        }
        // One layer that cannot draw leaves the others drawn; the host reports why.
        ReportHostError(message);
    }
}

bool MapDrawer::AppendToLayer(const ILayer& layer, LayerImage& image, const ViewTransform& transform) {
    const auto* feature = dynamic_cast<const FeatureLayer*>(&layer);
    if (feature == nullptr || !image.Features.Appendable ||
        image.Image.size() != QSize(transform.Width(), transform.Height())) {
        return false;
    }
    const std::shared_ptr<const GeometryColumn> shapes = ShapesOf(*feature);
    if (!shapes || shapes != image.Shapes.lock()) {
        return false;
    }
    try {
        const std::optional<RowIds> rows = feature->RowsAppendedSince(image.Revision);
        if (!rows) {
            return false;
        }
        QPainter painter(&image.Image);
        if (!DrawAppendedFeatures(painter, transform, *feature, *shapes, *rows, image.Features)) {
            return false;
        }
    } catch (const std::exception&) {
        return false; // drawn whole instead, which reports what went wrong
    }
    ++image.Draws;
    ++image.Appends;
    image.Version = ++drawings_;
    return true;
}

} // namespace chronova::gis
