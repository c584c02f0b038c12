#include "records/i_time_layer.h"

#include "gis/interface_ids.h"

namespace chronova {

void RegisterTimeLayerInterface() {
    static const bool registered = [] {
        gis::RegisterInterface(kIID_ITimeLayer, [](const platform::IUnknown& object) {
            return dynamic_cast<const ITimeLayer*>(&object) != nullptr;
        });
        return true;
    }();
    (void)registered;
}

} // namespace chronova
