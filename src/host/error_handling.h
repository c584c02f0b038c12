#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/automation_error.h"

namespace chronova {
/// Owner window of the messages that error reporting shows: the host's main window, or an open dialog's own window
/// while it is shown. Error reporting owns this setting so that every layer of the system can report errors.
extern int32_t g_hWndOwner;
} // namespace chronova

// The system's error reporting: every procedure traps its own errors; an inner procedure passes the error to
// its caller with one more line of call stack, and the procedure entered from outside shows the whole chain.
namespace chronova::ErrorHandling {

/// How a top-level trap presents an error; any value other than WriteLog presents like ShowMessage.
enum class PresentationMode : int32_t {
    ShowMessage = 3, ///< beep and a message box
    WriteLog = 4,    ///< the error log, for handlers where a message box would get in the user's way
};

/// What a trapping procedure does with an error, by where it is called from.
enum class TrapKind {
    Inner,       ///< called by the system: passes the error on to its caller
    TopLevel,    ///< entered from outside (events, host callbacks): shows the error
    TopLevelLog, ///< entered from outside, but writes the error to the error log instead of showing it
};

/// Title of the message box that shows an unexpected error.
inline constexpr std::string_view kErrorMessageTitle = "Unexpected Program Error";
/// System text for a number the operating system has no message for.
inline constexpr std::string_view kSystemTextNotFound = "Ole Automation Error Code Not Found.";

/// "Line : 12" for the failing statement's line number; "" for 0, when the statement carries none.
std::string ErrorLineText(int32_t line);

/// The operating system's message for an error number: the C library's text for a positive errno value, the
/// COM text for a common negative HRESULT, otherwise kSystemTextNotFound.
std::string SystemErrorText(int32_t number);

/// A procedure's line of the call stack: "Procedure Module " followed by ErrorLineText(line).
std::string CallStackEntry(std::string_view procedure, std::string_view module, int32_t line = 0);

/// Reports or passes on one error. Not top level: throws an AutomationError with the same number, source and
/// user message whose description is TAB + call_stack + CR LF + the description, with the number block added
/// once. Top level: presents the error by mode, the user message (when there is one) ahead of the call stack,
/// and returns. details_appended tells that the description already carries the number block because the error
/// was passed on by an inner trap.
void HandleError(bool top_level, std::string_view call_stack, int32_t number, std::string_view source,
                 std::string_view description, PresentationMode mode, int32_t owner_window,
                 bool details_appended = false, std::string_view user_message = {});

/// The description an error started with, on one line: the call-stack lines and the number blocks that traps
/// added on the way up are left out, text that wrapped the chain ("layer 'Ships' cannot be a time layer: ")
/// is kept around it, and line breaks within become spaces.
std::string InnermostDescription(std::string_view description);

/// The one line to show a person: the error's user message when it has one, else its innermost description.
std::string OneLineMessage(const platform::AutomationError& error);

/// The error a caught exception stands for: an AutomationError as it is; std::bad_alloc is 7 (out of memory),
/// std::out_of_range 9 (subscript out of range), any other exception 51 (internal error) with its text added.
platform::AutomationError ErrorFromException(std::exception_ptr failure);

namespace detail {
/// The non-template part of Trap: builds the call-stack entry and calls HandleError.
void ReportTrapped(std::string_view procedure, std::string_view module, TrapKind kind, std::exception_ptr failure);
} // namespace detail

/// Runs a procedure's body under the procedure's error trap. On failure the body stops where it failed, so the
/// procedure's result is whatever the body had assigned before (capture it by reference). An inner trap throws
/// the error on with this procedure's call-stack line; a top-level trap presents it and returns normally, with
/// chronova::g_hWndOwner as the owner of the message box.
template <typename Body>
void Trap(std::string_view procedure, std::string_view module, TrapKind kind, Body&& body) {
    static_assert(std::is_void_v<std::invoke_result_t<Body&>>,
                  "the body assigns the procedure's result through a capture; a returned value would be lost");
    std::exception_ptr failure;
    try {
        body();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        detail::ReportTrapped(procedure, module, kind, std::move(failure));
    }
}

} // namespace chronova::ErrorHandling
