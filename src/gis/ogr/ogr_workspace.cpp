#include "gis/ogr/ogr_workspace.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include <gdal.h>
#include <ogr_api.h>

#include "gis/ogr/column_cache.h"
#include "gis/ogr/columnar_reader.h"
#include "gis/ogr/gdal_environment.h"
#include "gis/ogr/server_workspace.h"
#include "gis/ogr/shapefile_parts.h"
#include "platform/automation_error.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace chronova::gis {

namespace {

enum class WorkspaceKind {
    ShapefileFolder,
    GeoPackage,
    VectorFile, // any other file GDAL reads as vector data (GeoJSON, FlatGeobuf, GPX, KML, CSV, ...)
};

// How a workspace opens its files, as the column cache's key names it.
const char* KindName(WorkspaceKind kind) {
    switch (kind) {
    case WorkspaceKind::ShapefileFolder:
        return "shapefiles";
    case WorkspaceKind::GeoPackage:
        return "geopackage";
    case WorkspaceKind::VectorFile:
        break;
    }
    return "vector file";
}

using OpenOptions = std::vector<std::string>;

// GDAL's null-terminated list of open options; it points into options, which must outlive it.
std::vector<const char*> OptionList(const OpenOptions& options) {
    std::vector<const char*> list;
    list.reserve(options.size() + 1);
    for (const std::string& option : options) {
        list.push_back(option.c_str());
    }
    list.push_back(nullptr);
    return list;
}

// One dataset of a workspace: where GDAL finds it, and what has been read of it.
struct DatasetEntry {
    std::string name;
    bool has_geometry = false;
    std::string file;  // the file GDAL opens
    std::string layer; // the layer in that file; "" for the file's only layer
    std::mutex mutex;  // guards contents
    std::shared_ptr<const LayerContents> contents;
    std::weak_ptr<ITable> object; // guarded by the workspace's mutex
};

using Entries = std::vector<std::unique_ptr<DatasetEntry>>;

class OgrWorkspace : public virtual IFeatureWorkspace, public std::enable_shared_from_this<OgrWorkspace> {
public:
    OgrWorkspace(WorkspaceKind kind, std::string path, Entries entries, OpenOptions open_options = {})
        : kind_(kind), path_(std::move(path)), entries_(std::move(entries)), open_options_(std::move(open_options)) {}

    std::string PathName() const override { return path_; }
    std::vector<std::string> DatasetNames(DatasetType type) const override;
    std::shared_ptr<ITable> OpenTable(std::string_view name) override;
    std::shared_ptr<IFeatureClass> OpenFeatureClass(std::string_view name) override;

    WorkspaceKind Kind() const noexcept { return kind_; }
    /// A dataset's contents, read on the first call; several threads may ask at once.
    std::shared_ptr<const LayerContents> Contents(DatasetEntry& entry) const;

private:
    DatasetEntry& Find(std::string_view name) const;

    WorkspaceKind kind_;
    std::string path_;
    Entries entries_;
    OpenOptions open_options_; // given to GDAL for every read of the workspace's file
    std::mutex objects_mutex_;
};

/// A single-file geodatabase (a GeoPackage, or another vector file read through GDAL), which the system tells
/// apart from shapefile folders by this interface: its date fields hold real date-times.
class SingleFileWorkspace final : public OgrWorkspace, public IGeodatabaseWorkspace {
public:
    using OgrWorkspace::OgrWorkspace;
};

class OgrTable : public virtual ITable {
public:
    OgrTable(std::shared_ptr<OgrWorkspace> workspace, DatasetEntry& entry)
        : workspace_(std::move(workspace)), entry_(entry) {}

    std::string Name() const override { return entry_.name; }
    DatasetType Type() const override { return DatasetType::Table; }
    std::shared_ptr<IWorkspace> Workspace() const override { return workspace_; }
    std::shared_ptr<const ColumnTable> Data() const override { return Contents()->Data; }

    WorkspaceKind Kind() const noexcept { return workspace_->Kind(); }

protected:
    std::shared_ptr<const LayerContents> Contents() const { return workspace_->Contents(entry_); }

private:
    std::shared_ptr<OgrWorkspace> workspace_; // datasets keep their workspace alive
    DatasetEntry& entry_;
};

class OgrFeatureClass final : public OgrTable, public virtual IFeatureClass {
public:
    using OgrTable::OgrTable;

