#pragma once

#include <string>
#include <vector>

#include "platform/event.h"

namespace chronova::gis {

/// How many reported messages the host keeps for RecentHostErrors.
inline constexpr size_t kKeptHostErrors = 32;

/// Reports a failure the host recovers from by itself (an expression that does not parse makes its layer draw
/// nothing): the message goes to the debug output, is kept for RecentHostErrors and is handed to the handlers
/// of HostErrorReported (the application shows it in its status bar). Never throws an AutomationError.
void ReportHostError(const std::string& message);

/// The last kKeptHostErrors messages, oldest first.
std::vector<std::string> RecentHostErrors();

/// Forgets the kept messages.
void ClearHostErrors();

/// Fired after each report with the message; handlers run on the reporting thread.
platform::Event<const std::string&>& HostErrorReported();

} // namespace chronova::gis
