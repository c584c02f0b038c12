#include "gis/interface_ids.h"

#include <map>
#include <mutex>
#include <string>

#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/group_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "gis/map/command.h"
#include "gis/map/dockable_window.h"
#include "gis/map/extension.h"
#include "platform/automation_error.h"

namespace chronova::gis {
namespace {

template <class Interface>
InterfaceTest Is() {
    return [](const platform::IUnknown& object) { return dynamic_cast<const Interface*>(&object) != nullptr; };
}

// The host's own interfaces are known from the start; other components add theirs.
struct InterfaceTable {
    InterfaceTable() {
        const std::pair<std::string_view, InterfaceTest> own[] = {
            {iid::kLayer, Is<ILayer>()},
            {iid::kFeatureLayer, Is<FeatureLayer>()},
            {iid::kGeoFeatureLayer, Is<FeatureLayer>()},
            {iid::kRasterLayer, Is<RasterLayer>()},
            {iid::kGroupLayer, Is<GroupLayer>()},
            {iid::kCompositeLayer, Is<ICompositeLayer>()},
            {iid::kWmsMapLayer, Is<WmsMapLayer>()},
            {iid::kDataset, Is<IDataset>()},
            {iid::kTable, Is<ITable>()},
            {iid::kFeatureClass, Is<IFeatureClass>()},
            {iid::kWorkspace, Is<IWorkspace>()},
            {iid::kFeatureWorkspace, Is<IFeatureWorkspace>()},
            {iid::kGeodatabaseWorkspace, Is<IGeodatabaseWorkspace>()},
            {iid::kExtension, Is<IExtension>()},
            {iid::kExtensionConfig, Is<IExtensionConfig>()},
            {iid::kCommand, Is<ICommand>()},
            {iid::kDockableWindowDef, Is<IDockableWindowDef>()},
        };
        for (const auto& [id, test] : own) {
            tests.emplace(std::string(id), test);
        }
    }

    std::mutex mutex;
    std::map<std::string, InterfaceTest> tests;
};

InterfaceTable& Interfaces() {
    static InterfaceTable table;
    return table;
}

} // namespace

void RegisterInterface(std::string_view iid_text, InterfaceTest supports) {
    auto iid = NormalizeGuid(iid_text);
    if (!iid) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "'" + std::string(iid_text) + "' is not a valid interface identifier.");
    }
    if (!supports) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The interface " + *iid + " needs a test for the objects that support it.");
    }
    auto& table = Interfaces();
    std::lock_guard lock(table.mutex);
    table.tests[std::move(*iid)] = std::move(supports);
}

bool SupportsInterface(const platform::IUnknown& object, const UID& iid) {
    InterfaceTest test;
    {
        auto& table = Interfaces();
        std::lock_guard lock(table.mutex);
        const auto found = table.tests.find(iid.Value());
        if (found == table.tests.end()) {
            return false;
        }
        test = found->second;
    }
    return test(object);
}

} // namespace chronova::gis
