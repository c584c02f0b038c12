#include "gis/map/application.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gis/host_errors.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

// Logs the document events with the number of maps the document holds when each fires.
class ApplicationTest : public ::testing::Test {
protected:
    ApplicationTest() {
        const auto document = app->Document();
        const auto add = [&](platform::Event<>& event, std::string name) {
            connections.push_back(event.Connect(
                [this, document, name] { log.push_back(name + " " + std::to_string(document->Maps().size())); }));
        };
        add(document->Events().CloseDocument, "close");
        add(document->Events().NewDocument, "new");
        add(document->Events().OpenDocument, "open");
        add(document->Events().MapsChanged, "maps");
        add(document->PageLayout()->Events().FocusMapChanged, "focus");
    }

    std::shared_ptr<Application> app = Application::Create();
    std::vector<std::string> log;
    std::vector<platform::ScopedConnection> connections;
};

TEST_F(ApplicationTest, ANewDocumentReplacesTheMapsAfterTheOldDocumentCloses) {
    const auto document = app->Document();
    document->AddMap(std::make_shared<Map>("Second"));
    const auto old_focus = document->FocusMap();
    log.clear();
    app->NewDocument();
    EXPECT_EQ(log, (std::vector<std::string>{"close 2", "focus 1", "maps 1", "new 1"}));
    EXPECT_EQ(app->Document(), document);
    EXPECT_NE(document->FocusMap(), old_focus);
    EXPECT_EQ(document->FocusMap()->Name(), "Layers");
}

TEST_F(ApplicationTest, OpeningReadsTheFileBeforeClosingTheCurrentDocument) {
    const auto document = app->Document();
    app->DocumentLoader([](const std::string& path) -> std::vector<std::shared_ptr<Map>> {
        if (path == "broken.json") {
            platform::RaiseError(53);
        }
        return {std::make_shared<Map>("Ships"), std::make_shared<Map>("Inset")};
    });
    EXPECT_RAISES(app->OpenDocument("broken.json"), 53);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(document->FocusMap()->Name(), "Layers");

    app->OpenDocument("ships.json");
    EXPECT_EQ(log, (std::vector<std::string>{"close 1", "focus 2", "maps 2", "open 2"}));
    EXPECT_EQ(document->FocusMap()->Name(), "Ships");
    EXPECT_EQ(document->FilePath(), "ships.json");

    // Without a loader a file opens as one empty map.
    app->DocumentLoader(nullptr);
    app->OpenDocument("other.json");
    EXPECT_EQ(document->FocusMap()->Name(), "Layers");
}

TEST_F(ApplicationTest, ClosingAnnouncesItselfWhileTheMapsAreStillThere) {
    app->CloseDocument();
    EXPECT_EQ(log, (std::vector<std::string>{"close 1"}));
    EXPECT_EQ(app->Document()->FocusMap(), nullptr);
}

TEST_F(ApplicationTest, AHandlerMayReleaseTheLastReferenceToTheApplication) {
    std::weak_ptr<Application> watched = app;
    connections.push_back(app->Document()->Events().CloseDocument.Connect([this] { app.reset(); }));
    Application* const raw = app.get();
    raw->NewDocument();
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(log.back(), "new 1");
}

class TestExtension : public Extension {
public:
    TestExtension(std::string name, std::vector<std::string>& log) : Extension(std::move(name)), log_(log) {}
    void Startup(const platform::ObjectRef& data) override {
        started_with = data;
        log_.push_back("startup " + Name());
    }
    void Shutdown() override { log_.push_back("shutdown " + Name()); }
    platform::ObjectRef started_with;

private:
    std::vector<std::string>& log_;
};

