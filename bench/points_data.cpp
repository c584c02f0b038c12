#include "points_data.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include <unistd.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/ogr/gdal_environment.h"

namespace chronova::bench {

std::filesystem::path DataFolder() {
    if (const char* folder = std::getenv("CHRONOVA_BENCH_DATA"); folder != nullptr && *folder != '\0') {
        return folder;
    }
    const char* base = std::getenv("TMPDIR");
    return std::filesystem::path(base != nullptr && *base != '\0' ? base : "/tmp") / "chronova-bench-data";
}

namespace {

int64_t StatusBytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            int64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

} // namespace

void WritePointsGeoPackage(const std::filesystem::path& path, int64_t points, int steps) {
    gis::RegisterGdalDrivers();
    // GDAL wants the extension of the format, so the partial name keeps it.
    const std::filesystem::path partial =
        path.parent_path() / (path.stem().string() + ".partial-" + std::to_string(::getpid()) + ".gpkg");
    std::filesystem::remove(partial);
    GDALDataset* dataset =
        GetGDALDriverManager()->GetDriverByName("GPKG")->Create(partial.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (dataset == nullptr) {
        throw std::runtime_error("cannot create " + partial.string());
    }
    OGRSpatialReference srs;
    srs.importFromEPSG(4326);
    OGRLayer* layer = dataset->CreateLayer("points", &srs, wkbPoint, nullptr);
    OGRFieldDefn id("ID", OFTInteger);
    OGRFieldDefn when("WHEN", OFTDateTime);
    OGRFieldDefn speed("SPEED", OFTReal);
    OGRFieldDefn name("NAME", OFTString);
    for (OGRFieldDefn* field : {&id, &when, &speed, &name}) {
        if (layer == nullptr || layer->CreateField(field) != OGRERR_NONE) {
            GDALClose(dataset);
            throw std::runtime_error("cannot create the fields of " + partial.string());
        }
    }
    OGRFeature feature(layer->GetLayerDefn());
    const std::string names[] = {"Aurora", "Boreas", "Calypso", "Dione", "Eos", "Freya", "Gaia", "Helios"};
    constexpr int64_t kPerTransaction = 200'000;
    for (int64_t i = 0; i < points; ++i) {
        if (i % kPerTransaction == 0 && layer->StartTransaction() != OGRERR_NONE) {
            GDALClose(dataset);
            throw std::runtime_error("cannot write the points");
        }
        const int64_t hour = i % steps;
        const int64_t day = hour / 24;
        // Days counted from 1 January 2008 into month and day: the bench never goes past a year of hours.
        int month = 1;
        int64_t day_of_month = day;
        constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        while (month < 12 && day_of_month >= kDays[month - 1]) {
            day_of_month -= kDays[month - 1];
            ++month;
        }
        feature.SetFID(OGRNullFID);
        feature.SetField(0, static_cast<int>(i % 5000));
        feature.SetField(1, 2008 + static_cast<int>(day / 366), month, static_cast<int>(day_of_month) + 1,
                         static_cast<int>(hour % 24), 0, 0.0F);
        const uint64_t hash = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ULL;
        feature.SetField(2, static_cast<double>(hash >> 54) / 100.0);
        feature.SetField(3, names[hash >> 61].c_str());
        OGRPoint point(-100.0 + static_cast<double>(hash >> 44) / 1048576.0 * 20.0,
                       20.0 + static_cast<double>((hash >> 24) & 0xFFFFF) / 1048576.0 * 20.0);
        feature.SetGeometry(&point);
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            GDALClose(dataset);
            throw std::runtime_error("cannot write a point");
        }
        if ((i + 1) % kPerTransaction == 0 || i + 1 == points) {
            if (layer->CommitTransaction() != OGRERR_NONE) {
                GDALClose(dataset);
                throw std::runtime_error("cannot commit the points");
            }
        }
    }
    GDALClose(dataset);
    std::filesystem::rename(partial, path);
}

void WritePointsProject(const std::filesystem::path& project, const std::filesystem::path& geopackage,
                        bool previous_steps) {
    std::ofstream out(project);
    out << R"({
  "chronova_project": 1,
  "map": { "name": "Generated points", "background": "#ffffff" },
  "layers": [ { "name": "Points", "kind": "feature",
                "source": { "workspace": ")"
        << geopackage.filename().string() << R"(", "dataset": "points" },
                "symbology": { "color": "#c02020", "size": 4 }, "time": { "field": "WHEN", "previous_steps": )"
        << (previous_steps ? "true" : "false") << R"( } } ],
  "display": { "type": "interval", "fill_gaps": false, "toc_labels": false, "loop": true },
  "time": { "interval": 60 }
}
)";
    if (!out) {
        throw std::runtime_error("cannot write " + project.string());
    }
}

PointsData PointsGeoPackage(int64_t points, int steps) {
    const std::filesystem::path folder = DataFolder();
    std::filesystem::create_directories(folder);
    const std::string stem = "points-" + std::to_string(points) + "-" + std::to_string(steps);
    PointsData data;
    data.GeoPackage = folder / (stem + ".gpkg");
    data.Project = folder / (stem + ".chronova.json");
    data.Points = points;
    data.Steps = steps;
    std::error_code ignored;
    if (!std::filesystem::exists(data.GeoPackage, ignored)) {
        WritePointsGeoPackage(data.GeoPackage, points, steps);
    }
    WritePointsProject(data.Project, data.GeoPackage);
    return data;
}

int64_t PeakResidentBytes() {
    return StatusBytes("VmHWM:");
}
int64_t ResidentBytes() {
    return StatusBytes("VmRSS:");
}

} // namespace chronova::bench
