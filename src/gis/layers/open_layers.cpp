#include "gis/layers/open_layers.h"

#include "gis/data/raster_dataset.h"
#include "gis/ogr/ogr_workspace.h"

namespace chronova::gis {

std::shared_ptr<FeatureLayer> OpenFeatureLayer(const std::string& workspace_path, const std::string& feature_class,
                                               std::string name, const std::vector<std::string>& open_options) {
    auto data = OpenWorkspace(workspace_path, open_options)->OpenFeatureClass(feature_class);
    std::string source_type = DataSourceTypeOf(*data);
    return std::make_shared<FeatureLayer>(std::move(data), std::move(source_type), std::move(name));
}

std::shared_ptr<RasterLayer> OpenRasterLayer(const std::string& path, std::string name) {
    return std::make_shared<RasterLayer>(RasterDataset::Open(path), std::move(name));
}

} // namespace chronova::gis
