#include "gis/layers/raster_layer.h"

#include <filesystem>

#include "platform/automation_error.h"

namespace chronova::gis {

RasterLayer::RasterLayer(std::shared_ptr<RasterDataset> raster, std::string name) : raster_(std::move(raster)) {
    if (!name.empty()) {
        Name(std::move(name));
    } else if (raster_) {
        Name(std::filesystem::path(raster_->FilePath()).filename().string());
    }
    BindRenderer();
}

void RasterLayer::Raster(std::shared_ptr<RasterDataset> raster) {
    if (raster == raster_) {
        return;
    }
    raster_ = std::move(raster);
    band_index_ = 0;
    BindRenderer();
    ++revision_;
}

// Points the renderer at the current raster and its first band; a raster without a renderer gets the default
// grey ramp (no custom range: the drawing stretches between the band's statistics).
void RasterLayer::BindRenderer() {
    if (!renderer_ && raster_) {
        renderer_ = std::make_shared<RasterStretchColorRampRenderer>();
    }
    if (auto* stretch = dynamic_cast<RasterStretchColorRampRenderer*>(renderer_.get())) {
        stretch->Raster = raster_;
        stretch->BandIndex = 0;
        stretch->Update();
    } else if (auto* rgb = dynamic_cast<RasterRGBRenderer*>(renderer_.get())) {
        rgb->Raster = raster_;
        rgb->Update();
    }
}

void RasterLayer::Renderer(std::shared_ptr<IRasterRenderer> renderer) {
    renderer_ = std::move(renderer);
    if (auto* stretch = dynamic_cast<RasterStretchColorRampRenderer*>(renderer_.get()); stretch && !stretch->Raster) {
        stretch->Raster = raster_;
    } else if (auto* rgb = dynamic_cast<RasterRGBRenderer*>(renderer_.get()); rgb && !rgb->Raster) {
        rgb->Raster = raster_;
    }
    ++revision_;
}

int32_t RasterLayer::RendererBandIndex() const noexcept {
    if (const auto* stretch = dynamic_cast<const RasterStretchColorRampRenderer*>(renderer_.get())) {
        return stretch->BandIndex;
    }
    return band_index_;
}

std::string RasterLayer::FilePath() const {
    return raster_ ? raster_->FilePath() : std::string{};
}

int32_t RasterLayer::BandCount() const {
    return raster_ ? raster_->BandCount() : 0;
}

void RasterLayer::RendererBandIndex(int32_t band_index) {
    if (band_index < 0 || (band_index > 0 && band_index >= BandCount())) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange, "The raster of the layer '" + Name() +
                                                                        "' has no band " + std::to_string(band_index) +
                                                                        ".");
    }
    if (band_index == RendererBandIndex()) {
        return;
    }
    band_index_ = band_index;
    if (auto* stretch = dynamic_cast<RasterStretchColorRampRenderer*>(renderer_.get())) {
        stretch->BandIndex = band_index;
        stretch->Update();
    }
    ++revision_;
}

void RasterLayer::EffectLevel(int32_t level) {
    if (level < 0 || level > 100) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "An effect level lies between 0 and 100, not " + std::to_string(level) + ".");
    }
    if (level != effect_level_) {
        effect_level_ = level;
        ++revision_;
    }
}

uint64_t RasterLayer::DrawRevision() const noexcept {
    // The layer counts every renderer it is given, so the pair (own count, renderer's count) never repeats.
    return (revision_ << 32) + (renderer_ ? renderer_->Revision() : 0);
}

Envelope RasterLayer::AreaOfInterest() const {
    return raster_ ? raster_->Extent() : Envelope{};
}

std::string RasterLayer::SpatialReference() const {
    return raster_ ? raster_->SpatialReference() : std::string{};
}

std::optional<std::array<int32_t, 4>> ColorBandsOf(const RasterDataset& raster) {
    std::array<int32_t, 4> bands{0, 0, 0, 0};
    for (int32_t band = 1; band <= raster.BandCount(); ++band) {
        size_t slot = bands.size();
        switch (raster.ColorOf(band)) {
        case BandColor::Red:
            slot = 0;
            break;
        case BandColor::Green:
            slot = 1;
            break;
        case BandColor::Blue:
            slot = 2;
            break;
        case BandColor::Alpha:
            slot = 3;
            break;
        default:
            break;
        }
        // The first band of each colour counts.
        if (slot < bands.size() && bands[slot] == 0) {
            bands[slot] = band;
        }
    }
    if (bands[0] == 0 || bands[1] == 0 || bands[2] == 0) {
        return std::nullopt;
    }
    return bands;
}

std::shared_ptr<RasterRGBRenderer> ColorBandsRenderer(const std::shared_ptr<RasterDataset>& raster) {
    const auto bands = raster ? ColorBandsOf(*raster) : std::nullopt;
    if (!bands) {
        return nullptr;
    }
    auto renderer = std::make_shared<RasterRGBRenderer>();
    renderer->RedBand = (*bands)[0];
    renderer->GreenBand = (*bands)[1];
    renderer->BlueBand = (*bands)[2];
    renderer->AlphaBand = (*bands)[3];
    renderer->Raster = raster;
    return renderer;
}

} // namespace chronova::gis
