#pragma once

#include <filesystem>

namespace chronova {

namespace gis {
class ClassRegistry;
} // namespace gis

namespace platform::ui {
class EventLoop;
} // namespace platform::ui

/// Makes the extension's classes creatable by the host in this process: ChronovaExt and TimeToolbar, whose
/// registry runs the slider's timers on the loop. The loop must outlive every object the host creates.
void RegisterExtensionClasses(gis::ClassRegistry& classes, platform::ui::EventLoop& loop);

/// Makes the extension's ProgIDs resolvable in this process, as registering the component does; enough for
/// tools that register or look up the classes without creating them.
void RegisterExtensionProgIds();

/// The module that serves the extension's classes: the running program, which has them linked in.
std::filesystem::path ServerModulePath();

} // namespace chronova
