#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform {

/// Writes one line to the debug output. The line goes to stderr when the environment variable
/// CHRONOVA_DEBUG is set to anything but "" or "0"; otherwise it is dropped, unless a capture is active.
void DebugOutput(std::string_view line);

/// Collects every debug line written while it lives (tests read them); captures nest.
class ScopedDebugCapture {
public:
    ScopedDebugCapture();
    ~ScopedDebugCapture();
    ScopedDebugCapture(const ScopedDebugCapture&) = delete;
    ScopedDebugCapture& operator=(const ScopedDebugCapture&) = delete;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    friend void DebugOutput(std::string_view line);
    std::vector<std::string> lines_;
    ScopedDebugCapture* previous_;
};

} // namespace chronova::platform
