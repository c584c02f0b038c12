#include "gis/ogr/columnar_reader.h"

#include <algorithm>
#include <future>
#include <mutex>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_recordbatch.h>
#include <ogr_srs_api.h>

#include "gis/ogr/arrow_decoder.h"
#include "gis/ogr/gdal_environment.h"
#include "gis/ogr/gdal_handles.h"
#include "gis/ogr/layer_rows.h"
#include "gis/ogr/memory_advice.h"
#include "gis/ogr/shapefile_parts.h"
#include "gis/ogr/value_conversion.h"
#include "gis/ogr/wkb_reader.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// Releases an Arrow structure of the C data interface when it goes out of scope.
template <class T>
struct ArrowOwner {
    T value{};
    ArrowOwner() = default;
    ArrowOwner(const ArrowOwner&) = delete;
    ArrowOwner& operator=(const ArrowOwner&) = delete;
    ~ArrowOwner() { Release(); }
    void Release() {
        if (value.release != nullptr) {
            value.release(&value);
        }
    }
};

// Where a field of the host table comes from.
enum class Source { ObjectId, Shape, Attribute };

struct Target {
    Source source = Source::Attribute;
    int ogr_index = -1; // the layer field, for Source::Attribute
    OGRFieldType ogr_type = OFTString;
    std::string arrow_name; // the column's name in the layer's Arrow stream
};

// The host table's fields and where each comes from; built from the layer definition, so both ways of reading
// give the same fields.
struct Plan {
    std::vector<Field> fields;
    std::vector<Target> targets;
    bool has_geometry = false;
    std::string shape_field;
};

// Thrown when a layer cannot be read in Arrow batches, so that the caller can read it feature by feature.
class ArrowUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

FieldType HostType(OGRFieldType type, OGRFieldSubType subtype) {
    switch (type) {
    case OFTInteger:
        return subtype == OFSTInt16 ? FieldType::SmallInteger : FieldType::Integer;
    case OFTInteger64:
        return FieldType::Double; // the host has no 64-bit integer
    case OFTReal:
        return subtype == OFSTFloat32 ? FieldType::Single : FieldType::Double;
    case OFTDate:
    case OFTDateTime:
        return FieldType::Date;
    case OFTBinary:
        return FieldType::Blob;
    default:
        return FieldType::String; // texts, times of day, lists
    }
}

GeometryType HostShapeType(OGRwkbGeometryType type) {
    switch (wkbFlatten(type)) {
    case wkbPoint:
        return GeometryType::Point;
    case wkbMultiPoint:
        return GeometryType::Multipoint;
    case wkbLineString:
    case wkbMultiLineString:
    case wkbCircularString:
    case wkbCompoundCurve:
    case wkbMultiCurve:
        return GeometryType::Polyline;
    case wkbPolygon:
    case wkbMultiPolygon:
    case wkbCurvePolygon:
    case wkbMultiSurface:
        return GeometryType::Polygon;
    default:
        return GeometryType::Null;
    }
}

std::string NonEmpty(const char* text, const char* fallback) {
    return text != nullptr && *text != '\0' ? std::string(text) : std::string(fallback);
}

Plan MakePlan(OGRLayerH layer, std::string_view oid_field) {
    Plan plan;
    const std::string fid_column = NonEmpty(OGR_L_GetFIDColumn(layer), "");
    const std::string oid_name = !oid_field.empty() ? std::string(oid_field) : NonEmpty(fid_column.c_str(), "FID");
    plan.fields.push_back({oid_name, oid_name, FieldType::OID});
    // GDAL names the id column of a layer without one "OGC_FID" in its Arrow stream.
    plan.targets.push_back({Source::ObjectId, -1, OFTInteger64, NonEmpty(fid_column.c_str(), "OGC_FID")});

    OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
    plan.has_geometry = OGR_FD_GetGeomFieldCount(definition) > 0 && OGR_L_GetGeomType(layer) != wkbNone;
    if (plan.has_geometry) {
        const char* column = OGR_L_GetGeometryColumn(layer);
        plan.shape_field = NonEmpty(column, "Shape");
        plan.fields.push_back({plan.shape_field, plan.shape_field, FieldType::Geometry});
        plan.targets.push_back({Source::Shape, -1, OFTBinary, NonEmpty(column, "wkb_geometry")});
    }
    for (int i = 0; i < OGR_FD_GetFieldCount(definition); ++i) {
        OGRFieldDefnH field = OGR_FD_GetFieldDefn(definition, i);
        const std::string name = OGR_Fld_GetNameRef(field);
        const std::string alias = NonEmpty(OGR_Fld_GetAlternativeNameRef(field), name.c_str());
        plan.fields.push_back({name, alias, HostType(OGR_Fld_GetType(field), OGR_Fld_GetSubType(field))});
        plan.targets.push_back({Source::Attribute, i, OGR_Fld_GetType(field), name});
    }
    return plan;
}

