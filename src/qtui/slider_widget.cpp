// The slider: a widget that shows the slider as it draws itself (with its container's custom drawing) and turns
// the user's mouse and keys into drags, releases and value steps.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "gis/drawing/control_images.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"

namespace chronova::qtui {
namespace {

using detail::RunUserAction;
using platform::ui::kTwipsPerPixel;
using platform::ui::Slider;

class SliderWidget final : public QWidget {
public:
    SliderWidget(Slider& control, Placement placement, QWidget* parent)
        : QWidget(parent), control_(control), placement_(placement) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
        changed_ = control.Changed.Connect([this] {
            FollowContainer();
            update();
        });
        FollowContainer();
    }

    QSize sizeHint() const override {
        const QSize own(control_.Width() / kTwipsPerPixel, control_.Height() / kTwipsPerPixel);
        return own.isEmpty() ? QSize(200, 30) : own;
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        const QImage image = gis::RenderSlider(control_);
        if (!image.isNull()) {
            painter.drawImage(0, 0, image);
        }
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = rect().adjusted(0, 0, -1, -1);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        // A slider laid out by Qt draws and hit-tests at the widget's size.
        if (placement_ == Placement::Layout) {
            RunUserAction("resizing a slider", [this] {
                control_.Move(control_.Left(), control_.Top(), width() * kTwipsPerPixel, height() * kTwipsPerPixel);
            });
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !control_.Enabled()) {
            QWidget::mousePressEvent(event);
            return;
        }
        const int x = event->position().toPoint().x();
        const platform::ui::PixelRect thumb = control_.ThumbRect();
        if (x >= thumb.left && x < thumb.right) {
            // Grabbed where the mouse is, so the thumb does not jump to centre on it.
            pressed_on_thumb_ = true;
            grab_offset_ = x - control_.ValueX(control_.Value());
            return;
        }
        // A click beside the thumb moves it one large step towards the click.
        const bool towards_right = x > (thumb.left + thumb.right) / 2;
        StepTowardsMax(towards_right == RightIsMax() ? control_.LargeChange() : -control_.LargeChange());
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!pressed_on_thumb_) {
            QWidget::mouseMoveEvent(event);
            return;
        }
        const int32_t value = ValueAt(event->position().toPoint().x() - grab_offset_);
        RunUserAction("dragging a slider", [&] { control_.UserDrag(value); });
        if (control_.Dragging() && control_.PositionTip()) {
            const platform::ui::PixelRect thumb = control_.ThumbRect();
            QToolTip::showText(mapToGlobal(QPoint(thumb.left, thumb.top - 4)), QString::number(control_.Value()), this);
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !pressed_on_thumb_) {
            QWidget::mouseReleaseEvent(event);
            return;
        }
        pressed_on_thumb_ = false;
        QToolTip::hideText();
        RunUserAction("letting go of a slider", [this] { control_.UserRelease(); });
    }

    /// The classic track bar's keys: Left and Up step towards Min, Right and Down towards Max, by SmallChange;
    /// Page Up and Page Down by LargeChange; Home and End jump to the ends.
    void keyPressEvent(QKeyEvent* event) override {
        if (pressed_on_thumb_ || !control_.Enabled()) {
            QWidget::keyPressEvent(event);
            return;
        }
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            StepTowardsMax(-control_.SmallChange());
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            StepTowardsMax(control_.SmallChange());
            break;
        case Qt::Key_PageUp:
            StepTowardsMax(-control_.LargeChange());
            break;
        case Qt::Key_PageDown:
            StepTowardsMax(control_.LargeChange());
            break;
        case Qt::Key_Home:
            SetValue(control_.Min());
            break;
        case Qt::Key_End:
            SetValue(control_.Max());
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    }

    void focusInEvent(QFocusEvent* event) override {
        QWidget::focusInEvent(event);
        update();
    }

    void focusOutEvent(QFocusEvent* event) override {
        QWidget::focusOutEvent(event);
        update();
    }

private:
    /// Repaints also when the picture box the slider sits in is refreshed or drawn on, since it draws parts of
    /// the slider during the custom-draw conversation.
    void FollowContainer() {
        const platform::ui::PictureBox* container = control_.Container();
        if (container == followed_container_) {
            return;
        }
        followed_container_ = container;
        container_invalidated_.Disconnect();
        container_changed_.Disconnect();
        if (container != nullptr) {
            // The events are mutable members of a box the slider only reads; listening changes nothing in it.
            auto& box = const_cast<platform::ui::PictureBox&>(*container);
            container_invalidated_ = box.Invalidated.Connect([this] { update(); });
            container_changed_ = box.Changed.Connect([this] { update(); });
        }
    }

    bool RightIsMax() const { return control_.Max() >= control_.Min(); }

    /// Moves the value by a signed amount, positive towards Max.
    void StepTowardsMax(int32_t amount) {
        const int64_t direction = RightIsMax() ? 1 : -1;
        const int64_t target = int64_t{control_.Value()} + direction * amount;
        SetValue(static_cast<int32_t>(std::clamp<int64_t>(target, std::min(control_.Min(), control_.Max()),
                                                          std::max(control_.Min(), control_.Max()))));
    }

    void SetValue(int32_t value) {
        RunUserAction("moving a slider", [&] { control_.Value(value); });
    }

    /// The value whose thumb centre lies nearest to x.
    int32_t ValueAt(int x) const {
        const int32_t low = control_.Min();
        const int32_t high = control_.Max();
        const int x_low = control_.ValueX(low);
        const int x_high = control_.ValueX(high);
        if (x_high == x_low) {
            return low;
        }
        const double share = std::clamp(static_cast<double>(x - x_low) / (x_high - x_low), 0.0, 1.0);
        return static_cast<int32_t>(std::llround(low + share * (static_cast<double>(high) - low)));
    }

    Slider& control_;
    Placement placement_;
    platform::ScopedConnection changed_;
    const platform::ui::PictureBox* followed_container_ = nullptr;
    platform::ScopedConnection container_invalidated_;
    platform::ScopedConnection container_changed_;
    bool pressed_on_thumb_ = false;
    int grab_offset_ = 0;
};

} // namespace

QWidget* BindSlider(Slider& control, QWidget* parent, Placement placement) {
    auto* slider = new SliderWidget(control, placement, parent);
    FollowControl(*slider, control, placement);
    return slider;
}

} // namespace chronova::qtui
