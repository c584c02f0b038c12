#include "gis/layout/map_layout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "gis/layout/placement.h"
#include "gis/layout/scale_bar.h"
#include "gis/ogr/ground_units.h"

namespace chronova::gis {

namespace {

// The legend takes at most these shares of the frame; the scale bar aims at this share of its width.
constexpr double kLegendWidthShare = 0.4;
constexpr double kLegendHeightShare = 0.7;
constexpr double kColorBarWidthShare = 0.22;
constexpr double kScaleBarShare = 0.2;
constexpr std::string_view kUnnamedMap = "Layers";

bool Paintable(QImage::Format format) {
    return format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_RGB32 ||
           format == QImage::Format_ARGB32 || format == QImage::Format_RGB888 || format == QImage::Format_RGBA8888 ||
           format == QImage::Format_RGBA8888_Premultiplied || format == QImage::Format_RGBX8888;
}

// A piece of `size` inside the room reserved for it, held against the room's side nearest the frame's edge, so
// that a piece narrower than its room stays in its corner.
QRect Aligned(const QRect& room, QSize size, QSize frame) {
    const QPoint centre = room.center();
    int left = room.left() + (room.width() - size.width()) / 2;
    if (centre.x() < frame.width() / 3) {
        left = room.left();
    } else if (centre.x() > frame.width() * 2 / 3) {
        left = room.right() + 1 - size.width();
    }
    int top = room.top() + (room.height() - size.height()) / 2;
    if (centre.y() < frame.height() / 3) {
        top = room.top();
    } else if (centre.y() > frame.height() * 2 / 3) {
        top = room.bottom() + 1 - size.height();
    }
    return {QPoint(left, top), size};
}

// The share of a piece's pixels that may show data before the piece asks for room beside the map.
constexpr double kCoveredShare = 0.01;
// The map keeps at least this share of the frame's width and of its height when room is made.
constexpr double kSmallestMapShare = 0.5;

// Adds the strip a piece placed at `rect` needs along the frame's edge it sits on.
void AskForRoom(FrameRoom& room, const QRect& rect, QSize frame, int inset) {
    const QPoint centre = rect.center();
    const bool left = centre.x() < frame.width() / 3;
    const bool right = centre.x() > frame.width() * 2 / 3;
    const bool top = centre.y() < frame.height() / 3;
    const bool bottom = centre.y() > frame.height() * 2 / 3;
    // A corner piece takes the strip that costs the map the smaller share of the frame.
    const bool sideways =
        (left || right) && (!(top || bottom) || static_cast<double>(rect.width()) / frame.width() <=
                                                    static_cast<double>(rect.height()) / frame.height());
    if (sideways && left) {
        room.Left = std::max(room.Left, rect.right() + 1 + inset);
    } else if (sideways && right) {
        room.Right = std::max(room.Right, frame.width() - rect.left() + inset);
    } else if (top) {
        room.Top = std::max(room.Top, rect.bottom() + 1 + inset);
    } else if (bottom) {
        room.Bottom = std::max(room.Bottom, frame.height() - rect.top() + inset);
    }
}

} // namespace

Envelope ExtentWithRoom(const Envelope& data, QSize frame, const FrameRoom& room) {
    const int inner_width = frame.width() - room.Left - room.Right;
    const int inner_height = frame.height() - room.Top - room.Bottom;
    if (data.IsEmpty() || !room.Any() || inner_width < frame.width() * kSmallestMapShare ||
        inner_height < frame.height() * kSmallestMapShare) {
        return data;
    }
    const double data_width = std::max(data.XMax - data.XMin, 1e-9);
    const double data_height = std::max(data.YMax - data.YMin, 1e-9);
    // Pixels per map unit with the data filling the inner rectangle in its tighter direction.
    const double scale = std::min(inner_width / data_width, inner_height / data_height);
    const double left = (data.XMin + data.XMax) / 2.0 - (room.Left + inner_width / 2.0) / scale;
    const double top = (data.YMin + data.YMax) / 2.0 + (room.Top + inner_height / 2.0) / scale;
    return {left, top - frame.height() / scale, left + frame.width() / scale, top};
}

MapLayout::MapLayout(LayoutSettings settings) : settings_(std::move(settings)) {
    settings_.Margin = std::clamp(settings_.Margin, 0.0, LayoutSettings::kLargestMargin);
}

Envelope MapLayout::DrawnExtent(const Envelope& data) const {
    if (data.IsEmpty() || settings_.Margin <= 0.0) {
        return data;
    }
    const double grow_x = (data.XMax - data.XMin) * settings_.Margin;
    const double grow_y = (data.YMax - data.YMin) * settings_.Margin;
    return {data.XMin - grow_x, data.YMin - grow_y, data.XMax + grow_x, data.YMax + grow_y};
}

void MapLayout::Reset() {
    prepared_ = false;
    title_ = legend_ = scale_bar_ = color_bar_ = QImage();
    color_bar_entries_.clear();
    placed_ = {};
    room_ = {};
}

QImage MapLayout::TitleImage(const Map& map) const {
    // A map still named as the host names every new map has no name of its own to show.
    const std::string text = settings_.TitleText.value_or(map.Name() == kUnnamedMap ? std::string() : map.Name());
    if (!settings_.Title.Shown || text.empty()) {
        return {};
    }
    const QFont font = style_.Font(style_.TitlePixels, true);
    const QFontMetricsF metrics(font);
    const int room = frame_size_.width() - 2 * (style_.Inset + style_.Padding);
    if (room < style_.TitlePixels) {
        return {};
    }
    const QString title = metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, room);
    const int width = std::min(room, static_cast<int>(std::ceil(metrics.horizontalAdvance(title))));
    QImage panel = PanelImage(QSize(width, static_cast<int>(std::ceil(metrics.height()))), style_);
    QPainter painter(&panel);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(style_.Text);
    painter.drawText(QRect(style_.Padding, style_.Padding, width, panel.height() - 2 * style_.Padding), Qt::AlignCenter,
                     title);
    return panel;
}

