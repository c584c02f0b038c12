#include "gis/drawing/marker_images.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QRawFont>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace chronova::gis {

namespace {

// Past this many bytes of images the cache starts afresh; a map of many classes and sizes stays well below.
constexpr size_t kCacheLimitBytes = size_t{64} << 20;
// Glyph outlines are taken at this pixel size and scaled, so their curves stay smooth at any marker size.
constexpr int kGlyphPixelSize = 256;
// The largest marker drawn, in pixels across: 192 points, more than any legible map symbol. The cap bounds
// the images of one symbol in all its turns to some tens of megabytes.
constexpr double kLargestMarkerPixels = 256.0;
// Sizes in the cache key are kept to 1/16 pixel.
constexpr double kKeySteps = 16.0;

QColor ToQColor(const Color& color) {
    return QColor(color.Red, color.Green, color.Blue);
}

int64_t KeySize(double pixels) {
    return std::llround(pixels * kKeySteps);
}

// A path of unit height moved to be `height` pixels high.
QPainterPath Scaled(const QPainterPath& unit, double height) {
    return QTransform::fromScale(height, height).map(unit);
}

// The outline of a simple marker `size` pixels across, centred on (0, 0). Crosses are strokes; the others
// are areas.
QPainterPath SimpleMarkerPath(SimpleMarkerStyle style, double size) {
    const double half = size / 2.0;
    QPainterPath path;
    switch (style) {
    case SimpleMarkerStyle::Circle:
        path.addEllipse(QPointF(0.0, 0.0), half, half);
        break;
    case SimpleMarkerStyle::Square:
        path.addRect(QRectF(-half, -half, size, size));
        break;
    case SimpleMarkerStyle::Cross:
        path.moveTo(-half, 0.0);
        path.lineTo(half, 0.0);
        path.moveTo(0.0, -half);
        path.lineTo(0.0, half);
        break;
    case SimpleMarkerStyle::X: {
        const double leg = half * std::sqrt(0.5);
        path.moveTo(-leg, -leg);
        path.lineTo(leg, leg);
        path.moveTo(-leg, leg);
        path.lineTo(leg, -leg);
        break;
    }
    case SimpleMarkerStyle::Diamond:
        path.moveTo(0.0, -half);
        path.lineTo(half, 0.0);
        path.lineTo(0.0, half);
        path.lineTo(-half, 0.0);
        path.closeSubpath();
        break;
    }
    return path;
}

bool IsStroke(SimpleMarkerStyle style) {
    return style == SimpleMarkerStyle::Cross || style == SimpleMarkerStyle::X;
}

// The path moved and scaled to one unit high, centred on (0, 0); nothing for a path with no height.
std::optional<QPainterPath> Normalized(const QPainterPath& path) {
    const QRectF bounds = path.boundingRect();
    if (path.isEmpty() || !(bounds.height() > 0.0)) {
        return std::nullopt;
    }
    QTransform transform;
    transform.scale(1.0 / bounds.height(), 1.0 / bounds.height());
    transform.translate(-bounds.center().x(), -bounds.center().y());
    return transform.map(path);
}

// The installed family whose name is `name`, letter case ignored; empty when none is.
QString InstalledFamily(const QString& name) {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (family.compare(name, Qt::CaseInsensitive) == 0) {
            return family;
        }
    }
    return {};
}

} // namespace

// Qt's paths and brushes have no move constructor, so they come by reference; a pen moves.
MarkerSheet::MarkerSheet(const QPainterPath& shape, const QBrush& fill, QPen pen, int period)
    : shape_(shape), fill_(fill), pen_(std::move(pen)), period_(period) {
    // The farthest corner of the bounds is the farthest any point of the shape can reach under a turn.
    const QRectF bounds = shape_.boundingRect();
    const double dx = std::max(std::abs(bounds.left()), std::abs(bounds.right()));
    const double dy = std::max(std::abs(bounds.top()), std::abs(bounds.bottom()));
    const double stroke = pen_.style() == Qt::NoPen ? 0.0 : pen_.widthF() / 2.0;
    reach_ = std::hypot(dx, dy) + stroke + 2.0;
}

int MarkerSheet::BucketOf(double counter_clockwise_degrees) const noexcept {
    // Angles beyond a billion degrees are nonsense data; they draw unturned like NaN.
    if (period_ == 0 || !(std::abs(counter_clockwise_degrees) < 1e9)) {
        return 0;
    }
    const int bucket = static_cast<int>(std::lround(counter_clockwise_degrees) % period_);
    return bucket < 0 ? bucket + period_ : bucket;
}

