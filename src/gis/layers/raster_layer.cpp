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
}

void RasterLayer::Raster(std::shared_ptr<RasterDataset> raster) {
    if (raster == raster_) {
        return;
    }
    raster_ = std::move(raster);
    band_index_ = 0;
    ++revision_;
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
    if (band_index != band_index_) {
        band_index_ = band_index;
        ++revision_;
    }
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

Envelope RasterLayer::AreaOfInterest() const {
    return raster_ ? raster_->Extent() : Envelope{};
}

std::string RasterLayer::SpatialReference() const {
    return raster_ ? raster_->SpatialReference() : std::string{};
}

} // namespace chronova::gis
