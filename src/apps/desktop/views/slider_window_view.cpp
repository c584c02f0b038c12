#include "apps/desktop/views/slider_window_view.h"

#include "apps/desktop/views/form_geometry.h"
#include "apps/desktop/views/maker_logos.h"
#include "platform/ui/canvas.h"
#include "qtui/bindings.h"
#include "slider/frm_slider.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace chronova::desktop {

using platform::ui::kTwipsPerPixel;
using qtui::Placement;

namespace {

constexpr QSize kPreferredSize{640, 170};
// The form's layout puts 5 pixels between the time labels and the slider and 10 twips above the buttons.
constexpr int32_t kSliderGapTwips = 5 * kTwipsPerPixel;
constexpr int32_t kFrameOffsetTwips = 10;
// Room between the buttons and each logo when the window is as narrow as it may be.
constexpr int kLogoMargin = 8;
constexpr int kRangeListCharacters = 12;

int Pixels(int32_t twips) {
    return (twips + kTwipsPerPixel - 1) / kTwipsPerPixel;
}

// What the labels of the start, finish and current time say when the mouse rests on them.
constexpr std::array<const char*, 3> kTimeTips{"Click to choose the start time", "Click to choose the finish time",
                                               "Click to choose the current time"};

} // namespace

SliderWindowView::SliderWindowView(frmSlider& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName("SliderWindowView");
    setFont(FormDesignFont(font()));

    // What the form leaves to its window's design: a background like the slider's, the captions beside the
    // range list, the labels' tips.
    form.Picture1.BackColor(platform::ui::kButtonFaceColor);
    if (form.Label1[0].Caption().empty()) {
        form.Label1[0].Caption("Time Range:");
    }
    for (size_t k = 0; k < form.lblTime.size(); ++k) {
        if (form.lblTime[k].ToolTipText().empty()) {
            form.lblTime[k].ToolTipText(kTimeTips[k]);
        }
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    // The window's content: its size goes to Picture1, whose resize lays the controls below out.
    QWidget* content = qtui::BindPictureBox(form.Picture1, this, Placement::Layout);
    content->setObjectName("Picture1");
    layout->addWidget(content);

    qtui::BindPictureBox(form.picDayNight, content, Placement::Twips);
    qtui::BindPictureBox(form.picDayNightBands, content, Placement::Twips)->setObjectName("picDayNightBands");
    qtui::BindSlider(form.Slider1, content, Placement::Twips)->setObjectName("Slider1");
    constexpr std::array<Qt::Alignment, 3> kAlign{Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    for (size_t k = 0; k < form.lblTime.size(); ++k) {
        QLabel* label = qtui::BindLabel(form.lblTime[k], content, Placement::Twips);
        label->setObjectName(QStringLiteral("lblTime%1").arg(k));
        label->setAlignment(kAlign[k] | Qt::AlignVCenter);
        label->setCursor(Qt::PointingHandCursor);
    }

    // The frame that the form centres under the band; the form does not place what is inside it, so Qt lays
    // that out and the frame gets the size it needs.
    center_frame_ = new QWidget(content);
    center_frame_->setObjectName("fraCenterFrame");
    qtui::FollowControl(*center_frame_, form.fraCenterFrame, Placement::Twips);
    QToolBar* tools = qtui::BindToolbar(form.tb1, center_frame_);
    tools->setIconSize(QSize(16, 16));
    QComboBox* ranges = qtui::BindComboBox(form.cboLayers, center_frame_);
    ranges->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ranges->setMinimumContentsLength(kRangeListCharacters);
    QLabel* interval = qtui::BindLabel(form.Label1[2], center_frame_);
    interval->setObjectName("Label1_2");
    // The widest interval text, so that the frame need not grow when the step changes.
    interval->setMinimumWidth(
        interval->fontMetrics().horizontalAdvance(QStringLiteral(" Interval: 99 days 23 hrs 59 mins")) + 4);

    auto* top_row = new QHBoxLayout;
    top_row->addWidget(tools);
    top_row->addStretch(1);
    top_row->addWidget(qtui::BindLabel(form.Label1[0], center_frame_));
    top_row->addWidget(ranges);
    auto* bottom_row = new QHBoxLayout;
    bottom_row->addWidget(qtui::BindLabel(form.Label1[1], center_frame_));
    bottom_row->addWidget(interval);
    bottom_row->addStretch(1);
    bottom_row->addWidget(qtui::BindCommandButton(form.cmdSelectLayers, center_frame_));
    bottom_row->addWidget(qtui::BindCommandButton(form.cmdDisplayOptions, center_frame_));
    auto* rows = new QVBoxLayout(center_frame_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(3);
    rows->addLayout(top_row);
    rows->addLayout(bottom_row);

    MakeProductLogo(form.picLogo, content)->setObjectName("picLogo");
    MakePoweredByLogo(form.picPowered, content)->setObjectName("picPowered");

    SizeCenterFrame();
    setMinimumSize(minimumSizeHint());
}

void SliderWindowView::SizeCenterFrame() {
    const QSize needed = center_frame_->layout()->sizeHint();
    auto& frame = form_.fraCenterFrame;
    frame.Move(frame.Left(), frame.Top(), needed.width() * kTwipsPerPixel, needed.height() * kTwipsPerPixel);
    // The form centres the frame by its width, so it lays out again now that the width is known.
    form_.Picture1_Resize();
}

QSize SliderWindowView::minimumSizeHint() const {
    const int32_t frame_bottom = form_.lblTime[0].Height() + kSliderGapTwips + form_.Slider1.Height() +
                                 form_.picDayNightBands.Height() + kFrameOffsetTwips + form_.fraCenterFrame.Height();
    // The frame is centred and the logos sit in the bottom corners beside it, so each side needs room for the
    // wider logo.
    int side = 0;
    for (const platform::ui::PictureBox* logo : {&form_.picLogo, &form_.picPowered}) {
        if (logo->Visible()) {
            side = std::max(side, Pixels(logo->Width()) + kLogoMargin);
        }
    }
    const int width = Pixels(form_.fraCenterFrame.Width()) + 2 * side;
    return {width, Pixels(frame_bottom)};
}

QSize SliderWindowView::sizeHint() const {
    return kPreferredSize.expandedTo(minimumSizeHint());
}

} // namespace chronova::desktop
