#include "gis/drawing/label_images.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace chronova::gis {

namespace {

// What a kept label costs besides its text and image: the list node, the index entry and the sprite's spans.
constexpr size_t kEntryOverhead = 160;
// Styles are few (one per labelled layer); a cache that met more starts afresh so their numbers stay small.
constexpr size_t kMaxStyles = 64;

// Rows of a label image with the columns that hold any colour, so blending skips the transparent margins.
MarkerSprite SpriteOf(QImage image) {
    MarkerSprite sprite;
    sprite.Spans.reserve(static_cast<size_t>(image.height()));
    for (int row = 0; row < image.height(); ++row) {
        const auto* pixels = reinterpret_cast<const uint32_t*>(image.constScanLine(row));
        int begin = 0;
        while (begin < image.width() && (pixels[begin] >> 24) == 0) {
            ++begin;
        }
        int end = image.width();
        while (end > begin && (pixels[end - 1] >> 24) == 0) {
            --end;
        }
        sprite.Spans.emplace_back(static_cast<uint16_t>(begin < end ? begin : 0),
                                  static_cast<uint16_t>(begin < end ? end : 0));
    }
    sprite.Image = std::move(image);
    return sprite;
}

// Puts a halo under the letters of a label image: the letters' coverage widened by a disc of the halo's radius
// (a pixel at a fractional distance in part), in the halo colour. Widening the coverage of text the painter drew
// from its glyph cache is far cheaper than stroking the glyphs' outlines, which loads every outline afresh.
void AddHalo(QImage& image, QRgb color, double radius) {
    const int width = image.width();
    const int height = image.height();
    const int reach = static_cast<int>(std::ceil(radius));
    struct Tap {
        int Dx;
        int Dy;
        uint32_t Weight; // 0..256
    };
    std::vector<Tap> taps;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const double share = std::clamp(radius + 0.5 - std::hypot(dx, dy), 0.0, 1.0);
            if (share > 0.0) {
                taps.push_back({dx, dy, static_cast<uint32_t>(std::lround(share * 256.0))});
            }
        }
    }
    std::vector<uint8_t> coverage(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            coverage[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint8_t>(pixels[x] >> 24);
        }
    }
    for (int y = 0; y < height; ++y) {
        auto* pixels = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            uint32_t halo = 0;
            for (const Tap& tap : taps) {
                const int from_x = x + tap.Dx;
                const int from_y = y + tap.Dy;
                if (from_x >= 0 && from_y >= 0 && from_x < width && from_y < height) {
                    const uint32_t covered = coverage[static_cast<size_t>(from_y) * static_cast<size_t>(width) +
                                                      static_cast<size_t>(from_x)];
                    halo = std::max(halo, (covered * tap.Weight) >> 8);
                }
            }
            if (halo == 0) {
                continue;
            }
            // The letters over the halo: premultiplied source-over of the text pixel on the halo pixel.
            const uint32_t text = pixels[x];
            const uint32_t under = 255u - (text >> 24);
            const auto channel = [&](int shift) {
                const uint32_t halo_channel = shift == 24 ? 255u : (color >> shift) & 0xffu;
                const uint32_t premultiplied = (halo_channel * halo + 127u) / 255u;
                return ((text >> shift) & 0xffu) + (premultiplied * under + 127u) / 255u;
            };
            pixels[x] = (channel(24) << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
        }
    }
}

} // namespace

LabelImages::LabelImages(size_t byte_limit) : byte_limit_(byte_limit) {}

LabelImages& LabelImages::ForThisThread() {
    thread_local LabelImages images;
    return images;
}

void LabelImages::Clear() {
    index_.clear();
    labels_.clear();
    styles_.clear();
    bytes_ = 0;
}

uint32_t LabelImages::StyleId(const LabelStyle& style) {
    if (styles_.size() >= kMaxStyles && styles_.find(style) == styles_.end()) {
        Clear();
    }
    return styles_.emplace(style, static_cast<uint32_t>(styles_.size())).first->second;
}

void LabelImages::Charge(Label& label, size_t bytes) {
    label.Bytes += bytes;
    bytes_ += bytes;
}

void LabelImages::Trim() {
    while (bytes_ > byte_limit_ && !labels_.empty()) {
        bytes_ -= labels_.back().Bytes;
        index_.erase(Key{labels_.back().Style, labels_.back().Text});
        labels_.pop_back();
    }
}

LabelImages::Frame::Frame(LabelImages& images, const LabelStyle& style)
    : images_(images), style_(style), style_id_(images.StyleId(style)), font_([&] {
          QFont font;
          font.setPixelSize(std::max(style.PixelSize, 1));
          return font;
      }()),
      metrics_(font_) {
    ++images_.open_frames_;
    // The halo needs room on every side, antialiasing a pixel more, and a pixel keeps neighbouring labels apart.
    padding_ = static_cast<int>(std::ceil(std::max(style.HaloPixels, 0.0))) + 2;
    baseline_ = padding_ + std::ceil(metrics_.ascent());
    height_ = static_cast<int>(std::ceil(metrics_.ascent()) + std::ceil(metrics_.descent())) + 2 * padding_;
}

LabelImages::Frame::~Frame() {
    // While a frame is open its labels stay put, however many there are; the cache shrinks when none is open.
    if (--images_.open_frames_ == 0) {
        images_.Trim();
    }
}

LabelImages::Label& LabelImages::Frame::Find(std::string_view text) {
    auto found = images_.index_.find(Key{style_id_, text});
    if (found != images_.index_.end()) {
        Label& label = *found->second;
        images_.labels_.splice(images_.labels_.begin(), images_.labels_, found->second);
        return label;
    }
    Label& label = images_.labels_.emplace_front();
    label.Text = std::string(text);
    label.Style = style_id_;
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    label.Width = static_cast<int>(std::ceil(metrics_.horizontalAdvance(qtext))) + 2 * padding_;
    label.Height = height_;
    images_.Charge(label, kEntryOverhead + text.size());
    images_.index_.emplace(Key{style_id_, label.Text}, images_.labels_.begin());
    return label;
}

const MarkerSprite& LabelImages::Frame::Sprite(Label& label) {
    if (label.Sprite) {
        return *label.Sprite;
    }
    const QString qtext = QString::fromUtf8(label.Text.data(), static_cast<qsizetype>(label.Text.size()));

    QImage image(label.Width, label.Height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(font_);
        painter.setPen(QColor::fromRgb(style_.TextColor));
        painter.drawText(QPointF(padding_, baseline_), qtext);
    }
    if (style_.HaloPixels > 0.0) {
        AddHalo(image, style_.HaloColor, style_.HaloPixels);
    }
    label.Sprite = SpriteOf(std::move(image));
    images_.Charge(label, static_cast<size_t>(label.Sprite->Image.sizeInBytes()) +
                              label.Sprite->Spans.size() * sizeof(label.Sprite->Spans[0]));
    return *label.Sprite;
}

} // namespace chronova::gis