// The columns one read fills: for each field of the plan its column, or null for a field this read leaves alone;
// shapes is filled when the shape field's column is given.
struct Sink {
    std::vector<Column*> columns;
    GeometryColumn* shapes = nullptr;

    bool Reads(size_t target) const { return columns[target] != nullptr; }
};

struct Output {
    std::shared_ptr<ColumnTable> table;
    std::shared_ptr<GeometryColumn> shapes;
};

// The rows to make room for: the feature count when GDAL knows it without reading the rows, else 0. A damaged
// header may claim any count, so no more rows than the file at path has bytes (no format keeps a row in less).
// Nothing without a path.
size_t ExpectedRows(OGRLayerH layer, const std::string& path) {
    if (path.empty()) {
        return 0; // no file to bound a count by, and a database would count its rows just to answer
    }
    const GIntBig count = OGR_L_GetFeatureCount(layer, FALSE);
    VSIStatBufL status;
    if (count <= 0 || VSIStatExL(path.c_str(), &status, VSI_STAT_SIZE_FLAG) != 0) {
        return 0;
    }
    return static_cast<size_t>(std::min<GIntBig>(count, status.st_size));
}

// An empty table of the plan's fields; the columns that will be read are sized for the layer's rows.
Output EmptyOutput(OGRLayerH layer, const std::string& path, const Plan& plan, const std::vector<bool>& read_now) {
    Output output;
    output.table = std::make_shared<ColumnTable>(OGR_L_GetName(layer));
    const size_t count = ExpectedRows(layer, path);
    for (size_t i = 0; i < plan.fields.size(); ++i) {
        Column& column = output.table->AddField(plan.fields[i]);
        if (read_now[i]) {
            column.Reserve(count);
            PreferHugePages(column.Integers().data(), column.Integers().capacity() * sizeof(int32_t));
            PreferHugePages(column.Reals().data(), column.Reals().capacity() * sizeof(double));
        }
    }
    if (plan.has_geometry) {
        output.shapes = std::make_shared<GeometryColumn>();
        output.shapes->Type = HostShapeType(OGR_L_GetGeomType(layer));
        if (OGRSpatialReferenceH srs = OGR_L_GetSpatialRef(layer)) {
            char* wkt = nullptr;
            if (OSRExportToWkt(srs, &wkt) == OGRERR_NONE && wkt != nullptr) {
                output.shapes->SpatialReference = wkt;
            }
            CPLFree(wkt);
        }
        output.shapes->FeatureParts.reserve(count + 1);
        if (output.shapes->Type == GeometryType::Point) {
            // A point is one part of one coordinate.
            output.shapes->X.reserve(count);
            output.shapes->Y.reserve(count);
            PreferHugePages(output.shapes->X.data(), count * sizeof(double));
            PreferHugePages(output.shapes->Y.data(), count * sizeof(double));
            output.shapes->PartOffsets.reserve(count + 1);
        }
    }
    return output;
}

// Empties the columns a read fills, so that a read that failed half way can start again.
void ClearSink(const Sink& sink) {
    for (Column* column : sink.columns) {
        if (column != nullptr) {
            *column = Column(column->Type());
        }
    }
    if (sink.shapes != nullptr) {
        GeometryColumn empty;
        empty.Type = sink.shapes->Type;
        empty.SpatialReference = sink.shapes->SpatialReference;
        *sink.shapes = std::move(empty);
    }
}

