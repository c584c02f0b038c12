#include "apps/desktop/map_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "gis/drawing/map_drawer.h"
#include "gis/drawing/view_transform.h"
#include "gis/host_errors.h"
#include "gis/map/map.h"
#include "platform/automation_error.h"

namespace chronova::desktop {

namespace {

// One wheel notch zooms by a quarter; a click with the zoom tool doubles.
constexpr double kWheelStep = 1.25;
constexpr double kClickZoom = 2.0;
constexpr int kWheelNotch = 120;
// A drag shorter than this is a click.
constexpr int kClickSlop = 4;
constexpr size_t kMegabyte = size_t{1024} * 1024;

// Both requests in one, as the map would have collected them had nobody taken the first.
void Merge(gis::RedrawRequest& into, gis::RedrawRequest request) {
    into.Full = into.Full || request.Full;
    into.Phases |= request.Phases;
    into.AllLayers = into.AllLayers || request.AllLayers;
    for (auto& layer : request.Layers) {
        if (std::find(into.Layers.begin(), into.Layers.end(), layer) == into.Layers.end()) {
            into.Layers.push_back(std::move(layer));
        }
    }
    if (!into.Area || !request.Area) {
        into.Area.reset();
    } else {
        into.Area->Union(*request.Area);
    }
}

} // namespace

MapCanvas::MapCanvas(QWidget* parent)
    : QWidget(parent), cache_(static_cast<size_t>(StoredFrameCacheMegabytes()) * kMegabyte) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    SetTool(Tool::Pan);
    // The worker wakes this thread through its event loop; events posted to a canvas that is gone are dropped.
    copier_ = std::make_unique<FrameCopier>([this] {
        QMetaObject::invokeMethod(
            this, [this] { KeepCopied(); }, Qt::QueuedConnection);
    });
}

MapCanvas::~MapCanvas() {
    copier_.reset(); // the worker stops before anything it may call back into goes
}

void MapCanvas::FrameCacheBytes(size_t bytes) {
    cache_.Capacity(bytes);
    copier_->Recycle(cache_.TakeEvicted());
    if (!cache_.Enabled()) {
        DropStoring();
    }
}

void MapCanvas::DropStoring() {
    copier_->Cancel();
    storing_.clear();
}

void MapCanvas::KeepCopied() {
    for (auto& [ticket, copy] : copier_->TakeDone()) {
        // Tickets come back in the order given; one that never comes back (no memory for its copy) is passed.
        while (!storing_.empty() && storing_.front().Ticket < ticket) {
            storing_.pop_front();
        }
        if (!storing_.empty() && storing_.front().Ticket == ticket) {
            cache_.Insert(storing_.front().Key, copy);
            storing_.pop_front();
        }
    }
    copier_->Recycle(cache_.TakeEvicted());
}

void MapCanvas::FinishStoring() {
    copier_->Wait();
    KeepCopied();
}

void MapCanvas::Bind(std::shared_ptr<gis::Map> map, QColor background) {
    view_refreshed_.Disconnect();
    drawing_finished_.Disconnect();
    drawer_.reset();
    frame_ = QImage();
    // Frames of another map never match, but they would hold memory and that map's data.
    DropStoring();
    cache_.Clear();
    shown_key_.reset();
    unseen_ = {};
    drawer_behind_ = false;
    map_ = std::move(map);
    if (map_) {
        drawer_ = std::make_unique<gis::MapDrawer>(map_);
        drawer_->Background(background);
        view_refreshed_ =
            map_->Events().ViewRefreshed.Connect([this](gis::IActiveView&, int32_t, const std::shared_ptr<gis::ILayer>&,
                                                        const std::optional<gis::Envelope>&) { Redraw(); });
        drawing_finished_ = map_->ScreenDisplay()->DrawingFinished.Connect([this] { ++draw_count_; });
    }
    // A new drawer has no image yet, so its first update draws every layer, whatever the map asked for.
    Redraw();
    update();
}

QColor MapCanvas::Background() const {
    return drawer_ ? drawer_->Background() : QColor(Qt::white);
}

void MapCanvas::Suspend(bool suspended) {
    suspended_ = suspended;
    if (!suspended_) {
        Redraw();
    }
}

