// Reads project files: JSON text into a Project, checking every key, type, value and cross-reference before
// anything is opened, so that a bad file is reported with its place and nothing half-done is left behind.
#include "project/project_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <system_error>
#include <utility>

#include "datetime/calendar_interval.h"
#include "datetime/label_format.h"
#include "datetime/mod_date_time.h"
#include "gis/ogr/coordinate_projection.h"
#include "gis/ogr/server_workspace.h"
#include "gis/symbology/palettes.h"
#include "platform/automation_error.h"
#include "platform/closest_name.h"
#include "platform/time_zone.h"
#include "project/json_reader.h"

namespace chronova::project {

namespace {

// Groups nest at most this deep; deeper nesting is a mistake, and the limit keeps reading bounded.
constexpr int kMaxGroupDepth = 16;
// The largest frame side; beyond it an image would not fit in memory.
constexpr int64_t kMaxFrameSide = 16384;
constexpr int64_t kMaxInt32 = std::numeric_limits<int32_t>::max();
// Symbol sizes and widths in points.
constexpr double kMaxSymbolSize = 1000.0;
constexpr double kDefaultVectorMinSize = 8.0;
constexpr double kDefaultVectorMaxSize = 24.0;

// Every key a layer entry, its source, symbology and time block may have, so that a key of another kind is
// reported as not applying rather than as unknown.
const Keys kLayerKeys = {"name", "kind", "source", "visible", "symbology", "time", "layers", "labels"};
const Keys kSourceKeys = {"workspace", "dataset", "query", "open_options", "path", "url", "layers"};
const Keys kSymbologyKeys = {"color",    "outline", "size",   "width", "marker", "from",   "to",  "by",
                             "classify", "classes", "breaks", "ramp",  "colors", "values", "rgb", "bands"};
// Graduated classes of a field: at most this many.
constexpr int64_t kMaxClasses = 32;
const Keys kTimeKeys = {"field",  "kind",    "join",   "raster", "previous_steps",
                        "cached", "vectors", "window", "track",  "time_zone"};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Reads the parsed document into a Project; every check throws a ProjectError at the place it concerns.
class Reader : private JsonReader {
public:
    Reader(std::string file, std::filesystem::path folder) : JsonReader(std::move(file)), folder_(std::move(folder)) {}

    Project Read(const Json& root) {
        Project project;
        if (!root.is_object()) {
            Fail("", "a project must be a JSON object, found " + Found(root));
        }
        const Json& version = Required(root, "", "chronova_project");
        if (!version.is_number_integer()) {
            Fail("/chronova_project", "expected a version number, found " + Found(version));
        }
        if (version.get<int64_t>() != kProjectVersion) {
            Fail("/chronova_project", "unsupported project version " + Found(version) + " (this program reads " +
                                          std::to_string(kProjectVersion) + ")");
        }
        CheckKeys(root, "", {"chronova_project", "map", "layers", "display", "time", "export", "layout"});
        if (const Json* map = Optional(root, "map")) {
            project.Map = ReadMap(*map, "/map");
        }
        const Json& layers = Array(Required(root, "", "layers"), "/layers");
        for (size_t i = 0; i < layers.size(); ++i) {
            project.Layers.push_back(ReadLayer(layers[i], Child("/layers", i), 1));
        }
        if (const Json* display = Optional(root, "display")) {
            project.Display = ReadDisplay(*display, "/display");
        }
        if (const Json* time = Optional(root, "time")) {
            project.Time = ReadTimeWindow(*time, "/time");
        }
        if (const Json* output = Optional(root, "export")) {
            project.Export = ReadExport(*output, "/export");
        }
        if (const Json* layout = Optional(root, "layout")) {
            project.Layout = ReadLayout(*layout, "/layout");
        }
        CheckNames(project);
        return project;
    }

private:
    // A size or width in points: above 0 and at most kMaxSymbolSize.
    double Size(const Json& value, const std::string& place) const {
        const double size = Number(value, place);
        if (size <= 0.0 || size > kMaxSymbolSize) {
            Fail(place, "expected a size above 0 and at most 1000 points, found " + Found(value));
        }
        return size;
    }

    gis::Color Colour(const Json& value, const std::string& place) const {
        const std::string text = Text(value, place, true);
        const bool hex = text.size() == 7 && text[0] == '#' &&
                         std::all_of(text.begin() + 1, text.end(), [](unsigned char c) { return std::isxdigit(c); });
        if (!hex) {
            Fail(place, Quote(text) + " is not a colour of the form #RRGGBB");
        }
        const auto channel = [&](size_t at) {
            return static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16));
        };
        return gis::Color{channel(1), channel(3), channel(5), false};
    }

    // A minute count from any text the platform's date conversion reads.
    int32_t Time(const Json& value, const std::string& place) const {
        const std::string text = Text(value, place, true);
        try {
            return modDateTime::TextToMinutes(text);
        } catch (const platform::AutomationError&) {
            Fail(place, Quote(text) + " is not a date and time");
        }
    }

    std::filesystem::path FilePath(const Json& value, const std::string& place) const {
        const std::string text = Text(value, place);
        if (text.find('\0') != std::string::npos) {
            Fail(place, "a path must not contain a null character");
        }
        const std::filesystem::path path(text);
        return (path.is_absolute() ? path : folder_ / path).lexically_normal();
    }

