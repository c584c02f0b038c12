#include "apps/desktop/frame_key.h"

#include <cstring>
#include <functional>
#include <type_traits>

#include "gis/data/joined_table.h"
#include "gis/layers/drawable_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/map/map.h"
#include "gis/symbology/renderers.h"

namespace chronova::desktop {

namespace {

void Mix(size_t& hash, size_t value) {
    // The boost hash_combine step: cheap, and spreads small changes over every bit.
    hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6U) + (hash >> 2U);
}

void MixDouble(size_t& hash, double value) {
    Mix(hash, std::hash<double>{}(value));
}

template <class T>
bool SameContent(const std::shared_ptr<const T>& a, const std::shared_ptr<const T>& b) {
    return a == b || (a && b && *a == *b);
}

bool SameTrails(const std::shared_ptr<const std::vector<gis::FeatureTrail>>& a,
                const std::shared_ptr<const std::vector<gis::FeatureTrail>>& b) {
    if (a == b) {
        return true;
    }
    if (!a || !b || a->size() != b->size()) {
        return false;
    }
    for (size_t i = 0; i < a->size(); ++i) {
        if ((*a)[i].rows != (*b)[i].rows || (*a)[i].opacity != (*b)[i].opacity) {
            return false;
        }
    }
    return true;
}

// The drawable layers under the given ones (top first, as maps list them), bottom first, as MapDrawer collects
// them: invisible layers with everything in them and web map service layers are left out.
void CollectDrawn(const std::vector<std::shared_ptr<gis::ILayer>>& top_first,
                  std::vector<std::shared_ptr<gis::ILayer>>& out) {
    for (auto layer = top_first.rbegin(); layer != top_first.rend(); ++layer) {
        if (!*layer || !(*layer)->Visible() || dynamic_cast<const gis::WmsMapLayer*>(layer->get()) != nullptr) {
            continue;
        }
        if (const auto* composite = dynamic_cast<const gis::ICompositeLayer*>(layer->get())) {
            std::vector<std::shared_ptr<gis::ILayer>> children;
            children.reserve(static_cast<size_t>(std::max(composite->Count(), 0)));
            for (int32_t i = 0; i < composite->Count(); ++i) {
                children.push_back(composite->Layer(i));
            }
            CollectDrawn(children, out);
        } else {
            out.push_back(*layer);
        }
    }
}

template <class T>
void Put(std::string& bytes, T value) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>);
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.append(raw, sizeof(T));
}

void Put(std::string& bytes, const gis::Color& color) {
    Put(bytes, color.Red);
    Put(bytes, color.Green);
    Put(bytes, color.Blue);
    Put(bytes, color.NullColor);
}

// Everything a raster layer's image depends on besides the raster itself, when the renderer is one whose settings
// are known here; false otherwise. Keep in step with the settings RasterDrawer reads.
bool RasterSettings(const gis::RasterLayer& raster, std::string& bytes) {
    Put(bytes, raster.RendererBandIndex());
    Put(bytes, raster.EffectLevel());
    const gis::IRasterRenderer* renderer = raster.Renderer().get();
    if (renderer == nullptr) {
        Put(bytes, 0);
        return true;
    }
    if (const auto* stretch = dynamic_cast<const gis::RasterStretchColorRampRenderer*>(renderer)) {
        Put(bytes, 1);
        Put(bytes, stretch->BandIndex);
        Put(bytes, stretch->Stretch);
        Put(bytes, stretch->UseCustomStretchMinMax);
        Put(bytes, stretch->CustomStretchMin);
        Put(bytes, stretch->CustomStretchMax);
        Put(bytes, stretch->FromColor);
        Put(bytes, stretch->ToColor);
        Put(bytes, stretch->Stops.size());
        for (const gis::RampStop& stop : stretch->Stops) {
            Put(bytes, stop.Position);
            Put(bytes, stop.StopColor);
        }
        return true;
    }
    if (const auto* rgb = dynamic_cast<const gis::RasterRGBRenderer*>(renderer)) {
        Put(bytes, 2);
        Put(bytes, rgb->RedBand);
        Put(bytes, rgb->GreenBand);
        Put(bytes, rgb->BlueBand);
        Put(bytes, rgb->AlphaBand);
        return true;
    }
    return false;
}