void MapCanvas::SetTool(Tool tool) {
    tool_ = tool;
    setCursor(tool_ == Tool::Pan ? Qt::OpenHandCursor : Qt::CrossCursor);
}

bool MapCanvas::CanDraw() const {
    return map_ && drawer_ && !suspended_ && isVisible() && width() > 0 && height() > 0;
}

void MapCanvas::Redraw() {
    if (!CanDraw()) {
        return; // the request stays with the map until the canvas can draw
    }
    // A handler of the drawing notifications may ask for another redraw; it runs once this one is done.
    if (drawing_) {
        again_ = true;
        return;
    }
    drawing_ = true;
    do {
        again_ = false;
        try {
            DrawOnce();
        } catch (const platform::AutomationError& e) {
            gis::ReportHostError("The map cannot be drawn: " + e.Description());
        } catch (const std::exception& e) {
            gis::ReportHostError(std::string("The map cannot be drawn: ") + e.what());
        }
    } while (again_ && CanDraw());
    drawing_ = false;
    update();
}

void MapCanvas::DrawOnce() {
    gis::RedrawRequest request = std::move(unseen_);
    unseen_ = {};
    Merge(request, map_->TakeRedrawRequest());
    if (!cache_.Enabled()) {
        shown_key_.reset();
        if (drawer_behind_ && request.Empty()) {
            request.Phases = gis::view_phase::kGeography; // see below
        }
        drawer_behind_ = false;
        frame_ = drawer_->Update(request, size());
        return;
    }
    KeepCopied();
    // The extent is worked out once and handed to the drawer, which would otherwise work it out again.
    const QSize image_size(std::max(width(), 1), std::max(height(), 1));
    const gis::Envelope extent = drawer_->DefaultExtent();
    const gis::Envelope visible = gis::ViewTransform(extent, image_size.width(), image_size.height()).VisibleExtent();
    FrameKey key = FrameKey::Of(*map_, image_size, visible, drawer_->Background());
    const size_t stamp = FrameKey::DrawStamp(*map_);
    if (shown_key_ == key && request.Empty()) {
        return; // nothing asked for and nothing changed: the drawer too would keep its frame and stay quiet
    }
    // A frame still waiting for its copy serves as it is; its copy replaces it in the cache when done.
    for (const Storing& storing : storing_) {
        if (storing.Key == key) {
            cache_.Insert(key, storing.Frame);
            copier_->Recycle(cache_.TakeEvicted());
            break;
        }
    }
    if (std::optional<QImage> kept = cache_.Find(key)) {
        // The same notifications as a drawing pass, so playback and the window follow as they do then.
        const std::shared_ptr<gis::ScreenDisplay>& display = map_->ScreenDisplay();
        frame_ = std::move(*kept);
        shown_key_ = std::move(key);
        Merge(unseen_, std::move(request));
        drawer_behind_ = true;
        try {
            display->FireDrawingStarted();
        } catch (...) {
            display->FireDrawingFinished();
            throw;
        }
        display->FireDrawingFinished();
        return;
    }
    if (drawer_behind_ && request.Empty()) {
        // The drawer would hand back its own last frame, which is not the one shown: a request for the geography
        // without layers draws the layers that changed since it drew them and composes a frame of the map now.
        request.Phases = gis::view_phase::kGeography;
    }
    shown_key_.reset();
    drawer_behind_ = false;
    frame_ = drawer_->Update(request, size(), extent);
    // The frame is kept only for the state it shows: not when a drawing notification's handler changed the map
    // (it asked for another redraw, again_, as a new extent does, or a layer's draw revision moved).
    if (!again_ && FrameKey::DrawStamp(*map_) == stamp) {
        const uint64_t ticket = ++next_ticket_;
        if (copier_->Submit(ticket, frame_)) {
            storing_.push_back(Storing{ticket, key, frame_});
        }
        shown_key_ = std::move(key);
    }
}

gis::Envelope MapCanvas::VisibleExtent() const {
    if (!drawer_) {
        return {};
    }
    const gis::Envelope extent = drawer_->DefaultExtent();
    if (extent.IsEmpty()) {
        return {};
    }
    return gis::ViewTransform(extent, width(), height()).VisibleExtent();
}

