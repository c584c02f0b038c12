#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "gis/drawing/marker_images.h"

namespace chronova::gis {

/// Everything besides the text that changes how a label looks.
struct LabelStyle {
    int PixelSize = 12;
    QRgb TextColor = qRgb(34, 34, 34);
    QRgb HaloColor = qRgb(255, 255, 255);
    /// The width of the outline around the letters in pixels; 0 draws none.
    double HaloPixels = 0.0;
    friend auto operator<=>(const LabelStyle&, const LabelStyle&) = default;
};

/// Label texts drawn once, with their halo, into small images that later frames blit again: an animation shows
/// mostly the same labels frame after frame, and blitting an image is far cheaper than laying out and stroking
/// text. The images of the labels used least recently go when the cache grows past its limit. The cache holds
/// no font objects between frames, so a cache of one thread may outlive the application object.
class LabelImages {
public:
    /// A text measured, and drawn once it is placed.
    struct Label {
        std::string Text;
        int Width = 0;
        int Height = 0;
        std::optional<MarkerSprite> Sprite;
        // The cache's bookkeeping.
        uint32_t Style = 0;
        size_t Bytes = 0;
    };

    /// The labels of one frame in one style; holds the font while it lives. The labels it hands out stay valid
    /// (no label used in the frame leaves the cache) until it is destroyed.
    class Frame {
    public:
        Frame(LabelImages& images, const LabelStyle& style);
        Frame(const Frame&) = delete;
        Frame& operator=(const Frame&) = delete;
        ~Frame();

        /// The height of every label image of the style, halo included.
        int Height() const noexcept { return height_; }
        /// The narrowest a label image of the style can be (a text of no width: its halo and margins); at least 4.
        int MinimumWidth() const noexcept { return 2 * padding_; }
        /// The label of a text, measured on first use.
        Label& Find(std::string_view text);
        /// The image of a label found in this frame, drawn on first use; its top-left pixel is the label box's.
        const MarkerSprite& Sprite(Label& label);

    private:
        LabelImages& images_;
        LabelStyle style_;
        uint32_t style_id_;
        QFont font_;
        QFontMetricsF metrics_;
        int padding_;
        double baseline_;
        int height_;
    };

    /// `byte_limit` bounds the images and texts kept between frames.
    explicit LabelImages(size_t byte_limit = size_t{32} << 20);

    /// Bytes of the labels kept.
    size_t Bytes() const noexcept { return bytes_; }
    size_t Count() const noexcept { return labels_.size(); }
    void Clear();

    /// The cache of the calling thread: drawing on several threads never shares one.
    static LabelImages& ForThisThread();

private:
    // A label's style and text; the text views the label's own, which stays put while the label is kept.
    struct Key {
        uint32_t Style;
        std::string_view Text;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const noexcept {
            return std::hash<std::string_view>{}(key.Text) * 31u + key.Style;
        }
    };
    using LabelList = std::list<Label>;

    uint32_t StyleId(const LabelStyle& style);
    void Charge(Label& label, size_t bytes);
    // Drops the labels used least recently until the cache fits its limit.
    void Trim();

    size_t byte_limit_;
    size_t bytes_ = 0;
    int open_frames_ = 0;
    // Most recently used first.
    LabelList labels_;
    std::unordered_map<Key, LabelList::iterator, KeyHash> index_;
    std::map<LabelStyle, uint32_t> styles_;
};

} // namespace chronova::gis