QImage MapLayout::ScaleBarImage(const Map& map, const ViewTransform& transform) const {
    if (!settings_.ScaleBar.Shown || !(transform.Scale() > 0.0)) {
        return {};
    }
    const double metres_per_pixel =
        MetresPerMapUnit(map.SpatialReference(), transform.VisibleExtent()) / transform.Scale();
    const double longest = frame_size_.width() - 2.0 * (style_.Inset + style_.Padding);
    const ScaleBarLength length =
        RoundScaleBar(metres_per_pixel, frame_size_.width() * kScaleBarShare, std::max(0.0, longest));
    return DrawScaleBar(length, style_);
}

int MapLayout::ColorBarWidth() const {
    const int room = frame_size_.width() - 2 * (style_.Inset + style_.Padding);
    return std::min(room, std::max(style_.TextPixels * 6, static_cast<int>(frame_size_.width() * kColorBarWidthShare)));
}

QSize MapLayout::TimeLabelRoom(const std::string& time_label) const {
    if (!settings_.TimeLabel.Shown || time_label.empty()) {
        return {};
    }
    const QFontMetricsF metrics(time_font_);
    // Later labels may be longer ("May" then "September"): the room has some to spare, within the frame.
    const int longest = frame_size_.width() - 2 * (style_.Inset + style_.Padding);
    const int width =
        std::min(longest, static_cast<int>(std::ceil(metrics.horizontalAdvance(QString::fromStdString(time_label)))) +
                              3 * style_.TextPixels);
    if (width <= 0) {
        return {};
    }
    return {width + 2 * style_.Padding, static_cast<int>(std::ceil(metrics.height())) + 2 * style_.Padding};
}

