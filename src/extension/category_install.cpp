#include "extension/category_install.h"

#include "extension/category_ids.h"
#include "extension/class_ids.h"
#include "extension/server.h"
#include "gis/component_categories.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"

namespace chronova {

int32_t CategoryInstall::Install(bool bInstall, std::string_view /*sCustomOptions*/) {
    m_ErrorMessage.clear();
    try {
        ErrorHandling::Trap("Install", "CategoryInstall", ErrorHandling::TrapKind::Inner, [&] {
            const std::string path = ServerModulePath().string();
            const CategoryIDs categories;
            gis::ComponentCategoryManager manager;
            manager.SetupObject(path, gis::UID(kProgID_ChronovaExt), categories.MxExtension(), bInstall);
            manager.SetupObject(path, gis::UID(kProgID_TimeToolbar), categories.MxCommands(), bInstall);
            manager.SetupObject(path, gis::UID(kProgID_TimeToolbar), categories.MxDockableWindows(), bInstall);
        });
    } catch (const platform::AutomationError& e) {
        m_ErrorMessage = e.Description();
        throw;
    }
    return 0;
}

} // namespace chronova
