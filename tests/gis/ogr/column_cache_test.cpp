#include "gis/ogr/column_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <span>

#include <unistd.h>

#include "gis/ogr/ogr_workspace.h"
#include "platform/automation_error.h"
#include "platform/debug_output.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::gis {
namespace {

using testing::FixtureDate;
using testing::FixtureLayer;
using testing::FixtureValue;
using testing::PointRow;

// Every kind of value a column holds: integers, reals, texts (empty, non-ASCII), dates with and without an offset
// from UTC, nulls in every field, and a blob.
FixtureLayer MixedPoints() {
    FixtureLayer layer{"mixed", wkbPoint, {}, {}};
    layer.fields = {{"i16", OFTInteger, OFSTInt16},
                    {"i32", OFTInteger},
                    {"f32", OFTReal, OFSTFloat32},
                    {"f64", OFTReal},
                    {"txt", OFTString},
                    {"d", OFTDate},
                    {"dt", OFTDateTime},
                    {"bin", OFTBinary}};
    for (int i = 0; i < 40; ++i) {
        std::vector<FixtureValue> values = {int64_t{i - 20},
                                            int64_t{100000 + i},
                                            1.5 * i,
                                            -1e300 / (i + 1),
                                            std::string(i % 5 == 0 ? "" : "héllo " + std::to_string(i)),
                                            FixtureDate{2008, 3, 1 + i % 28},
                                            FixtureDate{2008, 3, 1, i % 24, 30, 15.5F, i % 2 == 0 ? 104 : 0},
                                            std::string("\x01\x02")};
        if (i % 7 == 3) {
            values = std::vector<FixtureValue>(values.size()); // nulls
        }
        layer.rows.push_back(i % 11 == 5 ? testing::FixtureRow{"", values} : PointRow(i * 0.5, -i * 0.25, values));
    }
    return layer;
}

// The same in a shapefile, which stores no blobs.
FixtureLayer ShapefilePoints() {
    FixtureLayer layer = MixedPoints();
    layer.fields.pop_back();
    for (testing::FixtureRow& row : layer.rows) {
        row.values.pop_back();
    }
    return layer;
}

FixtureLayer Lines() {
    FixtureLayer layer{"lines", wkbMultiLineString, {{"name", OFTString}}, {}};
    layer.rows = {{"MULTILINESTRING ((0 0,1 1,2 0),(5 5,6 6))", {std::string("a")}},
                  {"", {std::monostate{}}},
                  {"LINESTRING (3 3,4 4)", {std::string("c")}}};
    return layer;
}

FixtureLayer Polygons() {
    FixtureLayer layer{"areas", wkbMultiPolygon, {{"n", OFTInteger}}, {}};
    layer.rows = {{"MULTIPOLYGON (((0 0,4 0,4 4,0 0),(1 1,2 1,2 2,1 1)),((5 5,6 5,6 6,5 5)))", {int64_t{1}}},
                  {"POLYGON ((9 9,10 9,10 10,9 9))", {int64_t{2}}}};
    return layer;
}

void ExpectSameLayer(const LayerContents& a, const LayerContents& b) {
    const ColumnTable& ta = *a.Data;
    const ColumnTable& tb = *b.Data;
    ASSERT_EQ(ta.FieldCount(), tb.FieldCount());
    ASSERT_EQ(ta.RowCount(), tb.RowCount());
    EXPECT_EQ(ta.Name(), tb.Name());
    EXPECT_EQ(a.ShapeFieldName, b.ShapeFieldName);
    for (size_t field = 0; field < ta.FieldCount(); ++field) {
        SCOPED_TRACE(ta.Fields()[field].Name);
        EXPECT_EQ(ta.Fields()[field].Name, tb.Fields()[field].Name);
        EXPECT_EQ(ta.Fields()[field].AliasName, tb.Fields()[field].AliasName);
        EXPECT_EQ(ta.Fields()[field].Type, tb.Fields()[field].Type);
        const Column& ca = ta.ColumnAt(field);
        const Column& cb = tb.ColumnAt(field);
        ASSERT_EQ(ca.Size(), cb.Size());
        EXPECT_EQ(ca.Integers(), cb.Integers());
        EXPECT_EQ(ca.Reals(), cb.Reals());
        EXPECT_EQ(ca.Texts(), cb.Texts());
        for (size_t row = 0; row < ca.Size(); ++row) {
            EXPECT_EQ(ca.IsNull(row), cb.IsNull(row)) << row;
            EXPECT_EQ(ca.OffsetAt(row), cb.OffsetAt(row)) << row;
        }
    }
    ASSERT_EQ(a.Shapes == nullptr, b.Shapes == nullptr);
    if (a.Shapes) {
        EXPECT_EQ(a.Shapes->Type, b.Shapes->Type);
        EXPECT_EQ(a.Shapes->X, b.Shapes->X);
        EXPECT_EQ(a.Shapes->Y, b.Shapes->Y);
        EXPECT_EQ(a.Shapes->PartOffsets, b.Shapes->PartOffsets);
        EXPECT_EQ(a.Shapes->FeatureParts, b.Shapes->FeatureParts);
        EXPECT_EQ(a.Shapes->Extent, b.Shapes->Extent);
        EXPECT_EQ(a.Shapes->SpatialReference, b.Shapes->SpatialReference);
    }
}

// Moves a file's modification time into the past, as for data that has not changed for a while (a source changed
// in the last seconds is not cached).
void Settle(const std::filesystem::path& file, int hours_ago = 1) {
    std::filesystem::last_write_time(file,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(hours_ago));
}

class ColumnCacheTest : public ::testing::Test {
protected:
    ColumnCacheTest()
        : cache_home_("XDG_CACHE_HOME", (folder_ / "cache").string()), cache_switch_("CHRONOVA_COLUMN_CACHE", {}),
          cache_folder_switch_("CHRONOVA_COLUMN_CACHE_FOLDER", {}) {}

