// chronova.ChronovaData: the registry of one map's time layers, with the map opened for it, its frames and its
// animations.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "apps/chronova/export/png_encoder.h"
#include "apps/python/bindings.h"
#include "apps/python/python_dates.h"
#include "apps/python/script_session.h"
#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/layer.h"
#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"

namespace py = pybind11;

namespace chronova::python {

namespace {

constexpr int kMaxSide = 16384;
using LayerPtr = std::shared_ptr<gis::ILayer>;

/// The Python object: a ScriptSession until it is closed. The host is process-wide, so opening another map
/// closes the one open before.
class PythonChronovaData {
public:
    explicit PythonChronovaData(std::unique_ptr<ScriptSession> session) : session_(std::move(session)) { open_ = this; }
    ~PythonChronovaData() {
        if (open_ == this) {
            open_ = nullptr;
        }
        try {
            if (session_) {
                WithoutGil([&] { session_.reset(); });
            }
        } catch (...) {
            // Nothing is left to report a failure of closing to once Python lets go of the object.
        }
    }
    PythonChronovaData(const PythonChronovaData&) = delete;
    PythonChronovaData& operator=(const PythonChronovaData&) = delete;

    /// Closes the map that is open, if any, so that another can be opened.
    static void CloseOpen() {
        if (open_ != nullptr) {
            open_->Close();
        }
    }