const MarkerSprite& MarkerSheet::Sprite(double counter_clockwise_degrees) {
    const int bucket = BucketOf(counter_clockwise_degrees);
    auto& slot = sprites_[static_cast<size_t>(bucket)];
    if (!slot) {
        slot = Render(bucket);
        bytes_ += static_cast<size_t>(slot->Image.sizeInBytes());
    }
    return *slot;
}

void MarkerSheet::Draw(QPainter& painter, double x, double y, double counter_clockwise_degrees) {
    const MarkerSprite& sprite = Sprite(counter_clockwise_degrees);
    painter.drawImage(QPoint(AnchorPixel(x) + sprite.Offset.x(), AnchorPixel(y) + sprite.Offset.y()), sprite.Image);
}

MarkerSprite MarkerSheet::Render(int degrees) const {
    // Screen y grows downwards, so a counter-clockwise turn on screen is a negative angle for QTransform.
    QTransform turn;
    turn.rotate(-degrees);
    const QPainterPath turned = turn.map(shape_);
    const double stroke = pen_.style() == Qt::NoPen ? 0.0 : pen_.widthF() / 2.0;
    // The anchor is a corner of the pixel grid, so even-sized squares and crosses stay crisp.
    const QRectF bounds = turned.boundingRect().adjusted(-stroke - 1, -stroke - 1, stroke + 1, stroke + 1);
    const int left = static_cast<int>(std::floor(bounds.left()));
    const int top = static_cast<int>(std::floor(bounds.top()));
    const int width = std::max(1, static_cast<int>(std::ceil(bounds.right())) - left);
    const int height = std::max(1, static_cast<int>(std::ceil(bounds.bottom())) - top);

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-left, -top);
        painter.setPen(pen_);
        painter.setBrush(fill_);
        painter.drawPath(turned);
    }
    return Trimmed(image, QPoint(left, top));
}

MarkerSprite MarkerSheet::Trimmed(const QImage& image, QPoint offset) {
    // The bounds above are generous; only the rows and columns with colour are kept, and each row remembers
    // where its colour starts and ends.
    std::vector<std::pair<int, int>> spans(static_cast<size_t>(image.height()), {0, 0});
    int first_row = image.height();
    int end_row = 0;
    int first_column = image.width();
    int end_column = 0;
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
        if (begin < end) {
            spans[static_cast<size_t>(row)] = {begin, end};
            first_row = std::min(first_row, row);
            end_row = row + 1;
            first_column = std::min(first_column, begin);
            end_column = std::max(end_column, end);
        }
    }
    MarkerSprite sprite;
    if (first_row >= end_row) {
        // Nothing shows: a one-pixel transparent image keeps every caller's path simple.
        sprite.Image = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        sprite.Image.fill(Qt::transparent);
        sprite.Offset = offset;
        sprite.Spans.assign(1, {0, 0});
        return sprite;
    }
    // Blending goes four pixels at a time: the width and each span are rounded up to whole fours of pixels,
    // which adds only transparent ones (copy() fills what lies beyond the image with 0).
    const auto whole_fours = [](int count) { return (count + 3) / 4 * 4; };
    const int width = whole_fours(end_column - first_column);
    sprite.Image = image.copy(first_column, first_row, width, end_row - first_row);
    sprite.Offset = offset + QPoint(first_column, first_row);
    sprite.Spans.reserve(static_cast<size_t>(end_row - first_row));
    for (int row = first_row; row < end_row; ++row) {
        const auto [begin, end] = spans[static_cast<size_t>(row)];
        if (begin < end) {
            const int length = whole_fours(end - begin);
            const int start = std::min(begin - first_column, width - length);
            sprite.Spans.emplace_back(static_cast<uint16_t>(start), static_cast<uint16_t>(start + length));
        } else {
            sprite.Spans.emplace_back(0, 0);
        }
    }
    return sprite;
}