void MapLayout::Prepare(const QImage& frame, const Map& map, QColor background, const ViewTransform& transform,
                        const std::string& time_label) {
    frame_size_ = frame.size();
    style_ = PieceStyle::For(frame_size_);
    time_font_ = style_.Font(style_.TextPixels, true);
    time_text_.reset();
    title_ = TitleImage(map);
    if (settings_.Legend.Shown) {
        const QSize room(std::max(static_cast<int>(frame_size_.width() * kLegendWidthShare),
                                  std::min(frame_size_.width() - 2 * style_.Inset, style_.TextPixels * 12)),
                         static_cast<int>(frame_size_.height() * kLegendHeightShare));
        legend_ = DrawLegend(LegendSections(map, namer_), style_, room);
    }
    if (settings_.ColorBar.Shown) {
        color_bar_entries_ = ColorBarEntries(map, namer_);
        color_bar_ = DrawColorBars(color_bar_entries_, style_, ColorBarWidth());
    }
    scale_bar_ = ScaleBarImage(map, transform);
    const QSize time_room = TimeLabelRoom(time_label);

    using enum Placement;
    // The order pieces choose in: the largest and the most telling first.
    const std::vector<PieceRequest> requests = {
        {title_.size(), settings_.Title.Where, {Top}},
        {legend_.size(), settings_.Legend.Where, {TopRight, TopLeft, BottomRight, BottomLeft, Right, Left}},
        {color_bar_.size(), settings_.ColorBar.Where, {BottomRight, TopRight, BottomLeft, TopLeft, Right, Left}},
        {time_room, settings_.TimeLabel.Where, {TopLeft, BottomLeft, TopRight, BottomRight, Top, Bottom}},
        {scale_bar_.size(), settings_.ScaleBar.Where, {BottomLeft, BottomRight, Bottom, TopLeft, TopRight}},
    };
    const DataCoverage coverage(frame, background);
    const std::vector<QRect> rects = PlacePieces(requests, coverage, style_.Inset);
    placed_ = {rects[0], rects[1], rects[2], rects[4], rects[3]};
    color_bar_room_ = placed_.ColorBar;
    time_label_room_ = placed_.TimeLabel;
    scale_bar_room_ = placed_.ScaleBar;
    room_ = {};
    for (const QRect& rect : rects) {
        const double area = static_cast<double>(rect.width()) * rect.height();
        if (!rect.isEmpty() && static_cast<double>(coverage.Count(rect)) > area * kCoveredShare) {
            AskForRoom(room_, rect, frame_size_, style_.Inset);
        }
    }
    prepared_ = true;
}

void MapLayout::ScaleChanged(const Map& map, const ViewTransform& transform) {
    if (!prepared_ || scale_bar_room_.isEmpty()) {
        return;
    }
    scale_bar_ = ScaleBarImage(map, transform);
    placed_.ScaleBar = scale_bar_.isNull() ? QRect() : Aligned(scale_bar_room_, scale_bar_.size(), frame_size_);
}

void MapLayout::DrawTimeLabel(QPainter& painter, const std::string& time_label) {
    if (time_label_room_.isEmpty() || time_label.empty()) {
        return;
    }
    if (!time_text_) {
        time_text_.emplace(time_font_);
    }
    const int room = time_label_room_.width() - 2 * style_.Padding;
    QString text = QString::fromStdString(time_label);
    double advance = time_text_->Width(text);
    if (advance > room - 1.0) { // too long, or nearly: shortened with an ellipsis where it does not fit
        const QFontMetricsF metrics(time_font_);
        text = metrics.elidedText(text, Qt::ElideRight, room);
        advance = metrics.horizontalAdvance(text);
    }
    const int width = std::min(room, static_cast<int>(std::ceil(advance)));
    const QRect box =
        Aligned(time_label_room_, QSize(width + 2 * style_.Padding, time_label_room_.height()), frame_size_);
    painter.setPen(QPen(style_.Border, 1.0));
    painter.setBrush(style_.Panel);
    painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(style_.Text);
    time_text_->Draw(painter, box.adjusted(style_.Padding, style_.Padding, -style_.Padding, -style_.Padding), text);
}

void MapLayout::Draw(QImage& frame, const Map& map, QColor background, const ViewTransform& transform,
                     const std::string& time_label) {
    if (frame.isNull() || !settings_.AnyShown()) {
        return;
    }
    if (!Paintable(frame.format())) {
        frame =
            frame.convertToFormat(frame.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    if (!prepared_ || frame.size() != frame_size_) {
        Reset();
        Prepare(frame, map, background, transform, time_label);
    } else if (settings_.ColorBar.Shown) {
        // A raster's range may change from step to step (a band per step): the bar follows what is drawn.
        std::vector<ColorBarEntry> entries = ColorBarEntries(map, namer_);
        if (!SameColorBars(entries, color_bar_entries_)) {
            color_bar_entries_ = std::move(entries);
            color_bar_ = DrawColorBars(color_bar_entries_, style_, ColorBarWidth());
            placed_.ColorBar = color_bar_.isNull() || color_bar_room_.isEmpty()
                                   ? QRect()
                                   : Aligned(color_bar_room_, color_bar_.size(), frame_size_);
        }
    }

    QPainter painter(&frame);
    for (const auto& [image, rect] : {std::pair<const QImage&, const QRect&>{title_, placed_.Title},
                                      {legend_, placed_.Legend},
                                      {color_bar_, placed_.ColorBar},
                                      {scale_bar_, placed_.ScaleBar}}) {
        if (!image.isNull() && !rect.isEmpty()) {
            painter.drawImage(rect.topLeft(), image);
        }
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawTimeLabel(painter, time_label);
}

} // namespace chronova::gis