// The file to name when the layer at path cannot be read: the part of a shapefile that was cut short, else path.
std::string FileAtFault(const std::string& path) {
    std::string part = IsShapefile(path) ? TruncatedShapefilePart(path) : std::string();
    return part.empty() ? path : part;
}

// The start of the message of a read that failed: the file at fault and the layer; GDAL's reason follows.
std::string UnreadableLayer(const std::string& path, OGRLayerH layer) {
    return FileAtFault(path) + ": the layer '" + NonEmpty(OGR_L_GetName(layer), "") + "' cannot be read";
}

std::string StreamError(ArrowArrayStream& stream, const std::string& what) {
    const char* message = stream.get_last_error != nullptr ? stream.get_last_error(&stream) : nullptr;
    return what + (message != nullptr && *message != '\0' ? std::string(": ") + message : "");
}

// Reads the layer of the file at path in batches; stops at the first error GDAL reports, which the caller raises.
void ReadArrowBatches(const std::string& path, OGRLayerH layer, const Plan& plan, const Sink& sink,
                      const GdalErrorTrap& trap) {
    ArrowOwner<ArrowArrayStream> stream;
    const char* options[] = {"INCLUDE_FID=YES", nullptr};
    OGR_L_ResetReading(layer);
    if (!OGR_L_GetArrowStream(layer, &stream.value, const_cast<char**>(options))) {
        throw ArrowUnavailable("GDAL offers no Arrow stream for the layer");
    }
    ArrowOwner<ArrowSchema> schema;
    if (stream.value.get_schema(&stream.value, &schema.value) != 0) {
        throw ArrowUnavailable(StreamError(stream.value, "the Arrow schema cannot be read"));
    }
    if (std::string_view(schema.value.format) != "+s") {
        throw ArrowUnavailable("the Arrow stream does not hold records");
    }

    // The stream's column of each field the read fills.
    std::vector<size_t> read;
    std::vector<int64_t> children;
    for (size_t i = 0; i < plan.targets.size(); ++i) {
        if (!sink.Reads(i)) {
            continue;
        }
        const Target& target = plan.targets[i];
        int64_t found = -1;
        for (int64_t child = 0; child < schema.value.n_children && found < 0; ++child) {
            const char* name = schema.value.children[child]->name;
            if (name != nullptr && target.arrow_name == name) {
                found = child;
            }
        }
        if (found < 0) {
            throw ArrowUnavailable("the Arrow stream has no column '" + target.arrow_name + "'");
        }
        const char* format = schema.value.children[found]->format;
        if (!ArrowFormatSuits(format != nullptr ? format : "", plan.fields[i].Type)) {
            throw ArrowUnavailable("the Arrow column '" + target.arrow_name + "' has the unsupported type '" +
                                   (format != nullptr ? format : "") + "'");
        }
        read.push_back(i);
        children.push_back(found);
    }

    for (;;) {
        ArrowOwner<ArrowArray> batch;
        if (stream.value.get_next(&stream.value, &batch.value) != 0) {
            platform::RaiseError(platform::error::kPathFileAccess,
                                 StreamError(stream.value, UnreadableLayer(path, layer)));
        }
        if (batch.value.release == nullptr || trap.Failed()) {
            break; // the end of the stream, or of what GDAL could read
        }
        if (batch.value.n_children != schema.value.n_children) {
            throw ArrowUnavailable("an Arrow batch does not match its schema");
        }
        for (size_t k = 0; k < read.size(); ++k) {
            const size_t i = read[k];
            const ArrowSchema& child_schema = *schema.value.children[children[k]];
            const ArrowArray& child = *batch.value.children[children[k]];
            AppendArrowColumn(child_schema, child, batch.value.offset, batch.value.length, *sink.columns[i]);
            if (plan.targets[i].source == Source::Shape) {
                AppendArrowShapes(child_schema, child, batch.value.offset, batch.value.length, *sink.shapes);
            }
        }
    }
}

