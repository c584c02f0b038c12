#pragma once

#include "platform/ui/focusable.h"
#include "platform/ui/number_box.h"
#include "platform/ui/text_box.h"

namespace chronova::platform::ui {

/// A numeric edit field that takes the focus: what the user typed is checked when the user leaves it.
class NumericEdit : public NumberBox, public Focusable {
public:
    NumericEdit() = default;

private:
    bool CanFocus() const override { return Enabled() && Visible(); }
};

/// A single-line text edit field that takes the focus.
class TextEdit : public TextBox, public Focusable {
public:
    TextEdit() = default;

private:
    bool CanFocus() const override { return Enabled() && Visible(); }
};

} // namespace chronova::platform::ui
