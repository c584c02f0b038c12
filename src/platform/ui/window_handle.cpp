#include "platform/ui/window_handle.h"

#include "platform/automation_error.h"

#include <atomic>
#include <limits>

namespace chronova::platform::ui {

int32_t NewWindowHandle() {
    // Counted in 64 bits so that running past the end is detected instead of wrapping to a used number.
    static std::atomic<int64_t> next{kFirstWindowHandle};
    const int64_t handle = next.fetch_add(1);
    if (handle > std::numeric_limits<int32_t>::max()) {
        RaiseError(error::kOverflow, "No window handle numbers are left");
    }
    return static_cast<int32_t>(handle);
}

} // namespace chronova::platform::ui