void AppendFeatureShape(OGRFeatureH feature, Column& column, GeometryColumn& shapes, std::vector<uint8_t>& wkb) {
    OGRGeometryH geometry = OGR_F_GetGeometryRef(feature);
    if (geometry == nullptr) {
        column.AppendNull();
        shapes.EndFeature();
        return;
    }
    // Curves are drawn as the line strings that approximate them.
    OGRGeometryH linear = nullptr;
    if (OGR_G_HasCurveGeometry(geometry, TRUE)) {
        linear = OGR_G_GetLinearGeometry(geometry, 0.0, nullptr);
        geometry = linear;
    }
    wkb.resize(static_cast<size_t>(OGR_G_WkbSizeEx(geometry)));
    const OGRErr exported = OGR_G_ExportToIsoWkb(geometry, wkbNDR, wkb.data());
    if (linear != nullptr) {
        OGR_G_DestroyGeometry(linear);
    }
    if (exported != OGRERR_NONE) {
        platform::RaiseError(platform::error::kTypeMismatch, "A shape cannot be converted to well-known binary.");
    }
    AppendWkbShape(shapes, std::span<const uint8_t>(wkb));
    column.AppendNonNull();
}

void AppendFeatureValue(OGRFeatureH feature, const Target& target, Column& column) {
    const int index = target.ogr_index;
    if (!OGR_F_IsFieldSetAndNotNull(feature, index)) {
        column.AppendNull();
        return;
    }
    switch (target.ogr_type) {
    case OFTInteger:
        AppendWholeNumber(column, OGR_F_GetFieldAsInteger(feature, index));
        return;
    case OFTInteger64:
        AppendWholeNumber(column, OGR_F_GetFieldAsInteger64(feature, index));
        return;
    case OFTReal:
        AppendRealNumber(column, OGR_F_GetFieldAsDouble(feature, index));
        return;
    case OFTDate:
    case OFTDateTime:
    case OFTTime: {
        int year = 1970, month = 1, day = 1, hour = 0, minute = 0, zone = 0;
        float second = 0.0F;
        OGR_F_GetFieldAsDateTimeEx(feature, index, &year, &month, &day, &hour, &minute, &second, &zone);
        if (target.ogr_type == OFTTime) {
            column.AppendText(TimeOfDayText(UnixMillisecondsFromParts(1970, 1, 1, hour, minute, second)));
        } else {
            const double wall =
                OleDateFromUnixMilliseconds(UnixMillisecondsFromParts(year, month, day, hour, minute, second));
            // OGR's zone flag: 0 unknown, 1 local time, 100 UTC, and each step from 100 is 15 minutes.
            if (zone >= 2) {
                column.AppendZonedReal(wall, (zone - 100) * 15);
            } else {
                column.AppendReal(wall);
            }
        }
        return;
    }
    case OFTBinary:
        column.AppendNonNull();
        return;
    default:
        column.AppendText(OGR_F_GetFieldAsString(feature, index));
        return;
    }
}

// Reads the layer's rows one by one; stops at the first error GDAL reports, which the caller raises.
void ReadFeatures(OGRLayerH layer, const Plan& plan, const Sink& sink, const GdalErrorTrap& trap) {
    std::vector<uint8_t> wkb;
    OGR_L_ResetReading(layer);
    // GDAL ends the rows early at a record it cannot read, or hands out a feature without its shape.
    while (!trap.Failed()) {
        const FeatureHandle feature{OGR_L_GetNextFeature(layer)};
        if (!feature || trap.Failed()) {
            break;
        }
        for (size_t i = 0; i < plan.targets.size(); ++i) {
            if (!sink.Reads(i)) {
                continue;
            }
            const Target& target = plan.targets[i];
            Column& column = *sink.columns[i];
            switch (target.source) {
            case Source::ObjectId:
                AppendWholeNumber(column, OGR_F_GetFID(feature.get()));
                break;
            case Source::Shape:
                AppendFeatureShape(feature.get(), column, *sink.shapes, wkb);
                break;
            case Source::Attribute:
                AppendFeatureValue(feature.get(), target, column);
                break;
            }
        }
    }
}