DrawnLayerState StateOf(const std::shared_ptr<gis::ILayer>& layer, size_t& hash) {
    DrawnLayerState state;
    state.Layer = Identity(layer);
    Mix(hash, std::hash<const void*>{}(state.Layer.Address()));
    if (const auto* feature = dynamic_cast<const gis::FeatureLayer*>(layer.get())) {
        state.Feature = true;
        // What the data revision counts is described below by the objects and filter themselves; the rest of
        // the draw revision (renderer settings, labels) only grows.
        state.Revision = feature->DrawRevision() - feature->DataRevision();
        const std::shared_ptr<gis::IFeatureClass>& feature_class = feature->FeatureClass();
        state.FeatureClass = Identity(feature_class);
        if (feature_class) {
            state.Shapes = Identity(feature_class->Shapes());
            state.Data = Identity(feature_class->Data());
        }
        state.Renderer = Identity(feature->Renderer());
        state.Joins.reserve(feature->Joins().size());
        for (const auto& join : feature->Joins()) {
            state.Joins.push_back(join ? join->ContentDigest() : 0);
            Mix(hash, state.Joins.back());
        }
        state.Definition = feature->DefinitionExpression();
        state.FollowsGrowth = feature->FollowsGrowth();
        state.Reading = feature->TimeReading();
        state.Selection = feature->TimeSelection();
        state.Trails = feature->Trails();
        Mix(hash, std::hash<const void*>{}(state.FeatureClass.Address()));
        Mix(hash, std::hash<const void*>{}(state.Shapes.Address()));
        Mix(hash, std::hash<const void*>{}(state.Data.Address()));
        Mix(hash, std::hash<const void*>{}(state.Renderer.Address()));
        Mix(hash, std::hash<std::string>{}(state.Definition));
        Mix(hash, static_cast<size_t>(state.FollowsGrowth));
        if (state.Selection) {
            Mix(hash, state.Selection->size());
            for (const uint32_t row : *state.Selection) {
                Mix(hash, row);
            }
        }
        if (state.Trails) {
            Mix(hash, state.Trails->size());
            for (const gis::FeatureTrail& trail : *state.Trails) {
                Mix(hash, trail.rows.size());
                for (const uint32_t row : trail.rows) {
                    Mix(hash, row);
                }
            }
        }
    } else if (const auto* raster = dynamic_cast<const gis::RasterLayer*>(layer.get())) {
        // Time moves the band (and the effect level) and touches the renderer; the settings say what is drawn.
        if (RasterSettings(*raster, state.Settings)) {
            state.Raster = Identity(raster->Raster());
            state.Renderer = Identity(raster->Renderer());
            Mix(hash, std::hash<const void*>{}(state.Raster.Address()));
            Mix(hash, std::hash<std::string>{}(state.Settings));
            // The renderer's own raster, which a renderer given to the layer may keep from elsewhere.
            if (const auto* stretch =
                    dynamic_cast<const gis::RasterStretchColorRampRenderer*>(raster->Renderer().get())) {
                state.RendererRaster = Identity(stretch->Raster);
            } else if (const auto* rgb = dynamic_cast<const gis::RasterRGBRenderer*>(raster->Renderer().get())) {
                state.RendererRaster = Identity(rgb->Raster);
            }
        } else {
            state.Revision = raster->DrawRevision();
        }
    } else if (const auto* drawable = dynamic_cast<const gis::IDrawableLayer*>(layer.get())) {
        if (std::optional<std::string> drawn = drawable->DrawState()) {
            state.Settings = std::move(*drawn);
            Mix(hash, std::hash<std::string>{}(state.Settings));
        } else {
            state.Revision = drawable->DrawRevision();
        }
    }
    Mix(hash, state.Revision);
    return state;
}

} // namespace