    ScriptSession& Session() {
        if (!session_) {
            platform::RaiseError(91, "This ChronovaData is closed: it was closed, or another map was opened after "
                                     "it (one map is open at a time). Open the map again.");
        }
        return *session_;
    }
    ChronovaData& Registry() { return Session().Registry(); }
    bool Closed() const noexcept { return !session_; }
    void Close() {
        if (open_ == this) {
            open_ = nullptr;
        }
        WithoutGil([&] { session_.reset(); });
    }

private:
    std::unique_ptr<ScriptSession> session_;
    static inline PythonChronovaData* open_ = nullptr;
};

std::unique_ptr<PythonChronovaData> Open(const std::optional<std::string>& path, const std::string& layer) {
    // A mistyped path leaves the map that is open as it was.
    std::error_code error;
    if (path && !std::filesystem::exists(*path, error)) {
        platform::RaiseError(53, *path + " does not exist");
    }
    PythonChronovaData::CloseOpen();
    auto session = WithoutGil(
        [&] { return path ? std::make_unique<ScriptSession>(*path, layer) : std::make_unique<ScriptSession>(); });
    return std::make_unique<PythonChronovaData>(std::move(session));
}

std::optional<QSize> ToSize(const py::object& size) {
    if (size.is_none()) {
        return std::nullopt;
    }
    if (!py::isinstance<py::sequence>(size) || py::isinstance<py::str>(size) || py::len(size) != 2) {
        throw py::type_error("size must be a (width, height) pair of ints, not " + std::string(py::repr(size)));
    }
    const auto pair = size.cast<py::sequence>();
    if (!py::isinstance<py::int_>(pair[0]) || !py::isinstance<py::int_>(pair[1])) {
        throw py::type_error("size must be a (width, height) pair of ints, not " + std::string(py::repr(size)));
    }
    const auto width = pair[0].cast<int64_t>();
    const auto height = pair[1].cast<int64_t>();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        throw py::value_error("size must have sides from 1 to " + std::to_string(kMaxSide) + " pixels, not " +
                              std::string(py::repr(size)));
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

// An interval as a timedelta of whole minutes or as text such as "15min", "2h", "1mon", "1y".
modDateTime::CalendarInterval ToInterval(const py::handle& value) {
    if (py::isinstance<py::str>(value)) {
        const auto text = value.cast<std::string>();
        const std::optional<modDateTime::CalendarInterval> interval = modDateTime::ParseIntervalText(text);
        if (!interval) {
            throw py::value_error("interval must be " + std::string(modDateTime::kIntervalForms) + ", not '" + text +
                                  "'");
        }
        return *interval;
    }
    const int32_t minutes = ToMinutes(value, "interval");
    if (minutes < 1) {
        throw py::value_error("interval must be positive, not " + std::string(py::str(value)));
    }
    return {minutes, modDateTime::IntervalUnit::Minutes};
}

// A frame as an H x W x 4 array of RGBA bytes that owns its memory.
py::array_t<uint8_t> ToArray(const QImage& image) {
    const QImage rgba = WithoutGil([&] { return image.convertToFormat(QImage::Format_RGBA8888); });
    const auto height = static_cast<size_t>(rgba.height());
    const auto row = static_cast<size_t>(rgba.width()) * 4;
    py::array_t<uint8_t> array(
        {static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(rgba.width()), static_cast<py::ssize_t>(4)});
    uint8_t* out = array.mutable_data();
    for (size_t y = 0; y < height; ++y) {
        std::memcpy(out + y * row, rgba.constScanLine(static_cast<int>(y)), row);
    }
    return array;
}

std::shared_ptr<LayerData> RecordOf(ChronovaData& registry, const LayerPtr& layer) {
    std::shared_ptr<LayerData> record;
    if (!registry.FindByLayer(layer, &record)) {
        throw py::value_error("the layer '" + layer->Name() + "' is not a registered time layer");
    }
    return record;
}

py::list DateList(const std::vector<platform::Date>& dates) {
    py::list list;
    for (const platform::Date& date : dates) {
        list.append(FromDate(date));
    }
    return list;
}

// A minute count given as an int (as the C++ interface takes it) or as a datetime.
int32_t ToMinuteCount(const py::handle& value, std::string_view what) {
    if (py::isinstance<py::int_>(value) && !py::isinstance<py::bool_>(value)) {
        return value.cast<int32_t>();
    }
    return modDateTime::DateToMinutes(ToDate(value, what));
}

/// Steps the slider through positions, yielding the time of each, or the time and the frame.
class StepIterator {
public:
    StepIterator(PythonChronovaData& owner, std::vector<int32_t> positions, bool frames, std::optional<QSize> size,
                 bool timeline)
        : owner_(owner), positions_(std::move(positions)), frames_(frames), size_(size), timeline_(timeline) {}

    py::object Next() {
        if (next_ >= positions_.size()) {
            throw py::stop_iteration();
        }
        const int32_t position = positions_[next_++];
        if (!frames_) {
            const platform::Date time = WithoutGil([&] {
                owner_.Registry().GoToPosition(position);
                return owner_.Registry().CurrentTime();
            });
            return FromDate(time);
        }
        platform::Date time;
        const QImage frame = WithoutGil([&] {
            QImage image = owner_.Session().Render(position, size_, timeline_);
            time = owner_.Registry().CurrentTime();
            return image;
        });
        return py::make_tuple(FromDate(time), ToArray(frame));
    }
    size_t Remaining() const noexcept { return positions_.size() - next_; }

private:
    PythonChronovaData& owner_;
    std::vector<int32_t> positions_;
    size_t next_ = 0;
    bool frames_;
    std::optional<QSize> size_;
    bool timeline_;
};

// Properties that read and write one value of the registry, converted on the way.
template <typename Value>
using Getter = Value (ChronovaData::*)();
template <typename Value>
using Setter = void (ChronovaData::*)(Value);

template <typename Value>
auto Reader(Getter<Value> get) {
    return [get](PythonChronovaData& self) { return WithoutGil([&] { return (self.Registry().*get)(); }); };
}
template <typename Value, typename Argument = Value>
auto Writer(Setter<Argument> set) {
    return [set](PythonChronovaData& self, Value value) { WithoutGil([&] { (self.Registry().*set)(value); }); };
}

auto DateReader(Getter<platform::Date> get) {
    return [get](PythonChronovaData& self) { return FromDate(WithoutGil([&] { return (self.Registry().*get)(); })); };
}
auto DateWriter(Setter<platform::Date> set, const char* what) {
    return [set, what](PythonChronovaData& self, const py::object& value) {
        const platform::Date date = ToDate(value, what);
        WithoutGil([&] { (self.Registry().*set)(date); });
    };
}

void BindSession(py::class_<PythonChronovaData>& cls) {
    cls.def(
           py::init([](const std::optional<std::string>& path, const std::string& layer) { return Open(path, layer); }),
           py::arg("path") = py::none(), py::arg("layer") = "",
           R"(Opens a map: a project file (*.chronova.json), the data a path stands for (a
folder of shapefiles, a GeoPackage, a CSV, a raster...; layer picks one of its layers, otherwise
every layer is opened and those that carry time become time layers), or with no path an empty map.
Opening a map closes the one open before: the system holds one map per process.)")
        .def("close", &PythonChronovaData::Close, "Closes the map; the object cannot be used afterwards.")
        .def_property_readonly("closed", &PythonChronovaData::Closed, "Whether the map was closed.")
        .def("__enter__", [](PythonChronovaData& self) -> PythonChronovaData& { return self; })
        .def("__exit__", [](PythonChronovaData& self, const py::args&) { self.Close(); })
        .def_property_readonly(
            "source", [](PythonChronovaData& self) { return self.Session().Source(); },
            "The project file or data the map was opened from; '' for a map made empty.")
        .def_property_readonly(
            "warnings", [](PythonChronovaData& self) { return self.Session().Warnings(); },
            "What was found worth a warning about the time layers' data when the map was opened.")
        .def_property_readonly(
            "layers",
            [](PythonChronovaData& self) {
                const std::vector<NamedLayer> layers = WithoutGil([&] { return self.Session().Layers(); });
                py::dict dict;
                for (const NamedLayer& layer : layers) {
                    if (!dict.contains(layer.name)) {
                        dict[py::str(layer.name)] = layer.layer;
                    }
                }
                return dict;
            },
            "The map's layers by name (the project's names), from the top, a group before its children.")
        .def(
            "layer",
            [](PythonChronovaData& self, const std::string& name) {
                const std::vector<NamedLayer> layers = WithoutGil([&] { return self.Session().Layers(); });
                std::string names;
                for (const NamedLayer& layer : layers) {
                    if (layer.name == name) {
                        return layer.layer;
                    }
                    names += (names.empty() ? "'" : ", '") + layer.name + "'";
                }
                throw py::key_error("the map has no layer named '" + name + "' (layers: " + names + ")");
            },
            py::arg("name"), "The layer with this name; KeyError naming the layers there are when there is none.")
        .def(
            "add_feature_layer",
            [](PythonChronovaData& self, const std::string& workspace, const std::string& dataset,
               const std::string& name, const std::vector<std::string>& open_options) {
                return WithoutGil(
                    [&] { return self.Session().AddFeatureLayer(workspace, dataset, name, open_options); });
            },
            py::arg("workspace"), py::arg("dataset"), py::arg("name") = "",
            py::arg("open_options") = std::vector<std::string>{},
            R"(Adds a feature layer on top of the map and returns it: the feature class
dataset of workspace (a folder of shapefiles, a GeoPackage or another vector file GDAL reads,
opened with GDAL's open_options such as "X_POSSIBLE_NAMES=lon"; or a PostGIS database as a
"PG:host=... dbname=..." connection string, whose table keeps its rows on the server). Register it
with AddShapefileLayer or AddGeoDatabaseLayer.)")
        .def(
            "add_raster_layer",
            [](PythonChronovaData& self, const std::string& path, const std::string& name) {
                return WithoutGil([&] { return self.Session().AddRasterLayer(path, name); });
            },
            py::arg("path"), py::arg("name") = "",
            "Adds a raster layer on top of the map and returns it; register it with AddRasterLayer.")
        .def(
            "add_wms_layer",
            [](PythonChronovaData& self, const std::string& url, const std::vector<std::string>& layers,
               const std::string& name) {
                return WithoutGil([&] { return self.Session().AddWmsLayer(url, layers, name); });
            },
            py::arg("url"), py::arg("layers") = std::vector<std::string>{}, py::arg("name") = "",
            "Adds a web map service layer (the service's address and the service layers it shows); register it "
            "with AddWMSLayer.")
        .def(
            "add_moving_points_layer",
            [](PythonChronovaData& self, const std::string& path, const std::string& name) {
                return WithoutGil([&] { return self.Session().AddMovingPointsLayer(path, name); });
            },
            py::arg("path"), py::arg("name") = "",
            R"(Adds a layer of moving points read from a CSV file (columns TIME, X, Y and
optionally ID, SPEED, DIRECTION): a custom layer that keeps its own time steps; register it with
AddCustomTimeLayer.)");
}

void BindRegistration(py::class_<PythonChronovaData>& cls) {
    const auto layer_arg = py::arg("layer").none(false);
    cls.def(
           "AddShapefileLayer",
           [](PythonChronovaData& self, const LayerPtr& layer, const std::string& time_field) {
               return WithoutGil([&] { return self.Registry().AddShapefileLayer(layer, time_field); });
           },
           layer_arg, py::arg("time_field"),
           "Registers a shapefile's feature layer by its time field (date, text, date-time group, integer or "
           "double); False when the layer is not a shapefile, has no features or no steps.")
        .def(
            "AddGeoDatabaseLayer",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& time_field) {
                return WithoutGil([&] { return self.Registry().AddGeoDatabaseLayer(layer, time_field); });
            },
            layer_arg, py::arg("time_field"),
            "Registers a feature layer of a GeoPackage, another vector file or a PostGIS table by its "
            "time field; False when it cannot be a time layer.")
        .def(
            "AddGeoDatabaseJoinedLayer",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& key_field,
               const std::string& join_name, const std::string& table, const std::string& primary_key,
               const std::string& key_field2, const std::string& time_field, const std::string& other_fields) {
                return WithoutGil([&] {
                    return self.Registry().AddGeoDatabaseJoinedLayer(layer, key_field, join_name, table, primary_key,
                                                                     key_field2, time_field, other_fields);
                });
            },
            layer_arg, py::arg("key_field"), py::arg("join_name"), py::arg("table"), py::arg("primary_key"),
            py::arg("key_field2"), py::arg("time_field"), py::arg("other_fields") = "",
            R"(Registers a GeoPackage feature layer whose time field sits in another table of
the same file, joined on key_field (layer) = key_field2 (table).)")
        .def(
            "AddRasterLayer",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& time_field,
               const py::object& start_time, const py::object& interval, const std::string& interval_units) {
                const int32_t start = ToMinuteCount(start_time, "start_time");
                const int32_t seconds = py::isinstance<py::int_>(interval) ? interval.cast<int32_t>()
                                                                           : ToMinutes(interval, "interval") * 60;
                return WithoutGil(
                    [&] { return self.Registry().AddRasterLayer(layer, time_field, start, seconds, interval_units); });
            },
            layer_arg, py::arg("time_field"), py::arg("start_time"), py::arg("interval"), py::arg("interval_units"),
            R"(Registers a multi-band raster whose band k is start_time + k x interval:
start_time a minute count or a datetime, interval seconds or a timedelta, interval_units "d",
"h" or "n" (the interval is rounded to whole units), or "m" / "yyyy" with interval counting months
or years. Writes the raster's settings side file.)")
        .def(
            "AddCalendarRasterLayer",
            [](PythonChronovaData& self, const LayerPtr& layer, const py::object& start_time, int32_t count,
               const std::string& units) {
                const int32_t start = ToMinuteCount(start_time, "start_time");
                return WithoutGil([&] { return self.Registry().AddCalendarRasterLayer(layer, start, count, units); });
            },
            layer_arg, py::arg("start_time"), py::arg("count"), py::arg("units"),
            "Registers a raster whose band k is start_time + k x count months (units 'm') or years ('yyyy').")
        .def(
            "AddWMSLayer",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                return WithoutGil([&] { return self.Registry().AddWMSLayer(layer) == platform::Variant(true); });
            },
            layer_arg, "Registers a WMS layer with hourly steps around the present hour; always True.")
        .def(
            "AddCustomTimeLayer",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& time_field) {
                return WithoutGil([&] { return self.Registry().AddCustomTimeLayer(layer, time_field); });
            },
            layer_arg, py::arg("time_field"),
            "Registers a layer that keeps its own time steps (a custom time layer) by one of its fields; False "
            "when it is not such a layer or finds no steps.")
        .def(
            "RemoveLayer",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                WithoutGil([&] { self.Registry().RemoveLayer(layer); });
            },
            layer_arg, "Lifts the time filter from one record of the layer and removes the record.")
        .def(
            "Clear", [](PythonChronovaData& self) { WithoutGil([&] { self.Registry().Clear(); }); },
            "Removes every registered layer.")
        .def(
            "Update", [](PythonChronovaData& self) { WithoutGil([&] { self.Registry().Update(); }); },
            "Rebuilds the slider's axis from the registered layers; call it after adding or removing layers.")
        .def(
            "ApplyFilters",
            [](PythonChronovaData& self, bool show) { WithoutGil([&] { self.Registry().ApplyFilters(show); }); },
            py::arg("show") = true,
            "Applies the current time to every registered layer again, or with show=False lifts every filter.")
        .def(
            "MakeVectors",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& speed, const std::string& direction,
               double min_range, double max_range) {
                return WithoutGil(
                    [&] { return self.Registry().MakeVectors(layer, speed, direction, min_range, max_range); });
            },
            layer_arg, py::arg("speed_field"), py::arg("direction_field"), py::arg("min_range") = 0.0,
            py::arg("max_range") = 0.0,
            "Draws a registered point layer as arrows sized by speed and turned by direction (degrees clockwise "
            "from north); a zero range takes the speeds' range from the data.")
        .def(
            "MakeVectorsWithChar",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& speed, const std::string& direction,
               const std::string& font, int16_t character, double min_size, double max_size, double min_range,
               double max_range) {
                return WithoutGil([&] {
                    return self.Registry().MakeVectorsWithChar(layer, speed, direction, font, character, min_size,
                                                               max_size, min_range, max_range);
                });
            },
            layer_arg, py::arg("speed_field"), py::arg("direction_field"), py::arg("font"), py::arg("char"),
            py::arg("min_size"), py::arg("max_size"), py::arg("min_range") = 0.0, py::arg("max_range") = 0.0,
            "As MakeVectors, with the marker's font, character and sizes.")
        .def(
            "ShowPreviousTimeSteps",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                WithoutGil([&] { self.Registry().ShowPreviousTimeSteps(layer); });
            },
            layer_arg, "Makes a registered feature layer show every step up to the current one.")
        .def(
            "FindLayer",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                return WithoutGil([&] { return self.Registry().FindLayer(layer); });
            },
            layer_arg, "Whether the layer is registered.")
        .def(
            "FindLayerByPath",
            [](PythonChronovaData& self, const std::string& path) {
                return WithoutGil([&] { return self.Registry().FindLayerByPath(path); });
            },
            py::arg("path"), "Whether a layer of this data source path is registered.")
        .def(
            "TimeSteps",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                const std::vector<platform::Date> steps = WithoutGil([&] {
                    const std::shared_ptr<LayerData> record = RecordOf(self.Registry(), layer);
                    std::vector<platform::Date> dates;
                    dates.reserve(static_cast<size_t>(record->TimeStepsCount()));
                    for (int32_t i = 1; i <= record->TimeStepsCount(); ++i) {
                        dates.push_back(record->TimeStepsAsDate(i));
                    }
                    return dates;
                });
                return DateList(steps);
            },
            layer_arg, "The time steps of a registered layer in time order, as datetimes.");

    // Settings of one registered layer: read with the layer, written with the layer and the value.
    cls.def(
           "IsCached",
           [](PythonChronovaData& self, const LayerPtr& layer) {
               return WithoutGil([&] { return self.Registry().IsCached(layer); });
           },
           layer_arg, "The layer's own display-cache flag.")
        .def(
            "IsCached",
            [](PythonChronovaData& self, const LayerPtr& layer, bool value) {
                WithoutGil([&] { self.Registry().IsCached(layer, value); });
            },
            layer_arg, py::arg("value"))
        .def(
            "TimeInYears",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                return WithoutGil([&] { return self.Registry().TimeInYears(layer); });
            },
            layer_arg, "Whether a registered layer's integer time field holds years; set it with a second argument.")
        .def(
            "TimeInYears",
            [](PythonChronovaData& self, const LayerPtr& layer, bool value) {
                return WithoutGil([&] { return self.Registry().TimeInYears(layer, value); });
            },
            layer_arg, py::arg("value"))
        .def(
            "TimeWindow",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                return WithoutGil([&] { return self.Registry().TimeWindow(layer); });
            },
            layer_arg,
            "A feature layer's time window: '' (the single step), 'interval' or a duration ('15min', '2h'); set it "
            "with a second argument.")
        .def(
            "TimeWindow",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& window) {
                WithoutGil([&] { self.Registry().TimeWindow(layer, window); });
            },
            layer_arg, py::arg("window"))
        .def(
            "LayerTimeZone",
            [](PythonChronovaData& self, const LayerPtr& layer) {
                return WithoutGil([&] { return self.Registry().LayerTimeZone(layer); });
            },
            layer_arg, "The zone of a layer's times without an offset; set it with a second argument.")
        .def(
            "LayerTimeZone",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& zone) {
                WithoutGil([&] { self.Registry().LayerTimeZone(layer, zone); });
            },
            layer_arg, py::arg("zone"))
        .def(
            "Track",
            [](PythonChronovaData& self, const LayerPtr& layer, const std::string& id_field, const std::string& max_age,
               const std::string& trail) {
                WithoutGil([&] { self.Registry().Track(layer, id_field, max_age, trail); });
            },
            layer_arg, py::arg("id_field"), py::arg("max_age") = "", py::arg("trail") = "",
            "Shows each entity (one value of id_field) at its latest fix at or before the current time, no older "
            "than max_age, with a trail of the last trail ('all' since the first fix).");
}