// Tells GDAL to skip the layer's fields (and its shapes) that the read does not fill, so that it neither reads
// nor converts them.
void IgnoreOtherFields(OGRLayerH layer, const Plan& plan, const Sink& sink) {
    std::vector<std::string> names{"OGR_STYLE"};
    bool reads_shapes = false;
    for (size_t i = 0; i < plan.targets.size(); ++i) {
        const Target& target = plan.targets[i];
        if (target.source == Source::Shape) {
            reads_shapes = sink.Reads(i);
        } else if (target.source == Source::Attribute && !sink.Reads(i)) {
            names.push_back(plan.fields[i].Name);
        }
    }
    if (plan.has_geometry && !reads_shapes) {
        names.emplace_back("OGR_GEOMETRY");
    }
    std::vector<const char*> list;
    list.reserve(names.size() + 1);
    for (const std::string& name : names) {
        list.push_back(name.c_str());
    }
    list.push_back(nullptr);
    OGR_L_SetIgnoredFields(layer, list.data());
}

// Raises 75 for a layer GDAL reported an error on: a part of the layer must not pass for all of it.
[[noreturn]] void RaiseUnreadable(const std::string& path, OGRLayerH layer, const GdalErrorTrap& trap) {
    trap.Raise(platform::error::kPathFileAccess, UnreadableLayer(path, layer));
}

// Fills the sink's columns from the layer of the file at path in Arrow batches or feature by feature, as method
// asks; returns the way the rows were read.
ReadMethod ReadInto(const std::string& path, OGRLayerH layer, const Plan& plan, const Sink& sink, ReadMethod method,
                    GdalErrorTrap& trap) {
    IgnoreOtherFields(layer, plan, sink);
    if (method != ReadMethod::Features) {
        bool whole = false;
        try {
            ReadArrowBatches(path, layer, plan, sink, trap);
            whole = true;
        } catch (const ArrowUnavailable& unavailable) {
            if (method == ReadMethod::Arrow) {
                platform::RaiseError(platform::error::kNotSupported, "The layer cannot be read in Arrow batches: " +
                                                                         std::string(unavailable.what()) + ".");
            }
            trap.Forget(); // what GDAL said while offering batches does not concern the rows read one by one
        } catch (const platform::AutomationError&) {
            // Rows the batches could not carry (curves, for one) may still be read one by one; rows GDAL could not
            // read at all may not.
            if (method == ReadMethod::Arrow && !trap.Failed()) {
                throw;
            }
        }
        if (trap.Failed()) {
            RaiseUnreadable(path, layer, trap);
        }
        if (whole) {
            return ReadMethod::Arrow;
        }
        ClearSink(sink);
    }
    ReadFeatures(layer, plan, sink, trap);
    if (trap.Failed()) {
        RaiseUnreadable(path, layer, trap);
    }
    return ReadMethod::Features;
}

// A layer of a file opened on a GDAL handle of its own.
struct OpenedLayer {
    DatasetHandle dataset;
    OGRLayerH layer = nullptr;
};

OpenedLayer OpenLayer(const std::string& path, std::string_view layer_name,
                      const std::vector<std::string>& open_options, const GdalErrorTrap& trap) {
    if (IsShapefile(path)) {
        RequireShapefileParts(path);
    }
    std::vector<const char*> options;
    options.reserve(open_options.size() + 1);
    for (const std::string& option : open_options) {
        options.push_back(option.c_str());
    }
    options.push_back(nullptr);
    OpenedLayer opened;
    opened.dataset.reset(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr,
                                    options.data(), nullptr));
    if (!opened.dataset) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot open '" + FileAtFault(path) + "'");
    }
    opened.layer = layer_name.empty()
                       ? GDALDatasetGetLayer(opened.dataset.get(), 0)
                       : GDALDatasetGetLayerByName(opened.dataset.get(), std::string(layer_name).c_str());
    if (opened.layer == nullptr) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The layer '" + std::string(layer_name) + "' is not in '" + path + "'.");
    }
    if (trap.Failed()) {
        RaiseUnreadable(path, opened.layer, trap);
    }
    return opened;
}

