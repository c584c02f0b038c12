#include "host/error_handling.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>

#include "host/error_log.h"
#include "platform/text.h"
#include "platform/ui/message_service.h"

namespace chronova {
int32_t g_hWndOwner = 0;
} // namespace chronova

namespace chronova::ErrorHandling {
namespace {

struct HresultText {
    uint32_t code;
    const char* text;
};

// The COM results the system and its components actually meet, with the texts the system message table has.
constexpr std::array<HresultText, 17> kHresultTexts{{
    {0x8000FFFF, "Catastrophic failure"},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x80070005, "Access is denied."},
    {0x80070006, "The handle is invalid."},
    {0x8007000E, "Not enough memory resources are available to complete this operation."},
    {0x80070057, "The parameter is incorrect."},
    {0x80020003, "Member not found."},
    {0x80020004, "Parameter not found."},
    {0x80020005, "Type mismatch."},
    {0x80020006, "Unknown name."},
    {0x80020009, "Exception occurred."},
    {0x8002000B, "Invalid index."},
    {0x80040154, "Class not registered"},
}};

// strerror_r is the GNU form (returns the text) or the XSI form (fills the buffer); these accept either.
[[maybe_unused]] const char* ErrnoText(const char* result, const char* /*buffer*/) {
    return result;
}
[[maybe_unused]] const char* ErrnoText(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}

std::string ErrnoMessage(int number) {
    std::array<char, 1024> buffer{};
    const char* text = ErrnoText(strerror_r(number, buffer.data(), buffer.size()), buffer.data());
    // The C library invents "Unknown error N" for numbers it has no message for.
    if (text == nullptr || *text == '\0' || std::strncmp(text, "Unknown error", 13) == 0) {
        return {};
    }
    return text;
}

// The parts of the number block HandleError adds under the call-stack lines.
constexpr std::string_view kNumberHead = "\r\nError Number \r\n\t";
constexpr std::string_view kDescriptionHead = "\r\nDescription\r\n\t";
constexpr std::string_view kBlockEnd = "\r\n\r\n";

// The text with each run of line breaks and tabs made one space, and none at either end.
std::string OnOneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    bool gap = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n' || c == '\t') {
            gap = true;
            continue;
        }
        if (gap && !line.empty() && line.back() != ' ' && c != ' ') {
            line += ' ';
        }
        gap = false;
        line += c;
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

std::string AppendWhat(int32_t number, const char* what) {
    std::string description = platform::StandardErrorText(number);
    if (what != nullptr && *what != '\0') {
        description += " (";
        description += what;
        description += ")";
    }
    return description;
}

} // namespace

std::string ErrorLineText(int32_t line) {
    return line == 0 ? std::string() : "Line : " + std::to_string(line);
}

std::string SystemErrorText(int32_t number) {
    if (number > 0) {
        if (std::string text = ErrnoMessage(number); !text.empty()) {
            return text;
        }
    } else if (number < 0) {
        const auto code = static_cast<uint32_t>(number);
        for (const HresultText& entry : kHresultTexts) {
            if (entry.code == code) {
                return entry.text;
            }
        }
    }
    return std::string(kSystemTextNotFound);
}

std::string CallStackEntry(std::string_view procedure, std::string_view module, int32_t line) {
    std::string entry;
    entry.reserve(procedure.size() + module.size() + 16);
    entry.append(procedure).append(" ").append(module).append(" ").append(ErrorLineText(line));
    return entry;
}

