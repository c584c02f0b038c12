#include "gis/ogr/shapefile_parts.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include <cpl_vsi.h>

#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::gis {

namespace {

namespace fs = std::filesystem;

// Files are examined through GDAL, so that its in-memory files (/vsimem/) are files too.

// The size of a regular file; nothing when there is none.
std::optional<uintmax_t> FileSize(const fs::path& file) {
    VSIStatBufL status;
    if (VSIStatExL(file.string().c_str(), &status, VSI_STAT_EXISTS_FLAG | VSI_STAT_NATURE_FLAG | VSI_STAT_SIZE_FLAG) !=
            0 ||
        !VSI_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<uintmax_t>(status.st_size);
}

// A part of the shapefile as GDAL looks for it: the extension in lower case, else in upper case.
std::optional<fs::path> FindPart(const fs::path& shp, std::string_view extension) {
    for (const std::string& spelling : {platform::LCase(extension), platform::UCase(extension)}) {
        fs::path part = shp;
        part.replace_extension(spelling);
        if (FileSize(part)) {
            return part;
        }
    }
    return std::nullopt;
}

// The first bytes of a file; fewer when the file is shorter.
template <size_t N>
std::array<uint8_t, N> Header(const fs::path& file, size_t& read) {
    std::array<uint8_t, N> bytes{};
    read = 0;
    if (VSILFILE* handle = VSIFOpenL(file.string().c_str(), "rb")) {
        read = VSIFReadL(bytes.data(), 1, N, handle);
        VSIFCloseL(handle);
    }
    return bytes;
}

uintmax_t LittleEndian(const uint8_t* bytes, size_t count) {
    uintmax_t value = 0;
    for (size_t i = count; i > 0; --i) {
        value = value << 8U | bytes[i - 1];
    }
    return value;
}

// The size a part's header declares; nothing when the header itself is cut short.
std::optional<uintmax_t> DeclaredSize(const fs::path& part, bool table) {
    size_t read = 0;
    if (table) {
        // dBASE: the record count (32 bits) at 4, the header size and the record size (16 bits each) at 8 and 10,
        // all little-endian.
        const auto bytes = Header<12>(part, read);
        if (read < bytes.size()) {
            return std::nullopt;
        }
        return LittleEndian(&bytes[8], 2) + LittleEndian(&bytes[4], 4) * LittleEndian(&bytes[10], 2);
    }
    // The .shp and the .shx: the file length in 16-bit words, big-endian at 24 of a 100-byte header.
    const auto bytes = Header<100>(part, read);
    if (read < bytes.size()) {
        return std::nullopt;
    }
    uintmax_t words = 0;
    for (size_t i = 24; i < 28; ++i) {
        words = words << 8U | bytes[i];
    }
    return words * 2;
}

} // namespace

bool IsShapefile(const std::string& path) {
    return platform::IEquals(fs::path(path).extension().string(), ".shp");
}

void RequireShapefileParts(const std::string& shp_path) {
    const fs::path shp(shp_path);
    for (const auto& [extension, holds] :
         {std::pair{".shx", "the index of its shapes"}, std::pair{".dbf", "its attributes"}}) {
        if (!FindPart(shp, extension)) {
            fs::path missing = shp;
            missing.replace_extension(extension);
            platform::RaiseError(platform::error::kFileNotFound, missing.string() + " is missing: the shapefile '" +
                                                                     shp.filename().string() + "' keeps " + holds +
                                                                     " there.");
        }
    }
}

std::string TruncatedShapefilePart(const std::string& shp_path) {
    for (const std::string_view extension : {".dbf", ".shp", ".shx"}) {
        const std::optional<fs::path> part =
            extension == ".shp" ? std::optional<fs::path>(shp_path) : FindPart(fs::path(shp_path), extension);
        const std::optional<uintmax_t> size = part ? FileSize(*part) : std::nullopt;
        if (!size) {
            continue;
        }
        const std::optional<uintmax_t> declared = DeclaredSize(*part, extension == ".dbf");
        if (!declared || *size < *declared) {
            return part->string();
        }
    }
    return {};
}

} // namespace chronova::gis
