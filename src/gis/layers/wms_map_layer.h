#pragma once

#include <string>
#include <vector>

#include "gis/layers/group_layer.h"

namespace chronova::gis {

/// A layer of a web map service: the service's address and the names of the service layers it shows. The
/// host draws nothing for it without a connection; time layers still treat it as a service layer.
class WmsMapLayer : public GroupLayer {
public:
    WmsMapLayer() = default;
    explicit WmsMapLayer(std::string service_url, std::string name = {});

    const std::string& ServiceUrl() const noexcept { return service_url_; }
    void ServiceUrl(std::string url) { service_url_ = std::move(url); }
    /// The service layers requested, in drawing order.
    const std::vector<std::string>& LayerNames() const noexcept { return layer_names_; }
    void LayerNames(std::vector<std::string> names) { layer_names_ = std::move(names); }

    /// A service layer without an address cannot be drawn.
    bool Valid() const override { return !service_url_.empty(); }

private:
    std::string service_url_;
    std::vector<std::string> layer_names_;
};

} // namespace chronova::gis
