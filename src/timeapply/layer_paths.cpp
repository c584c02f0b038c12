#include <memory>

#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "platform/text.h"
#include "records/i_time_layer.h"
#include "timeapply/mod_layers.h"

namespace chronova::modLayers {

std::string FeatureLayerFileName(const std::shared_ptr<gis::ILayer>& pLayer, std::string_view sExtension) {
    if (!pLayer) {
        return {};
    }
    if (auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(pLayer)) {
        if (auto feature_class = feature_layer->FeatureClass()) {
            const auto workspace = feature_class->Workspace();
            std::string path = (workspace ? workspace->PathName() : std::string()) + "\\" + feature_class->BrowseName();
            if (!sExtension.empty()) {
                path += "." + std::string(sExtension);
            }
            return platform::UCase(path);
        }
    }
    if (auto time_layer = std::dynamic_pointer_cast<ITimeLayer>(pLayer)) {
        return time_layer->Path();
    }
    return {};
}

std::string StripExtension(std::string_view sPath) {
    if (platform::Trim(sPath).empty()) {
        return std::string(sPath);
    }
    // The last dot or separator decides: a separator means the file name has no extension.
    const size_t last = sPath.find_last_of("./\\");
    if (last == std::string_view::npos || sPath[last] != '.') {
        return platform::Trim(sPath);
    }
    std::string stem(sPath.substr(0, last));
    stem.erase(stem.find_last_not_of(' ') + 1);
    return stem;
}

void ChangeExtension(std::string& sPath, std::string_view sExtension) {
    sPath = StripExtension(sPath) + "." + platform::Trim(sExtension);
}

} // namespace chronova::modLayers
