#pragma once

#include "platform/event.h"

namespace chronova::platform::ui {

/// What a control that takes the keyboard focus adds: GotFocus when the user moves into it and LostFocus when
/// the user leaves it, where forms validate what was typed. As on a real desktop only one control of the
/// application holds the focus, so moving into one first makes the one holding it lose it.
class Focusable {
public:
    Focusable(const Focusable&) = delete;
    Focusable& operator=(const Focusable&) = delete;

    bool HasFocus() const noexcept;
    /// The user moves into the control (a click or the tab key): the control holding the focus loses it, then
    /// this one gets it. Ignored while the control cannot take the focus or already holds it.
    void UserFocus();
    /// The user leaves the control without entering another (the window closes, a button is pressed that takes
    /// no focus): raises LostFocus when the control holds the focus.
    void UserLeave();

    Event<> GotFocus;
    Event<> LostFocus;

protected:
    Focusable() = default;
    //! A destroyed control gives the focus up without notifications.
    ~Focusable();

    /// False while the control is disabled or hidden.
    virtual bool CanFocus() const = 0;
};

} // namespace chronova::platform::ui
