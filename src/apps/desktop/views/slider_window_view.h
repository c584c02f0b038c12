#pragma once

#include <QWidget>

namespace chronova {

class frmSlider;

namespace desktop {

/// The slider window's content: the slider form's controls as live widgets, placed where the form's own layout
/// puts them. The view fills its parent (a dock) and hands its size to the form's picture box, whose resize runs
/// the form's layout; the widgets then follow their controls. The form must outlive the view.
class SliderWindowView : public QWidget {
public:
    explicit SliderWindowView(frmSlider& form, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    /// Gives the frame of buttons the size its contents need and lets the form centre it.
    void SizeCenterFrame();

    frmSlider& form_;
    QWidget* center_frame_ = nullptr;
};

} // namespace desktop
} // namespace chronova
