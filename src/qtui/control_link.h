#pragma once

// What every binding shares: the object that ties a control's notifications to a widget's life, the text
// conversions and the guard around the user's actions.

#include <QObject>
#include <QString>
#include <QWidget>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event.h"

namespace chronova::qtui::detail {

/// A child of the bound widget that holds the control's connections, so they end with the widget.
class ControlLink final : public QObject {
public:
    explicit ControlLink(QWidget& widget) : QObject(&widget) {}

    /// Keeps a connection for the widget's life.
    void Keep(platform::Connection connection) { connections_.emplace_back(std::move(connection)); }

private:
    std::vector<platform::ScopedConnection> connections_;
};

/// Connects a handler to an event for the life of a widget.
template <typename... Args, typename Handler>
void Follow(QWidget& widget, platform::Event<Args...>& event, Handler handler) {
    (new ControlLink(widget))->Keep(event.Connect(std::move(handler)));
}

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) {
    return text.toStdString();
}

/// Runs what a user's action sets off in the system. An error its handlers left unhandled must not unwind
/// through Qt's event loop, which does not support that; it is reported on the warning output instead.
void RunUserAction(const char* what, const std::function<void()>& action) noexcept;

} // namespace chronova::qtui::detail
