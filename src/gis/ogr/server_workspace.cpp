#include "gis/ogr/server_workspace.h"

#include <algorithm>
#include <cctype>

#include <ogr_api.h>

#include "gis/ogr/server_feature_class.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

// A database is a geodatabase workspace to the system: it opens more tables of it by name.
class ServerWorkspace final : public IServerWorkspace,
                              public IGeodatabaseWorkspace,
                              public std::enable_shared_from_this<ServerWorkspace> {
public:
    ServerWorkspace(std::string connection, std::vector<std::string> open_options)
        : source_(std::make_shared<ServerSource>(std::move(connection), std::move(open_options),
                                                 ServerRowCache::DefaultBudget())) {
        // Connecting now reports a wrong connection string where the workspace is opened.
        source_->Connections->Acquire();
    }

    // Paths end up in records and messages, so the password stays out of them.
    std::string PathName() const override { return source_->Connections->Name(); }

    std::vector<std::string> DatasetNames(DatasetType type) const override {
        auto lease = source_->Connections->Acquire();
        std::vector<std::string> names;
        const int count = GDALDatasetGetLayerCount(lease.Dataset());
        names.reserve(static_cast<size_t>(std::max(count, 0)));
        for (int i = 0; i < count; ++i) {
            OGRLayerH layer = GDALDatasetGetLayer(lease.Dataset(), i);
            const bool shapes = OGR_L_GetGeomType(layer) != wkbNone;
            if (type == DatasetType::Any || (type == DatasetType::FeatureClass && shapes) ||
                (type == DatasetType::Table && !shapes)) {
                names.emplace_back(OGR_L_GetName(layer));
            }
        }
        return names;
    }

    std::shared_ptr<ITable> OpenTable(std::string_view name) override {
        return std::make_shared<ServerFeatureClass>(source_, std::string(name), false, std::string(name),
                                                    shared_from_this());
    }

    std::shared_ptr<IFeatureClass> OpenFeatureClass(std::string_view name) override {
        auto table = std::make_shared<ServerFeatureClass>(source_, std::string(name), false, std::string(name),
                                                          shared_from_this());
        if (table->ShapeFieldName().empty()) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The table '" + std::string(name) + "' has no geometry column.");
        }
        return table;
    }

    std::shared_ptr<IFeatureClass> OpenQuery(std::string_view query, std::string_view name) override {
        return std::make_shared<ServerFeatureClass>(source_, std::string(query), true, std::string(name),
                                                    shared_from_this());
    }

private:
    std::shared_ptr<ServerSource> source_;
};

} // namespace

bool IsServerConnection(std::string_view path) {
    return path.size() >= 3 && std::toupper(static_cast<unsigned char>(path[0])) == 'P' &&
           std::toupper(static_cast<unsigned char>(path[1])) == 'G' && path[2] == ':';
}

std::shared_ptr<IServerWorkspace> OpenServerWorkspace(const std::string& connection,
                                                      const std::vector<std::string>& open_options) {
    return std::make_shared<ServerWorkspace>(connection, open_options);
}

} // namespace chronova::gis
