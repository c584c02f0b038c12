#include "gis/layers/open_layers.h"

#include "gis/data/raster_dataset.h"
#include "gis/data/server_table.h"
#include "gis/ogr/ogr_workspace.h"
#include "platform/automation_error.h"

namespace chronova::gis {

std::shared_ptr<FeatureLayer> OpenFeatureLayer(const std::string& workspace_path, const std::string& feature_class,
                                               std::string name, const std::vector<std::string>& open_options) {
    auto data = OpenWorkspace(workspace_path, open_options)->OpenFeatureClass(feature_class);
    std::string source_type = DataSourceTypeOf(*data);
    return std::make_shared<FeatureLayer>(std::move(data), std::move(source_type), std::move(name));
}

std::shared_ptr<FeatureLayer> OpenQueryLayer(const std::string& workspace_path, const std::string& query,
                                             const std::string& dataset, std::string name,
                                             const std::vector<std::string>& open_options) {
    const auto database = std::dynamic_pointer_cast<IServerWorkspace>(OpenWorkspace(workspace_path, open_options));
    if (!database) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "'" + workspace_path + "' is no database, so it cannot run a query.");
    }
    auto data = database->OpenQuery(query, dataset);
    std::string source_type = DataSourceTypeOf(*data);
    return std::make_shared<FeatureLayer>(std::move(data), std::move(source_type), std::move(name));
}

std::shared_ptr<RasterLayer> OpenRasterLayer(const std::string& path, std::string name) {
    return std::make_shared<RasterLayer>(RasterDataset::Open(path), std::move(name));
}

} // namespace chronova::gis