    // A folder or file, or a database's connection string, which is kept as written.
    std::filesystem::path WorkspacePath(const Json& value, const std::string& place) const {
        if (value.is_string() && gis::IsServerConnection(value.get<std::string>())) {
            return Text(value, place);
        }
        return FilePath(value, place);
    }

    std::filesystem::path OutputPath(const Json& value, const std::string& place, std::string_view extension) const {
        std::filesystem::path path = FilePath(value, place);
        if (Lower(path.extension().string()) != extension) {
            Fail(place, "the file name must end in " + std::string(extension));
        }
        return path;
    }

    // ---- sections ----

    MapSettings ReadMap(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place, {"name", "extent", "spatial_reference", "background"});
        MapSettings map;
        if (const Json* name = Optional(value, "name")) {
            map.Name = Text(*name, Child(place, "name"));
        }
        if (const Json* extent = Optional(value, "extent")) {
            map.Extent = ReadExtent(*extent, Child(place, "extent"));
        }
        if (const Json* reference = Optional(value, "spatial_reference")) {
            map.SpatialReference = Text(*reference, Child(place, "spatial_reference"));
            try {
                // Reading the text both ways proves GDAL understands it, without touching any data.
                gis::CoordinateProjection check(map.SpatialReference, map.SpatialReference);
            } catch (const platform::AutomationError&) {
                Fail(Child(place, "spatial_reference"), Quote(map.SpatialReference) + " is not a spatial reference");
            }
        }
        if (const Json* background = Optional(value, "background")) {
            map.Background = Colour(*background, Child(place, "background"));
        }
        return map;
    }

    std::optional<gis::Envelope> ReadExtent(const Json& value, const std::string& place) const {
        if (value.is_string() && value.get_ref<const std::string&>() == "all layers") {
            return std::nullopt;
        }
        if (!value.is_array() || value.size() != 4) {
            Fail(place, "expected \"all layers\" or [xmin, ymin, xmax, ymax], found " + Found(value));
        }
        gis::Envelope extent;
        extent.XMin = Number(value[0], Child(place, size_t{0}));
        extent.YMin = Number(value[1], Child(place, size_t{1}));
        extent.XMax = Number(value[2], Child(place, size_t{2}));
        extent.YMax = Number(value[3], Child(place, size_t{3}));
        if (!(extent.XMin < extent.XMax) || !(extent.YMin < extent.YMax)) {
            Fail(place, "xmin must be below xmax and ymin below ymax");
        }
        return extent;
    }

    LayerEntry ReadLayer(const Json& value, const std::string& place, int depth) const {
        Object(value, place);
        LayerEntry layer;
        layer.Place = place;
        const std::string kind = Text(Required(value, place, "kind"), Child(place, "kind"), true);
        static const std::map<std::string, LayerKind, std::less<>> kinds = {{"feature", LayerKind::Feature},
                                                                            {"raster", LayerKind::Raster},
                                                                            {"wms", LayerKind::Wms},
                                                                            {"group", LayerKind::Group},
                                                                            {"moving_points", LayerKind::MovingPoints}};
        const auto found = kinds.find(kind);
        if (found == kinds.end()) {
            Fail(Child(place, "kind"),
                 "unknown layer kind " + Quote(kind) + " (expected feature, raster, wms, group or moving_points)");
        }
        layer.Kind = found->second;
        switch (layer.Kind) {
        case LayerKind::Feature:
            CheckKeys(value, place, {"name", "kind", "source", "visible", "symbology", "time", "labels"}, kLayerKeys,
                      kind);
            break;
        case LayerKind::Raster:
            CheckKeys(value, place, {"name", "kind", "source", "visible", "symbology", "time"}, kLayerKeys, kind);
            break;
        case LayerKind::Wms:
        case LayerKind::MovingPoints:
            CheckKeys(value, place, {"name", "kind", "source", "visible", "time"}, kLayerKeys, kind);
            break;
        case LayerKind::Group:
            CheckKeys(value, place, {"name", "kind", "visible", "layers"}, kLayerKeys, kind);
            break;
        }
        layer.Name = Text(Required(value, place, "name"), Child(place, "name"));
        if (const Json* visible = Optional(value, "visible")) {
            layer.Visible = Bool(*visible, Child(place, "visible"));
        }
        if (layer.Kind == LayerKind::Group) {
            const std::string children_place = Child(place, "layers");
            const Json& children = Array(Required(value, place, "layers"), children_place);
            if (depth >= kMaxGroupDepth && !children.empty()) {
                Fail(children_place, "groups nest more than " + std::to_string(kMaxGroupDepth) + " levels deep");
            }
            for (size_t i = 0; i < children.size(); ++i) {
                layer.Layers.push_back(ReadLayer(children[i], Child(children_place, i), depth + 1));
            }
            return layer;
        }
        layer.Source = ReadSource(Required(value, place, "source"), Child(place, "source"), layer.Kind);
        if (const Json* symbology = Optional(value, "symbology")) {
            ReadSymbology(*symbology, Child(place, "symbology"), layer);
        }
        if (const Json* time = Optional(value, "time")) {
            layer.Time = ReadTime(*time, Child(place, "time"), layer);
        }
        if (const Json* labels = Optional(value, "labels")) {
            layer.Labels = ReadLabels(*labels, Child(place, "labels"));
        }
        if (layer.Symbology && layer.Symbology->Classes && layer.Time && layer.Time->Vectors) {
            Fail(Child(Child(place, "symbology"), "by"), "a layer that draws vectors cannot be coloured by a field");
        }
        if (layer.Ramp && (layer.Ramp->Rgb == true || !layer.Ramp->Bands.empty()) && layer.Time) {
            Fail(Child(Child(place, "symbology"), layer.Ramp->Rgb == true ? "rgb" : "bands"),
                 "the bands of a time raster are its steps, not red, green and blue");
        }
        return layer;
    }

    // Labels by a field; only the field is required. "halo" is a colour, or false for letters without an outline.
    gis::LabelSettings ReadLabels(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place, {"field", "size", "color", "halo", "halo_width", "priority", "max"});
        gis::LabelSettings labels;
        labels.Field = Text(Required(value, place, "field"), Child(place, "field"));
        if (const Json* size = Optional(value, "size")) {
            labels.Size = Size(*size, Child(place, "size"));
        }
        if (const Json* color = Optional(value, "color")) {
            labels.TextColor = Colour(*color, Child(place, "color"));
        }
        if (const Json* halo = Optional(value, "halo")) {
            if (halo->is_boolean() && !halo->get<bool>()) {
                labels.Halo = false;
            } else if (halo->is_string()) {
                labels.HaloColor = Colour(*halo, Child(place, "halo"));
            } else {
                Fail(Child(place, "halo"), "expected a colour of the form #RRGGBB or false, found " + Found(*halo));
            }
        }
        if (const Json* width = Optional(value, "halo_width")) {
            labels.HaloWidth = Size(*width, Child(place, "halo_width"));
        }
        if (const Json* priority = Optional(value, "priority")) {
            labels.PriorityField = Text(*priority, Child(place, "priority"));
        }
        if (const Json* most = Optional(value, "max")) {
            labels.MaxLabels = static_cast<int32_t>(Whole(*most, Child(place, "max"), 1, kMaxInt32));
        }
        return labels;
    }

    // GDAL open options: texts of the form NAME=VALUE, which GDAL would otherwise ignore with only a warning.
    std::vector<std::string> OpenOptions(const Json& value, const std::string& place) const {
        std::vector<std::string> options;
        for (size_t i = 0; i < Array(value, place).size(); ++i) {
            const std::string option_place = Child(place, i);
            std::string option = Text(value[i], option_place);
            if (option.find('=') == std::string::npos || option.front() == '=') {
                Fail(option_place, "expected an open option NAME=VALUE, found " + Found(value[i]));
            }
            options.push_back(std::move(option));
        }
        return options;
    }

    LayerSource ReadSource(const Json& value, const std::string& place, LayerKind kind) const {
        Object(value, place);
        const std::string kind_name(KindName(kind));
        LayerSource source;
        switch (kind) {
        case LayerKind::Feature:
            CheckKeys(value, place, {"workspace", "dataset", "query", "open_options"}, kSourceKeys, kind_name);
            source.Workspace = WorkspacePath(Required(value, place, "workspace"), Child(place, "workspace"));
            source.Dataset = Text(Required(value, place, "dataset"), Child(place, "dataset"));
            if (const Json* query = Optional(value, "query")) {
                if (!gis::IsServerConnection(source.Workspace.string())) {
                    Fail(Child(place, "query"), "a query needs a database workspace (\"PG:...\")");
                }
                source.Query = Text(*query, Child(place, "query"));
            }
            // A shapefile folder's data set is named by the file's stem; "tracks.shp" names it as the file is seen.
            if (Lower(source.Workspace.extension().string()) != ".gpkg" && source.Dataset.size() > 4 &&
                Lower(source.Dataset.substr(source.Dataset.size() - 4)) == ".shp") {
                source.Dataset.resize(source.Dataset.size() - 4);
            }
            if (const Json* options = Optional(value, "open_options")) {
                source.OpenOptions = OpenOptions(*options, Child(place, "open_options"));
            }
            break;
        case LayerKind::Raster:
        case LayerKind::MovingPoints:
            CheckKeys(value, place, {"path"}, kSourceKeys, kind_name);
            source.Path = FilePath(Required(value, place, "path"), Child(place, "path"));
            break;
        case LayerKind::Wms:
            CheckKeys(value, place, {"url", "layers"}, kSourceKeys, kind_name);
            source.Url = Text(Required(value, place, "url"), Child(place, "url"));
            if (const Json* names = Optional(value, "layers")) {
                const std::string names_place = Child(place, "layers");
                for (size_t i = 0; i < Array(*names, names_place).size(); ++i) {
                    source.ServiceLayers.push_back(Text((*names)[i], Child(names_place, i)));
                }
            }
            break;
        case LayerKind::Group:
            break;
        }
        return source;
    }

    void ReadSymbology(const Json& value, const std::string& place, LayerEntry& layer) const {
        Object(value, place);
        const std::string kind_name(KindName(layer.Kind));
        if (layer.Kind == LayerKind::Raster) {
            CheckKeys(value, place, {"from", "to", "ramp", "colors", "rgb", "bands"}, kSymbologyKeys, kind_name);
            RasterRamp ramp;
            if (const Json* from = Optional(value, "from")) {
                ramp.From = Colour(*from, Child(place, "from"));
            }
            if (const Json* to = Optional(value, "to")) {
                ramp.To = Colour(*to, Child(place, "to"));
            }
            ReadRampChoice(value, place, ramp.Ramp, ramp.Colors, 2);
            if ((ramp.Ramp || !ramp.Colors.empty()) && (ramp.From || ramp.To)) {
                Fail(Child(place, ramp.Ramp ? "ramp" : "colors"), "give either from and to or a ramp, not both");
            }
            if (const Json* rgb = Optional(value, "rgb")) {
                ramp.Rgb = Bool(*rgb, Child(place, "rgb"));
            }
            if (const Json* bands = Optional(value, "bands")) {
                const std::string bands_place = Child(place, "bands");
                if (ramp.Rgb == false) {
                    Fail(bands_place,
                         "bands pick the red, green and blue of the RGB drawing, which rgb: false refuses");
                }
                const size_t count = Array(*bands, bands_place).size();
                if (count != 3 && count != 4) {
                    Fail(bands_place, "expected 3 or 4 band numbers (red, green, blue and optionally alpha), found " +
                                          std::to_string(count));
                }
                for (size_t i = 0; i < count; ++i) {
                    ramp.Bands.push_back(static_cast<int32_t>(Whole((*bands)[i], Child(bands_place, i), 1, 65535)));
                }
            }
            if ((ramp.Rgb == true || !ramp.Bands.empty()) &&
                (ramp.From || ramp.To || ramp.Ramp || !ramp.Colors.empty())) {
                Fail(Child(place, ramp.Rgb == true ? "rgb" : "bands"),
                     "a raster drawn in its own red, green and blue takes no colour ramp");
            }
            layer.Ramp = ramp;
            return;
        }
        CheckKeys(value, place,
                  {"color", "outline", "size", "width", "marker", "by", "classify", "classes", "breaks", "ramp",
                   "colors", "values"},
                  kSymbologyKeys, kind_name);
        FeatureSymbology symbology;
        if (const Json* by = Optional(value, "by")) {
            symbology.Classes = ReadFieldClasses(value, *by, place);
        } else {
            for (const std::string_view key : {"classify", "classes", "breaks", "ramp", "colors", "values"}) {
                if (Optional(value, key) != nullptr) {
                    Fail(Child(place, key), "colouring by a field needs \"by\": the field's name");
                }
            }
        }
        if (const Json* color = Optional(value, "color")) {
            symbology.Color = Colour(*color, Child(place, "color"));
        }
        if (const Json* outline = Optional(value, "outline")) {
            symbology.Outline = Colour(*outline, Child(place, "outline"));
        }
        if (const Json* size = Optional(value, "size")) {
            symbology.Size = Size(*size, Child(place, "size"));
        }
        if (const Json* width = Optional(value, "width")) {
            symbology.Width = Size(*width, Child(place, "width"));
        }
        if (const Json* marker = Optional(value, "marker")) {
            static const std::map<std::string, gis::SimpleMarkerStyle, std::less<>> markers = {
                {"circle", gis::SimpleMarkerStyle::Circle},
                {"square", gis::SimpleMarkerStyle::Square},
                {"cross", gis::SimpleMarkerStyle::Cross},
                {"x", gis::SimpleMarkerStyle::X},
                {"diamond", gis::SimpleMarkerStyle::Diamond}};
            const std::string text = Text(*marker, Child(place, "marker"), true);
            const auto found = markers.find(text);
            if (found == markers.end()) {
                Fail(Child(place, "marker"),
                     "unknown marker " + Quote(text) + " (expected circle, square, cross, x or diamond)");
            }
            symbology.Marker = found->second;
        }
        layer.Symbology = symbology;
    }

    // A palette name ("ramp") or a list of at least `fewest` colours ("colors"), not both.
    void ReadRampChoice(const Json& value, const std::string& place, std::optional<std::string>& ramp,
                        std::vector<gis::Color>& colors, size_t fewest) const {
        if (const Json* name = Optional(value, "ramp")) {
            const std::string text = Text(*name, Child(place, "ramp"));
            if (gis::FindColorRamp(text) == nullptr) {
                Fail(Child(place, "ramp"), "unknown ramp " + Quote(text) + " (known: " + gis::ColorRampNames() + ")");
            }
            ramp = text;
        }
        if (const Json* list = Optional(value, "colors")) {
            const std::string list_place = Child(place, "colors");
            if (ramp) {
                Fail(list_place, "give either a ramp or colors, not both");
            }
            const size_t count = Array(*list, list_place).size();
            if (count < fewest) {
                Fail(list_place,
                     "expected at least " + std::to_string(fewest) + " colours, found " + std::to_string(count));
            }
            for (size_t i = 0; i < count; ++i) {
                colors.push_back(Colour((*list)[i], Child(list_place, i)));
            }
        }
    }

    FieldClasses ReadFieldClasses(const Json& value, const Json& by, const std::string& place) const {
        FieldClasses classes;
        classes.Field = Text(by, Child(place, "by"));
        if (Optional(value, "color") != nullptr) {
            Fail(Child(place, "color"), "a layer coloured by a field takes its colours from ramp, colors or values");
        }
        if (const Json* classify = Optional(value, "classify")) {
            static const std::map<std::string, ClassifyMethod, std::less<>> methods = {
                {"unique", ClassifyMethod::Unique},
                {"equal_interval", ClassifyMethod::EqualInterval},
                {"quantile", ClassifyMethod::Quantile}};
            const std::string text = Text(*classify, Child(place, "classify"), true);
            const auto found = methods.find(text);
            if (found == methods.end()) {
                Fail(Child(place, "classify"),
                     "unknown classification " + Quote(text) + " (expected unique, equal_interval or quantile)");
            }
            classes.Classify = found->second;
        }
        if (const Json* breaks = Optional(value, "breaks")) {
            const std::string breaks_place = Child(place, "breaks");
            if (classes.Classify) {
                Fail(breaks_place, "breaks are the classes themselves; leave out classify");
            }
            const size_t count = Array(*breaks, breaks_place).size();
            if (count < 2 || count > static_cast<size_t>(kMaxClasses) + 1) {
                Fail(breaks_place,
                     "expected 2 to " + std::to_string(kMaxClasses + 1) + " breaks, found " + std::to_string(count));
            }
            for (size_t i = 0; i < count; ++i) {
                const double at = Number((*breaks)[i], Child(breaks_place, i));
                if (i > 0 && !(at > classes.Breaks.back())) {
                    Fail(Child(breaks_place, i),
                         "breaks must ascend: " + Found((*breaks)[i]) + " is not above " + Found((*breaks)[i - 1]));
                }
                classes.Breaks.push_back(at);
            }
            classes.Classify = ClassifyMethod::Breaks;
        }
        const bool unique = classes.Classify == ClassifyMethod::Unique;
        if (const Json* count = Optional(value, "classes")) {
            if (unique || classes.Classify == ClassifyMethod::Breaks) {
                Fail(Child(place, "classes"),
                     std::string("classes does not apply to ") + (unique ? "unique values" : "given breaks"));
            }
            classes.Classes = static_cast<int32_t>(Whole(*count, Child(place, "classes"), 1, kMaxClasses));
        }
        ReadRampChoice(value, place, classes.Ramp, classes.Colors, 1);
        if (const Json* values = Optional(value, "values")) {
            const std::string values_place = Child(place, "values");
            if (classes.Classify && !unique) {
                Fail(values_place, "values fix the colours of unique values, not of graduated classes");
            }
            if (!Object(*values, values_place).empty()) {
                for (const auto& [text, colour] : values->items()) {
                    classes.Values.emplace_back(text, Colour(colour, Child(values_place, text)));
                }
            }
        }
        return classes;
    }

    TimeSettings ReadTime(const Json& value, const std::string& place, const LayerEntry& layer) const {
        Object(value, place);
        const std::string kind_name(KindName(layer.Kind));
        switch (layer.Kind) {
        case LayerKind::Feature:
            CheckKeys(value, place,
                      {"field", "kind", "join", "previous_steps", "cached", "vectors", "window", "track", "time_zone"},
                      kTimeKeys, kind_name);
            break;
        case LayerKind::MovingPoints:
            CheckKeys(value, place, {"field", "previous_steps", "cached", "vectors"}, kTimeKeys, kind_name);
            break;
        case LayerKind::Raster:
            CheckKeys(value, place, {"raster", "cached"}, kTimeKeys, kind_name);
            break;
        case LayerKind::Wms:
        case LayerKind::Group:
            CheckKeys(value, place, {"cached"}, kTimeKeys, kind_name);
            break;
        }
        TimeSettings time;
        if (layer.Kind == LayerKind::Feature || layer.Kind == LayerKind::MovingPoints) {
            time.Field = Text(Required(value, place, "field"), Child(place, "field"));
        }
        if (const Json* kind = Optional(value, "kind")) {
            const std::string text = Text(*kind, Child(place, "kind"), true);
            if (text != "year") {
                Fail(Child(place, "kind"), "unknown time kind " + Quote(text) + " (expected year)");
            }
            time.Years = true;
        }
        if (const Json* join = Optional(value, "join")) {
            time.Join = ReadJoin(*join, Child(place, "join"), layer);
        }
        if (const Json* raster = Optional(value, "raster")) {
            time.Raster = ReadRasterTiming(*raster, Child(place, "raster"));
        }
        if (const Json* previous = Optional(value, "previous_steps")) {
            time.PreviousSteps = Bool(*previous, Child(place, "previous_steps"));
        }
        if (const Json* cached = Optional(value, "cached")) {
            time.Cached = Bool(*cached, Child(place, "cached"));
        }
        if (const Json* vectors = Optional(value, "vectors")) {
            time.Vectors = ReadVectors(*vectors, Child(place, "vectors"));
        }
        ReadTimeOfMovingThings(value, place, time);
        return time;
    }

    // Windows, tracks and zones read the layer's own time field, so a joined time field takes none of them.
    void ReadTimeOfMovingThings(const Json& value, const std::string& place, TimeSettings& time) const {
        for (const char* key : {"window", "track", "time_zone"}) {
            if (time.Join && Optional(value, key) != nullptr) {
                Fail(Child(place, key), std::string("'") + key + "' does not apply to a time field in a joined table");
            }
        }
        if (const Json* window = Optional(value, "window")) {
            time.Window = Text(*window, Child(place, "window"), true);
            if (*time.Window != "interval" && !modDateTime::ParseIntervalText(*time.Window)) {
                Fail(Child(place, "window"), Quote(*time.Window) + " is not a window (expected interval, or " +
                                                 std::string(modDateTime::kIntervalForms) + ")");
            }
        }
        if (const Json* track = Optional(value, "track")) {
            if (time.Window) {
                Fail(Child(place, "track"), "a layer shows either a window or tracks, not both");
            }
            time.Track = ReadTrack(*track, Child(place, "track"));
        }
        if (const Json* zone = Optional(value, "time_zone")) {
            time.TimeZone = ZoneName(*zone, Child(place, "time_zone"));
        }
    }

    TrackSettings ReadTrack(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place, {"id", "max_age", "trail"});
        TrackSettings track;
        track.Id = Text(Required(value, place, "id"), Child(place, "id"));
        const auto duration = [&](const char* key, bool all_allowed) {
            const Json* found = Optional(value, key);
            if (found == nullptr) {
                return std::string();
            }
            std::string text = Text(*found, Child(place, key), true);
            const auto interval = modDateTime::ParseIntervalText(text);
            if (!(all_allowed && text == "all") && (!interval || interval->IsCalendar())) {
                Fail(Child(place, key), Quote(text) +
                                            " is not a duration (expected minutes, hours or days: 15min, "
                                            "2h, 1d" +
                                            std::string(all_allowed ? ", or all" : "") + ")");
            }
            return text;
        };
        track.MaxAge = duration("max_age", false);
        track.Trail = duration("trail", true);
        return track;
    }

    std::string ZoneName(const Json& value, const std::string& place) const {
        const std::string text = Text(value, place, true);
        const auto zone = platform::TimeZone::Parse(text);
        if (!zone) {
            Fail(place, "unknown time zone " + Quote(text) +
                            " (expected a name of the time zone database such as Europe/Berlin, UTC, or an offset "
                            "such as +02:00)");
        }
        return zone->Name();
    }

    JoinSettings ReadJoin(const Json& value, const std::string& place, const LayerEntry& layer) const {
        CheckKeys(Object(value, place), place,
                  {"key", "table", "table_key", "name", "primary_key", "additional_fields"});
        if (Lower(layer.Source.Workspace.extension().string()) != ".gpkg") {
            Fail(place, "a joined time table needs a GeoPackage workspace (.gpkg)");
        }
        JoinSettings join;
        join.Key = Text(Required(value, place, "key"), Child(place, "key"));
        join.Table = Text(Required(value, place, "table"), Child(place, "table"));
        join.TableKey = Text(Required(value, place, "table_key"), Child(place, "table_key"));
        if (const Json* name = Optional(value, "name")) {
            join.Name = Text(*name, Child(place, "name"), true);
        }
        if (const Json* primary = Optional(value, "primary_key")) {
            join.PrimaryKey = Text(*primary, Child(place, "primary_key"), true);
        }
        if (const Json* fields = Optional(value, "additional_fields")) {
            join.AdditionalFields = Text(*fields, Child(place, "additional_fields"), true);
        }
        return join;
    }

    RasterTiming ReadRasterTiming(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place, {"start", "interval", "unit"});
        RasterTiming timing;
        timing.Start = Time(Required(value, place, "start"), Child(place, "start"));
        timing.Interval =
            static_cast<int32_t>(Whole(Required(value, place, "interval"), Child(place, "interval"), 1, kMaxInt32));
        timing.Unit = Text(Required(value, place, "unit"), Child(place, "unit"), true);
        // Months and years have no length in seconds: their interval counts them.
        static const std::map<std::string, std::pair<int32_t, std::string_view>, std::less<>> units = {
            {"d", {86400, "days"}},
            {"h", {3600, "hours"}},
            {"n", {60, "minutes"}},
            {"m", {1, "months"}},
            {"yyyy", {1, "years"}}};
        const auto unit = units.find(timing.Unit);
        if (unit == units.end()) {
            Fail(Child(place, "unit"), "unknown unit " + Quote(timing.Unit) + " (expected d, h, n, m or yyyy)");
        }
        // The registry rounds the interval to whole units, which would silently change any other value.
        if (timing.Interval % unit->second.first != 0) {
            Fail(Child(place, "interval"), std::to_string(timing.Interval) + " seconds is not a whole number of " +
                                               std::string(unit->second.second));
        }
        return timing;
    }

    VectorSettings ReadVectors(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place,
                  {"speed", "direction", "font", "character", "min_size", "max_size", "range"});
        VectorSettings vectors;
        vectors.Speed = Text(Required(value, place, "speed"), Child(place, "speed"));
        vectors.Direction = Text(Required(value, place, "direction"), Child(place, "direction"));
        if (const Json* font = Optional(value, "font")) {
            vectors.Font = Text(*font, Child(place, "font"), true);
        }
        if (const Json* character = Optional(value, "character")) {
            vectors.Character = static_cast<int16_t>(
                Whole(*character, Child(place, "character"), 0, std::numeric_limits<int16_t>::max()));
        }
        if (const Json* size = Optional(value, "min_size")) {
            vectors.MinSize = Size(*size, Child(place, "min_size"));
        }
        if (const Json* size = Optional(value, "max_size")) {
            vectors.MaxSize = Size(*size, Child(place, "max_size"));
        }
        if (vectors.MaxSize.value_or(kDefaultVectorMaxSize) <= vectors.MinSize.value_or(kDefaultVectorMinSize)) {
            Fail(Child(place, vectors.MaxSize ? "max_size" : "min_size"),
                 "the largest marker size must be above the smallest (defaults 8 and 24)");
        }
        if (const Json* range = Optional(value, "range")) {
            const std::string range_place = Child(place, "range");
            if (!range->is_array() || range->size() != 2) {
                Fail(range_place, "expected [min, max], found " + Found(*range));
            }
            vectors.RangeMin = Number((*range)[0], Child(range_place, size_t{0}));
            vectors.RangeMax = Number((*range)[1], Child(range_place, size_t{1}));
            if (vectors.RangeMin > vectors.RangeMax) {
                Fail(range_place, "the range's minimum must not be above its maximum");
            }
        }
        return vectors;
    }

    DisplaySettings ReadDisplay(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place,
                  {"type", "fill_gaps", "toc_labels", "loop", "use_date_time", "label_format", "time_zone"});
        DisplaySettings display;
        if (const Json* type = Optional(value, "type")) {
            const std::string text = Text(*type, Child(place, "type"), true);
            if (text == "interval") {
                display.Type = DisplayType::Interval;
            } else if (text == "unique") {
                display.Type = DisplayType::Unique;
            } else {
                Fail(Child(place, "type"), "unknown display type " + Quote(text) + " (expected interval or unique)");
            }
        }
        const std::pair<const char*, bool*> flags[] = {
            {"fill_gaps", &display.FillGaps}, {"toc_labels", &display.TocLabels}, {"loop", &display.Loop}};
        for (const auto& [key, flag] : flags) {
            if (const Json* found = Optional(value, key)) {
                *flag = Bool(*found, Child(place, key));
            }
        }
        if (const Json* found = Optional(value, "use_date_time")) {
            display.UseDateTime = Bool(*found, Child(place, "use_date_time"));
        }
        if (const Json* found = Optional(value, "label_format")) {
            display.LabelFormat = Text(*found, Child(place, "label_format"));
            if (!modDateTime::IsLabelFormat(*display.LabelFormat)) {
                Fail(Child(place, "label_format"),
                     Quote(*display.LabelFormat) +
                         " has a % that is not one of %Y %y %m %d %H %I %p %M %S %b %B %j %%");
            }
        }
        if (const Json* found = Optional(value, "time_zone")) {
            display.TimeZone = ZoneName(*found, Child(place, "time_zone"));
        }
        return display;
    }

    TimeWindow ReadTimeWindow(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place, {"start", "finish", "interval", "range_layer"});
        TimeWindow time;
        if (const Json* start = Optional(value, "start")) {
            time.Start = Time(*start, Child(place, "start"));
        }
        if (const Json* finish = Optional(value, "finish")) {
            time.Finish = Time(*finish, Child(place, "finish"));
            if (time.Start && *time.Finish < *time.Start) {
                Fail(Child(place, "finish"), "the finish must not be before the start");
            }
        }
        if (const Json* interval = Optional(value, "interval")) {
            if (interval->is_string()) {
                const std::string text = interval->get<std::string>();
                const auto parsed = modDateTime::ParseIntervalText(text);
                if (!parsed) {
                    Fail(Child(place, "interval"), Quote(text) + " is not an interval (expected " +
                                                       std::string(modDateTime::kIntervalForms) + ")");
                }
                time.Interval = parsed->count;
                time.IntervalUnit = parsed->unit;
            } else {
                time.Interval = static_cast<int32_t>(Whole(*interval, Child(place, "interval"), 1, kMaxInt32));
            }
        }
        if (const Json* range = Optional(value, "range_layer")) {
            time.RangeLayer = Text(*range, Child(place, "range_layer"));
        }
        return time;
    }

    // `"layout": false` draws the bare map, `true` the default furniture; an object sets the pieces one by one.
    gis::LayoutSettings ReadLayout(const Json& value, const std::string& place) const {
        if (value.is_boolean()) {
            return value.get<bool>() ? gis::LayoutSettings{} : gis::LayoutSettings::None();
        }
        CheckKeys(Object(value, place), place, {"title", "legend", "scale_bar", "color_bar", "time_label", "margin"});
        gis::LayoutSettings layout;
        if (const Json* title = Optional(value, "title")) {
            if (title->is_string()) {
                layout.TitleText = Text(*title, Child(place, "title"), true);
            } else {
                layout.Title = ReadPiece(*title, Child(place, "title"), true);
                if (const Json* text = title->is_object() ? Optional(*title, "text") : nullptr) {
                    layout.TitleText = Text(*text, Child(Child(place, "title"), "text"), true);
                }
            }
        }
        const std::pair<const char*, gis::PieceSettings*> pieces[] = {{"legend", &layout.Legend},
                                                                      {"scale_bar", &layout.ScaleBar},
                                                                      {"color_bar", &layout.ColorBar},
                                                                      {"time_label", &layout.TimeLabel}};
        for (const auto& [key, piece] : pieces) {
            if (const Json* entry = Optional(value, key)) {
                *piece = ReadPiece(*entry, Child(place, key), false);
            }
        }
        if (const Json* margin = Optional(value, "margin")) {
            layout.Margin = Number(*margin, Child(place, "margin"));
            if (layout.Margin < 0.0 || layout.Margin > gis::LayoutSettings::kLargestMargin) {
                Fail(Child(place, "margin"), "expected a fraction from 0 to 0.5, found " + Found(*margin));
            }
        }
        return layout;
    }

    // A piece of furniture: true or false, or an object with its position; the title also takes a text.
    gis::PieceSettings ReadPiece(const Json& value, const std::string& place, bool takes_text) const {
        gis::PieceSettings piece;
        if (value.is_boolean()) {
            piece.Shown = value.get<bool>();
            return piece;
        }
        if (!value.is_object()) {
            Fail(place, std::string(takes_text ? "expected true, false, a text" : "expected true, false") +
                            " or {\"position\": ...}, found " + Found(value));
        }
        if (takes_text) {
            CheckKeys(value, place, {"position", "text"});
        } else {
            CheckKeys(value, place, {"position"});
        }
        if (const Json* position = Optional(value, "position")) {
            const std::string name = Text(*position, Child(place, "position"));
            const std::optional<gis::Placement> where = gis::PlacementFromName(name);
            if (!where) {
                Fail(Child(place, "position"),
                     Quote(name) + " is not a position; use one of " + std::string(gis::PlacementNames()));
            }
            piece.Where = *where;
        }
        return piece;
    }

    ExportSettings ReadExport(const Json& value, const std::string& place) const {
        CheckKeys(Object(value, place), place, {"size", "fps", "out", "gif", "mp4"});
        ExportSettings settings;
        if (const Json* size = Optional(value, "size")) {
            const std::string size_place = Child(place, "size");
            if (!size->is_array() || size->size() != 2) {
                Fail(size_place, "expected [width, height], found " + Found(*size));
            }
            settings.Width = static_cast<int32_t>(Whole((*size)[0], Child(size_place, size_t{0}), 1, kMaxFrameSide));
            settings.Height = static_cast<int32_t>(Whole((*size)[1], Child(size_place, size_t{1}), 1, kMaxFrameSide));
        }
        if (const Json* fps = Optional(value, "fps")) {
            settings.Fps = static_cast<int32_t>(Whole(*fps, Child(place, "fps"), 1, 100));
        }
        if (const Json* out = Optional(value, "out")) {
            settings.Out = FilePath(*out, Child(place, "out"));
        }
        if (const Json* gif = Optional(value, "gif")) {
            settings.Gif = OutputPath(*gif, Child(place, "gif"), ".gif");
        }
        if (const Json* mp4 = Optional(value, "mp4")) {
            settings.Mp4 = OutputPath(*mp4, Child(place, "mp4"), ".mp4");
        }
        return settings;
    }

    // Layer names are unique, as tools find layers by name, and the range layer must be a time layer.
    void CheckNames(const Project& project) const {
        std::map<std::string, const LayerEntry*, std::less<>> seen;
        for (const LayerEntry* layer : project.AllLayers()) {
            const auto [entry, inserted] = seen.emplace(layer->Name, layer);
            if (!inserted) {
                Fail(Child(layer->Place, "name"),
                     "the name " + Quote(layer->Name) + " is already used by " + entry->second->Place);
            }
        }
        if (project.Time.RangeLayer) {
            const auto found = seen.find(*project.Time.RangeLayer);
            if (found == seen.end()) {
                std::vector<std::string> names;
                for (const LayerEntry* layer : project.AllLayers()) {
                    names.push_back(layer->Name);
                }
                const std::string listed = names.empty() ? "" : " (layers: " + platform::NameList(names) + ")";
                Fail("/time/range_layer", "no layer is named " + Quote(*project.Time.RangeLayer) + listed +
                                              platform::DidYouMean(*project.Time.RangeLayer, names));
            }
            if (!found->second->Time) {
                Fail("/time/range_layer", "the layer " + Quote(*project.Time.RangeLayer) + " is not a time layer");
            }
        }
    }

    std::filesystem::path folder_;
};

