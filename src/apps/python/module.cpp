// The chronova Python module: the automation interface of the system for scripts and notebooks.

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <QImage>
#include <string>
#include <utility>

#include "apps/chronova/commands.h"
#include "apps/chronova/layer_report.h"
#include "apps/python/bindings.h"
#include "apps/python/python_dates.h"
#include "generator/sample_data.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"
#include "project/project_file.h"
#include "records/i_time_layer.h"
#include "slider/axis_state.h"
#include "slider/display_options.h"

namespace py = pybind11;

namespace chronova::python {

namespace {

constexpr const char* kModuleDoc = R"(Steps GIS maps through time, draws their frames and writes animations.

A ChronovaData holds one map and its time layers: open a project file or data with
chronova.open(path), or start an empty map with chronova.ChronovaData() and add layers to it.
Times are naive datetime.datetime values as the slider shows them, intervals datetime.timedelta
values. The registry's own names (CurrentTime, StartTime, AddShapefileLayer, ...) work as in the
C++ interface; snake_case names (current_time, start_time, ...) are aliases that read naturally.

    import chronova
    data = chronova.open(chronova.generate_sample_data("demo") )
    for time in data.times():
        frame = data.render(size=(640, 480))   # H x W x 4 uint8 RGBA
    data.export("demo.gif")

The system's failures raise chronova.Error, whose number is the system's error number.)";

constexpr const char* kErrorSource = R"(
class Error(Exception):
    """A failure of the system: number is its error number (5 invalid argument, 53 file not found,
    75 path or file access, 91 object not set...), description one line that says what went wrong
    and, where it knows, which data it is about; details holds the system's own text with the call
    stack behind the failure."""

    def __init__(self, number, description, source="Chronova", details=""):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.source = source
        self.details = details

    def __str__(self):
        return self.description


class ProjectError(Error):
    """A project file that cannot be used: file names it, place is where in it (a JSON pointer such
    as /layers/2/time/field, or line and column), description what is wrong."""

    def __init__(self, number, description, file="", place=""):
        super().__init__(number, description)
        self.file = file
        self.place = place
)";

// The exception classes made by kErrorSource; they live as long as the process, as the module does.
py::handle g_error;
py::handle g_project_error;

const gis::FeatureLayer* AsFeatureLayer(const gis::ILayer& layer) {
    return dynamic_cast<const gis::FeatureLayer*>(&layer);
}

} // namespace

void BindErrors(py::module_& module) {
    py::exec(kErrorSource, module.attr("__dict__"));
    g_error = py::object(module.attr("Error")).release();
    g_project_error = py::object(module.attr("ProjectError")).release();
    py::register_exception_translator([](std::exception_ptr failure) {
        try {
            if (failure) {
                std::rethrow_exception(std::move(failure));
            }
        } catch (const platform::AutomationError& e) {
            const py::object error = g_error(e.Number(), ErrorHandling::OneLineMessage(e), e.Source(), e.Description());
            PyErr_SetObject(g_error.ptr(), error.ptr());
        } catch (const project::ProjectError& e) {
            const py::object error =
                g_project_error(platform::error::kInvalidProcedureCall, e.what(), e.file(), e.place());
            PyErr_SetObject(g_project_error.ptr(), error.ptr());
        } catch (const cli::UsageError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        }
    });
}

