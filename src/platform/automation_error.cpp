#include "platform/automation_error.h"

namespace chronova::platform {

std::string StandardErrorText(int32_t number) {
    switch (number) {
    case error::kInvalidProcedureCall:
        return "Invalid procedure call or argument";
    case error::kOverflow:
        return "Overflow";
    case error::kOutOfMemory:
        return "Out of memory";
    case error::kSubscriptOutOfRange:
        return "Subscript out of range";
    case error::kDivisionByZero:
        return "Division by zero";
    case error::kTypeMismatch:
        return "Type mismatch";
    case error::kInternalError:
        return "Internal error";
    case error::kFileNotFound:
        return "File not found";
    case error::kPathFileAccess:
        return "Path/File access error";
    case error::kObjectNotSet:
        return "Object variable or With block variable not set";
    case error::kObjectRequired:
        return "Object required";
    case error::kNotSupported:
        return "Object doesn't support this property or method";
    case error::kKeyAlreadyAssociated:
        return "This key is already associated with an element of this collection";
    default:
        return "Application-defined or object-defined error";
    }
}

AutomationError::AutomationError(int32_t number, std::string source, std::string description)
    : std::runtime_error(description), number_(number), source_(std::move(source)),
      description_(std::move(description)) {}

void RaiseError(int32_t number, std::string_view description, std::string_view source) {
    throw AutomationError(number, std::string(source),
                          description.empty() ? StandardErrorText(number) : std::string(description));
}

} // namespace chronova::platform
