#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gis/uid.h"
#include "platform/settings_store.h"

namespace chronova::gis {

/// The component categories the application loads its components from, with the identifiers components
/// register themselves under.
namespace catid {
/// Extensions, created and started when the application starts.
inline constexpr std::string_view kExtensions = "{B56A7C45-83D4-11D2-A2E9-080009B6F22B}";
/// Commands, the buttons components put on toolbars.
inline constexpr std::string_view kCommands = "{B56A7C42-83D4-11D2-A2E9-080009B6F22B}";
/// Dockable window definitions.
inline constexpr std::string_view kDockableWindows = "{117623B5-F9D1-11D3-A67F-0008C7DF97B9}";
} // namespace catid

/// Component categories: which classes implement what the host looks for. They are kept in the settings store's
/// classes hive, laid out as the registry lays them out, so that every process of the user and every program
/// that registers a component sees the same categories:
///
///   Component Categories\{category}                   the category; its value "409" is the description
///   CLSID\{class}\Implemented Categories\{category}   the class belongs to the category
///   CLSID\{class}\InprocServer32                      default value: the module that serves the class
///
/// Identifiers are braced GUID texts; an empty UID raises 5, and a change the store cannot write raises 75.
class ComponentCategoryManager {
public:
    /// A manager over the store the environment names.
    ComponentCategoryManager() = default;
    explicit ComponentCategoryManager(platform::SettingsStore store) : store_(std::move(store)) {}

    /// Creates the category, or gives an existing one a new description.
    void Create(const UID& category, std::string_view description);
    /// Puts the object's class into the category (install) or takes it out again. Installing records the
    /// module that serves the class and creates the category when it does not exist yet; taking a class out
    /// of a category it is not in changes nothing.
    void SetupObject(std::string_view path, const UID& object, const UID& category, bool install);

    bool CategoryExists(const UID& category) const;
    /// The description the category was created with; "" for none.
    std::string Description(const UID& category) const;
    bool IsInCategory(const UID& object, const UID& category) const;
    /// The classes in the category, in the order they were first put in.
    std::vector<UID> ClassesOfCategory(const UID& category) const;
    /// The categories the class belongs to.
    std::vector<UID> CategoriesOfClass(const UID& object) const;
    /// The module recorded for the class; "" for none.
    std::string ServerPath(const UID& object) const;

private:
    /// Every key of the classes hive below "CLSID", as paths below the hive.
    std::vector<std::string> ClassKeys() const;
    void Write(bool written) const;

    platform::SettingsStore store_;
};

} // namespace chronova::gis
