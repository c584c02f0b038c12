#include "platform/debug_output.h"

#include <cstdlib>
#include <iostream>
#include <mutex>

namespace chronova::platform {
namespace {

// Writers may sit on worker threads (file loading, frame encoding), so the sink is guarded.
std::mutex g_debug_mutex;
ScopedDebugCapture* g_capture = nullptr;

bool DebugToStderr() {
    static const bool enabled = [] {
        const char* value = std::getenv("CHRONOVA_DEBUG");
        return value != nullptr && *value != '\0' && std::string_view(value) != "0";
    }();
    return enabled;
}

} // namespace

void DebugOutput(std::string_view line) {
    std::lock_guard lock(g_debug_mutex);
    if (g_capture != nullptr) {
        g_capture->lines_.emplace_back(line);
    }
    if (DebugToStderr()) {
        std::cerr << line << '\n';
    }
}

ScopedDebugCapture::ScopedDebugCapture() {
    std::lock_guard lock(g_debug_mutex);
    previous_ = g_capture;
    g_capture = this;
}

ScopedDebugCapture::~ScopedDebugCapture() {
    std::lock_guard lock(g_debug_mutex);
    g_capture = previous_;
}

} // namespace chronova::platform
