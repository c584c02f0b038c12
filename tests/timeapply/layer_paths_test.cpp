#include <gtest/gtest.h>

#include "platform/debug_output.h"
#include "timeapply/mod_layers.h"

namespace chronova::modLayers {
namespace {

TEST(LayerPathsTest, StripExtensionCutsOnlyTheFileNamesExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\data\\storms.shp", "C:\\data\\storms"},
        {"/data/v1.2/raster", "/data/v1.2/raster"},
        {"C:\\v1.2\\raster", "C:\\v1.2\\raster"},
        {"/data/raster.tar.gz", "/data/raster.tar"},
        {"  name.tif  ", "  name"},
        {"noext", "noext"},
        {"  padded  ", "padded"},
        {"   ", "   "},
        {"", ""},
        {".hidden", ""},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(StripExtension(path), expected) << path;
    }
}

TEST(LayerPathsTest, ChangeExtensionReplacesOrAdds) {
    std::string path = "/data/rain.tif";
    ChangeExtension(path, " xml ");
    EXPECT_EQ(path, "/data/rain.xml");
    path = "/data.d/rain";
    ChangeExtension(path, "ini");
    EXPECT_EQ(path, "/data.d/rain.ini");
}

TEST(LayerPathsTest, FeatureLayerFileNameOfNothingIsEmpty) {
    EXPECT_EQ(FeatureLayerFileName(nullptr, ""), "");
}

TEST(DebugOutTest, OneItemIsTrimmedSeveralAreTwoBlanksApart) {
    platform::ScopedDebugCapture capture;
    DebugOut("  alone  ");
    DebugOut("a", int32_t{12}, " b ", 2.5);
    DebugOut(std::string(1000, 'x'), std::string(100, 'y'));
    ASSERT_EQ(capture.Lines().size(), 3u);
    EXPECT_EQ(capture.Lines()[0], "alone");
    EXPECT_EQ(capture.Lines()[1], "a  12   b   2.5");
    EXPECT_EQ(capture.Lines()[2], std::string(1000, 'x') + "  " + std::string(22, 'y'));
}

} // namespace
} // namespace chronova::modLayers
