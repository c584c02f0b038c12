#include "gis/map/component_loader.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "gis/class_factory.h"
#include "gis/component_categories.h"
#include "gis/host_errors.h"
#include "gis/map/application.h"
#include "gis/map/extension_states.h"
#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

// What the application does with one object of a category; raises when the object does not fit.
using Attach = std::function<void(const UID& clsid, const platform::ObjectRef& object)>;

template <class Interface>
std::shared_ptr<Interface> As(const platform::ObjectRef& object, std::string_view what) {
    auto typed = std::dynamic_pointer_cast<Interface>(object);
    if (!typed) {
        platform::RaiseError(platform::error::kTypeMismatch, "The object is not " + std::string(what) + ".");
    }
    return typed;
}

int32_t LoadCategory(std::string_view category, std::string_view what, const ClassRegistry& classes,
                     const ComponentCategoryManager& categories, const Attach& attach) {
    int32_t loaded = 0;
    for (const UID& clsid : categories.ClassesOfCategory(UID(category))) {
        try {
            attach(clsid, classes.CreateInstance(clsid));
            ++loaded;
        } catch (const platform::AutomationError& e) {
            ReportHostError("The " + std::string(what) + " " + clsid.Value() + " was not loaded: " + e.Description());
        } catch (const std::exception& e) {
            ReportHostError("The " + std::string(what) + " " + clsid.Value() + " was not loaded: " + e.what());
        }
    }
    return loaded;
}

} // namespace

int32_t LoadComponents(Application& application, const ClassRegistry& classes,
                       const ComponentCategoryManager& categories) {
    int32_t loaded = LoadCategory(
        catid::kExtensions, "extension", classes, categories, [&](const UID&, const platform::ObjectRef& object) {
            const auto extension = As<IExtension>(object, "an extension");
            application.AddExtension(extension);
            if (const auto config = std::dynamic_pointer_cast<IExtensionConfig>(extension)) {
                config->State(static_cast<int32_t>(RememberedExtensionState(extension->Name())));
            }
        });
    loaded += LoadCategory(catid::kDockableWindows, "dockable window", classes, categories,
                           [&](const UID&, const platform::ObjectRef& object) {
                               application.DockableWindowManager().AddDockableWindow(
                                   As<IDockableWindowDef>(object, "a dockable window definition"));
                           });
    loaded += LoadCategory(catid::kCommands, "command", classes, categories,
                           [&](const UID& clsid, const platform::ObjectRef& object) {
                               application.AddCommand(clsid, As<ICommand>(object, "a command"));
                           });
    return loaded;
}

} // namespace chronova::gis