void BindTimeModel(py::class_<PythonChronovaData>& cls) {
    const auto current = DateReader(&ChronovaData::CurrentTime);
    const auto set_current = DateWriter(&ChronovaData::CurrentTime, "CurrentTime");
    const auto start = DateReader(&ChronovaData::StartTime);
    const auto set_start = DateWriter(&ChronovaData::StartTime, "StartTime");
    const auto finish = DateReader(&ChronovaData::FinishTime);
    const auto set_finish = DateWriter(&ChronovaData::FinishTime, "FinishTime");
    const char* current_doc = "The slider's time; setting it moves the slider and filters every time layer.";
    cls.def_property("CurrentTime", current, set_current, current_doc)
        .def_property("current_time", current, set_current, current_doc)
        .def_property("StartTime", start, set_start, "The start of the slider's axis.")
        .def_property("start_time", start, set_start, "The start of the slider's axis.")
        .def_property("FinishTime", finish, set_finish, "The finish of the slider's axis.")
        .def_property("finish_time", finish, set_finish, "The finish of the slider's axis.")
        .def_property("Interval", Reader(&ChronovaData::Interval), Writer<int32_t>(&ChronovaData::Interval),
                      "Minutes per position, or with a calendar IntervalUnit months or years per position.")
        .def_property(
            "interval",
            [](PythonChronovaData& self) {
                const auto [count, unit] = WithoutGil(
                    [&] { return std::make_pair(self.Registry().Interval(), self.Registry().IntervalUnit()); });
                if (unit != "n") {
                    throw py::value_error("the interval is " + std::to_string(count) +
                                          (unit == "m" ? " month" : " year") + (count == 1 ? "" : "s") +
                                          ", which a timedelta cannot hold; read Interval and IntervalUnit");
                }
                return FromMinutes(count);
            },
            [](PythonChronovaData& self, const py::object& value) {
                const modDateTime::CalendarInterval interval = ToInterval(value);
                WithoutGil([&] {
                    self.Registry().IntervalUnit(std::string(modDateTime::UnitCode(interval.unit)));
                    self.Registry().Interval(interval.count);
                });
            },
            "The time between positions as a timedelta; set a timedelta of whole minutes or a text such as '15min', "
            "'2h', '1mon', '1y' (months and years step by the calendar).")
        .def_property("IntervalUnit", Reader(&ChronovaData::IntervalUnit),
                      Writer<std::string, const std::string&>(&ChronovaData::IntervalUnit),
                      "The unit of Interval: 'n' minutes, 'm' months or 'yyyy' years.")
        .def_property("LabelFormat", Reader(&ChronovaData::LabelFormat),
                      Writer<std::string, const std::string&>(&ChronovaData::LabelFormat),
                      "The strftime-like format of the time labels; '' keeps the classic labels.")
        .def_property("DisplayTimeZone", Reader(&ChronovaData::DisplayTimeZone),
                      Writer<std::string, const std::string&>(&ChronovaData::DisplayTimeZone),
                      "The zone times are shown in (an IANA name or an offset); '' shows values as stored.")
        .def_property("UseDateTime", Reader(&ChronovaData::UseDateTime), Writer<bool>(&ChronovaData::UseDateTime),
                      "False shows date-time groups instead of dates.")
        .def_property("TimeSpanActive", Reader(&ChronovaData::TimeSpanActive),
                      Writer<bool>(&ChronovaData::TimeSpanActive), "Whether the time span is shown.")
        .def_property("TimeSpanLabelEnabled", Reader(&ChronovaData::TimeSpanLabelEnabled),
                      Writer<bool>(&ChronovaData::TimeSpanLabelEnabled), "Whether the span's label is shown.")
        .def_property("TimeSpanColor", Reader(&ChronovaData::TimeSpanColor),
                      Writer<int32_t>(&ChronovaData::TimeSpanColor), "The span's colour.")
        .def_property("TimeSpanLabelColor", Reader(&ChronovaData::TimeSpanLabelColor),
                      Writer<int32_t>(&ChronovaData::TimeSpanLabelColor), "The span label's colour.")
        .def_property(
            "Display", Reader(&ChronovaData::Display),
            Writer<DisplayOptions, const DisplayOptions&>(&ChronovaData::Display),
            "The display settings in force, a copy: assign a DisplayOptions to change them, then call Update().")
        .def_property_readonly("Axis", Reader(&ChronovaData::Axis), "The slider's axis in one snapshot.")
        .def_property_readonly("Valid", Reader(&ChronovaData::Valid),
                               "Whether the slider has an axis: a layer is registered and Update() was called.")
        .def_property_readonly("TimeRangeCount", Reader(&ChronovaData::TimeRangeCount))
        .def_property_readonly("Caption", Reader(&ChronovaData::Caption), "The slider window's caption.")
        .def_property(
            "TimeRange", Reader(&ChronovaData::TimeRange),
            [](PythonChronovaData& self, LayerPtr layer) { WithoutGil([&] { self.Registry().TimeRange(layer); }); },
            "The layer whose range the axis shows; None for all layers.")
        .def(
            "SetTimeSpan",
            [](PythonChronovaData& self, const py::object& span_start, const py::object& span_finish) {
                const platform::Date from = ToDate(span_start, "start");
                const platform::Date to = ToDate(span_finish, "finish");
                WithoutGil([&] { self.Registry().SetTimeSpan(from, to); });
            },
            py::arg("start"), py::arg("finish"), "Sets the time span the slider marks.")
        .def(
            "GetTimeSpan",
            [](PythonChronovaData& self) {
                platform::Date from;
                platform::Date to;
                WithoutGil([&] { self.Registry().GetTimeSpan(from, to); });
                return py::make_tuple(FromDate(from), FromDate(to));
            },
            "The time span the slider marks, as (start, finish).")
        .def(
            "TimeAfterInterval",
            [](PythonChronovaData& self, const py::object& time) -> py::object {
                const int32_t minutes = ToMinuteCount(time, "time");
                const int32_t after = WithoutGil([&] { return self.Registry().TimeAfterInterval(minutes); });
                if (py::isinstance<py::int_>(time)) {
                    return py::int_(after);
                }
                return FromDate(modDateTime::MinutesToDate(after));
            },
            py::arg("time"),
            "The time one slider interval after a minute count (returned as one) or a datetime, calendar aware.")
        .def(
            "GetCurrentTimeByPath",
            [](PythonChronovaData& self, const std::string& path, const py::object& time) -> py::object {
                const platform::Date at = ToDate(time, "time");
                platform::Date shown;
                const bool found = WithoutGil([&] { return self.Registry().GetCurrentTimeByPath(path, at, shown); });
                return found ? FromDate(shown) : py::object(py::none());
            },
            py::arg("path"), py::arg("time"),
            "The step the layer of this data source path shows at a time; None when no layer has the path.");
}

