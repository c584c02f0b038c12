// A second host process for the extension's tests: it starts the host as the desktop does (its components found
// through the categories in the settings files the environment names), opens a new document, carries out the
// given actions and reports what the user saw, so that tests can tell what lasts from one session to the next.
//
//   host_session_tool [enable | disable]...
//
// Output, one line each: "message: <text>" for every message box in order, then "state: <n>",
// "toolbar: yes|no", "window: shown|hidden" and "display: <type> <fill gaps> <toc labels> <loop>".
// Exit codes: 0 done, 2 wrong arguments.

#include <iostream>
#include <string_view>

#include "extension/class_ids.h"
#include "extension/server.h"
#include "gis/class_factory.h"
#include "gis/component_categories.h"
#include "gis/map/application.h"
#include "gis/map/component_loader.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "records/process_state.h"
#include "registry/globals.h"

int main(int argc, char** argv) {
    using namespace chronova;
    for (int i = 1; i < argc; ++i) {
        const std::string_view action = argv[i];
        if (action != "enable" && action != "disable") {
            std::cerr << "usage: host_session_tool [enable | disable]...\n";
            return 2;
        }
    }

    platform::ui::RecordingMessageService messages;
    platform::ui::ScopedMessageService message_scope(messages);
    platform::ui::EventLoop loop;
    gis::ClassRegistry classes;
    RegisterExtensionClasses(classes, loop);
    const auto app = gis::Application::Create();
    gis::LoadComponents(*app, classes, gis::ComponentCategoryManager());
    app->NewDocument();
    for (int i = 1; i < argc; ++i) {
        app->EnableExtension(kProgID_ChronovaExt, std::string_view(argv[i]) == "enable");
    }

    for (const auto& box : messages.MessageBoxes()) {
        std::cout << "message: " << box.text << '\n';
    }
    const auto extension =
        std::dynamic_pointer_cast<gis::IExtensionConfig>(app->FindExtensionByName(kProgID_ChronovaExt));
    std::cout << "state: " << (extension ? extension->State() : 0) << '\n';
    const auto toolbar = app->Document()->CommandBars().Find(gis::UID(gis::kStandardToolbarId));
    std::cout << "toolbar: " << (toolbar->Find(gis::UID(kProgID_TimeToolbar)) ? "yes" : "no") << '\n';
    const auto window = app->DockableWindowManager().GetDockableWindow(gis::UID(kProgID_TimeToolbar));
    std::cout << "window: " << (window && window->IsVisible() ? "shown" : "hidden") << '\n';
    std::cout << "display: " << g_iDisplayType << ' ' << g_bFillGaps << ' ' << g_bUpdateTOC << ' ' << g_bLoopAnimation
              << '\n';

    app->Shutdown();
    ResetGlobals();
    return 0;
}
