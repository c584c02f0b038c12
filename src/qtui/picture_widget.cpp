// The picture box: a widget that shows what the box records, the way the headless drawing renders it.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include "gis/drawing/control_images.h"
#include "gis/drawing/image_canvas.h"
#include "platform/ui/picture_box.h"

namespace chronova::qtui {
namespace {

using detail::RunUserAction;
using platform::ui::kTwipsPerPixel;
using platform::ui::PictureBox;

class PictureWidget final : public QWidget {
public:
    PictureWidget(PictureBox& control, Placement placement, QWidget* parent)
        : QWidget(parent), control_(control), placement_(placement) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        // Every drawing call raises Changed; update() only schedules one repaint for a whole burst of them.
        changed_ = control.Changed.Connect([this] { update(); });
        invalidated_ = control.Invalidated.Connect([this] { update(); });
    }

    QSize sizeHint() const override {
        const QSize own(control_.Width() / kTwipsPerPixel, control_.Height() / kTwipsPerPixel);
        return own.isEmpty() ? QSize(100, 30) : own;
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.fillRect(rect(), gis::ImageCanvas::ToQColor(control_.BackColor()));
        const QImage picture = gis::RenderPicture(control_);
        if (!picture.isNull()) {
            painter.drawImage(0, 0, picture);
        }
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        // A box laid out by Qt takes the widget's size, so the form's Resize handler lays out what it draws.
        if (placement_ == Placement::Layout) {
            RunUserAction("resizing a picture", [this] {
                control_.Move(control_.Left(), control_.Top(), width() * kTwipsPerPixel, height() * kTwipsPerPixel);
            });
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        QWidget::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            RunUserAction("a click on a picture", [this] { control_.UserClick(); });
        }
    }

private:
    PictureBox& control_;
    Placement placement_;
    platform::ScopedConnection changed_;
    platform::ScopedConnection invalidated_;
};

} // namespace

QWidget* BindPictureBox(PictureBox& control, QWidget* parent, Placement placement) {
    auto* picture = new PictureWidget(control, placement, parent);
    FollowControl(*picture, control, placement);
    return picture;
}

} // namespace chronova::qtui
