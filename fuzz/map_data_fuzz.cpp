// Data files come from anyone: a shapefile, a dBASE table, a GeoPackage or a GeoTIFF may hold any bytes. Read
// through the map host's own readers, they must either raise an AutomationError or give a table, shapes and bands
// that are consistent, so that every value can be read. The bytes become GDAL in-memory files (/vsimem/).
//
// The first byte chooses the format (bits 0-1) and, for vector data, how the layer is read (bits 2-5); the rest
// is the file. For a shapefile the rest is its .shp, .shx and .dbf one after the other, split by kPartSeparator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <cpl_vsi.h>

#include "gis/data/raster_dataset.h"
#include "gis/layers/open_layers.h"
#include "gis/ogr/columnar_reader.h"
#include "platform/automation_error.h"

using namespace chronova;

namespace {

constexpr std::string_view kFolder = "/vsimem/map_data_fuzz";
constexpr std::string_view kPartSeparator = "\n--next part--\n";
// Bands of more cells than this are not read: a few header bytes can declare a raster of any size, and reading
// a real one that large is no fault.
constexpr int64_t kMaxCells = int64_t{1} << 22;

enum Format : uint8_t { kShapefile = 0, kTable = 1, kGeoPackage = 2, kGeoTiff = 3 };

// The files of one input, removed again when it has been read.
class MemoryFiles {
public:
    MemoryFiles() = default;
    MemoryFiles(const MemoryFiles&) = delete;
    MemoryFiles& operator=(const MemoryFiles&) = delete;
    ~MemoryFiles() { VSIRmdirRecursive(std::string(kFolder).c_str()); }

    // Writes the bytes to a file of the folder; returns its path.
    std::string Write(const std::string& name, std::string_view bytes) {
        std::string path = std::string(kFolder) + "/" + name;
        VSILFILE* file = VSIFOpenL(path.c_str(), "wb");
        if (file == nullptr || VSIFWriteL(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            __builtin_trap(); // an in-memory file can always be written
        }
        VSIFCloseL(file);
        return path;
    }
};

[[noreturn]] void Fault() {
    __builtin_trap();
}

void CheckShapes(const gis::GeometryColumn& shapes, size_t rows) {
    if (shapes.FeatureCount() != rows || shapes.X.size() != shapes.Y.size() ||
        shapes.PartOffsets.back() != shapes.X.size() || shapes.FeatureParts.back() + 1 != shapes.PartOffsets.size()) {
        Fault();
    }
    for (size_t feature = 0; feature < rows; ++feature) {
        if (shapes.FeatureParts[feature] > shapes.FeatureParts[feature + 1]) {
            Fault();
        }
    }
    for (size_t part = 0; part + 1 < shapes.PartOffsets.size(); ++part) {
        if (shapes.PartOffsets[part] > shapes.PartOffsets[part + 1]) {
            Fault();
        }
    }
}

// Reads every field of every row, those read on use included.
void CheckLayer(const gis::LayerContents& contents) {
    const gis::ColumnTable& table = *contents.Data;
    const size_t rows = table.RowCount();
    for (size_t field = 0; field < table.FieldCount(); ++field) {
        const gis::Column* column = nullptr;
        try {
            column = &table.ColumnAt(field);
        } catch (const platform::AutomationError&) {
            continue; // a field read on use may fail as the first read could have
        }
        if (column->Size() != rows) {
            Fault();
        }
        for (size_t row = 0; row < rows; ++row) {
            static_cast<void>(column->Value(row));
            static_cast<void>(column->OffsetAt(row));
        }
    }
    if (contents.Shapes) {
        CheckShapes(*contents.Shapes, rows);
    }
}

void ReadVector(const std::string& path, uint8_t choices) {
    gis::LayerReadOptions options;
    switch ((choices >> 2) & 3) {
    case 1:
        options.Method = gis::ReadMethod::Arrow;
        break;
    case 2:
        options.Method = gis::ReadMethod::Features;
        break;
    default:
        options.Method = gis::ReadMethod::Automatic;
        break;
    }
    options.OtherFieldsOnUse = (choices & 0x10) != 0;
    options.Parallel = (choices & 0x20) != 0;
    CheckLayer(gis::ReadLayer(path, "", "", options));
}

void ReadRaster(const std::string& path) {
    const auto layer = gis::OpenRasterLayer(path);
    const std::shared_ptr<gis::RasterDataset>& raster = layer->Raster();
    static_cast<void>(raster->Extent());
    static_cast<void>(raster->SpatialReference());
    static_cast<void>(gis::ColorBandsOf(*raster));
    const int64_t cells = int64_t{raster->Width()} * raster->Height();
    if (raster->Width() < 0 || raster->Height() < 0 || raster->BandCount() < 0) {
        Fault();
    }
    for (int32_t band = 1; band <= raster->BandCount(); ++band) {
        static_cast<void>(raster->ColorOf(band));
        static_cast<void>(raster->EightBit(band));
        // A pixel-interleaved raster keeps every band in one block, which GDAL allocates whole before reading
        // any band of it, so the bound counts all bands.
        if (cells * raster->BandCount() > kMaxCells) {
            break;
        }
        const std::vector<float> values = raster->ReadBand(band);
        if (static_cast<int64_t>(values.size()) != cells) {
            Fault();
        }
        const gis::BandStatistics statistics = raster->Statistics(band);
        if (statistics.Minimum > statistics.Maximum) {
            Fault();
        }
    }
}

// The input split at each separator, into at most `count` parts (the last one takes the rest).
std::vector<std::string_view> SplitParts(std::string_view bytes, size_t count) {
    std::vector<std::string_view> parts;
    parts.reserve(count);
    while (parts.size() + 1 < count) {
        const size_t end = bytes.find(kPartSeparator);
        if (end == std::string_view::npos) {
            break;
        }
        parts.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + kPartSeparator.size());
    }
    parts.push_back(bytes);
    parts.resize(count);
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // Layers read here must never reach the user's column cache.
    setenv("CHRONOVA_COLUMN_CACHE", "off", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t choices = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    MemoryFiles files;
    try {
        switch (static_cast<Format>(choices & 3)) {
        case kShapefile: {
            const std::vector<std::string_view> parts = SplitParts(bytes, 3);
            const std::string path = files.Write("f.shp", parts[0]);
            files.Write("f.shx", parts[1]);
            files.Write("f.dbf", parts[2]);
            ReadVector(path, choices);
            break;
        }
        case kTable:
            ReadVector(files.Write("f.dbf", bytes), choices);
            break;
        case kGeoPackage:
            ReadVector(files.Write("f.gpkg", bytes), choices);
            break;
        case kGeoTiff:
            ReadRaster(files.Write("f.tif", bytes));
            break;
        }
    } catch (const platform::AutomationError&) {
        // refused with a reason: what a bad file must give
    }
    return 0;
}
