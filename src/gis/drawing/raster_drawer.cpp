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

QImage NewImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        platform::RaiseError(platform::error::kOutOfMemory, "No memory for an image of " + std::to_string(width) +
                                                                " by " + std::to_string(height) + " cells.");
    }
    return image;
}

// The factor that maps a range onto 0..255; 0 for a range without width or not finite.
float StepScale(const StretchRange& range) {
    const auto scale = static_cast<float>(255.0 / (range.High - range.Low));
    if (!std::isfinite(range.Low) || !std::isfinite(range.High) || !std::isfinite(scale)) {
        return 0.0F;
    }
    return scale;
}

// The step 0..255 of a value in a range; a range of one value shows that value and everything below as 0.
int StepOf(float value, float low, float scale) {
    const float position = scale != 0.0F ? (value - low) * scale + 0.5F : (value > low ? 255.0F : 0.0F);
    return static_cast<int>(std::clamp(position, 0.0F, 255.0F));
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
    return ColorizeBand(cells, width, height, range, std::vector<RampStop>{{0.0, from}, {1.0, to}});
}

QImage ColorizeBand(const std::vector<float>& cells, int width, int height, const StretchRange& range,
                    const std::vector<RampStop>& stops) {
    QImage image = NewImage(width, height);
    // The ramp is 256 colours: as fine as 8-bit channels can show a blend.
    std::array<QRgb, 256> ramp{};
    for (int step = 0; step < 256; ++step) {
        const Color color = SampleStops(stops, step / 255.0);
        ramp[static_cast<size_t>(step)] = qRgb(color.Red, color.Green, color.Blue);
    }
    // A reversed range (minimum above maximum) reverses the ramp.
    const auto low = static_cast<float>(range.Low);
    const float scale = StepScale(range);
    for (int row = 0; row < height; ++row) {
        const float* source = cells.data() + static_cast<size_t>(row) * static_cast<size_t>(width);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < width; ++column) {
            const float value = source[column];
            // No data is transparent.
            target[column] = std::isnan(value) ? 0 : ramp[static_cast<size_t>(StepOf(value, low, scale))];
        }
    }
    return image;
}

QImage ComposeChannels(const std::array<ChannelCells, 4>& channels, int width, int height) {
    const auto cell_count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t channel = 0; channel < channels.size(); ++channel) {
        const std::vector<float>* cells = channels[channel].Cells;
        if ((cells == nullptr && channel < 3) || (cells != nullptr && cells->size() != cell_count)) {
            platform::RaiseError(platform::error::kInvalidProcedureCall, "A colour channel holds no cells, or not " +
                                                                             std::to_string(width) + " by " +
                                                                             std::to_string(height) + ".");
        }
    }
    QImage image = NewImage(width, height);
    std::array<float, 4> lows{};
    std::array<float, 4> scales{};
    for (size_t channel = 0; channel < channels.size(); ++channel) {
        lows[channel] = static_cast<float>(channels[channel].Range.Low);
        scales[channel] = StepScale(channels[channel].Range);
    }
    const std::vector<float>* alpha = channels[3].Cells;
    for (int row = 0; row < height; ++row) {
        const size_t first = static_cast<size_t>(row) * static_cast<size_t>(width);
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < width; ++column) {
            const size_t at = first + static_cast<size_t>(column);
            const float red = (*channels[0].Cells)[at];
            const float green = (*channels[1].Cells)[at];
            const float blue = (*channels[2].Cells)[at];
            const float opacity = alpha != nullptr ? (*alpha)[at] : 255.0F;
            if (std::isnan(red) || std::isnan(green) || std::isnan(blue) || std::isnan(opacity)) {
                target[column] = 0;
                continue;
            }
            const int a = alpha != nullptr ? StepOf(opacity, lows[3], scales[3]) : 255;
            // The image is premultiplied: channels are scaled by the opacity.
            const auto premultiplied = [a](int value) { return (value * a + 127) / 255; };
            target[column] =
                qRgba(premultiplied(StepOf(red, lows[0], scales[0])), premultiplied(StepOf(green, lows[1], scales[1])),
                      premultiplied(StepOf(blue, lows[2], scales[2])), a);
        }
    }
    return image;
}

size_t RasterDrawer::Band::Bytes() const {
    return (Cells ? Cells->size() * sizeof(float) : 0) + static_cast<size_t>(Image.sizeInBytes());
}

