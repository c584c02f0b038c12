#include "extension/chronova_ext.h"

#include "extension/version_info.h"
#include "gis/map/map.h"
#include "host_fixture.h"
#include "platform/settings_store.h"
#include "records/process_state.h"

namespace chronova {
namespace {

using platform::HKEY_CURRENT_USER;
using platform::HKEY_LOCAL_MACHINE;
using platform::ui::MessageBoxRequest;
using platform::ui::MsgBoxStyle;

constexpr auto kInformation = MsgBoxStyle::Information | MsgBoxStyle::SystemModal;
const std::string kHint = "Chronova Extension Must Be Enabled Under Tools->Extensions";

class ChronovaExtTest : public testing::HostTest {};

TEST_F(ChronovaExtTest, StartedByAnotherHostItSaysSoAndHoldsNoApplication) {
    ChronovaExt extension;
    g_pApp = gis::Application::Create();
    extension.Startup(std::make_shared<gis::Map>());
    EXPECT_EQ(g_pApp, nullptr);
    EXPECT_EQ(messages_.MessageBoxes(),
              (std::vector<MessageBoxRequest>{
                  {"Chronova Extension Is Only Available Under ArcMap", "Chronova Extension", kInformation, 0}}));

    // In the host it keeps an application that is already there, and lets go of it when it shuts down.
    const auto first = gis::Application::Create();
    g_pApp = first;
    extension.Startup(gis::Application::Create());
    EXPECT_EQ(g_pApp, first);
    extension.Shutdown();
    EXPECT_EQ(g_pApp, nullptr);
}

TEST_F(ChronovaExtTest, TheDisableHintAppearsOncePerUserEver) {
    StartHost(); // a newly installed extension starts switched off
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kHint});
    EXPECT_EQ(platform::GetSetting("ArcMap", "Chronova Extension", "Premiered"), "True");

    Enable(true);
    Enable(false);
    app_->Shutdown();
    StartHost();
    Enable(false);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kHint});
}

TEST_F(ChronovaExtTest, AnotherSessionThatShowedTheHintSilencesThisOne) {
    StartHost();
    Enable(true);
    messages_.Clear();
    // Meanwhile another session of the same user showed the hint.
    platform::SaveSetting("ArcMap", "Chronova Extension", "Premiered", "False");
    ChronovaExt late;
    late.Startup(app_);
    platform::SaveSetting("ArcMap", "Chronova Extension", "Premiered", "True");
    late.State(static_cast<int32_t>(gis::ExtensionState::Disabled));
    EXPECT_TRUE(messages_.MessageBoxes().empty());
}

TEST_F(ChronovaExtTest, TheCommandIsOnTheToolbarOnlyWhileEnabledAndWanted) {
    StartHost();
    EXPECT_FALSE(CommandOnToolbar());
    Enable(true);
    EXPECT_TRUE(CommandOnToolbar());

    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, testing::kProductKey, "CNON", " 0 "));
    Enable(true);
    EXPECT_FALSE(CommandOnToolbar()); // removed although the extension is enabled

    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, testing::kProductKey, "CNON", "1"));
    Enable(true);
    EXPECT_TRUE(CommandOnToolbar());

    // Without a value of its own the product follows the company's switch.
    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, testing::kProductKey, "CNON", ""));
    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veltrane Software", "CNON", "0"));
    Enable(true);
    EXPECT_FALSE(CommandOnToolbar());
}

TEST_F(ChronovaExtTest, EnablingShowsAndDocksTheWindowAndDisablingHidesIt) {
    StartHost();
    ASSERT_NE(Window(), nullptr);
    EXPECT_FALSE(Window()->IsVisible());
    Enable(true);
    EXPECT_TRUE(Window()->IsVisible());
    EXPECT_EQ(Window()->DockFlags(), 16);
    Enable(false);
    EXPECT_FALSE(Window()->IsVisible());
    EXPECT_FALSE(CommandOnToolbar());
}

