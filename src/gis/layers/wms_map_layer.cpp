#include "gis/layers/wms_map_layer.h"

namespace chronova::gis {

WmsMapLayer::WmsMapLayer(std::string service_url, std::string name)
    : GroupLayer(name.empty() ? service_url : std::move(name)), service_url_(std::move(service_url)) {}

} // namespace chronova::gis
