// chronova info and chronova steps: what the registry and the slider hold for a project, or what chronova init
// would make of a data file.

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"
#include "apps/chronova/data_layers.h"
#include "apps/chronova/data_report.h"
#include "apps/chronova/layer_report.h"
#include "apps/chronova/opened_project.h"
#include "apps/chronova/time_text.h"
#include "gis/layers/layer.h"
#include "layerconfig/layer_proposal.h"
#include "platform/automation_error.h"
#include "platform/closest_name.h"
#include "platform/text.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "timeapply/raster_side_files.h"

namespace chronova::cli {

namespace {

// The one name of a list that is the wanted one: spelt the same, else the only one that differs in letter case
// alone. Raises a UsageError listing the names, with the closest, when there is none.
std::string PickName(const std::string& wanted, const std::vector<std::string>& names, const std::string& where) {
    std::vector<std::string> matches;
    for (const std::string& name : names) {
        if (name == wanted) {
            return name;
        }
        if (platform::UCase(name) == platform::UCase(wanted)) {
            matches.push_back(name);
        }
    }
    if (matches.size() == 1) {
        return matches.front();
    }
    throw UsageError(where + " has no layer named '" + wanted + "' (layers: " + platform::NameList(names) + ")" +
                     platform::DidYouMean(wanted, names));
}

int PrintSteps(LayerData& record, const std::string& layer_name, bool json, Streams streams) {
    const std::vector<StepReport> steps = BuildSteps(record);
    if (json) {
        streams.out << ToJson(layer_name, steps).dump(2) << '\n';
        return kExitSuccess;
    }
    for (const StepReport& step : steps) {
        streams.out << step.index << '\t' << IsoMinutes(step.minutes) << '\t' << step.value << '\n';
    }
    return kExitSuccess;
}

// steps on a data file: the layer opened as a project of its own, with the time setting chronova init proposes.
int RunStepsOfData(const ProjectOptions& options, const std::string& wanted, Streams streams) {
    std::ostringstream notes; // what init would leave out does not matter here
    std::vector<FoundLayer> found = LayersOf(options.project, {}, notes);
    std::vector<std::string> names;
    names.reserve(found.size());
    for (const FoundLayer& layer : found) {
        names.push_back(layer.Name.empty() ? layer.Layer->Name() : layer.Name);
    }
    const std::string name = PickName(wanted, names, options.project);
    FoundLayer& layer = found[static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin())];
    const layerconfig::LayerProposal proposal =
        layer.Proposal ? *layer.Proposal : layerconfig::ProposeLayer(layer.Layer);
    if (!proposal.TimeLayer) {
        throw UsageError("the layer '" + name + "' of " + options.project + " is " + proposal.Reason);
    }
    project::Project project;
    project.File = std::filesystem::absolute(options.project);
    layer.Entry.Name = name;
    layer.Entry.Time = TimeSettingsOf(proposal);
    project.Layers.push_back(layer.Entry);
    found.clear(); // the data is opened again by the session
    OpenedProject opened(std::move(project), &streams.err);
    const project::SessionLayer* entry = opened.Session().FindLayer(name);
    std::shared_ptr<LayerData> record;
    if (entry == nullptr || !opened.Session().Registry().FindByLayer(entry->Layer, &record)) {
        throw UsageError("the layer '" + name + "' of " + options.project + " found no time steps");
    }
    return PrintSteps(*record, name, options.json, streams);
}

} // namespace

int RunInfo(const ProjectOptions& options, Streams streams) {
    const SideFilesInCache side_files; // looking at data never writes into its folder
    if (!IsProjectFile(options.project)) {
        std::ostringstream notes;
        const std::vector<DataLayerReport> report = BuildDataReport(LayersOf(options.project, {}, notes));
        if (options.json) {
            streams.out << ToJson(options.project, report).dump(2) << '\n';
        } else {
            streams.out << ToText(options.project, report);
        }
        return kExitSuccess;
    }
    OpenedProject opened(options.project, &streams.err);
    const project::ProjectSession& session = opened.Session();
    const ProjectReport report =
        BuildReport(*session.Map(), opened.Session().Registry(), [&](const gis::ILayer& layer) {
            for (const project::SessionLayer& entry : session.Layers()) {
                if (entry.Layer.get() == &layer) {
                    return entry.Entry->Name;
                }
            }
            return layer.Name();
        });
    if (options.json) {
        nlohmann::json json = ToJson(report);
        json["project"] = options.project;
        streams.out << json.dump(2) << '\n';
    } else {
        streams.out << ToText(report);
    }
    return kExitSuccess;
}

int RunSteps(const ProjectOptions& options, const std::string& wanted, Streams streams) {
    const SideFilesInCache side_files; // looking at data never writes into its folder
    if (!IsProjectFile(options.project)) {
        return RunStepsOfData(options, wanted, streams);
    }
    OpenedProject opened(options.project, &streams.err);
    std::vector<std::string> names;
    std::vector<std::string> time_layers;
    for (const project::SessionLayer& layer : opened.Session().Layers()) {
        names.push_back(layer.Entry->Name);
        if (layer.Record) {
            time_layers.push_back(layer.Entry->Name);
        }
    }
    const std::string name = PickName(wanted, names, "the project");
    const project::SessionLayer* layer = opened.Session().FindLayer(name);
    std::shared_ptr<LayerData> record;
    if (!opened.Session().Registry().FindByLayer(layer->Layer, &record)) {
        throw UsageError("the layer '" + name +
                         "' is not a time layer (time layers: " + platform::NameList(time_layers) + ")");
    }
    return PrintSteps(*record, name, options.json, streams);
}

} // namespace chronova::cli
