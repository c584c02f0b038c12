// Writes generated points and a project for them, for measuring the command line on data of any size:
//   chronova_make_points POINTS OUT.gpkg [STEPS]
// writes OUT.gpkg and OUT.chronova.json beside it (see WritePointsGeoPackage for what the points hold).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "points_data.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: chronova_make_points POINTS OUT.gpkg [STEPS]\n");
        return 2;
    }
    try {
        const int64_t points = std::stoll(argv[1]);
        const int steps = argc == 4 ? std::stoi(argv[3]) : 1000;
        if (points < 1 || steps < 1 || steps > 8000) {
            std::fprintf(stderr, "POINTS must be at least 1 and STEPS between 1 and 8000\n");
            return 2;
        }
        const std::filesystem::path out = argv[2];
        chronova::bench::WritePointsGeoPackage(out, points, steps);
        std::filesystem::path project = out;
        project.replace_extension(".chronova.json");
        chronova::bench::WritePointsProject(project, out);
        std::printf("%s\n%s\n", out.c_str(), project.c_str());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "chronova_make_points: %s\n", error.what());
        return 1;
    }
}
