#include "gis/map/document.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/error_number.h"

namespace chronova::gis {
namespace {

// Logs the document's events and the focus-map changes of its page layout and of one map.
class DocumentTest : public ::testing::Test {
protected:
    DocumentTest() {
        connections.push_back(document.Events().MapsChanged.Connect([this] { log.push_back("maps"); }));
        connections.push_back(
            document.PageLayout()->Events().FocusMapChanged.Connect([this] { log.push_back("layout focus"); }));
    }
    void Watch(const std::shared_ptr<Map>& map) {
        connections.push_back(
            map->Events().FocusMapChanged.Connect([this, map] { log.push_back(map->Name() + " focus"); }));
    }

    Document document;
    std::vector<std::string> log;
    std::vector<platform::ScopedConnection> connections;
};

TEST_F(DocumentTest, StartsWithOneEmptyFocusMap) {
    ASSERT_EQ(document.Maps().size(), 1u);
    EXPECT_EQ(document.FocusMap(), document.Maps()[0]);
    EXPECT_EQ(document.FocusMap()->Name(), "Layers");
    EXPECT_EQ(document.FocusMap()->LayerCount(), 0);
    EXPECT_EQ(document.ActiveView(), std::static_pointer_cast<IActiveView>(document.FocusMap()));
    EXPECT_EQ(document.FilePath(), "");
}

TEST_F(DocumentTest, ChangingTheFocusMapTellsThePageLayoutAndTheNewActiveView) {
    auto second = std::make_shared<Map>("Second");
    Watch(second);
    document.AddMap(second);
    EXPECT_EQ(log, (std::vector<std::string>{"maps"}));
    document.FocusMap(second);
    EXPECT_EQ(log, (std::vector<std::string>{"maps", "layout focus", "Second focus"}));
    EXPECT_EQ(document.ActiveView(), std::static_pointer_cast<IActiveView>(second));

    log.clear();
    document.FocusMap(second);
    EXPECT_TRUE(log.empty());

    document.ActivateLayoutView(true);
    document.FocusMap(document.Maps()[0]);
    EXPECT_EQ(log, (std::vector<std::string>{"layout focus"}));
    EXPECT_EQ(document.ActiveView(), std::static_pointer_cast<IActiveView>(document.PageLayout()));

    EXPECT_RAISES(document.FocusMap(std::make_shared<Map>("Elsewhere")), 5);
    EXPECT_RAISES(document.FocusMap(nullptr), 91);
    EXPECT_RAISES(document.AddMap(second), 5);
}

TEST_F(DocumentTest, DeletingTheFocusMapMovesTheFocusFirst) {
    const auto first = document.FocusMap();
    auto second = std::make_shared<Map>("Second");
    document.AddMap(second);
    log.clear();
    document.DeleteMap(first);
    EXPECT_EQ(document.FocusMap(), second);
    EXPECT_EQ(log, (std::vector<std::string>{"layout focus", "maps"}));

    document.DeleteMap(second);
    EXPECT_EQ(document.FocusMap(), nullptr);
    EXPECT_EQ(document.ActiveView(), std::static_pointer_cast<IActiveView>(document.PageLayout()));
    EXPECT_RAISES(document.DeleteMap(second), 5);

    // The first map added to a document without maps becomes its focus map.
    document.AddMap(first);
    EXPECT_EQ(document.FocusMap(), first);
}

TEST_F(DocumentTest, AHandlerMayReplaceTheMapsWhileTheFocusChanges) {
    auto second = std::make_shared<Map>("Second");
    document.AddMap(second);
    bool replaced = false;
    connections.push_back(document.PageLayout()->Events().FocusMapChanged.Connect([&] {
        if (!replaced) {
            replaced = true;
            document.ReplaceContents({std::make_shared<Map>("Replacement")}, "replaced.json");
        }
    }));
    Watch(second);
    log.clear();
    document.DeleteMap(document.FocusMap());
    EXPECT_EQ(document.FocusMap()->Name(), "Replacement");
    EXPECT_EQ(document.Maps().size(), 1u);
    // The map that held the focus only for a moment is not told about it afterwards.
    EXPECT_EQ(log, (std::vector<std::string>{"layout focus", "layout focus", "maps", "maps"}));
}

TEST_F(DocumentTest, RefreshingTheTableOfContentsIsCountedAndAnnounced) {
    int contents_changed = 0;
    connections.push_back(document.FocusMap()->Events().ContentsChanged.Connect([&] { ++contents_changed; }));
    document.UpdateContents();
    document.UpdateContents();
    EXPECT_EQ(document.ContentsUpdateCount(), 2);
    EXPECT_EQ(contents_changed, 2);
}

TEST(CommandBarsTest, FindsTheStandardToolbarAndItsCommandsByIdentifier) {
    CommandBars bars;
    RegisterProgId("CommandBarsTest.Command", "{706B36B3-1CA2-4373-9D75-0EC61E42324E}");
    const auto toolbar = bars.Find(UID("{5deb1db8-c2a9-11d1-b9a2-080009ee4e51}"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(bars.Find(UID("{00000000-0000-0000-0000-000000000001}")), nullptr);

    const UID command("CommandBarsTest.Command");
    EXPECT_EQ(toolbar->Find(command), nullptr);
    toolbar->Add(UID("{00000000-0000-0000-0000-000000000002}"));
    const auto item = toolbar->Add(command, 0);
    EXPECT_EQ(toolbar->Find(UID("{706B36B3-1CA2-4373-9D75-0EC61E42324E}")), item);
    EXPECT_EQ(toolbar->Item(0), item);
    EXPECT_EQ(item->ID().Value(), "{706B36B3-1CA2-4373-9D75-0EC61E42324E}");
    toolbar->Delete(item);
    toolbar->Delete(item);
    EXPECT_EQ(toolbar->Find(command), nullptr);
    EXPECT_EQ(toolbar->Count(), 1);

    EXPECT_RAISES(toolbar->Add(UID()), 5);
    EXPECT_RAISES(bars.Create(toolbar->ID(), "Again"), 457);
}

} // namespace
} // namespace chronova::gis
