#pragma once

// Helpers for tests of code that raises AutomationError: which error a call raises, and an assertion that says
// which number and description it got when it is not the one expected.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/automation_error.h"

namespace chronova::testing {

/// The AutomationError the call raises; number 0 with an empty description when it raises none.
template <class F>
platform::AutomationError ErrorOf(F&& call) {
    try {
        call();
    } catch (const platform::AutomationError& e) {
        return e;
    }
    return {0, "", ""};
}

/// The number of the AutomationError the call raises, 0 when it raises none.
template <class F>
int32_t ErrorNumberOf(F&& call) {
    return ErrorOf(call).Number();
}

/// Passes when the call raises error number (number 0: raises none); the failure names what it raised instead.
template <class F>
::testing::AssertionResult Raises(const char* statement, F&& call, int32_t number) {
    const platform::AutomationError error = ErrorOf(call);
    if (error.Number() == number) {
        return ::testing::AssertionSuccess();
    }
    const std::string expected = number == 0 ? "no error" : "error " + std::to_string(number);
    if (error.Number() == 0) {
        return ::testing::AssertionFailure() << statement << " raised no error, expected " << expected;
    }
    return ::testing::AssertionFailure() << statement << " raised error " << error.Number() << " ("
                                         << error.Description() << "), expected " << expected;
}

} // namespace chronova::testing

// The assertion reports at the line of its use and takes more text with <<, on a line of its own, as gtest's own
// assertions do (through the same gtest macros); the switch keeps a following else from binding to the if inside.
#define CHRONOVA_RAISES_(statement, number, on_failure)                                                                \
    switch (0)                                                                                                         \
    case 0:                                                                                                            \
    default:                                                                                                           \
        if (const ::testing::AssertionResult chronova_raised_ = ::chronova::testing::Raises(                           \
                #statement, [&] { statement; }, number))                                                               \
            ;                                                                                                          \
        else                                                                                                           \
            on_failure(chronova_raised_.message())

/// Expects the statement to raise AutomationError number (0: to raise none); a failure shows what it raised.
#define EXPECT_RAISES(statement, number) CHRONOVA_RAISES_(statement, number, GTEST_NONFATAL_FAILURE_)
/// As EXPECT_RAISES, ending the test on failure.
#define ASSERT_RAISES(statement, number) CHRONOVA_RAISES_(statement, number, GTEST_FATAL_FAILURE_)