std::shared_ptr<MarkerSheet> MarkerImages::Sheet(const IMarkerSymbol& symbol, double pixels_per_point) {
    // Larger markers are drawn at the largest size (see kLargestMarkerPixels).
    const double size = std::min(symbol.Size * pixels_per_point, kLargestMarkerPixels);
    if (symbol.MarkerColor.NullColor || !(size > 0.0) || !std::isfinite(size)) {
        return nullptr;
    }
    const auto* simple = dynamic_cast<const SimpleMarkerSymbol*>(&symbol);
    const auto* character = dynamic_cast<const CharacterMarkerSymbol*>(&symbol);
    if (simple == nullptr && character == nullptr) {
        return nullptr;
    }
    const bool outlined =
        simple != nullptr && simple->Outline && !simple->OutlineColor.NullColor && simple->OutlineSize > 0.0;
    const Key key{simple != nullptr ? static_cast<int>(simple->Style) : -1,
                  symbol.MarkerColor.RGB(),
                  outlined ? simple->OutlineColor.RGB() : -1,
                  outlined ? KeySize(simple->OutlineSize * pixels_per_point) : -1,
                  character != nullptr ? character->FontName : std::string{},
                  character != nullptr ? character->CharacterIndex : 0,
                  KeySize(size)};
    if (auto found = sheets_.find(key); found != sheets_.end()) {
        return found->second;
    }
    if (Bytes() > kCacheLimitBytes) {
        // Sheets in use by a drawing stay alive through their shared pointers.
        sheets_.clear();
    }

    const double key_size = static_cast<double>(std::get<6>(key)) / kKeySteps;
    const QColor color = ToQColor(symbol.MarkerColor);
    std::shared_ptr<MarkerSheet> sheet;
    if (simple != nullptr) {
        QPen pen(Qt::NoPen);
        QBrush fill(color);
        if (IsStroke(simple->Style)) {
            // Crosses have no area: their colour is the stroke's, and an outline would hide it.
            pen = QPen(color, std::max(1.0, key_size / 7.0), Qt::SolidLine, Qt::FlatCap);
            fill = QBrush(Qt::NoBrush);
        } else if (outlined) {
            pen = QPen(ToQColor(simple->OutlineColor), static_cast<double>(std::get<3>(key)) / kKeySteps);
            pen.setJoinStyle(Qt::MiterJoin);
        }
        const int period = simple->Style == SimpleMarkerStyle::Circle ? 0 : 90;
        sheet = std::make_shared<MarkerSheet>(SimpleMarkerPath(simple->Style, key_size), fill, pen, period);
    } else {
        const std::optional<QPainterPath> glyph = GlyphPath(character->FontName, character->CharacterIndex);
        sheet = std::make_shared<MarkerSheet>(Scaled(glyph ? *glyph : ArrowPath(), key_size), QBrush(color),
                                              QPen(Qt::NoPen), 360);
    }
    sheets_.emplace(key, sheet);
    return sheet;
}

size_t MarkerImages::Bytes() const {
    size_t bytes = 0;
    for (const auto& [key, sheet] : sheets_) {
        bytes += sheet->Bytes();
    }
    return bytes;
}

void MarkerImages::Clear() {
    sheets_.clear();
    glyphs_.clear();
}

std::optional<QPainterPath> MarkerImages::GlyphPath(const std::string& font_name, int32_t character_index) {
    const auto key = std::make_pair(font_name, character_index);
    if (auto found = glyphs_.find(key); found != glyphs_.end()) {
        return found->second;
    }
    std::optional<QPainterPath> glyph;
    // Fonts can only be looked up while an application object holds the font database.
    if (character_index > 0 && !font_name.empty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QString family = InstalledFamily(QString::fromStdString(font_name));
        if (!family.isEmpty()) {
            QFont font(family);
            font.setPixelSize(kGlyphPixelSize);
            const QRawFont raw = QRawFont::fromFont(font);
            // Qt substitutes another font for one it cannot load; only the named font's own glyphs count.
            if (raw.isValid() && raw.familyName().compare(family, Qt::CaseInsensitive) == 0) {
                // Symbol fonts keep their characters in the private use area at 0xF000 + code.
                const auto code = static_cast<char32_t>(character_index);
                for (const char32_t candidate : {code, code < 0x100 ? static_cast<char32_t>(0xF000 + code) : code}) {
                    if (!raw.supportsCharacter(candidate)) {
                        continue;
                    }
                    const QList<quint32> indexes = raw.glyphIndexesForString(QString::fromUcs4(&candidate, 1));
                    if (indexes.size() == 1 && indexes.front() != 0) {
                        glyph = Normalized(raw.pathForGlyph(indexes.front()));
                        if (glyph) {
                            break;
                        }
                    }
                }
            }
        }
    }
    glyphs_.emplace(key, glyph);
    return glyph;
}

QPainterPath MarkerImages::ArrowPath() {
    // A narrow shaft under a head a little wider than a third of the height: long and thin, so its direction
    // reads at a glance.
    QPainterPath arrow;
    arrow.moveTo(0.0, -0.5);
    arrow.lineTo(0.19, -0.12);
    arrow.lineTo(0.05, -0.12);
    arrow.lineTo(0.05, 0.5);
    arrow.lineTo(-0.05, 0.5);
    arrow.lineTo(-0.05, -0.12);
    arrow.lineTo(-0.19, -0.12);
    arrow.closeSubpath();
    return arrow;
}

MarkerImages& MarkerImages::ForThisThread() {
    thread_local MarkerImages images;
    return images;
}

} // namespace chronova::gis
