#include "gis/drawing/raster_drawer.h"

#include <QRectF>
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// Standard deviations on either side of the mean that a standard-deviation stretch shows.
constexpr double kStretchDeviations = 2.0;

QRgb Blend(const Color& from, const Color& to, int step) {
    const auto channel = [step](uint8_t a, uint8_t b) { return (a * (255 - step) + b * step + 127) / 255; };
    return qRgb(channel(from.Red, to.Red), channel(from.Green, to.Green), channel(from.Blue, to.Blue));
}

} // namespace

StretchRange StretchRangeOf(const RasterStretchColorRampRenderer& renderer, const BandStatistics& statistics) {
    if (renderer.Stretch == StretchType::MinimumMaximum && renderer.UseCustomStretchMinMax) {
        return {renderer.CustomStretchMin, renderer.CustomStretchMax};
    }
    if (renderer.Stretch == StretchType::StandardDeviations) {
        const double spread = kStretchDeviations * statistics.StandardDeviation;
        return {std::max(statistics.Minimum, statistics.Mean - spread),
                std::min(statistics.Maximum, statistics.Mean + spread)};
    }
    return {statistics.Minimum, statistics.Maximum};
}

QImage ColorizeBand(const std::vector<float>& cells, int width, int height, const StretchRange& range, Color from,
                    Color to) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        platform::RaiseError(platform::error::kOutOfMemory, "No memory for an image of " + std::to_string(width) +
                                                                " by " + std::to_string(height) + " cells.");
    }
    // The ramp is 256 colours: as fine as 8-bit channels can show a blend of two colours.
    std::array<QRgb, 256> ramp{};
    for (int step = 0; step < 256; ++step) {
        ramp[static_cast<size_t>(step)] = Blend(from, to, step);
    }
    // A reversed range (minimum above maximum) reverses the ramp; a range without width, or not finite, has none.
    const auto low = static_cast<float>(range.Low);
    float scale = static_cast<float>(255.0 / (range.High - range.Low));
    if (!std::isfinite(range.Low) || !std::isfinite(range.High) || !std::isfinite(scale)) {
        scale = 0.0F;
    }
    for (int row = 0; row < height; ++row) {
        const float* source = cells.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < width; ++column) {
            const float value = source[column];
            if (std::isnan(value)) {
                target[column] = 0; // no data: transparent
                continue;
            }
            // A range of one value shows that value and everything below with the first colour.
            const float position = scale != 0.0F ? (value - low) * scale + 0.5F : (value > low ? 255.0F : 0.0F);
            const int step = static_cast<int>(std::clamp(position, 0.0F, 255.0F));
            target[column] = ramp[static_cast<size_t>(step)];
        }
    }
    return image;
}

size_t RasterDrawer::Band::Bytes() const {
    return (Cells ? Cells->size() * sizeof(float) : 0) + static_cast<size_t>(Image.sizeInBytes());
}

void RasterDrawer::Clear() {
    bands_.clear();
    bytes_ = 0;
}

RasterDrawer::Band& RasterDrawer::Find(const std::shared_ptr<RasterDataset>& raster, int32_t band) {
    for (auto it = bands_.begin(); it != bands_.end();) {
        if (it->Raster.expired()) {
            // The raster is gone; a new one may reuse its address.
            it = bands_.erase(it);
        } else if (it->RasterKey == raster.get() && it->Number == band) {
            bands_.splice(bands_.begin(), bands_, it);
            return bands_.front();
        } else {
            ++it;
        }
    }
    Band& created = bands_.emplace_front();
    created.Raster = raster;
    created.RasterKey = raster.get();
    created.Number = band;
    return created;
}

void RasterDrawer::Account() {
    bytes_ = 0;
    for (const Band& band : bands_) {
        bytes_ += band.Bytes();
    }
    // The band in use (the first) stays even when it alone is over the budget.
    while (bytes_ > budget_ && bands_.size() > 1) {
        bytes_ -= bands_.back().Bytes();
        bands_.pop_back();
    }
}