// Opens the layer on a handle of its own and fills the sink from it.
ReadMethod ReadOnOwnHandle(const std::string& path, const std::string& layer_name,
                           const std::vector<std::string>& open_options, const Plan& plan, const Sink& sink,
                           ReadMethod method) {
    GdalErrorTrap trap;
    const OpenedLayer opened = OpenLayer(path, layer_name, open_options, trap);
    return ReadInto(path, opened.layer, plan, sink, method, trap);
}

Sink SinkFor(const Output& output, const std::vector<bool>& fields, const Plan& plan) {
    Sink sink;
    sink.columns.assign(plan.fields.size(), nullptr);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i]) {
            sink.columns[i] = &output.table->ColumnAt(i);
            if (plan.targets[i].source == Source::Shape) {
                sink.shapes = output.shapes.get();
            }
        }
    }
    return sink;
}

// What a field read on use needs to find its values again.
struct LaterRead {
    std::string path;
    std::string layer_name;
    std::vector<std::string> open_options;
    Plan plan;
    ReadMethod method = ReadMethod::Automatic;
    size_t rows = 0;
};

void ReadOneField(const LaterRead& later, size_t field, Column& column) {
    Sink sink;
    sink.columns.assign(later.plan.fields.size(), nullptr);
    sink.columns[field] = &column;
    column.Reserve(later.rows);
    ReadOnOwnHandle(later.path, later.layer_name, later.open_options, later.plan, sink, later.method);
}

} // namespace

LayerContents ReadLayer(const std::string& path, std::string_view layer_name, std::string_view oid_field,
                        ReadMethod method, const std::vector<std::string>& open_options) {
    LayerReadOptions options;
    options.Method = method;
    options.OpenOptions = open_options;
    return ReadLayer(path, layer_name, oid_field, options);
}

LayerContents ReadLayer(const std::string& path, std::string_view layer_name, std::string_view oid_field,
                        const LayerReadOptions& options) {
    RegisterGdalDrivers();
    GdalErrorTrap trap;
    // GDAL's own test, so that its in-memory files (/vsimem/) count as files too.
    VSIStatBufL status;
    if (VSIStatExL(path.c_str(), &status, VSI_STAT_EXISTS_FLAG) != 0) {
        platform::RaiseError(platform::error::kFileNotFound, "File not found: '" + path + "'.");
    }
    const OpenedLayer opened = OpenLayer(path, layer_name, options.OpenOptions, trap);
    OGRLayerH layer = opened.layer;
    const Plan plan = MakePlan(layer, oid_field);

    // The fields read now: all, or the ids, the shapes and the dates a time layer needs at once.
    std::vector<bool> read_now(plan.fields.size(), true);
    if (options.OtherFieldsOnUse) {
        for (size_t i = 0; i < plan.targets.size(); ++i) {
            const Target& target = plan.targets[i];
            read_now[i] =
                target.source != Source::Attribute || target.ogr_type == OFTDate || target.ogr_type == OFTDateTime;
        }
    }
    Output output = EmptyOutput(layer, path, plan, read_now);

    // In parallel the shapes come through a second handle while this one reads the attributes.
    std::vector<bool> attributes = read_now;
    std::vector<bool> shapes(plan.fields.size(), false);
    const bool split = options.Parallel && plan.has_geometry && std::count(read_now.begin(), read_now.end(), true) > 1;
    if (split) {
        for (size_t i = 0; i < plan.targets.size(); ++i) {
            if (plan.targets[i].source == Source::Shape) {
                shapes[i] = true;
                attributes[i] = false;
            }
        }
    }
    const std::string resolved_name = OGR_L_GetName(layer);
    std::future<ReadMethod> shapes_read;
    if (split) {
        shapes_read = std::async(std::launch::async, [&] {
            return ReadOnOwnHandle(path, resolved_name, options.OpenOptions, plan, SinkFor(output, shapes, plan),
                                   options.Method);
        });
    }
    ReadMethod used = ReadMethod::Features;
    try {
        used = ReadInto(path, layer, plan, SinkFor(output, attributes, plan), options.Method, trap);
    } catch (...) {
        if (shapes_read.valid()) {
            shapes_read.wait();
        }
        throw;
    }
    if (shapes_read.valid() && shapes_read.get() != used) {
        used = ReadMethod::Features; // the rows are the same either way; report the slower
    }
    if (split && output.shapes->FeatureCount() != output.table->ColumnAt(0).Size()) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "The shapes and the attributes of '" + path + "' do not have the same rows.");
    }

    if (options.OtherFieldsOnUse) {
        const size_t rows = output.table->ColumnAt(0).Size();
        auto later = std::make_shared<LaterRead>(
            LaterRead{path, resolved_name, options.OpenOptions, plan, options.Method, rows});
        std::vector<bool> unread(read_now.size());
        for (size_t i = 0; i < read_now.size(); ++i) {
            unread[i] = !read_now[i];
        }
        output.table->LoadLater([later](size_t field, Column& column) { ReadOneField(*later, field, column); }, unread,
                                rows);
    }

    LayerContents contents;
    contents.Data = std::move(output.table);
    contents.Shapes = std::move(output.shapes);
    contents.ShapeFieldName = plan.shape_field;
    contents.Method = used;
    return contents;
}

