// Reading a layer of a million points with an integer, a double, a date and a text field into memory: in Arrow
// batches against one feature at a time, on the same file in the same run. The file is written once, to a
// temporary folder that is removed at exit.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/ogr/columnar_reader.h"
#include "gis/ogr/gdal_environment.h"

using namespace chronova;

namespace {

constexpr int kPoints = 1'000'000;

class MillionPoints {
public:
    MillionPoints() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/chronova-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        folder_ = pattern;
        path_ = (folder_ / "points.gpkg").string();
        Write();
    }
    ~MillionPoints() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    void Write() const {
        gis::RegisterGdalDrivers();
        GDALDataset* dataset =
            GetGDALDriverManager()->GetDriverByName("GPKG")->Create(path_.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        OGRSpatialReference srs;
        srs.importFromEPSG(4326);
        OGRLayer* layer = dataset->CreateLayer("points", &srs, wkbPoint, nullptr);
        OGRFieldDefn count("COUNT", OFTInteger), speed("SPEED", OFTReal), when("WHEN", OFTDateTime),
            name("NAME", OFTString);
        for (OGRFieldDefn* field : {&count, &speed, &when, &name}) {
            if (layer->CreateField(field) != OGRERR_NONE) {
                throw std::runtime_error("cannot create a field");
            }
        }
        if (layer->StartTransaction() != OGRERR_NONE) {
            throw std::runtime_error("cannot start a transaction");
        }
        OGRFeature feature(layer->GetLayerDefn());
        for (int i = 0; i < kPoints; ++i) {
            feature.SetFID(OGRNullFID);
            feature.SetField(0, i % 1000);
            feature.SetField(1, i * 0.25);
            feature.SetField(2, 2008, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0.0F);
            feature.SetField(3, ("track " + std::to_string(i % 5000)).c_str());
            // Rows of 3600 points: the whole division gives the row.
            OGRPoint point(-180.0 + (i % 3600) * 0.1, -90.0 + (i / 3600) * 0.0005); // NOLINT(bugprone-integer-division)
            feature.SetGeometry(&point);
            if (layer->CreateFeature(&feature) != OGRERR_NONE) {
                throw std::runtime_error("cannot write a feature");
            }
        }
        if (layer->CommitTransaction() != OGRERR_NONE) {
            throw std::runtime_error("cannot commit");
        }
        GDALClose(dataset);
    }

    std::filesystem::path folder_;
    std::string path_;
};

const MillionPoints& File() {
    static const MillionPoints file;
    return file;
}

void BM_ReadMillionPoints(benchmark::State& state, gis::ReadMethod method) {
    const std::string& path = File().Path();
    for (auto _ : state) {
        const gis::LayerContents contents = gis::ReadLayer(path, "points", {}, method);
        if (contents.Data->RowCount() != static_cast<size_t>(kPoints) || contents.Method != method) {
            state.SkipWithError("the layer was not read as asked");
        }
        benchmark::DoNotOptimize(contents.Shapes->X.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

// GDAL reads GeoPackage batches on a thread of its own, so wall time is the measure.
BENCHMARK_CAPTURE(BM_ReadMillionPoints, Arrow, gis::ReadMethod::Arrow)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadMillionPoints, Features, gis::ReadMethod::Features)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace
