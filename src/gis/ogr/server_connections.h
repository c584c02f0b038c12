#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <gdal.h>

#include "gis/ogr/gdal_handles.h"

namespace chronova::gis {

/// Connections to one database server through GDAL, lent to one thread at a time: a GDAL data set is not safe to
/// share between threads, and opening one costs a round of catalogue queries, so each is kept for the next use.
/// Every connection reads times in UTC, so that a time with a zone arrives as the same instant whatever the
/// server's own zone.
class ServerConnections {
public:
    /// `connection` is GDAL's connection string ("PG:host=... dbname=..."); open_options are GDAL open options.
    ServerConnections(std::string connection, std::vector<std::string> open_options);
    ServerConnections(const ServerConnections&) = delete;
    ServerConnections& operator=(const ServerConnections&) = delete;

    /// A connection lent until the lease ends.
    class Lease {
    public:
        Lease(ServerConnections& owner, DatasetHandle dataset) : owner_(&owner), dataset_(std::move(dataset)) {}
        Lease(Lease&&) noexcept = default;
        Lease& operator=(Lease&&) noexcept = default;
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();
        GDALDatasetH Dataset() const noexcept { return dataset_.get(); }
        /// Closes the connection instead of lending it again, after a failure that may have left it in any state.
        void Discard() noexcept { dataset_.reset(); }

    private:
        ServerConnections* owner_;
        DatasetHandle dataset_;
    };

    /// A free connection, or a new one. Raises 75 with the server's message when it cannot connect.
    Lease Acquire();
    /// The connection string without a password, for messages.
    const std::string& Name() const noexcept { return name_; }

private:
    void Return(DatasetHandle dataset);

    std::string connection_;
    std::vector<std::string> open_options_;
    std::string name_;
    std::mutex mutex_;
    std::vector<DatasetHandle> idle_;
};

/// The connection string with the value of every password= hidden.
std::string WithoutPassword(const std::string& connection);

} // namespace chronova::gis
