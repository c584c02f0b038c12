#pragma once

#include <cstdint>

#include "platform/automation_error.h"

namespace chronova::testing {

/// The number of the AutomationError the call raises, 0 when it raises none.
template <class F>
int32_t ErrorNumberOf(F&& call) {
    try {
        call();
    } catch (const platform::AutomationError& e) {
        return e.Number();
    }
    return 0;
}

} // namespace chronova::testing
