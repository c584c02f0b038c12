#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "platform/ui/event_loop.h"
#include "project/project_file.h"
#include "project/project_session.h"
#include "records/layer_data.h"

namespace chronova::cli {

/// A project file read, checked and opened in the host with its time layers registered, for one command.
/// Reading fails with a ProjectError before anything is opened or written. What the registry found worth a
/// warning about a time layer's data goes to warnings (when given), one "warning: ..." line each.
class OpenedProject {
public:
    explicit OpenedProject(const std::string& path, std::ostream* warnings = nullptr)
        : OpenedProject(project::LoadProject(path), warnings) {}
    /// A project made in memory, such as one proposed for a data file.
    explicit OpenedProject(project::Project project, std::ostream* warnings = nullptr)
        : session_(std::make_unique<project::ProjectSession>(std::move(project), loop_)) {
        for (const project::SessionLayer& layer : session_->Layers()) {
            if (warnings != nullptr && layer.Record && !layer.Record->DataWarning.empty()) {
                *warnings << "warning: " << layer.Record->DataWarning << '\n';
            }
        }
    }

    project::ProjectSession& Session() noexcept { return *session_; }

private:
    platform::ui::EventLoop loop_; // the slider's timers; outlives the session
    std::unique_ptr<project::ProjectSession> session_;
};

} // namespace chronova::cli
