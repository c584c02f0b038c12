#pragma once

// Readable test failure messages for settings records instead of their raw bytes.

#include <ostream>

#include "platform/settings_file.h"

namespace chronova::platform {

inline void PrintTo(const SettingsValue& value, std::ostream* out) {
    if (value.type == ValueType::RegDword) {
        *out << "REG_DWORD " << value.number;
    } else {
        *out << ValueTypeName(value.type) << " \"" << value.text << "\" (" << value.text.size() << " bytes)";
    }
}

inline void PrintTo(const SettingsEntry& entry, std::ostream* out) {
    *out << "[" << entry.key << "]";
    if (entry.value) {
        *out << " \"" << entry.name << "\" = ";
        PrintTo(*entry.value, out);
    }
}

} // namespace chronova::platform
