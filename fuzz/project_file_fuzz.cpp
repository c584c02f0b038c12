// Project files come from users: any bytes must give a validated project or a ProjectError that says where and
// what, never a crash or another exception. A project that passes keeps the promises opening it relies on, and
// saving it writes a file that reads back to the same project (written again, the same text).
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "platform/automation_error.h"
#include "project/project_file.h"
#include "project/project_writer.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const project::Project project = project::ParseProject(text, "/fuzz/p.chronova.json");
        std::set<std::string> names;
        for (const project::LayerEntry* layer : project.AllLayers()) {
            const bool group = layer->Kind == project::LayerKind::Group;
            if (layer->Name.empty() || !names.insert(layer->Name).second || (group && layer->Time) ||
                (!group && !layer->Layers.empty())) {
                __builtin_trap();
            }
        }
        if (project.Time.RangeLayer) {
            const project::LayerEntry* range = project.FindLayer(*project.Time.RangeLayer);
            if (range == nullptr || !range->Time) {
                __builtin_trap();
            }
        }
        if (project.Time.Start && project.Time.Finish && *project.Time.Finish < *project.Time.Start) {
            __builtin_trap();
        }
        if (project.Export.Fps < 1 || project.Export.Fps > 100 || project.Export.Width < 1 ||
            project.Export.Height < 1) {
            __builtin_trap();
        }
        std::string saved;
        try {
            saved = project::WriteProject(project);
        } catch (const platform::AutomationError& e) {
            // Only a time no date text can hold may stop the writer.
            if (e.Number() != platform::error::kInvalidProcedureCall) {
                __builtin_trap();
            }
            return 0;
        }
        if (project::WriteProject(project::ParseProject(saved, "/fuzz/p.chronova.json")) != saved) {
            __builtin_trap();
        }
    } catch (const project::ProjectError& e) {
        if (e.file().empty() || e.message().empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
