#pragma once

#include <QImage>
#include <QPainter>
#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <vector>

#include "gis/data/geometry_column.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/raster_layer.h"
#include "gis/symbology/renderers.h"

namespace chronova::gis {

/// The cell values a stretched renderer maps onto its colour ramp, for one band.
struct StretchRange {
    double Low = 0.0;
    double High = 0.0;
};

/// Where a renderer's ramp starts and ends for a band: the custom range when the renderer asks for one with
/// stretch type 5, mean ± 2 standard deviations (kept within the band's values) for standard deviations, and
/// the band's minimum and maximum otherwise.
StretchRange StretchRangeOf(const RasterStretchColorRampRenderer& renderer, const BandStatistics& statistics);

/// Colours cells through a ramp from `from` at Low to `to` at High, holding the end colours beyond them; NaN
/// (no data) stays transparent.
QImage ColorizeBand(const std::vector<float>& cells, int width, int height, const StretchRange& range, Color from,
                    Color to);

/// Colours cells through a ramp of several stops (positions 0..1 from Low to High), as ColorizeBand above.
QImage ColorizeBand(const std::vector<float>& cells, int width, int height, const StretchRange& range,
                    const std::vector<RampStop>& stops);

/// One channel of a composed image: its cells and the range of cell values stretched onto 0..255.
struct ChannelCells {
    const std::vector<float>* Cells = nullptr;
    StretchRange Range{0.0, 255.0};
};

/// An image whose red, green, blue and alpha are the channels given, in that order; a channel without cells
/// (only alpha may lack them) is opaque. A cell that is no data (NaN) in any channel is transparent.
QImage ComposeChannels(const std::array<ChannelCells, 4>& channels, int width, int height);

/// Draws raster layers through their stretched colour-ramp renderer or as RGB(A) composites. Reading a band from its
/// file and colouring a million cells are the dear steps, so it keeps the cells of each band read and the coloured
/// image of each band: switching to a new band costs one colouring and a blit, and back to a band seen before only a
/// blit. A composite keeps only its image (the cells of its bands are read once and dropped). What it keeps is bounded
/// by a byte budget; the least recently used bands go first.
class RasterDrawer {
public:
    static constexpr size_t kDefaultBudget = size_t{512} << 20;

    explicit RasterDrawer(size_t budget_bytes = kDefaultBudget) : budget_(budget_bytes) {}

    /// Draws the layer's band with its extent placed at `extent`, given in the map's spatial reference (the
    /// raster's own extent when both agree; for a raster in another spatial reference, the box of its projected
    /// outline: the image is stretched into that box, not warped cell by cell). Draws nothing at effect level
    /// 100, without a raster, or with a renderer other than a stretched colour ramp or RGB. Raises the raster's
    /// errors (9 for a band it does not have, the file's read errors).
    void Draw(QPainter& painter, const ViewTransform& transform, const RasterLayer& layer, const Envelope& extent);

    /// How often the dear steps ran, so that tests and benchmarks can tell what a drawing cost.
    struct Counters {
        int64_t BandReads = 0;
        int64_t Colorizations = 0;
        int64_t Compositions = 0;
    };
    const Counters& Counts() const noexcept { return counts_; }
    /// Bytes held for cells and images.
    size_t Bytes() const noexcept { return bytes_; }
    void Clear();

private:
    // What a coloured image was made from, apart from the cells.
    struct ColorKey {
        double Low = 0.0;
        double High = 0.0;
        std::vector<RampStop> Stops;
        friend bool operator==(const ColorKey&, const ColorKey&) = default;
    };
    // The image of an RGB renderer's bands of one raster.
    struct Composite {
        std::weak_ptr<RasterDataset> Raster;
        const RasterDataset* RasterKey = nullptr;
        std::array<int32_t, 4> Bands{};
        QImage Image;
    };
    struct Band {
        std::weak_ptr<RasterDataset> Raster;
        const RasterDataset* RasterKey = nullptr;
        int32_t Number = 0;
        std::optional<std::vector<float>> Cells;
        std::optional<BandStatistics> Statistics;
        QImage Image;
        std::optional<ColorKey> ImageKey;
        size_t Bytes() const;
    };

    Band& Find(const std::shared_ptr<RasterDataset>& raster, int32_t band);
    const QImage& Image(const std::shared_ptr<RasterDataset>& raster, int32_t band,
                        const RasterStretchColorRampRenderer& renderer);
    const QImage& CompositeImage(const std::shared_ptr<RasterDataset>& raster, const RasterRGBRenderer& renderer);
    void Account();

    size_t budget_;
    size_t bytes_ = 0;
    // Most recently used first.
    std::list<Band> bands_;
    std::list<Composite> composites_;
    Counters counts_;
};

} // namespace chronova::gis
