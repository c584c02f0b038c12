#include "timeapply/raster_side_files.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <pugixml.hpp>
#include <system_error>

#include "datetime/mod_date_time.h"
#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"
#include "platform/user_folders.h"

namespace chronova {

namespace {

// The classic print form of a number: a sign place (blank when not negative) and one blank after.
std::string PrintedNumber(int32_t value) {
    return (value >= 0 ? " " : "") + std::to_string(value) + " ";
}

// Tolerant text-to-long: leading number of the line, blanks ignored; out-of-range values saturate.
int32_t LineToLong(const std::string& line) {
    const double value = std::nearbyint(platform::Val(line));
    if (!(value >= std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    if (!(value <= std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

// Text for a one-line message: control characters become blanks, and a long text is cut short.
std::string OneLine(std::string_view text) {
    constexpr size_t kLongest = 60;
    std::string line(text.substr(0, kLongest));
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = ' ';
        }
    }
    return text.size() > kLongest ? line + "..." : line;
}

std::string Quoted(std::string_view text) {
    return "'" + OneLine(text) + "'";
}

// "line 5" of the character at offset; "an unknown line" when the parser gave no offset.
std::string Place(std::string_view text, ptrdiff_t offset) {
    if (offset < 0) {
        return "an unknown line";
    }
    const std::string_view before = text.substr(0, static_cast<size_t>(offset));
    return "line " + std::to_string(std::count(before.begin(), before.end(), '\n') + 1);
}

std::atomic<SideFileFolder> side_file_folder{SideFileFolder::BesideData};

// FNV-1a: a hash that stays the same from one build and run to the next, so the cache finds its files again.
uint64_t StableHash(std::string_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

} // namespace

SideFileFolder SideFilesGoTo() noexcept {
    return side_file_folder.load();
}

void SideFilesGoTo(SideFileFolder folder) noexcept {
    side_file_folder.store(folder);
}

std::filesystem::path CachedSideFile(const std::string& path) {
    const std::filesystem::path cache =
        platform::UserFile("CHRONOVA_SIDE_FILE_CACHE", "XDG_CACHE_HOME", ".cache", "side-files");
    if (cache.empty()) {
        return {};
    }
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    absolute = error ? std::filesystem::path(path) : absolute.lexically_normal();
    char folder[17];
    std::snprintf(folder, sizeof folder, "%016llx",
                  static_cast<unsigned long long>(StableHash(absolute.parent_path().string())));
    return cache / folder / absolute.filename();
}

std::optional<int32_t> StepTextMinutes(const std::string& text) {
    try {
        if (modDateTime::IsDTG(text)) {
            return modDateTime::DTGToMinutes(text);
        }
        if (const std::optional<platform::Date> date = platform::TryParseDate(text)) {
            return modDateTime::DateToMinutes(*date);
        }
    } catch (const platform::AutomationError&) {
        // a date-time group's numbers out of range, or a date beyond the minute count
    }
    return std::nullopt;
}

std::optional<RasterStepList> ReadRasterStepList(const std::string& path) {
    const platform::FileContents contents = platform::ReadWholeFile(path);
    if (contents.missing) {
        return std::nullopt;
    }
    if (!contents.error.empty()) {
        return RasterStepList{{}, path + ": the step list cannot be read: " + OneLine(contents.error)};
    }
    return ParseRasterStepList(contents.data, path);
}

RasterStepList ParseRasterStepList(std::string_view xml, std::string_view file) {
    const auto refused = [&](const std::string& why) { return RasterStepList{{}, std::string(file) + ": " + why}; };
    if (xml.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return refused("the step list is empty");
    }
    pugi::xml_document document;
    if (const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size()); !parsed) {
        // The text around where the parser stopped shows what it could not take.
        constexpr size_t kShownBefore = 40;
        constexpr size_t kShownAfter = 20;
        const size_t stop = std::min(static_cast<size_t>(std::max<ptrdiff_t>(parsed.offset, 0)), xml.size());
        const size_t from = stop > kShownBefore ? stop - kShownBefore : 0;
        return refused("not well-formed XML at " + Place(xml, parsed.offset) + " (" + parsed.description() +
                       "): " + Quoted(xml.substr(from, stop + kShownAfter - from)));
    }
    RasterStepList list;
    size_t number = 0;
    for (const pugi::xpath_node& node : document.select_nodes("//timestep")) {
        std::string text = node.node().text().get();
        ++number;
        if (!StepTextMinutes(text)) {
            return refused("timestep " + std::to_string(number) + " (" + Place(xml, node.node().offset_debug()) + ") " +
                           Quoted(text) + " is not a date or a date-time group");
        }
        list.Steps.push_back(std::move(text));
    }
    if (list.Steps.empty()) {
        return refused("the step list has no <timestep> element (its root element is <" +
                       OneLine(document.document_element().name()) + ">)");
    }
    return list;
}

void WriteRasterSettings(const std::string& path, const RasterSettings& settings) {
    const std::string text = PrintedNumber(settings.StartTime) + "\r\n" + PrintedNumber(settings.Interval) + "\r\n" +
                             settings.IntervalUnits + "\r\n";
    std::string target = path;
    if (SideFilesGoTo() == SideFileFolder::UserCache) {
        const std::filesystem::path cached = CachedSideFile(path);
        if (cached.empty()) {
            return; // no cache folder: the settings live in the record only
        }
        std::error_code error;
        std::filesystem::create_directories(cached.parent_path(), error);
        target = cached.string();
    }
    const platform::FileResult result = platform::WriteFileAtomically(target, text);
    if (!result.Ok()) {
        platform::RaiseError(platform::error::kPathFileAccess, result.error);
    }
}

std::optional<RasterSettings> ReadRasterSettings(const std::string& path) {
    platform::FileContents contents = platform::ReadWholeFile(path, 4096);
    if (contents.missing) {
        if (const std::filesystem::path cached = CachedSideFile(path); !cached.empty()) {
            contents = platform::ReadWholeFile(cached.string(), 4096);
        }
    }
    if (contents.missing || !contents.error.empty()) {
        return std::nullopt;
    }
    return ParseRasterSettings(contents.data);
}

std::optional<RasterSettings> ParseRasterSettings(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < 3) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    if (lines.size() < 3) {
        return std::nullopt;
    }
    return RasterSettings{LineToLong(lines[0]), LineToLong(lines[1]), lines[2]};
}

} // namespace chronova
