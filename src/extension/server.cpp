#include "extension/server.h"

#include <memory>
#include <system_error>

#include "extension/chronova_ext.h"
#include "extension/class_ids.h"
#include "extension/time_toolbar.h"
#include "gis/class_factory.h"
#include "gis/uid.h"

namespace chronova {

void RegisterExtensionClasses(gis::ClassRegistry& classes, platform::ui::EventLoop& loop) {
    classes.Register(kCLSID_ChronovaExt, kProgID_ChronovaExt, [] { return std::make_shared<ChronovaExt>(); });
    classes.Register(kCLSID_TimeToolbar, kProgID_TimeToolbar, [&loop] { return std::make_shared<TimeToolbar>(loop); });
}

void RegisterExtensionProgIds() {
    gis::RegisterProgId(kProgID_ChronovaExt, kCLSID_ChronovaExt);
    gis::RegisterProgId(kProgID_TimeToolbar, kCLSID_TimeToolbar);
}

std::filesystem::path ServerModulePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

} // namespace chronova