    DatasetType Type() const override { return DatasetType::FeatureClass; }
    GeometryType ShapeType() const override { return Contents()->Shapes->Type; }
    std::string ShapeFieldName() const override { return Contents()->ShapeFieldName; }
    std::shared_ptr<const GeometryColumn> Shapes() const override { return Contents()->Shapes; }
};

std::vector<std::string> OgrWorkspace::DatasetNames(DatasetType type) const {
    std::vector<std::string> names;
    for (const auto& entry : entries_) {
        if (type == DatasetType::Any || (type == DatasetType::FeatureClass && entry->has_geometry) ||
            (type == DatasetType::Table && !entry->has_geometry)) {
            names.push_back(entry->name);
        }
    }
    return names;
}

DatasetEntry& OgrWorkspace::Find(std::string_view name) const {
    for (const auto& entry : entries_) {
        if (platform::IEquals(entry->name, name)) {
            return *entry;
        }
    }
    platform::RaiseError(platform::error::kInvalidProcedureCall,
                         "The table '" + std::string(name) + "' is not in the workspace '" + path_ + "'.");
}

std::shared_ptr<ITable> OgrWorkspace::OpenTable(std::string_view name) {
    DatasetEntry& entry = Find(name);
    std::lock_guard lock(objects_mutex_);
    // The workspace holds its datasets weakly: they hold it, and a cycle would keep both alive for ever.
    if (auto existing = entry.object.lock()) {
        return existing;
    }
    std::shared_ptr<ITable> table;
    if (entry.has_geometry) {
        table = std::make_shared<OgrFeatureClass>(shared_from_this(), entry);
    } else {
        table = std::make_shared<OgrTable>(shared_from_this(), entry);
    }
    entry.object = table;
    return table;
}

std::shared_ptr<IFeatureClass> OgrWorkspace::OpenFeatureClass(std::string_view name) {
    auto feature_class = std::dynamic_pointer_cast<IFeatureClass>(OpenTable(name));
    if (!feature_class) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "The table '" + std::string(name) +
                                                                         "' of the workspace '" + path_ +
                                                                         "' is not a feature class.");
    }
    return feature_class;
}

std::shared_ptr<const LayerContents> OgrWorkspace::Contents(DatasetEntry& entry) const {
    std::lock_guard lock(entry.mutex);
    if (!entry.contents) {
        // What a map draws first (shapes, ids, dates) is read at once, shapes and attributes side by side; other
        // fields when something first asks for them.
        LayerReadOptions options;
        options.OpenOptions = open_options_;
        options.OtherFieldsOnUse = true;
        options.Parallel = true;
        // Shapefiles number their rows from 0 in a field the host calls FID; a GeoPackage names its own id column.
        const char* oid_field = kind_ == WorkspaceKind::ShapefileFolder ? "FID" : "";
        // A layer read before from the same unchanged file comes from the column cache; fields it does not hold
        // are read from the file on use, as usual.
        const std::filesystem::path cache_folder = ColumnCacheFolder();
        std::optional<ColumnCacheKey> cache_key;
        if (!cache_folder.empty()) {
            cache_key = MakeColumnCacheKey(entry.file, entry.layer, KindName(kind_), oid_field, open_options_);
        }
        if (cache_key) {
            if (auto cached = ReadColumnCache(cache_folder, *cache_key,
                                              FieldReader(entry.file, entry.layer, oid_field, options))) {
                entry.contents = std::make_shared<const LayerContents>(std::move(*cached));
                return entry.contents;
            }
        }
        auto contents = std::make_shared<LayerContents>(ReadLayer(entry.file, entry.layer, oid_field, options));
        if (entry.has_geometry && !contents->Shapes) {
            auto shapes = std::make_shared<GeometryColumn>();
            for (size_t row = 0; row < contents->Data->RowCount(); ++row) {
                shapes->EndFeature();
            }
            contents->Shapes = std::move(shapes);
        }
        entry.contents = std::move(contents);
        if (cache_key) {
            WriteColumnCacheLater(cache_folder, *cache_key, entry.contents);
        }
    }
    return entry.contents;
}

std::string LowerExtension(const fs::path& path) {
    return platform::LCase(path.extension().string());
}

Entries ShapefileEntries(const fs::path& folder) {
    Entries shapes;
    std::vector<fs::path> tables;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        std::error_code ignored;
        if (!item.is_regular_file(ignored)) {
            continue;
        }
        const std::string extension = LowerExtension(item.path());
        if (extension == ".shp") {
            auto entry = std::make_unique<DatasetEntry>();
            entry->name = item.path().stem().string();
            entry->has_geometry = true;
            entry->file = item.path().string();
            shapes.push_back(std::move(entry));
        } else if (extension == ".dbf") {
            tables.push_back(item.path());
        }
    }
    if (error) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot read the folder '" + folder.string() + "': " + error.message());
    }
    Entries entries = std::move(shapes);
    const size_t feature_classes = entries.size();
    for (const fs::path& table : tables) {
        const std::string stem = table.stem().string();
        const bool has_shapes = std::any_of(entries.begin(), entries.begin() + static_cast<ptrdiff_t>(feature_classes),
                                            [&](const auto& entry) { return platform::IEquals(entry->name, stem); });
        if (!has_shapes) {
            auto entry = std::make_unique<DatasetEntry>();
            entry->name = stem;
            entry->file = table.string();
            entries.push_back(std::move(entry));
        }
    }
    // A folder has no order of its own; list by name so that every run sees the same order.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const std::string lower_a = platform::LCase(a->name);
        const std::string lower_b = platform::LCase(b->name);
        return lower_a != lower_b ? lower_a < lower_b : a->name < b->name;
    });
    return entries;
}

