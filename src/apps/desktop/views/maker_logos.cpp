#include "apps/desktop/views/maker_logos.h"

#include "platform/ui/picture_box.h"
#include "qtui/bindings.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace chronova::desktop {

namespace {

const QColor kInk(0x2b, 0x4a, 0x6f);
const QColor kAccent(0xd9, 0x8c, 0x1f);

class LogoWidget : public QWidget {
public:
    LogoWidget(platform::ui::PictureBox& box, QWidget* parent) : QWidget(parent), box_(box) {
        setCursor(Qt::PointingHandCursor);
        qtui::FollowControl(*this, box, qtui::Placement::Twips);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            box_.UserClick();
        }
    }

private:
    platform::ui::PictureBox& box_;
};

// A dial with one hand, the product's name beside it.
class ProductLogo final : public LogoWidget {
public:
    using LogoWidget::LogoWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int side = std::min(height() - 4, 18);
        const QRectF dial(2, (height() - side) / 2.0, side, side);
        painter.setPen(QPen(kInk, 1.6));
        painter.setBrush(Qt::white);
        painter.drawEllipse(dial);
        painter.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(dial.center(), dial.center() + QPointF(side * 0.3, -side * 0.2));
        painter.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(dial.center(), dial.center() + QPointF(0, -side * 0.35));

        QFont font = painter.font();
        font.setPixelSize(std::max(8, height() / 2));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(kInk);
        painter.drawText(QRectF(dial.right() + 5, 0, width() - dial.right() - 5, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Chronova"));
    }
};

// "powered by" over the maker's name, right-aligned in the corner.
class PoweredByLogo final : public LogoWidget {
public:
    PoweredByLogo(platform::ui::PictureBox& box, QWidget* parent) : LogoWidget(box, parent) {
        setToolTip(QStringLiteral("Veltrane Software"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QRectF area = QRectF(rect()).adjusted(2, 1, -4, -1);
        QFont small = painter.font();
        small.setPixelSize(std::max(7, height() * 3 / 8));
        small.setItalic(true);
        painter.setFont(small);
        painter.setPen(kInk.lighter(150));
        painter.drawText(area, Qt::AlignRight | Qt::AlignTop, QStringLiteral("powered by"));
        QFont name = painter.font();
        name.setItalic(false);
        name.setBold(true);
        name.setPixelSize(std::max(8, height() / 2));
        painter.setFont(name);
        painter.setPen(kInk);
        painter.drawText(area, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("Veltrane"));
    }
};

} // namespace

QWidget* MakeProductLogo(platform::ui::PictureBox& box, QWidget* parent) {
    return new ProductLogo(box, parent);
}

QWidget* MakePoweredByLogo(platform::ui::PictureBox& box, QWidget* parent) {
    return new PoweredByLogo(box, parent);
}

} // namespace chronova::desktop
