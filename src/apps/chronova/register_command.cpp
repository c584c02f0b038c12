// chronova register / unregister: puts the extension's classes into the host's component categories, or takes
// them out, so that the host loads the extension, the time command and the slider window at its next start.

#include <ostream>

#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"
#include "extension/category_install.h"
#include "extension/server.h"
#include "platform/settings_store.h"

namespace chronova::cli {

int RunRegister(bool install, Streams streams) {
    RegisterExtensionProgIds();
    CategoryInstall installer;
    installer.Install(install, "");
    const auto file = platform::SettingsStore().FileOf(platform::HKEY_CLASSES_ROOT);
    if (install) {
        streams.out << "Registered Chronova.ChronovaExt as an extension and Chronova.TimeToolbar as a command and a "
                       "dockable window ("
                    << file.string() << ").\n";
    } else {
        streams.out << "Unregistered Chronova.ChronovaExt and Chronova.TimeToolbar from the host's categories ("
                    << file.string() << ").\n";
    }
    return kExitSuccess;
}

} // namespace chronova::cli