// The layers of a single-file data set, each a dataset named after its layer. drivers limits the GDAL drivers
// tried (null: any); the error names the file and GDAL's reason.
Entries FileLayerEntries(const std::string& file, const char* const* drivers, const OpenOptions& open_options,
                         int32_t error_number, const std::string& error_context) {
    if (IsShapefile(file)) {
        RequireShapefileParts(file);
    }
    RegisterGdalDrivers();
    GdalErrorTrap trap;
    const std::vector<const char*> options = OptionList(open_options);
    GDALDatasetH dataset = GDALOpenEx(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, drivers,
                                      options.data(), nullptr);
    if (dataset == nullptr) {
        trap.Raise(error_number, error_context);
    }
    Entries entries;
    for (int i = 0; i < GDALDatasetGetLayerCount(dataset); ++i) {
        OGRLayerH layer = GDALDatasetGetLayer(dataset, i);
        auto entry = std::make_unique<DatasetEntry>();
        entry->name = OGR_L_GetName(layer);
        entry->has_geometry = OGR_L_GetGeomType(layer) != wkbNone;
        entry->file = file;
        entry->layer = entry->name;
        entries.push_back(std::move(entry));
    }
    GDALClose(dataset);
    // A file GDAL opened with errors (a damaged list of layers, say) may be missing layers.
    if (trap.Failed()) {
        trap.Raise(platform::error::kPathFileAccess, file + ": the layers cannot be read");
    }
    return entries;
}

Entries GeoPackageEntries(const std::string& file, const OpenOptions& open_options) {
    const char* const drivers[] = {"GPKG", nullptr};
    return FileLayerEntries(file, drivers, open_options, platform::error::kPathFileAccess,
                            "Cannot open the geodatabase '" + file + "'");
}

Entries VectorFileEntries(const std::string& file, const OpenOptions& open_options) {
    return FileLayerEntries(file, nullptr, open_options, platform::error::kInvalidProcedureCall,
                            "'" + file + "' is neither a folder of shapefiles nor a vector data set GDAL can read");
}

} // namespace

std::shared_ptr<IFeatureWorkspace> OpenWorkspace(const std::string& path,
                                                 const std::vector<std::string>& open_options) {
    if (path.empty()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "No workspace path was given.");
    }
    if (IsServerConnection(path)) {
        return OpenServerWorkspace(path, open_options);
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        platform::RaiseError(platform::error::kFileNotFound, "File not found: '" + path + "'.");
    }
    std::string full_path = fs::absolute(path, error).lexically_normal().string();
    if (full_path.size() > 1 && full_path.back() == '/') {
        full_path.pop_back();
    }
    if (fs::is_directory(status)) {
        return std::make_shared<OgrWorkspace>(WorkspaceKind::ShapefileFolder, full_path, ShapefileEntries(full_path));
    }
    if (LowerExtension(path) == ".gpkg") {
        return std::make_shared<SingleFileWorkspace>(WorkspaceKind::GeoPackage, full_path,
                                                     GeoPackageEntries(full_path, open_options), open_options);
    }
    return std::make_shared<SingleFileWorkspace>(WorkspaceKind::VectorFile, full_path,
                                                 VectorFileEntries(full_path, open_options), open_options);
}

std::string DataSourceTypeOf(const IFeatureClass& feature_class) {
    // A database's tables count as geodatabase feature classes too: their times are typed, and the workspace is a
    // geodatabase workspace the system can open more tables of.
    if (dynamic_cast<const IServerTable*>(&feature_class) != nullptr) {
        return "Personal Geodatabase Feature Class";
    }
    const auto* own = dynamic_cast<const OgrFeatureClass*>(&feature_class);
    if (own == nullptr) {
        return {};
    }
    // Other vector files count as geodatabase feature classes: their date fields are typed date-times, which the
    // time filter compares as such, where a shapefile's are dBASE dates.
    return own->Kind() == WorkspaceKind::ShapefileFolder ? "Shapefile Feature Class"
                                                         : "Personal Geodatabase Feature Class";
}

} // namespace chronova::gis