void HandleError(bool top_level, std::string_view call_stack, int32_t number, std::string_view source,
                 std::string_view description, PresentationMode mode, int32_t owner_window, bool details_appended,
                 std::string_view user_message) {
    // There is no error state to clear here: the error arrives as plain values, its exception already handled.
    std::string text(description);
    if (!details_appended) {
        // Only the error's own description is checked. A composed one already holds the system text, which for
        // an unknown number reads "Ole Automation Error Code Not Found." and would be replaced once more at the
        // next trap up, taking the call stack and the number block with it.
        if (platform::LCase(text).find("automation error") != std::string::npos) {
            text = SystemErrorText(number);
        }
        text = "\r\nError Number \r\n\t" + std::to_string(number) + "\r\nDescription\r\n\t" + text + "\r\n\r\n";
    }

    if (!top_level) {
        platform::AutomationError passed_on(number, std::string(source),
                                            "\t" + std::string(call_stack) + "\r\n" + text);
        passed_on.DetailsAppended(true);
        passed_on.UserMessage(std::string(user_message));
        throw passed_on;
    }

    // What the data was wrong with comes first: it is what the person in front of the message can fix.
    const std::string lead = user_message.empty() ? std::string() : std::string(user_message) + "\r\n\r\n";
    if (mode == PresentationMode::WriteLog) {
        host::ErrorLog& log = host::ErrorLog::Instance();
        log.Record(lead + "Record Call Stack Sequence - Bottom line is error line.\r\n\r\n\t" +
                   std::string(call_stack) + "\r\n" + text);
        log.Commit(true);
        return;
    }
    platform::ui::Beep();
    platform::ui::MsgBox(lead +
                             "An error has occured in the application.   Record the call stack sequence\r\n"
                             "and the description of the error.\r\n\r\n"
                             "Error Call Stack Sequence \r\n\t" +
                             std::string(call_stack) + "\r\n" + text,
                         platform::ui::MsgBoxStyle::Exclamation | platform::ui::MsgBoxStyle::OKOnly, kErrorMessageTitle,
                         owner_window);
}

std::string InnermostDescription(std::string_view description) {
    const size_t number = description.find(kNumberHead);
    const size_t head =
        number == std::string_view::npos ? number : description.find(kDescriptionHead, number + kNumberHead.size());
    const size_t end = description.rfind(kBlockEnd);
    if (head == std::string_view::npos || end == std::string_view::npos || end < head + kDescriptionHead.size()) {
        return OnOneLine(description);
    }
    // The call-stack lines start with a tab; text before the first one wrapped the chain, and text after the
    // block's end closed the wrapping. The description inside may be a wrapped chain in turn.
    const size_t stack = std::min(description.find('\t'), number);
    const size_t inner = head + kDescriptionHead.size();
    return OnOneLine(std::string(description.substr(0, stack)) +
                     InnermostDescription(description.substr(inner, end - inner)) +
                     std::string(description.substr(end + kBlockEnd.size())));
}

std::string OneLineMessage(const platform::AutomationError& error) {
    return error.UserMessage().empty() ? InnermostDescription(error.Description()) : error.UserMessage();
}

platform::AutomationError ErrorFromException(std::exception_ptr failure) {
    using platform::AutomationError;
    using platform::kDefaultErrorSource;
    namespace error = platform::error;
    if (!failure) {
        return AutomationError(error::kInternalError, std::string(kDefaultErrorSource),
                               platform::StandardErrorText(error::kInternalError));
    }
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const AutomationError& caught) {
        return caught;
    } catch (const std::bad_alloc&) {
        return AutomationError(error::kOutOfMemory, std::string(kDefaultErrorSource),
                               platform::StandardErrorText(error::kOutOfMemory));
    } catch (const std::out_of_range& caught) {
        return AutomationError(error::kSubscriptOutOfRange, std::string(kDefaultErrorSource),
                               AppendWhat(error::kSubscriptOutOfRange, caught.what()));
    } catch (const std::exception& caught) {
        return AutomationError(error::kInternalError, std::string(kDefaultErrorSource),
                               AppendWhat(error::kInternalError, caught.what()));
    } catch (...) {
        return AutomationError(error::kInternalError, std::string(kDefaultErrorSource),
                               platform::StandardErrorText(error::kInternalError));
    }
}

namespace detail {

void ReportTrapped(std::string_view procedure, std::string_view module, TrapKind kind, std::exception_ptr failure) {
    const platform::AutomationError error = ErrorFromException(std::move(failure));
    const PresentationMode mode =
        kind == TrapKind::TopLevelLog ? PresentationMode::WriteLog : PresentationMode::ShowMessage;
    HandleError(kind != TrapKind::Inner, CallStackEntry(procedure, module), error.Number(), error.Source(),
                error.Description(), mode, g_hWndOwner, error.DetailsAppended(), error.UserMessage());
}

} // namespace detail

} // namespace chronova::ErrorHandling