void BindStepping(py::class_<PythonChronovaData>& cls) {
    cls.def(
           "GoToPosition",
           [](PythonChronovaData& self, int32_t position) {
               WithoutGil([&] { self.Registry().GoToPosition(position); });
           },
           py::arg("position"), "Moves the slider to a position (from 0) and applies its time.")
        .def(
            "Step",
            [](PythonChronovaData& self, int32_t direction) { WithoutGil([&] { self.Registry().Step(direction); }); },
            py::arg("direction"), "One position forward (direction > 0) or back (< 0), wrapping at the ends.")
        .def(
            "step",
            [](PythonChronovaData& self) {
                return FromDate(WithoutGil([&] {
                    self.Registry().Step(1);
                    return self.Registry().CurrentTime();
                }));
            },
            "One position forward, wrapping at the end; returns the new current time.")
        .def(
            "step_back",
            [](PythonChronovaData& self) {
                return FromDate(WithoutGil([&] {
                    self.Registry().Step(-1);
                    return self.Registry().CurrentTime();
                }));
            },
            "One position back, wrapping at the start; returns the new current time.")
        .def(
            "play",
            [](PythonChronovaData& self, int32_t steps) {
                if (steps < 0) {
                    throw py::value_error("steps must be 0 or more, not " + std::to_string(steps) +
                                          "; step_back() goes back");
                }
                return FromDate(WithoutGil([&] {
                    for (int32_t i = 0; i < steps; ++i) {
                        self.Registry().Step(1);
                    }
                    return self.Registry().CurrentTime();
                }));
            },
            py::arg("steps"),
            "Plays a number of steps forward as playback does (wrapping at the end); returns the current time.")
        .def_property_readonly(
            "positions",
            [](PythonChronovaData& self) {
                return DateList(WithoutGil([&] {
                    std::vector<platform::Date> times;
                    const AxisState axis = self.Registry().Axis();
                    if (!axis.valid || self.Registry().Slider() == nullptr) {
                        return times;
                    }
                    times.reserve(static_cast<size_t>(axis.position_count));
                    for (int32_t position = 0; position <= axis.max_position; ++position) {
                        times.push_back(modDateTime::MinutesToDate(self.Registry().Slider()->TimeOfPosition(position)));
                    }
                    return times;
                }));
            },
            "The time of every position of the slider's axis, in order.")
        .def(
            "times",
            [](PythonChronovaData& self) {
                std::vector<int32_t> positions = WithoutGil([&] { return self.Session().FramePositions(); });
                return StepIterator(self, std::move(positions), false, std::nullopt, false);
            },
            py::keep_alive<0, 1>(),
            R"(Steps the slider through the positions from StartTime to FinishTime, the
positions an animation shows, and yields the time of each as the layers show it.)")
        .def(
            "frames",
            [](PythonChronovaData& self, const py::object& size, bool timeline) {
                const std::optional<QSize> frame_size = ToSize(size);
                std::vector<int32_t> positions = WithoutGil([&] { return self.Session().FramePositions(); });
                return StepIterator(self, std::move(positions), true, frame_size, timeline);
            },
            py::arg("size") = py::none(), py::arg("timeline") = false, py::keep_alive<0, 1>(),
            "As times(), yielding (time, frame) with each frame as render() draws it.");
}

