// A column cache file may be damaged in any way: any bytes must either be refused or decode into a table whose
// columns and shapes are consistent, so that every value can be read. Checksums are not verified here, so that
// changed bytes reach the decoder rather than stopping at the checksum. The seeds were written for the key "fuzz".
#include <cstddef>
#include <cstdint>
#include <span>

#include "gis/ogr/column_cache.h"
#include "platform/automation_error.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gis::CacheDecodeOptions options;
    options.VerifyChecksums = false;
    const auto contents = gis::DecodeColumnCache(std::as_bytes(std::span<const uint8_t>(data, size)), "fuzz", options);
    if (!contents) {
        return 0;
    }
    const gis::ColumnTable& table = *contents->Data;
    const size_t rows = table.RowCount();
    for (size_t field = 0; field < table.FieldCount(); ++field) {
        if (!table.IsLoaded(field)) {
            try {
                table.ColumnAt(field); // no source to read it from: must raise
            } catch (const platform::AutomationError&) {
                continue;
            }
            __builtin_trap();
        }
        const gis::Column& column = table.ColumnAt(field);
        if (column.Size() != rows) {
            __builtin_trap();
        }
        for (size_t row = 0; row < rows; ++row) {
            static_cast<void>(column.Value(row));
            static_cast<void>(column.OffsetAt(row));
        }
    }
    if (const auto& shapes = contents->Shapes) {
        if (shapes->FeatureCount() != rows || shapes->X.size() != shapes->Y.size() ||
            shapes->PartOffsets.back() != shapes->X.size() ||
            shapes->FeatureParts.back() + 1 != shapes->PartOffsets.size()) {
            __builtin_trap();
        }
        for (size_t feature = 0; feature < shapes->FeatureCount(); ++feature) {
            if (shapes->FeatureParts[feature] > shapes->FeatureParts[feature + 1]) {
                __builtin_trap();
            }
        }
        for (size_t part = 0; part + 1 < shapes->PartOffsets.size(); ++part) {
            if (shapes->PartOffsets[part] > shapes->PartOffsets[part + 1]) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