ColumnTable::ColumnLoader FieldReader(const std::string& path, std::string_view layer_name, std::string_view oid_field,
                                      const LayerReadOptions& options) {
    struct Shared {
        std::mutex mutex;
        std::shared_ptr<const LaterRead> later; // made on the first read
    };
    auto shared = std::make_shared<Shared>();
    return [shared, path, layer = std::string(layer_name), oid = std::string(oid_field), options](size_t field,
                                                                                                  Column& column) {
        std::shared_ptr<const LaterRead> later;
        {
            std::lock_guard lock(shared->mutex);
            if (!shared->later) {
                RegisterGdalDrivers();
                GdalErrorTrap trap;
                const OpenedLayer opened = OpenLayer(path, layer, options.OpenOptions, trap);
                shared->later =
                    std::make_shared<LaterRead>(LaterRead{path, OGR_L_GetName(opened.layer), options.OpenOptions,
                                                          MakePlan(opened.layer, oid), options.Method, 0});
            }
            later = shared->later;
        }
        if (field >= later->plan.fields.size() || later->plan.fields[field].Type != column.Type()) {
            platform::RaiseError(platform::error::kPathFileAccess,
                                 "The fields of '" + path + "' are no longer those read before.");
        }
        ReadOneField(*later, field, column);
    };
}

LayerSchema DescribeLayer(OGRLayerH layer, std::string_view oid_field) {
    const Plan plan = MakePlan(layer, oid_field);
    const Output empty = EmptyOutput(layer, {}, plan, std::vector<bool>(plan.fields.size(), false));
    LayerSchema schema;
    schema.Fields = plan.fields;
    schema.ShapeFieldName = plan.shape_field;
    if (empty.shapes) {
        schema.ShapeType = empty.shapes->Type;
        schema.SpatialReference = empty.shapes->SpatialReference;
    }
    return schema;
}

LayerContents ReadLayerRows(OGRLayerH layer, std::string_view oid_field, const std::string& source) {
    GdalErrorTrap trap;
    const Plan plan = MakePlan(layer, oid_field);
    const std::vector<bool> all(plan.fields.size(), true);
    Output output = EmptyOutput(layer, {}, plan, all);
    OGR_L_ResetReading(layer);
    LayerContents contents;
    contents.Method = ReadInto(source, layer, plan, SinkFor(output, all, plan), ReadMethod::Automatic, trap);
    contents.Data = std::move(output.table);
    contents.Shapes = std::move(output.shapes);
    contents.ShapeFieldName = plan.shape_field;
    return contents;
}

} // namespace chronova::gis
