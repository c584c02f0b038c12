#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace chronova::platform {

/// Classic automation error numbers; callers and automation clients rely on their meaning.
namespace error {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kDivisionByZero = 11;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kInternalError = 51;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kPathFileAccess = 75;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kObjectRequired = 424;
inline constexpr int32_t kNotSupported = 438;
inline constexpr int32_t kKeyAlreadyAssociated = 457;
} // namespace error

/// The project name, the default source of errors raised by the system.
inline constexpr std::string_view kDefaultErrorSource = "Chronova";

/// The classic description of an error number ("Type mismatch" for 13), or "Application-defined or
/// object-defined error" for numbers without one.
std::string StandardErrorText(int32_t number);

/// The error object of the automation runtime (number, source, description), thrown as an exception.
class AutomationError : public std::runtime_error {
public:
    AutomationError(int32_t number, std::string source, std::string description);

    int32_t Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

    //! True once the error reporting has added the number and description block while the error travels
    //! up a call chain; kept with the error itself so an error that leaves the system cannot leave it stale.
    bool DetailsAppended() const noexcept { return details_appended_; }
    void DetailsAppended(bool value) noexcept { details_appended_ = value; }

    //! One line a person can act on, naming the data the error is about ("ships.dbf: feature 212, field DTG:
    //! '0103' is not a date-time group"); empty when the error knows no more than its description. It travels
    //! beside the description, so that callers of the automation interface keep seeing the classic text.
    const std::string& UserMessage() const noexcept { return user_message_; }
    void UserMessage(std::string message) noexcept { user_message_ = std::move(message); }

private:
    int32_t number_;
    std::string source_;
    std::string description_;
    bool details_appended_ = false;
    std::string user_message_;
};

/// Throws an AutomationError; an empty description takes the standard text of the number.
[[noreturn]] void RaiseError(int32_t number, std::string_view description = {},
                             std::string_view source = kDefaultErrorSource);

} // namespace chronova::platform