std::optional<QPointF> MapCanvas::MapPoint(QPointF pixel) const {
    const gis::Envelope visible = VisibleExtent();
    if (visible.IsEmpty() || width() <= 0) {
        return std::nullopt;
    }
    const double units_per_pixel = (visible.XMax - visible.XMin) / width();
    return QPointF(visible.XMin + pixel.x() * units_per_pixel, visible.YMax - pixel.y() * units_per_pixel);
}

void MapCanvas::ShowExtent(const gis::Envelope& extent) {
    if (map_ && !extent.IsEmpty()) {
        map_->Extent(extent); // asks for a full redraw
    }
}

void MapCanvas::FullExtent() {
    if (map_) {
        map_->Extent(gis::Envelope{});
    }
}

void MapCanvas::ZoomAt(QPointF pixel, double factor) {
    const std::optional<QPointF> anchor = MapPoint(pixel);
    if (!anchor || factor <= 0.0) {
        return;
    }
    const gis::Envelope visible = VisibleExtent();
    const double units_per_pixel = (visible.XMax - visible.XMin) / width() / factor;
    const double x_min = anchor->x() - pixel.x() * units_per_pixel;
    const double y_max = anchor->y() + pixel.y() * units_per_pixel;
    ShowExtent(gis::Envelope{x_min, y_max - height() * units_per_pixel, x_min + width() * units_per_pixel, y_max});
}

void MapCanvas::PanBy(QPoint pixels) {
    const gis::Envelope visible = VisibleExtent();
    if (visible.IsEmpty() || width() <= 0) {
        return;
    }
    const double units_per_pixel = (visible.XMax - visible.XMin) / width();
    const double dx = -pixels.x() * units_per_pixel;
    const double dy = pixels.y() * units_per_pixel;
    ShowExtent(gis::Envelope{visible.XMin + dx, visible.YMin + dy, visible.XMax + dx, visible.YMax + dy});
}

void MapCanvas::ZoomToPixels(const QRect& pixels) {
    const QRect box = pixels.normalized();
    const auto top_left = MapPoint(box.topLeft());
    const auto bottom_right = MapPoint(QPointF(box.right() + 1, box.bottom() + 1));
    if (!top_left || !bottom_right || box.isEmpty()) {
        return;
    }
    ShowExtent(gis::Envelope{top_left->x(), bottom_right->y(), bottom_right->x(), top_left->y()});
}

void MapCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), drawer_ ? drawer_->Background() : palette().color(QPalette::Base));
    if (!frame_.isNull()) {
        const QPoint offset = press_ && tool_ == Tool::Pan ? drag_ : QPoint();
        painter.drawImage(offset, frame_);
    }
    if (press_ && tool_ == Tool::ZoomIn) {
        painter.setPen(QPen(QColor(0, 0, 0, 200), 1, Qt::DashLine));
        painter.setBrush(QColor(0, 120, 215, 40));
        painter.drawRect(QRect(*press_, drag_).normalized());
    }
}

void MapCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Redraw();
}

void MapCanvas::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Redraw();
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    press_ = event->position().toPoint();
    drag_ = tool_ == Tool::Pan ? QPoint() : *press_;
    if (tool_ == Tool::Pan) {
        setCursor(Qt::ClosedHandCursor);
    }
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!press_) {
        return;
    }
    const QPoint at = event->position().toPoint();
    drag_ = tool_ == Tool::Pan ? at - *press_ : at;
    update();
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (!press_ || event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint start = *press_;
    const QPoint end = event->position().toPoint();
    press_.reset();
    const bool click = std::abs(end.x() - start.x()) < kClickSlop && std::abs(end.y() - start.y()) < kClickSlop;
    if (tool_ == Tool::Pan) {
        setCursor(Qt::OpenHandCursor);
        if (!click) {
            PanBy(end - start);
        }
    } else if (click) {
        ZoomAt(end, kClickZoom);
    } else {
        ZoomToPixels(QRect(start, end));
    }
    update();
}

void MapCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = static_cast<double>(event->angleDelta().y()) / kWheelNotch;
    if (notches != 0.0) {
        ZoomAt(event->position(), std::pow(kWheelStep, notches));
    }
    event->accept();
}

} // namespace chronova::desktop