TEST_F(ApplicationTest, ExtensionsStartWithTheApplicationAndAreFoundByName) {
    auto first = std::make_shared<TestExtension>("Test.First", log);
    auto second = std::make_shared<TestExtension>("Test.Second", log);
    app->AddExtension(first);
    app->AddExtension(second);
    EXPECT_EQ(first->started_with, std::static_pointer_cast<platform::IUnknown>(app));
    EXPECT_EQ(app->FindExtensionByName("Test.Second"), second);
    EXPECT_EQ(app->FindExtensionByName("test.second"), nullptr);
    EXPECT_RAISES(app->AddExtension(std::make_shared<Extension>("Test.First")), 457);

    const auto config = std::dynamic_pointer_cast<IExtensionConfig>(app->FindExtensionByName("Test.First"));
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->State(), static_cast<int32_t>(ExtensionState::Enabled));
    config->State(static_cast<int32_t>(ExtensionState::Disabled));
    EXPECT_EQ(first->State(), 2);

    app->Shutdown();
    app->Shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"startup Test.First", "startup Test.Second", "shutdown Test.Second",
                                             "shutdown Test.First"}));
}

class TestWindowDefinition : public IDockableWindowDef {
public:
    std::string Name() const override { return "ApplicationTest.Window"; }
    std::string Caption() const override { return "Slider"; }
    int32_t ChildHWND() const override { return 42; }
    void OnCreate(const platform::ObjectRef& hook) override { created_with = hook; }
    void OnDestroy() override { ++destroyed; }
    platform::Variant UserData() const override { return platform::ObjectRef(data); }

    platform::ObjectRef created_with;
    int destroyed = 0;
    std::shared_ptr<Extension> data = std::make_shared<Extension>("data");
};

TEST_F(ApplicationTest, DockableWindowsAreFoundByIdentifierAndHandOutTheirUserData) {
    RegisterProgId("ApplicationTest.Window", "{3D1FA10A-F154-11D3-A67E-0008C7DF97B9}");
    auto definition = std::make_shared<TestWindowDefinition>();
    auto& manager = app->DockableWindowManager();
    const auto window = manager.AddDockableWindow(definition);
    EXPECT_EQ(definition->created_with, std::static_pointer_cast<platform::IUnknown>(app));
    EXPECT_EQ(manager.GetDockableWindow(UID("ApplicationTest.Window")), window);
    EXPECT_EQ(manager.GetDockableWindow(UID("{3d1fa10a-f154-11d3-a67e-0008c7df97b9}")), window);
    EXPECT_EQ(window->Caption(), "Slider");
    EXPECT_EQ(window->UserData(), std::static_pointer_cast<platform::IUnknown>(definition->data));
    EXPECT_RAISES(manager.AddDockableWindow(definition), 457);

    std::vector<bool> shown;
    const platform::ScopedConnection visibility =
        window->VisibilityChanged.Connect([&](bool visible) { shown.push_back(visible); });
    EXPECT_FALSE(window->IsVisible());
    window->Show(true);
    window->Show(true);
    window->Dock(16);
    window->Show(false);
    EXPECT_EQ(shown, (std::vector<bool>{true, false}));
    EXPECT_EQ(window->DockFlags(), 16);

    const auto own = manager.CreateDockableWindow(UID("{00000000-0000-0000-0000-00000000000A}"), "Own");
    own->UserData(definition->data);
    EXPECT_EQ(own->UserData(), std::static_pointer_cast<platform::IUnknown>(definition->data));

    app->Shutdown();
    EXPECT_EQ(definition->destroyed, 1);
    EXPECT_EQ(manager.GetDockableWindow(UID("ApplicationTest.Window")), nullptr);
}

TEST_F(ApplicationTest, ShowsHostErrorsInTheMessagePane) {
    app->StatusBar().Message(1, "pane one");
    ReportHostError("A layer could not be drawn.");
    EXPECT_EQ(app->StatusBar().Message(0), "A layer could not be drawn.");
    EXPECT_EQ(app->StatusBar().Message(1), "pane one");
}

} // namespace
} // namespace chronova::gis
