#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "gis/data/raster_dataset.h"
#include "gis/layers/layer.h"
#include "gis/symbology/renderers.h"

namespace chronova::gis {

/// A layer that draws one band of a raster through a stretched colour ramp, with a display effect level.
class RasterLayer : public LayerBase {
public:
    RasterLayer() = default;
    /// The name defaults to the raster's file name.
    explicit RasterLayer(std::shared_ptr<RasterDataset> raster, std::string name = {});

    const std::shared_ptr<RasterDataset>& Raster() const noexcept { return raster_; }
    /// Replaces the data; the band shown goes back to the first. A layer without a renderer gets a black to white
    /// ramp stretched between the band's minimum and maximum; a stretched renderer is bound to the new raster.
    void Raster(std::shared_ptr<RasterDataset> raster);
    /// The raster's file, "" without a raster.
    std::string FilePath() const;
    int32_t BandCount() const;

    /// How cells become colours; null draws nothing.
    const std::shared_ptr<IRasterRenderer>& Renderer() const noexcept { return renderer_; }
    /// Installs a renderer (giving the same one back after changing it counts as a change).
    void Renderer(std::shared_ptr<IRasterRenderer> renderer);

    /// The 0-based band drawn: the stretched renderer's band when the layer has one.
    int32_t RendererBandIndex() const noexcept;
    /// Raises 9 for a band the raster does not have (only 0 is accepted without a raster).
    void RendererBandIndex(int32_t band_index);

    /// Transparency in percent: 0 draws normally, 100 hides the layer.
    int32_t EffectLevel() const noexcept { return effect_level_; }
    /// Raises 5 outside 0..100.
    void EffectLevel(int32_t level);

    /// Counts changes of what the layer draws (raster, band, effect level) for cache-aware drawing.
    uint64_t DataRevision() const noexcept { return revision_; }
    /// Changes whenever the image of the layer may change: its own state or its renderer's settings.
    uint64_t DrawRevision() const noexcept;

    bool Valid() const override { return raster_ != nullptr; }
    Envelope AreaOfInterest() const override;
    std::string SpatialReference() const override;

private:
    void BindRenderer();

    std::shared_ptr<RasterDataset> raster_;
    std::shared_ptr<IRasterRenderer> renderer_;
    int32_t band_index_ = 0;
    int32_t effect_level_ = 0;
    uint64_t revision_ = 0;
};

/// The bands a raster declares as red, green, blue and alpha (numbers from 1; alpha 0 when there is none), or
/// nothing when it lacks one of red, green and blue: a photograph or a basemap rather than measured values.
std::optional<std::array<int32_t, 4>> ColorBandsOf(const RasterDataset& raster);

/// An RGB renderer for the raster's colour bands, bound to it; null when it has no red, green and blue bands.
std::shared_ptr<RasterRGBRenderer> ColorBandsRenderer(const std::shared_ptr<RasterDataset>& raster);

} // namespace chronova::gis