void RasterDrawer::Clear() {
    bands_.clear();
    composites_.clear();
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
    for (const Composite& composite : composites_) {
        bytes_ += static_cast<size_t>(composite.Image.sizeInBytes());
    }
    // The band and the composite in use (the first of each) stay even when they alone are over the budget.
    while (bytes_ > budget_ && bands_.size() > 1) {
        bytes_ -= bands_.back().Bytes();
        bands_.pop_back();
    }
    while (bytes_ > budget_ && composites_.size() > 1) {
        bytes_ -= static_cast<size_t>(composites_.back().Image.sizeInBytes());
        composites_.pop_back();
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
    ColorKey key{range.Low, range.High, renderer.EffectiveStops()};
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
    entry.Image = ColorizeBand(*entry.Cells, width, height, range, key.Stops);
    entry.ImageKey = std::move(key);
    ++counts_.Colorizations;
    Account();
    return entry.Image;
}

const QImage& RasterDrawer::CompositeImage(const std::shared_ptr<RasterDataset>& raster,
                                           const RasterRGBRenderer& renderer) {
    const std::array<int32_t, 4> bands{renderer.RedBand, renderer.GreenBand, renderer.BlueBand, renderer.AlphaBand};
    for (auto it = composites_.begin(); it != composites_.end();) {
        if (it->Raster.expired()) {
            it = composites_.erase(it);
        } else if (it->RasterKey == raster.get() && it->Bands == bands) {
            composites_.splice(composites_.begin(), composites_, it);
            return composites_.front().Image;
        } else {
            ++it;
        }
    }
    // The cells are needed only while the image is composed.
    std::array<std::vector<float>, 4> cells;
    std::array<ChannelCells, 4> channels;
    for (size_t channel = 0; channel < bands.size(); ++channel) {
        if (bands[channel] == 0) {
            continue;
        }
        cells[channel] = raster->ReadBand(bands[channel]);
        ++counts_.BandReads;
        channels[channel].Cells = &cells[channel];
        if (!raster->EightBit(bands[channel])) {
            const BandStatistics statistics = raster->Statistics(bands[channel]);
            channels[channel].Range = {statistics.Minimum, statistics.Maximum};
        }
    }
    Composite& created = composites_.emplace_front();
    created.Raster = raster;
    created.RasterKey = raster.get();
    created.Bands = bands;
    created.Image = ComposeChannels(channels, raster->Width(), raster->Height());
    ++counts_.Compositions;
    Account();
    return composites_.front().Image;
}

void RasterDrawer::Draw(QPainter& painter, const ViewTransform& transform, const RasterLayer& layer,
                        const Envelope& extent) {
    const std::shared_ptr<RasterDataset>& raster = layer.Raster();
    const auto* stretch = dynamic_cast<const RasterStretchColorRampRenderer*>(layer.Renderer().get());
    const auto* rgb = dynamic_cast<const RasterRGBRenderer*>(layer.Renderer().get());
    if (layer.EffectLevel() >= 100 || !raster || (stretch == nullptr && rgb == nullptr) || extent.IsEmpty()) {
        return;
    }
    const int width = raster->Width();
    const int height = raster->Height();
    if (width <= 0 || height <= 0) {
        return;
    }
    // `shown` is how the renderer numbers the band: from 0 for a stretched ramp, from 1 for RGB.
    const auto check_band = [&](int32_t band, int32_t shown) {
        if (band < 1 || band > raster->BandCount()) {
            platform::RaiseError(platform::error::kSubscriptOutOfRange, "The raster of the layer '" + layer.Name() +
                                                                            "' has no band " + std::to_string(shown) +
                                                                            ".");
        }
    };
    const int32_t band = stretch != nullptr ? stretch->BandIndex + 1 : 0;
    if (stretch != nullptr) {
        check_band(band, stretch->BandIndex);
    } else {
        for (const int32_t color_band : {rgb->RedBand, rgb->GreenBand, rgb->BlueBand}) {
            check_band(color_band, color_band);
        }
        if (rgb->AlphaBand != 0) {
            check_band(rgb->AlphaBand, rgb->AlphaBand);
        }
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

    const QImage& image = stretch != nullptr ? Image(raster, band, *stretch) : CompositeImage(raster, *rgb);
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
