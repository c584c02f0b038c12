// The names in a folder that a run tidies are anyone's: reading the writer from one must never crash, and a name
// taken for one of ours must really carry that writer's id after the marker.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

#include "platform/temporary_files.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const std::optional<pid_t> writer = platform::WriterOfTemporaryFile(name);
    if (writer && (*writer <= 0 || name.find(".tmp-" + std::to_string(*writer) + "-") == std::string_view::npos)) {
        __builtin_trap();
    }
    // What this program names is always read back as its own.
    const std::string made = platform::TemporaryPathFor(std::string(name)).filename().string();
    if (!name.empty() && name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos &&
        platform::WriterOfTemporaryFile(made) != ::getpid()) {
        __builtin_trap();
    }
    return 0;
}
