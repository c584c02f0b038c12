// Opens a project file through the Chronova registry and prints its time layers: name, time field, step count.

#include <exception>
#include <iostream>

#include <chronova/platform/ui/event_loop.h>
#include <chronova/project/project_session.h>
#include <chronova/records/layer_data.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: list_time_layers PROJECT\n";
        return 2;
    }
    try {
        chronova::platform::ui::EventLoop loop; // the slider's timers; must outlive the session
        const chronova::project::ProjectSession session(chronova::project::LoadProject(argv[1]), loop);
        for (const chronova::project::SessionLayer& layer : session.Layers()) {
            if (layer.Record) {
                std::cout << layer.Entry->Name << '\t' << layer.Record->TimeStepField << '\t'
                          << layer.Record->TimeStepsCount() << '\n';
            }
        }
    } catch (const std::exception& error) {
        std::cerr << "list_time_layers: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