void BindDrawing(py::class_<PythonChronovaData>& cls) {
    cls.def(
           "render",
           [](PythonChronovaData& self, const py::object& size, bool timeline) {
               const std::optional<QSize> frame_size = ToSize(size);
               const QImage frame = WithoutGil(
                   [&] { return self.Session().Render(self.Registry().Axis().position, frame_size, timeline); });
               return ToArray(frame);
           },
           py::arg("size") = py::none(), py::arg("timeline") = false,
           R"(Draws the map at the current position as an animation's frame shows it and
returns it as a height x width x 4 uint8 NumPy array of RGBA. size is (width, height), by
default the project's; timeline adds the slider's strip under the map.)")
        .def(
            "save_png",
            [](PythonChronovaData& self, const std::string& path, const py::object& size, bool timeline) {
                const std::optional<QSize> frame_size = ToSize(size);
                WithoutGil([&] {
                    const QImage frame = self.Session().Render(self.Registry().Axis().position, frame_size, timeline);
                    const platform::FileResult written =
                        platform::WriteFileAtomically(path, cli::exporting::EncodePng(frame));
                    if (!written.Ok()) {
                        platform::RaiseError(75, written.error);
                    }
                });
            },
            py::arg("path"), py::arg("size") = py::none(), py::arg("timeline") = false,
            "Draws the current frame as render() does and writes it to a PNG file.")
        .def(
            "export",
            [](PythonChronovaData& self, const std::string& path, const py::object& fps, const py::object& size,
               const py::object& start, const py::object& finish, const py::object& interval, bool unique,
               bool timeline, int32_t max_frames) {
                AxisOptions axis;
                if (!start.is_none()) {
                    axis.start = ToDate(start, "start");
                }
                if (!finish.is_none()) {
                    axis.finish = ToDate(finish, "finish");
                }
                if (!interval.is_none()) {
                    axis.interval = ToInterval(interval);
                }
                axis.unique = unique;
                AnimationOptions animation;
                animation.file = path;
                animation.size = ToSize(size);
                if (!fps.is_none()) {
                    animation.fps = fps.cast<int32_t>();
                }
                animation.timeline = timeline;
                animation.max_frames = max_frames;
                return WithoutGil([&] {
                    self.Session().ApplyAxis(axis);
                    return self.Session().Export(animation);
                });
            },
            py::arg("path"), py::kw_only(), py::arg("fps") = py::none(), py::arg("size") = py::none(),
            py::arg("start") = py::none(), py::arg("finish") = py::none(), py::arg("interval") = py::none(),
            py::arg("unique") = false, py::arg("timeline") = false, py::arg("max_frames") = cli::kDefaultMaxFrames,
            R"(Writes an animation of the positions from StartTime to FinishTime and returns the
number of frames: a .gif, or an .mp4 when ffmpeg is installed. As the command line's animate:
start, finish (datetimes) and interval (a timedelta or '15min', '1mon'...) set the axis first,
unique steps through the layers' own steps, size is (width, height), fps frames per second (both
by default the project's), timeline adds the slider's strip, and a run of more than max_frames
frames is refused before anything is written. The file appears whole or not at all.)");
}

} // namespace

