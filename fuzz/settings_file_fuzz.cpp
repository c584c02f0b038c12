// Feeds any bytes to the settings file parser, which must neither crash nor lose records on a round trip: what it
// reads, written back and read again, gives the same records with no problems, and writing is stable. The same bytes
// are also used as a value's text and name, so that the writer meets text that is not UTF-8.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/settings_file.h"

namespace {

using chronova::platform::ParseSettingsText;
using chronova::platform::SerializeSettings;
using chronova::platform::SettingsEntry;
using chronova::platform::SettingsValue;

void ExpectRoundTrip(const std::vector<SettingsEntry>& entries) {
    const std::string text = SerializeSettings(entries);
    const auto again = ParseSettingsText(text);
    if (!again.problems.empty() || again.entries != entries || SerializeSettings(again.entries) != text) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseSettingsText(bytes);
    for (const auto& problem : parsed.problems) {
        if (problem.line == 0 || problem.reason.empty()) {
            std::abort();
        }
    }
    ExpectRoundTrip(parsed.entries);

    std::string name(bytes.substr(0, bytes.size() / 2));
    std::erase(name, '\0'); // value names cannot hold NUL
    ExpectRoundTrip({SettingsEntry{"Software\\Fuzz", name, SettingsValue::String(bytes)}});
    return 0;
}