void BindValues(py::module_& module) {
    py::class_<gis::ILayer, std::shared_ptr<gis::ILayer>>(module, "Layer", R"(A layer of the map.

Layers come from ChronovaData.layers, ChronovaData.layer(name) and the add_*_layer methods, and
are what the registry's add operations take.)")
        .def_property(
            "name", [](const gis::ILayer& layer) { return WithoutGil([&] { return layer.Name(); }); },
            [](gis::ILayer& layer, std::string name) { WithoutGil([&] { layer.Name(std::move(name)); }); },
            "The layer's name in the map; a time layer's carries the step it shows when table-of-contents labels "
            "are on.")
        .def_property_readonly(
            "kind", [](const gis::ILayer& layer) { return cli::LayerKind(layer); },
            "'feature', 'raster', 'wms', 'custom' (a layer that keeps its own steps), 'group' or 'other'.")
        .def_property(
            "visible", [](const gis::ILayer& layer) { return WithoutGil([&] { return layer.Visible(); }); },
            [](gis::ILayer& layer, bool visible) { WithoutGil([&] { layer.Visible(visible); }); },
            "Whether the layer is drawn.")
        .def_property_readonly(
            "valid", [](const gis::ILayer& layer) { return layer.Valid(); },
            "Whether the layer's data source could be opened.")
        .def_property_readonly(
            "feature_count",
            [](const gis::ILayer& layer) -> py::object {
                const gis::FeatureLayer* features = AsFeatureLayer(layer);
                if (features == nullptr || !features->FeatureClass()) {
                    return py::none();
                }
                return py::int_(WithoutGil([&] { return features->FeatureClass()->FeatureCount(); }));
            },
            "The number of features in the layer's data; None for a layer without features.")
        .def_property_readonly(
            "visible_feature_count",
            [](const gis::ILayer& layer) -> py::object {
                const gis::FeatureLayer* features = AsFeatureLayer(layer);
                if (features == nullptr) {
                    return py::none();
                }
                return py::int_(WithoutGil([&] { return features->VisibleFeatures()->size(); }));
            },
            "The number of features drawn at the current time (those the time filter lets through); None for a "
            "layer without features.")
        .def_property_readonly(
            "definition_expression",
            [](const gis::ILayer& layer) -> py::object {
                const gis::FeatureLayer* features = AsFeatureLayer(layer);
                if (features == nullptr) {
                    return py::none();
                }
                return py::str(WithoutGil([&] { return features->DefinitionExpression(); }));
            },
            "The filter in force on a feature layer (the time filter writes it); None for other layers.")
        .def("__repr__", [](const gis::ILayer& layer) {
            return "<chronova.Layer '" + layer.Name() + "' (" + cli::LayerKind(layer) + ")>";
        });

    py::class_<DisplayOptions>(module, "DisplayOptions", R"(The display settings in force (ChronovaData.Display).

display_type is chronova.DISPLAY_INTERVAL (one position per interval) or chronova.DISPLAY_UNIQUE
(one position per distinct step of the layers). Settings take effect at the next Update().)")
        .def(py::init([](int16_t display_type, bool fill_gaps, bool toc_labels, bool loop_animation) {
                 if (display_type != kDisplayInterval && display_type != kDisplayUniquePoints) {
                     throw py::value_error("display_type must be DISPLAY_INTERVAL (0) or DISPLAY_UNIQUE (1), not " +
                                           std::to_string(display_type));
                 }
                 return DisplayOptions{display_type, fill_gaps, toc_labels, loop_animation};
             }),
             py::arg("display_type") = kDisplayInterval, py::arg("fill_gaps") = false, py::arg("toc_labels") = true,
             py::arg("loop_animation") = false)
        .def_readwrite("display_type", &DisplayOptions::display_type,
                       "DISPLAY_INTERVAL or DISPLAY_UNIQUE: what the slider's positions follow.")
        .def_readwrite("fill_gaps", &DisplayOptions::fill_gaps,
                       "A layer without a step at the current time shows its closest previous step.")
        .def_readwrite("toc_labels", &DisplayOptions::toc_labels,
                       "With fill_gaps, layer names show the step actually displayed.")
        .def_readwrite("loop_animation", &DisplayOptions::loop_animation,
                       "Playback continues from the other end instead of stopping.")
        .def("__eq__", [](const DisplayOptions& a, const DisplayOptions& b) { return a == b; })
        .def("__repr__", [](const DisplayOptions& options) {
            return "DisplayOptions(display_type=" + std::to_string(options.display_type) +
                   ", fill_gaps=" + (options.fill_gaps ? "True" : "False") +
                   ", toc_labels=" + (options.toc_labels ? "True" : "False") +
                   ", loop_animation=" + (options.loop_animation ? "True" : "False") + ")";
        });
    module.attr("DISPLAY_INTERVAL") = kDisplayInterval;
    module.attr("DISPLAY_UNIQUE") = kDisplayUniquePoints;

    py::class_<AxisState>(module, "AxisState", "The slider's axis in one snapshot (ChronovaData.Axis).")
        .def_readonly("valid", &AxisState::valid, "Whether the axis can be stepped.")
        .def_readonly("display_type", &AxisState::display_type, "DISPLAY_INTERVAL or DISPLAY_UNIQUE.")
        .def_readonly("position", &AxisState::position, "The position the slider stands on, from 0.")
        .def_readonly("max_position", &AxisState::max_position, "The last position.")
        .def_readonly("position_count", &AxisState::position_count, "max_position + 1.")
        .def_readonly("interval", &AxisState::interval,
                      "Minutes per position, or on the step list the highest index of the steps.")
        .def_readonly("interval_text", &AxisState::interval_text, "The interval as the slider labels it.")
        .def_readonly("start_label", &AxisState::start_label)
        .def_readonly("finish_label", &AxisState::finish_label)
        .def_readonly("current_label", &AxisState::current_label)
        .def_property_readonly(
            "current_time", [](const AxisState& axis) { return FromDate(axis.current_time); },
            "The time of the position the slider stands on.")
        .def("__repr__", [](const AxisState& axis) {
            return "<chronova.AxisState position " + std::to_string(axis.position) + " of " +
                   std::to_string(axis.position_count) + ", " + axis.current_label + ">";
        });
}

std::mutex& SystemLock() {
    static std::mutex lock;
    return lock;
}

} // namespace chronova::python

PYBIND11_MODULE(chronova, module) {
    using namespace chronova::python;
    module.doc() = kModuleDoc;
    BindErrors(module);
    BindValues(module);
    BindChronovaData(module);
    module.def(
        "generate_sample_data",
        [](const std::string& folder) {
            WithoutGil([&] { chronova::sample_data::GenerateSampleData(folder); });
            return (std::filesystem::path(folder) / chronova::sample_data::kDemoProjectFileName).string();
        },
        py::arg("folder"),
        R"(Writes the sample data (two days of a storm crossing the Gulf of Mexico: its track, buoys,
ships, stations, rain rasters) and the demo project into folder, creating it when missing, and
returns the demo project's path. The data is the same on every run; files already there are kept.)");
}
