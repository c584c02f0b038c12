#include "gis/map/status_bar.h"

#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

void CheckPane(int32_t pane) {
    if (pane < 0) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange,
                             "The status bar has no pane " + std::to_string(pane) + ".");
    }
}

} // namespace

std::string StatusBar::Message(int32_t pane) const {
    CheckPane(pane);
    const auto found = messages_.find(pane);
    return found != messages_.end() ? found->second : std::string{};
}

void StatusBar::Message(int32_t pane, std::string text) {
    CheckPane(pane);
    auto& message = messages_[pane];
    if (message == text) {
        return;
    }
    message = std::move(text);
    const std::string shown = message;
    MessageChanged.Fire(pane, shown);
}

} // namespace chronova::gis
