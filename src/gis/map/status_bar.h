#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/event.h"
#include "platform/variant.h"

namespace chronova::gis {

/// The application's status bar: a text per pane; pane 0 is the message pane.
class StatusBar : public virtual platform::IUnknown {
public:
    /// The pane and its new text; the desktop window shows it.
    platform::Event<int32_t, const std::string&> MessageChanged;

    /// The pane's text, "" when nothing was written. Raises 9 for a negative pane.
    std::string Message(int32_t pane) const;
    /// Raises 9 for a negative pane.
    void Message(int32_t pane, std::string text);

private:
    std::map<int32_t, std::string> messages_;
};

} // namespace chronova::gis