void BindChronovaData(py::module_& module) {
    py::class_<StepIterator>(module, "StepIterator", "Steps the slider through an animation's positions.")
        .def("__iter__", [](StepIterator& self) -> StepIterator& { return self; })
        .def("__next__", &StepIterator::Next)
        .def("__len__", &StepIterator::Remaining);

    py::class_<PythonChronovaData> cls(module, "ChronovaData", R"(One map and the registry of its time layers.

Open a project or data with chronova.open(path) (or ChronovaData(path)), or start an empty map
with ChronovaData() and add layers with add_feature_layer, add_raster_layer, add_wms_layer and
add_moving_points_layer, then register them with the registry's add operations and call Update().

The time model reads and writes naive datetimes: CurrentTime (setting it filters every layer),
StartTime, FinishTime, Interval/IntervalUnit (or interval as a timedelta), the time span and the
display options. positions lists the axis, times() and frames() step through it, step(),
step_back() and play(n) move the slider, render() and save_png() draw the current frame, and
export() writes a GIF or MP4. Drawing and export release the GIL.)");
    BindSession(cls);
    BindRegistration(cls);
    BindTimeModel(cls);
    BindStepping(cls);
    BindDrawing(cls);
    cls.def("__repr__", [](PythonChronovaData& self) {
        if (self.Closed()) {
            return std::string("<chronova.ChronovaData (closed)>");
        }
        const std::string& source = self.Session().Source();
        return "<chronova.ChronovaData " + (source.empty() ? std::string("(empty map)") : "'" + source + "'") + ">";
    });

    module.def(
        "open", [](const std::string& path, const std::string& layer) { return Open(path, layer); }, py::arg("path"),
        py::arg("layer") = "",
        "Opens a project file or data as a ChronovaData (see ChronovaData); closes the map open before.");
}

} // namespace chronova::python
