#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gis/data/server_table.h"

namespace chronova::gis {

/// Whether a workspace path is a connection to a PostgreSQL/PostGIS server ("PG:host=... dbname=...", GDAL's
/// connection string) rather than a file or folder.
bool IsServerConnection(std::string_view path);

/// Opens a PostgreSQL/PostGIS database through GDAL's PostgreSQL driver. Its tables and queries are feature classes
/// whose rows stay on the server and are fetched a restriction at a time (IServerTable); every open gives a new
/// table object, so that each layer keeps its own restriction, and they share the workspace's connections and its
/// cache of fetched rows (CHRONOVA_SERVER_CACHE_MB, 256 by default). Raises 75 with the server's message when it
/// cannot connect.
std::shared_ptr<IServerWorkspace> OpenServerWorkspace(const std::string& connection,
                                                      const std::vector<std::string>& open_options = {});

} // namespace chronova::gis