TEST_F(ChronovaExtTest, ConfigurationFollowsTheOpenDocumentOnly) {
    StartHost();
    app_->CloseDocument();
    Enable(true); // no document open: nothing to configure yet
    EXPECT_FALSE(Window()->IsVisible());
    app_->OpenDocument("ships.json");
    EXPECT_TRUE(Window()->IsVisible());
    EXPECT_TRUE(CommandOnToolbar());

    // Once configured, a document is not configured again until the next one.
    Window()->Show(false);
    app_->Document()->Events().OpenDocument.Fire();
    EXPECT_FALSE(Window()->IsVisible());
    app_->NewDocument();
    EXPECT_TRUE(Window()->IsVisible());
}

TEST_F(ChronovaExtTest, TheModeChoosesTheDefaultsOfTheDisplaySettings) {
    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, testing::kProductKey, "Mode", "1"));
    StartHost();
    EXPECT_TRUE(g_bFillGaps);
    EXPECT_FALSE(g_bUpdateTOC);
    EXPECT_FALSE(g_bLoopAnimation);
    EXPECT_EQ(g_iDisplayType, 0);

    // Only exactly "1" turns the mode on.
    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, testing::kProductKey, "Mode", " 1"));
    app_->NewDocument();
    EXPECT_FALSE(g_bFillGaps);
    EXPECT_TRUE(g_bUpdateTOC);

    // Stored values win over the defaults.
    ASSERT_TRUE(WriteSetting(HKEY_LOCAL_MACHINE, testing::kProductKey, "Mode", "1"));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "Fill_Gaps", "False"));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "UpdateTOC", " True "));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "Loop_Animation", "-1"));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "Display_Type", " 2.5 "));
    app_->NewDocument();
    EXPECT_FALSE(g_bFillGaps);
    EXPECT_TRUE(g_bUpdateTOC);
    EXPECT_TRUE(g_bLoopAnimation);
    EXPECT_EQ(g_iDisplayType, 2); // halves round to even
}

TEST_F(ChronovaExtTest, AStoredTextThatIsNoBooleanEndsTheLoadingThere) {
    StartHost();
    messages_.Clear();
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "Display_Type", "1"));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "Fill_Gaps", "True"));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "UpdateTOC", "perhaps"));
    ASSERT_TRUE(WriteSetting(HKEY_CURRENT_USER, testing::kProductKey, "Loop_Animation", "True"));
    g_bUpdateTOC = true;
    g_bLoopAnimation = false;

    app_->NewDocument();
    EXPECT_EQ(g_iDisplayType, 1);
    EXPECT_TRUE(g_bFillGaps);
    EXPECT_TRUE(g_bUpdateTOC);
    EXPECT_FALSE(g_bLoopAnimation);
    const auto boxes = messages_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Unexpected Program Error");
    EXPECT_NE(boxes[0].text.find("ConfigureChronovaExt ChronovaExt"), std::string::npos);
}

TEST_F(ChronovaExtTest, AnUnavailableStateSaysTheInstallationIsBroken) {
    StartHost();
    messages_.Clear();
    Extension().State(static_cast<int32_t>(gis::ExtensionState::Unavailable));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Chronova Extension Has Not Been Installed Properly"});
    EXPECT_EQ(Extension().State(), 4);
}

TEST_F(ChronovaExtTest, ItDescribesItselfFromItsVersionInformation) {
    StartHost();
    EXPECT_EQ(Extension().Description(), DescriptionText(ComponentVersion()));
    EXPECT_EQ(DescriptionText({"Product", 1, 2, 3, "Copyright", "Company", "Marks", "Comments"}),
              "Product 1.2.0.3\r\nCopyright Company\r\nMarks\r\n\r\nComments");
}

TEST_F(ChronovaExtTest, AfterShuttingDownItNoLongerFollowsTheDocument) {
    auto& host = StartHost();
    app_->FindExtensionByName(kProgID_ChronovaExt)->Shutdown();
    g_pApp = app_;
    Extension().State(static_cast<int32_t>(gis::ExtensionState::Enabled));
    host.NewDocument();
    EXPECT_FALSE(CommandOnToolbar());
}

} // namespace
} // namespace chronova
