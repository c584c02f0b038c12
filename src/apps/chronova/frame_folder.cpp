#include "apps/chronova/frame_folder.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "apps/chronova/export/png_sequence_writer.h"
#include "platform/automation_error.h"

namespace chronova::cli {

namespace {

constexpr std::string_view kPrefix = "frame_";
constexpr std::string_view kSuffix = ".png";

// The position a file name stands for when the frame writer gives exactly that name to it.
std::optional<int32_t> FramePosition(const std::string& name) {
    if (name.size() <= kPrefix.size() + kSuffix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0 ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
        return std::nullopt;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size() - kSuffix.size();
    int32_t position = 0;
    const auto [end, error] = std::from_chars(first, last, position);
    if (error != std::errc() || end != last || position < 0 ||
        exporting::PngSequenceWriter::FileName(position) != name) {
        return std::nullopt;
    }
    return position;
}

} // namespace

int32_t RemoveStaleFrames(const std::filesystem::path& folder, int32_t frame_count) {
    std::error_code error;
    std::vector<std::filesystem::path> stale;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::optional<int32_t> position = FramePosition(entry.path().filename().string());
        std::error_code kind_error;
        if (position && *position >= frame_count && entry.is_regular_file(kind_error)) {
            stale.push_back(entry.path());
        }
    }
    for (const std::filesystem::path& file : stale) {
        if (!std::filesystem::remove(file, error) && error) {
            platform::RaiseError(platform::error::kPathFileAccess,
                                 "Cannot remove the earlier frame '" + file.string() + "': " + error.message() + ".");
        }
    }
    return static_cast<int32_t>(stale.size());
}

} // namespace chronova::cli
