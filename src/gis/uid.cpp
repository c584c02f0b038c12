#include "gis/uid.h"

#include <map>
#include <mutex>

#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::gis {
namespace {

// The ProgID table of the process, keyed by the upper-case ProgID because ProgIDs ignore letter case.
struct ProgIdTable {
    std::mutex mutex;
    std::map<std::string, std::string> classes;
};

ProgIdTable& ProgIds() {
    static ProgIdTable table;
    return table;
}

bool IsHexDigit(char c) noexcept {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

std::optional<std::string> NormalizeGuid(std::string_view text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters, dashes after 8, 12, 16 and 20 hex digits.
    static constexpr std::string_view kShape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (text.size() != kShape.size()) {
        return std::nullopt;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool matches = kShape[i] == 'x' ? IsHexDigit(text[i]) : text[i] == kShape[i];
        if (!matches) {
            return std::nullopt;
        }
    }
    return platform::UCase(text);
}

UID::UID(std::string_view text) {
    Value(text);
}

void UID::Value(std::string_view text) {
    if (text.empty()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A UID value cannot be empty.");
    }
    if (text.front() == '{' || text.back() == '}') {
        auto guid = NormalizeGuid(text);
        if (!guid) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "'" + std::string(text) + "' is not a valid GUID text.");
        }
        value_ = std::move(*guid);
        return;
    }
    auto clsid = ClsidFromProgId(text);
    if (!clsid) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The ProgID '" + std::string(text) + "' is not registered.");
    }
    value_ = std::move(*clsid);
}

void RegisterProgId(std::string_view prog_id, std::string_view guid) {
    if (prog_id.empty() || prog_id.front() == '{') {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "'" + std::string(prog_id) + "' is not a valid ProgID.");
    }
    auto clsid = NormalizeGuid(guid);
    if (!clsid) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "'" + std::string(guid) + "' is not a valid GUID text.");
    }
    auto& table = ProgIds();
    std::lock_guard lock(table.mutex);
    table.classes[platform::UCase(prog_id)] = std::move(*clsid);
}

void UnregisterProgId(std::string_view prog_id) {
    auto& table = ProgIds();
    std::lock_guard lock(table.mutex);
    table.classes.erase(platform::UCase(prog_id));
}

std::optional<std::string> ClsidFromProgId(std::string_view prog_id) {
    auto& table = ProgIds();
    std::lock_guard lock(table.mutex);
    const auto found = table.classes.find(platform::UCase(prog_id));
    if (found == table.classes.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace chronova::gis
