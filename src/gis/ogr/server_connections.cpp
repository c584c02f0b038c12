#include "gis/ogr/server_connections.h"

#include <regex>
#include <utility>

#include "gis/ogr/gdal_environment.h"
#include "platform/automation_error.h"

namespace chronova::gis {

std::string WithoutPassword(const std::string& connection) {
    static const std::regex password(R"((password\s*=\s*)('(?:[^'\\]|\\.)*'|\S*))", std::regex::icase);
    return std::regex_replace(connection, password, "$1***");
}

ServerConnections::ServerConnections(std::string connection, std::vector<std::string> open_options)
    : connection_(std::move(connection)), open_options_(std::move(open_options)), name_(WithoutPassword(connection_)) {}

ServerConnections::Lease::~Lease() {
    if (owner_ != nullptr && dataset_) {
        owner_->Return(std::move(dataset_));
    }
}

ServerConnections::Lease ServerConnections::Acquire() {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            DatasetHandle dataset = std::move(idle_.back());
            idle_.pop_back();
            return {*this, std::move(dataset)};
        }
    }
    RegisterGdalDrivers();
    GdalErrorTrap trap;
    std::vector<const char*> options;
    options.reserve(open_options_.size() + 1);
    for (const std::string& option : open_options_) {
        options.push_back(option.c_str());
    }
    options.push_back(nullptr);
    DatasetHandle dataset(GDALOpenEx(connection_.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                                     nullptr, options.data(), nullptr));
    if (!dataset || trap.Failed()) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot connect to the database '" + name_ + "'");
    }
    // Times with a zone then arrive in UTC with their offset, the instant the server stores.
    GDALDatasetExecuteSQL(dataset.get(), "SET TIME ZONE 'UTC'", nullptr, nullptr);
    if (trap.Failed()) {
        trap.Raise(platform::error::kPathFileAccess, "The database '" + name_ + "' refused its session settings");
    }
    return {*this, std::move(dataset)};
}

void ServerConnections::Return(DatasetHandle dataset) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(dataset));
}

} // namespace chronova::gis