const QImage& RasterDrawer::Image(const std::shared_ptr<RasterDataset>& raster, int32_t band,
                                  const RasterStretchColorRampRenderer& renderer) {
    Band& entry = Find(raster, band);
    const bool custom = renderer.Stretch == StretchType::MinimumMaximum && renderer.UseCustomStretchMinMax;
    if (!custom && !entry.Statistics) {
        entry.Statistics = raster->Statistics(band);
    }
    const StretchRange range = StretchRangeOf(renderer, entry.Statistics.value_or(BandStatistics{}));
    const ColorKey key{range.Low, range.High, renderer.FromColor.RGB(), renderer.ToColor.RGB()};
    if (entry.ImageKey == key) {
        return entry.Image;
    }
    const int width = raster->Width();
    const int height = raster->Height();
    if (!entry.Cells) {
        std::vector<float> cells = raster->ReadBand(band);
        ++counts_.BandReads;
        if (cells.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "Band " + std::to_string(band) + " of '" + raster->FilePath() + "' holds " +
                                     std::to_string(cells.size()) + " cells, not " + std::to_string(width) + " by " +
                                     std::to_string(height) + ".");
        }
        entry.Cells = std::move(cells);
    }
    entry.Image = ColorizeBand(*entry.Cells, width, height, range, renderer.FromColor, renderer.ToColor);
    entry.ImageKey = key;
    ++counts_.Colorizations;
    Account();
    return entry.Image;
}

void RasterDrawer::Draw(QPainter& painter, const ViewTransform& transform, const RasterLayer& layer,
                        const Envelope& extent) {
    const std::shared_ptr<RasterDataset>& raster = layer.Raster();
    const auto* renderer = dynamic_cast<const RasterStretchColorRampRenderer*>(layer.Renderer().get());
    if (layer.EffectLevel() >= 100 || !raster || renderer == nullptr || extent.IsEmpty()) {
        return;
    }
    const int width = raster->Width();
    const int height = raster->Height();
    if (width <= 0 || height <= 0) {
        return;
    }
    const int32_t band = renderer->BandIndex + 1;
    if (band < 1 || band > raster->BandCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange, "The raster of the layer '" + layer.Name() +
                                                                        "' has no band " +
                                                                        std::to_string(renderer->BandIndex) + ".");
    }

    // Only the cells that reach into the view are blitted, so a view zoomed far in never scales a huge image.
    const double cell_width = (extent.XMax - extent.XMin) / width;
    const double cell_height = (extent.YMax - extent.YMin) / height;
    if (!(cell_width > 0.0) || !(cell_height > 0.0)) {
        return;
    }
    const Envelope& visible = transform.VisibleExtent();
    const auto cells_to = [](double position, int limit) {
        return static_cast<int>(std::clamp(position, 0.0, static_cast<double>(limit)));
    };
    const int first_column = cells_to(std::floor((visible.XMin - extent.XMin) / cell_width), width);
    const int last_column = cells_to(std::ceil((visible.XMax - extent.XMin) / cell_width), width);
    const int first_row = cells_to(std::floor((extent.YMax - visible.YMax) / cell_height), height);
    const int last_row = cells_to(std::ceil((extent.YMax - visible.YMin) / cell_height), height);
    if (first_column >= last_column || first_row >= last_row) {
        return;
    }

    const QImage& image = Image(raster, band, *renderer);
    const double left = transform.ToPixelX(extent.XMin + first_column * cell_width);
    const double right = transform.ToPixelX(extent.XMin + last_column * cell_width);
    const double top = transform.ToPixelY(extent.YMax - first_row * cell_height);
    const double bottom = transform.ToPixelY(extent.YMax - last_row * cell_height);
    painter.save();
    painter.setOpacity((100 - layer.EffectLevel()) / 100.0);
    // Nearest neighbour: each cell stays one flat colour however far the view zooms in.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(left, top, right - left, bottom - top), image,
                      QRectF(first_column, first_row, last_column - first_column, last_row - first_row));
    painter.restore();
}

} // namespace chronova::gis