Project ParseText(std::string_view text, const std::string& file_name, const std::filesystem::path& file) {
    Project project = Reader(file_name, file.parent_path()).Read(ParseJson(text, file_name));
    project.File = file;
    return project;
}

void CollectLayers(const std::vector<LayerEntry>& layers, std::vector<const LayerEntry*>& all) {
    for (const LayerEntry& layer : layers) {
        all.push_back(&layer);
        CollectLayers(layer.Layers, all);
    }
}

} // namespace

ProjectError::ProjectError(std::string file, std::string place, std::string message)
    : std::runtime_error(file + ": " + (place.empty() ? "" : place + ": ") + message), file_(std::move(file)),
      place_(std::move(place)), message_(std::move(message)) {}

std::string_view KindName(LayerKind kind) {
    switch (kind) {
    case LayerKind::Feature:
        return "feature";
    case LayerKind::Raster:
        return "raster";
    case LayerKind::Wms:
        return "wms";
    case LayerKind::Group:
        return "group";
    case LayerKind::MovingPoints:
        return "moving_points";
    }
    return "feature";
}

const LayerEntry* Project::FindLayer(std::string_view name) const {
    for (const LayerEntry* layer : AllLayers()) {
        if (layer->Name == name) {
            return layer;
        }
    }
    return nullptr;
}

std::vector<const LayerEntry*> Project::AllLayers() const {
    std::vector<const LayerEntry*> all;
    CollectLayers(Layers, all);
    return all;
}

Project LoadProject(const std::filesystem::path& file) {
    const std::string file_name = file.string();
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        throw ProjectError(file_name, "", "is a folder, not a project file");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int code = errno;
        throw ProjectError(file_name, "", std::string("cannot be read: ") + std::strerror(code != 0 ? code : ENOENT));
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw ProjectError(file_name, "", "cannot be read");
    }
    std::filesystem::path absolute = std::filesystem::absolute(file, error);
    return ParseText(text, file_name, error ? file : absolute.lexically_normal());
}

Project ParseProject(std::string_view json, const std::filesystem::path& file_for_messages) {
    return ParseText(json, file_for_messages.string(), file_for_messages);
}

} // namespace chronova::project