    std::filesystem::path Columns() const { return folder_ / "cache" / "chronova" / "columns"; }

    // Opens a dataset of a workspace afresh, reads its table and shapes, and waits for the cache write it started.
    LayerContents OpenFresh(const std::string& workspace, const std::string& dataset) {
        auto feature_class = OpenWorkspace(workspace)->OpenFeatureClass(dataset);
        LayerContents contents;
        contents.Data = feature_class->Data();
        contents.Shapes = feature_class->Shapes();
        contents.ShapeFieldName = feature_class->ShapeFieldName();
        WaitForColumnCacheWrites();
        return contents;
    }

    // Whether the last OpenFresh came from a cache file.
    static bool CameFromCache(const platform::ScopedDebugCapture& capture) {
        for (const std::string& line : capture.Lines()) {
            if (line.find("decoded in") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    testing::ScratchFolder folder_;
    testing::ScopedEnvironment cache_home_;
    testing::ScopedEnvironment cache_switch_;
    testing::ScopedEnvironment cache_folder_switch_;
};

TEST_F(ColumnCacheTest, ACacheFileGivesBackTheSameLayerOfEveryShapeKind) {
    const auto gpkg = folder_ / "data.gpkg";
    FixtureLayer empty = MixedPoints();
    empty.name = "empty";
    empty.rows.clear();
    testing::WriteGeoPackage(gpkg, {MixedPoints(), Lines(), Polygons(), empty});
    testing::WriteShapefile(folder_.Path(), ShapefilePoints());
    struct Case {
        std::filesystem::path file;
        std::string layer;
        std::string oid;
        ReadMethod method = ReadMethod::Automatic;
    };
    // Read feature by feature, date-times keep their offsets from UTC.
    for (const Case& source :
         {Case{gpkg, "mixed", ""}, Case{gpkg, "mixed", "", ReadMethod::Features}, Case{gpkg, "lines", ""},
          Case{gpkg, "areas", ""}, Case{gpkg, "empty", ""}, Case{folder_ / "mixed.shp", "", "FID"}}) {
        SCOPED_TRACE(source.file.string() + " " + source.layer);
        const LayerContents full = ReadLayer(source.file.string(), source.layer, source.oid, source.method);
        if (source.method == ReadMethod::Features) {
            ASSERT_TRUE(full.Data->ColumnAt(static_cast<size_t>(full.Data->FindField("dt"))).HasOffsets());
        }
        const auto key = MakeColumnCacheKey(source.file.string(), source.layer, "test", source.oid, {});
        ASSERT_TRUE(key);
        ASSERT_TRUE(WriteColumnCache(ColumnCacheFile(folder_.Path(), *key), *key, full));
        const auto cached = ReadColumnCache(folder_.Path(), *key);
        ASSERT_TRUE(cached);
        ExpectSameLayer(full, *cached);
        EXPECT_EQ(cached->Method, full.Method);
        for (size_t field = 0; field < cached->Data->FieldCount(); ++field) {
            EXPECT_TRUE(cached->Data->IsLoaded(field));
        }
    }
}

TEST_F(ColumnCacheTest, FieldsLeftForLaterAreReadFromTheSourceOnUse) {
    const auto gpkg = (folder_ / "data.gpkg").string();
    testing::WriteGeoPackage(gpkg, {MixedPoints()});
    LayerReadOptions options;
    options.OtherFieldsOnUse = true;
    const LayerContents quick = ReadLayer(gpkg, "mixed", "", options);
    const auto key = MakeColumnCacheKey(gpkg, "mixed", "test", "", {});
    ASSERT_TRUE(key);
    ASSERT_TRUE(WriteColumnCache(ColumnCacheFile(folder_.Path(), *key), *key, quick));
    const auto cached = ReadColumnCache(folder_.Path(), *key, FieldReader(gpkg, "mixed", "", options));
    ASSERT_TRUE(cached);
    const int32_t text = cached->Data->FindField("txt");
    const int32_t date = cached->Data->FindField("dt");
    EXPECT_FALSE(cached->Data->IsLoaded(static_cast<size_t>(text)));
    EXPECT_TRUE(cached->Data->IsLoaded(static_cast<size_t>(date)));
    ExpectSameLayer(ReadLayer(gpkg, "mixed", ""), *cached); // loads the rest from the file

    // Without a source to read them from, the missing fields raise rather than pass for empty.
    const auto alone = ReadColumnCache(folder_.Path(), *key);
    ASSERT_TRUE(alone);
    EXPECT_THROW(alone->Data->ColumnAt(static_cast<size_t>(text)), platform::AutomationError);
}

TEST_F(ColumnCacheTest, AWorkspaceWritesTheCacheOnceAndReadsItAfterwards) {
    const auto gpkg = folder_ / "data.gpkg";
    testing::WriteGeoPackage(gpkg, {MixedPoints()});
    Settle(gpkg);
    const LayerContents first = OpenFresh(gpkg.string(), "mixed");
    const std::vector<std::string> files = testing::FolderNames(Columns());
    ASSERT_EQ(files.size(), 1U); // no temporary file left
    EXPECT_EQ(std::filesystem::path(files[0]).extension(), ".columns");

    platform::ScopedDebugCapture capture;
    const LayerContents second = OpenFresh(gpkg.string(), "mixed");
    EXPECT_TRUE(CameFromCache(capture));
    ExpectSameLayer(first, second);
    EXPECT_EQ(testing::FolderNames(Columns()), files);
}

TEST_F(ColumnCacheTest, AChangedSourceIsReadAgainAndReplacesItsCacheFile) {
    const auto gpkg = folder_ / "data.gpkg";
    testing::WriteGeoPackage(gpkg, {Lines()});
    Settle(gpkg, 2);
    OpenFresh(gpkg.string(), "lines");
    const std::vector<std::string> files = testing::FolderNames(Columns());

    FixtureLayer changed = Lines();
    changed.rows[0].values[0] = std::string("changed");
    std::filesystem::remove(gpkg);
    testing::WriteGeoPackage(gpkg, {changed});
    Settle(gpkg, 1);
    {
        platform::ScopedDebugCapture capture;
        const LayerContents read = OpenFresh(gpkg.string(), "lines");
        EXPECT_FALSE(CameFromCache(capture));
        EXPECT_EQ(read.Data->ColumnAt(static_cast<size_t>(read.Data->FindField("name"))).Text(0), "changed");
    }
    EXPECT_EQ(testing::FolderNames(Columns()), files); // the same file, rewritten
    platform::ScopedDebugCapture capture;
    const LayerContents again = OpenFresh(gpkg.string(), "lines");
    EXPECT_TRUE(CameFromCache(capture));
    EXPECT_EQ(again.Data->ColumnAt(static_cast<size_t>(again.Data->FindField("name"))).Text(0), "changed");

    // A shapefile's attributes live in its .dbf: a change there alone is a change of the layer.
    testing::WriteShapefile(folder_.Path(), ShapefilePoints());
    for (const char* extension : {".shp", ".shx", ".dbf", ".prj"}) {
        Settle(folder_ / (std::string("mixed") + extension), 2);
    }
    const auto shp = (folder_ / "mixed.shp").string();
    const auto before = MakeColumnCacheKey(shp, "", "test", "FID", {});
    Settle(folder_ / "mixed.dbf", 1);
    const auto after = MakeColumnCacheKey(shp, "", "test", "FID", {});
    ASSERT_TRUE(before && after);
    EXPECT_NE(before->Text, after->Text);
    EXPECT_EQ(before->Hash, after->Hash);
}

TEST_F(ColumnCacheTest, ASourceChangedJustNowIsNotCached) {
    const auto gpkg = folder_ / "data.gpkg";
    testing::WriteGeoPackage(gpkg, {Lines()});
    OpenFresh(gpkg.string(), "lines");
    EXPECT_FALSE(std::filesystem::exists(Columns()) && !testing::FolderNames(Columns()).empty());
}

TEST_F(ColumnCacheTest, DamagedCacheFilesAreIgnoredAndRewritten) {
    const auto gpkg = folder_ / "data.gpkg";
    testing::WriteGeoPackage(gpkg, {MixedPoints()});
    Settle(gpkg);
    const LayerContents original = OpenFresh(gpkg.string(), "mixed");
    const std::vector<std::string> files = testing::FolderNames(Columns());
    ASSERT_EQ(files.size(), 1U);
    const auto cache_file = Columns() / files[0];
    const std::string good = testing::ReadContents(cache_file);

    auto damage = [&](const std::string& bytes) {
        std::ofstream(cache_file, std::ios::binary | std::ios::trunc) << bytes;
        platform::ScopedDebugCapture capture;
        const LayerContents read = OpenFresh(gpkg.string(), "mixed");
        EXPECT_FALSE(CameFromCache(capture));
        ExpectSameLayer(original, read);
        EXPECT_EQ(testing::ReadContents(cache_file), good); // written again, whole
    };
    damage(good.substr(0, good.size() / 2));  // cut short
    damage(good.substr(0, 20));               // cut inside the header
    damage(std::string(good.size(), '\xA5')); // garbage of the right length
    std::string flipped = good;
    flipped[50] = static_cast<char>(flipped[50] ^ 0x10); // an object id: the first column follows the header
    damage(flipped);
    flipped = good;
    flipped[good.size() - 30] = static_cast<char>(flipped[good.size() - 30] ^ 0x01); // the table of contents
    damage(flipped);
}

TEST_F(ColumnCacheTest, EveryCutAndEveryFlippedByteIsRejectedOrHarmless) {
    const auto gpkg = (folder_ / "data.gpkg").string();
    testing::WriteGeoPackage(gpkg, {Lines()});
    const LayerContents full = ReadLayer(gpkg, "lines", "");
    const auto key = MakeColumnCacheKey(gpkg, "lines", "test", "", {});
    ASSERT_TRUE(key);
    const auto file = ColumnCacheFile(folder_.Path(), *key);
    ASSERT_TRUE(WriteColumnCache(file, *key, full));
    const std::string good = testing::ReadContents(file);
    auto decode = [&](const std::string& bytes) {
        return DecodeColumnCache(std::as_bytes(std::span(bytes)), key->Text);
    };
    ASSERT_TRUE(decode(good));
    EXPECT_FALSE(DecodeColumnCache(std::as_bytes(std::span(good)), key->Text + "x"));
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(decode(good.substr(0, size))) << size;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x40);
        if (const auto read = decode(flipped)) { // only padding between sections is outside every checksum
            ExpectSameLayer(full, *read);
        }
    }
}

TEST_F(ColumnCacheTest, AWriteClearsFilesLongUnusedAndDeadWritersLeftovers) {
    const auto lines = folder_ / "lines.gpkg";
    const auto areas = folder_ / "areas.gpkg";
    testing::WriteGeoPackage(lines, {Lines()});
    testing::WriteGeoPackage(areas, {Polygons()});
    Settle(lines);
    Settle(areas);
    OpenFresh(lines.string(), "lines");
    const std::string lines_cache = testing::FolderNames(Columns()).at(0);
    // Long unused, but read now: a read marks it used.
    Settle(Columns() / lines_cache, 24 * 40);
    OpenFresh(lines.string(), "lines");

    const std::string alive = "a.columns.tmp-" + std::to_string(::getpid()) + "-7";
    for (const char* name : {"old.columns", "recent.columns", "b.columns.tmp-2147483646-0", "notes.txt"}) {
        std::ofstream(Columns() / name) << "x";
    }
    std::ofstream(Columns() / alive) << "x";
    Settle(Columns() / "old.columns", 24 * 40);
    Settle(Columns() / "notes.txt", 24 * 40);
    Settle(Columns() / "recent.columns", 24);
    OpenFresh(areas.string(), "areas"); // writes, and tidies the folder first
    std::vector<std::string> names = testing::FolderNames(Columns());
    ASSERT_NE(std::find(names.begin(), names.end(), lines_cache), names.end()); // kept: it was read
    names.erase(std::remove(names.begin(), names.end(), lines_cache), names.end());
    // The areas' new cache file, named by a hash.
    const auto areas_cache = std::find_if(names.begin(), names.end(), [](const std::string& name) {
        return name != "recent.columns" && std::filesystem::path(name).extension() == ".columns";
    });
    ASSERT_NE(areas_cache, names.end());
    names.erase(areas_cache);
    std::vector<std::string> kept = {alive, "notes.txt", "recent.columns"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(names, kept);
}

TEST_F(ColumnCacheTest, TheCacheCanBeTurnedOffAndFailuresToWriteAreSilent) {
    const auto gpkg = folder_ / "data.gpkg";
    testing::WriteGeoPackage(gpkg, {Polygons()});
    Settle(gpkg);
    {
        testing::ScopedEnvironment off("CHRONOVA_COLUMN_CACHE", "off");
        EXPECT_TRUE(ColumnCacheFolder().empty());
        OpenFresh(gpkg.string(), "areas");
        EXPECT_FALSE(std::filesystem::exists(Columns()));
    }
    // A cache folder that cannot be made (a file is in the way): the layer is read all the same.
    std::ofstream(folder_ / "blocked") << "a file";
    testing::ScopedEnvironment blocked("CHRONOVA_COLUMN_CACHE_FOLDER", (folder_ / "blocked" / "columns").string());
    const LayerContents read = OpenFresh(gpkg.string(), "areas");
    ExpectSameLayer(ReadLayer(gpkg.string(), "areas", ""), read);
    EXPECT_EQ(testing::FolderNames(folder_.Path()), (std::vector<std::string>{"blocked", "data.gpkg"}));
}

} // namespace
} // namespace chronova::gis
