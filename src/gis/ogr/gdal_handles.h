#pragma once

#include <gdal.h>
#include <ogr_api.h>

#include <memory>

namespace chronova::gis {

/// Owners of GDAL's C handles, so that a data set or feature is released on every path out of a function.
struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using DatasetHandle = std::unique_ptr<void, DatasetCloser>;

struct FeatureCloser {
    void operator()(void* feature) const { OGR_F_Destroy(feature); }
};
using FeatureHandle = std::unique_ptr<void, FeatureCloser>;

} // namespace chronova::gis
