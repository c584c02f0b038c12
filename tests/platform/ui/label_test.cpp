#include "platform/ui/label.h"

#include <gtest/gtest.h>

#include <vector>

namespace chronova::platform::ui {
namespace {

TEST(LabelTest, ChangeFiresSynchronouslyOnlyWhenTheCaptionReallyChanges) {
    Label label;
    std::vector<std::string> seen;
    label.Change.Connect([&] { seen.push_back(label.Caption()); });
    for (const char* caption : {"051407Z MAR 2008", "051407Z MAR 2008", "", "", "x"}) {
        label.Caption(caption);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"051407Z MAR 2008", "", "x"}));
}

} // namespace
} // namespace chronova::platform::ui
