// chronova info and chronova steps: what the registry and the slider hold for a project.

#include <nlohmann/json.hpp>
#include <ostream>

#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"
#include "apps/chronova/layer_report.h"
#include "apps/chronova/opened_project.h"
#include "apps/chronova/time_text.h"
#include "gis/layers/layer.h"
#include "platform/automation_error.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"

namespace chronova::cli {

int RunInfo(const ProjectOptions& options, Streams streams) {
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

int RunSteps(const ProjectOptions& options, const std::string& layer_name, Streams streams) {
    OpenedProject opened(options.project, &streams.err);
    const project::SessionLayer* layer = opened.Session().FindLayer(layer_name);
    if (layer == nullptr) {
        streams.err << "chronova: the project has no layer named '" << layer_name << "'\n";
        return kExitUsage;
    }
    std::shared_ptr<LayerData> record;
    if (!opened.Session().Registry().FindByLayer(layer->Layer, &record)) {
        streams.err << "chronova: the layer '" << layer_name << "' is not a time layer\n";
        return kExitUsage;
    }
    const std::vector<StepReport> steps = BuildSteps(*record);
    if (options.json) {
        streams.out << ToJson(layer_name, steps).dump(2) << '\n';
        return kExitSuccess;
    }
    for (const StepReport& step : steps) {
        streams.out << step.index << '\t' << IsoMinutes(step.minutes) << '\t' << step.value << '\n';
    }
    return kExitSuccess;
}

} // namespace chronova::cli
