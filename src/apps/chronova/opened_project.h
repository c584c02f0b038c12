#pragma once

#include <memory>
#include <string>

#include "platform/ui/event_loop.h"
#include "project/project_file.h"
#include "project/project_session.h"

namespace chronova::cli {

/// A project file read, checked and opened in the host with its time layers registered, for one command.
/// Reading fails with a ProjectError before anything is opened or written.
class OpenedProject {
public:
    explicit OpenedProject(const std::string& path)
        : session_(std::make_unique<project::ProjectSession>(project::LoadProject(path), loop_)) {}

    project::ProjectSession& Session() noexcept { return *session_; }

private:
    platform::ui::EventLoop loop_; // the slider's timers; outlives the session
    std::unique_ptr<project::ProjectSession> session_;
};

} // namespace chronova::cli
