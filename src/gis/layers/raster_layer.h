#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gis/data/raster_dataset.h"
#include "gis/layers/layer.h"

namespace chronova::gis {

/// A layer that draws one band of a raster through a stretched colour ramp, with a display effect level.
class RasterLayer : public LayerBase {
public:
    RasterLayer() = default;
    /// The name defaults to the raster's file name.
    explicit RasterLayer(std::shared_ptr<RasterDataset> raster, std::string name = {});

    const std::shared_ptr<RasterDataset>& Raster() const noexcept { return raster_; }
    /// Replaces the data; the band shown goes back to the first.
    void Raster(std::shared_ptr<RasterDataset> raster);
    /// The raster's file, "" without a raster.
    std::string FilePath() const;
    int32_t BandCount() const;

    /// The 0-based band drawn.
    int32_t RendererBandIndex() const noexcept { return band_index_; }
    /// Raises 9 for a band the raster does not have (only 0 is accepted without a raster).
    void RendererBandIndex(int32_t band_index);

    /// Transparency in percent: 0 draws normally, 100 hides the layer.
    int32_t EffectLevel() const noexcept { return effect_level_; }
    /// Raises 5 outside 0..100.
    void EffectLevel(int32_t level);

    /// Counts changes of what the layer draws (raster, band, effect level) for cache-aware drawing.
    uint64_t DataRevision() const noexcept { return revision_; }

    bool Valid() const override { return raster_ != nullptr; }
    Envelope AreaOfInterest() const override;
    std::string SpatialReference() const override;

private:
    std::shared_ptr<RasterDataset> raster_;
    int32_t band_index_ = 0;
    int32_t effect_level_ = 0;
    uint64_t revision_ = 0;
};

} // namespace chronova::gis
