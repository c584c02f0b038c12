#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gis/ogr/columnar_reader.h"

namespace chronova::gis {

/// A copy of a layer's decoded columns on disk, so that the next open of the same unchanged file reads flat arrays
/// instead of decoding the file through GDAL again. One cache file per layer, named after a hash of its key, in
/// the user's cache folder; the file holds its key and is used only when the key is the same.
///
/// The key names the source exactly: the absolute path, the size and modification time (in nanoseconds) of the
/// file and of its side files (a shapefile's .shx, .dbf, .prj, .cpg; a GeoPackage's -wal), the layer, how the
/// layer was opened (workspace kind, id field, GDAL open options) and GDAL's version. The file's name hashes only
/// what names the layer (path, layer, kind, id field, options), so a changed source gives another key under the same
/// file name, and its old cache file is replaced rather than left behind.
struct ColumnCacheKey {
    std::string Text; ///< the whole key, stored in the file and compared on open
    std::string Hash; ///< 16 hex digits of a hash of what names the layer: the cache file's name
    /// False when a source file changed in the last seconds: it may still be being written, and a change within
    /// the file system's clock tick would keep its time, so such a layer is not written to the cache.
    bool Settled = true;
};

/// The key of a layer of a file; nothing when the file cannot be examined (it is then not cached).
std::optional<ColumnCacheKey> MakeColumnCacheKey(const std::string& file, std::string_view layer,
                                                 std::string_view opened_as, std::string_view oid_field,
                                                 const std::vector<std::string>& open_options);

/// The folder of cache files: $CHRONOVA_COLUMN_CACHE_FOLDER when set, else <XDG cache folder>/chronova/columns;
/// empty when the cache is off: CHRONOVA_COLUMN_CACHE set to "off" or "0", or no home folder.
std::filesystem::path ColumnCacheFolder();

/// Turns the cache off for reading while decoding checks: a fuzz target clears VerifyChecksums so that changed
/// bytes reach the decoder rather than stopping at the checksum.
struct CacheDecodeOptions {
    bool VerifyChecksums = true;
};

/// The layer a cache file holds, or nothing when the bytes are not a whole, valid cache file of that key. Nothing
/// in the bytes is trusted: every size, offset, count and checksum is checked, and the shapes and columns must be
/// consistent with one another. Fields the file does not hold are left for later (ColumnTable::LoadLater) through
/// load_later, when given; without it they are read as empty columns that must not be used.
std::optional<LayerContents> DecodeColumnCache(std::span<const std::byte> bytes, std::string_view key,
                                               const CacheDecodeOptions& options = {},
                                               const ColumnTable::ColumnLoader& load_later = {});

/// Writes contents as a cache file for key (the fields loaded at the time; fields still left for later are not
/// stored). Written to a temporary file in the same folder, then renamed, so readers see either no file or a
/// whole one; the temporary file is removed on failure. Returns false on failure (a read-only folder, a full disk).
bool WriteColumnCache(const std::filesystem::path& file, const ColumnCacheKey& key, const LayerContents& contents);

/// Reads the cache file of key from folder; nothing when there is none or it is not valid for key.
std::optional<LayerContents> ReadColumnCache(const std::filesystem::path& folder, const ColumnCacheKey& key,
                                             const ColumnTable::ColumnLoader& load_later = {});

/// Writes the cache file of key on a thread of its own, so that the caller goes on (to draw its frame). Failures
/// are reported to the debug output only. Writes still running when the program ends are waited for, so that no
/// temporary file stays behind.
void WriteColumnCacheLater(const std::filesystem::path& folder, const ColumnCacheKey& key,
                           std::shared_ptr<const LayerContents> contents);

/// Waits for the writes WriteColumnCacheLater started (tests, and the end of the program).
void WaitForColumnCacheWrites();

/// The path of the cache file of key in folder.
std::filesystem::path ColumnCacheFile(const std::filesystem::path& folder, const ColumnCacheKey& key);

} // namespace chronova::gis
