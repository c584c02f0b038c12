#pragma once

#include <cstdint>

namespace chronova::gis {

class Application;
class ClassRegistry;
class ComponentCategoryManager;

/// Loads the components that the categories name, as the application does when it starts: first the
/// extensions (each added, which starts it, then given the state the user left it in), then the dockable
/// windows, then the commands, each in category order. Only classes registered in these categories are
/// loaded. A class that cannot be created here, or is not what its category promises, is reported as a host
/// error and skipped; the others still load. Returns the number of components loaded.
int32_t LoadComponents(Application& application, const ClassRegistry& classes,
                       const ComponentCategoryManager& categories);

} // namespace chronova::gis