bool operator==(const DrawnLayerState& a, const DrawnLayerState& b) {
    return a.Layer == b.Layer && a.Revision == b.Revision && a.Feature == b.Feature &&
           a.FeatureClass == b.FeatureClass && a.Shapes == b.Shapes && a.Data == b.Data && a.Renderer == b.Renderer &&
           a.Raster == b.Raster && a.RendererRaster == b.RendererRaster && a.Joins == b.Joins &&
           a.Definition == b.Definition && a.FollowsGrowth == b.FollowsGrowth && a.Reading == b.Reading &&
           a.Settings == b.Settings && SameContent(a.Selection, b.Selection) && SameTrails(a.Trails, b.Trails);
}

FrameKey FrameKey::Of(const gis::Map& map, QSize size, const gis::Envelope& visible, QColor background) {
    FrameKey key;
    key.size_ = size;
    key.visible_ = visible;
    key.reference_ = map.SpatialReference();
    key.background_ = background.rgba();
    size_t hash = 0;
    Mix(hash, static_cast<size_t>(size.width()));
    Mix(hash, static_cast<size_t>(size.height()));
    MixDouble(hash, visible.XMin);
    MixDouble(hash, visible.YMin);
    MixDouble(hash, visible.XMax);
    MixDouble(hash, visible.YMax);
    Mix(hash, std::hash<std::string>{}(key.reference_));
    Mix(hash, key.background_);
    std::vector<std::shared_ptr<gis::ILayer>> drawn;
    CollectDrawn(map.Layers(), drawn);
    key.layers_.reserve(drawn.size());
    for (const auto& layer : drawn) {
        key.layers_.push_back(StateOf(layer, hash));
    }
    key.hash_ = hash;
    return key;
}

size_t FrameKey::DrawStamp(const gis::Map& map) {
    std::vector<std::shared_ptr<gis::ILayer>> drawn;
    CollectDrawn(map.Layers(), drawn);
    size_t stamp = drawn.size();
    for (const auto& layer : drawn) {
        Mix(stamp, std::hash<const void*>{}(layer.get()));
        uint64_t revision = 0;
        if (const auto* feature = dynamic_cast<const gis::FeatureLayer*>(layer.get())) {
            revision = feature->DrawRevision();
        } else if (const auto* raster = dynamic_cast<const gis::RasterLayer*>(layer.get())) {
            revision = raster->DrawRevision();
        } else if (const auto* drawable = dynamic_cast<const gis::IDrawableLayer*>(layer.get())) {
            revision = drawable->DrawRevision();
        }
        Mix(stamp, revision);
    }
    return stamp;
}

size_t FrameKey::HeldBytes() const noexcept {
    size_t bytes = reference_.capacity() + layers_.capacity() * sizeof(DrawnLayerState);
    for (const DrawnLayerState& layer : layers_) {
        bytes += layer.Definition.capacity() + layer.Settings.capacity() + layer.Joins.capacity() * sizeof(uint64_t);
        // Selections and trails are shared with the layer while it shows them, but a cached frame keeps them
        // alive after that: count them as the key's.
        if (layer.Selection) {
            bytes += layer.Selection->capacity() * sizeof(uint32_t);
        }
        if (layer.Trails) {
            for (const gis::FeatureTrail& trail : *layer.Trails) {
                bytes += trail.rows.capacity() * sizeof(uint32_t) + trail.opacity.capacity() * sizeof(float);
            }
        }
    }
    return bytes;
}

bool operator==(const FrameKey& a, const FrameKey& b) {
    return a.hash_ == b.hash_ && a.size_ == b.size_ && a.visible_ == b.visible_ && a.reference_ == b.reference_ &&
           a.background_ == b.background_ && a.layers_ == b.layers_;
}

} // namespace chronova::desktop
