#include "host/error_handling.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "host/error_log.h"
#include "platform/ui/message_service.h"
#include "registry/globals.h"
#include "support/error_number.h"

namespace chronova::ErrorHandling {
namespace {

namespace fs = std::filesystem;
using platform::AutomationError;
using platform::ui::MsgBoxStyle;
using platform::ui::RecordingMessageService;

constexpr std::string_view kIntro = "An error has occured in the application.   Record the call stack sequence\r\n"
                                    "and the description of the error.\r\n\r\nError Call Stack Sequence \r\n";
constexpr std::string_view kInnerLines =
    "\tUpdateLayer modLayers \r\n\tFindSteps modLayers \r\n\tParseTime modDateTime \r\n";

std::string NumberBlock(int32_t number, std::string_view description) {
    return "\r\nError Number \r\n\t" + std::to_string(number) + "\r\nDescription\r\n\t" + std::string(description) +
           "\r\n\r\n";
}

// A chain of procedures as the system writes them, each wrapping its body in Trap.
void Innermost(int32_t number, std::string_view text) {
    Trap("ParseTime", "modDateTime", TrapKind::Inner, [&] { platform::RaiseError(number, text, "LayerData"); });
}
void Middle(int32_t number, std::string_view text) {
    Trap("FindSteps", "modLayers", TrapKind::Inner, [&] { Innermost(number, text); });
}
void Outer(int32_t number, std::string_view text) {
    Trap("UpdateLayer", "modLayers", TrapKind::Inner, [&] { Middle(number, text); });
}
int TopLevel(int32_t number, std::string_view text, TrapKind kind = TrapKind::TopLevel) {
    int reached = 0;
    Trap("Slider1_Change", "frmSlider", kind, [&] {
        reached = 1; // assigned before the failure, so it stays the procedure's result
        Outer(number, text);
        reached = 2;
    });
    return reached;
}

// The error an inner chain passes to a caller outside the system, such as an automation client.
AutomationError PassedOut(int32_t number, std::string_view text) {
    AutomationError error = testing::ErrorOf([&] { Outer(number, text); });
    EXPECT_NE(error.Number(), 0) << "the inner chain did not pass its error on";
    return error;
}

class ErrorHandlingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        fs::remove(log_path_);
        setenv("CHRONOVA_ERROR_LOG", log_path_.c_str(), 1);
        host::ErrorLog::ResetInstance();
    }
    void TearDown() override {
        host::ErrorLog::ResetInstance();
        unsetenv("CHRONOVA_ERROR_LOG");
        fs::remove(log_path_);
    }

    // The text of the one error shown since the last call, after checking it was a beep and an error box.
    std::string TakeShownText() {
        const auto events = messages_.Events();
        messages_.Clear();
        if (events.size() != 2U || events[0].kind != RecordingMessageService::EventKind::Beep) {
            ADD_FAILURE() << "expected a beep and one message box, got " << events.size() << " events";
            return {};
        }
        EXPECT_EQ(events[1].box.title, "Unexpected Program Error");
        EXPECT_EQ(events[1].box.style, MsgBoxStyle::Exclamation | MsgBoxStyle::OKOnly);
        EXPECT_EQ(events[1].box.owner_window, g_hWndOwner);
        return events[1].box.text;
    }

    std::string LogText() const {
        std::ostringstream text;
        text << std::ifstream(log_path_).rdbuf();
        return text.str();
    }

    RecordingMessageService messages_;
    platform::ui::ScopedMessageService use_messages_{messages_};
    const fs::path log_path_ = fs::temp_directory_path() / ("chronova_error_handling_" + std::to_string(getpid()));
};

TEST_F(ErrorHandlingTest, ErrorThreeCallsDeepShowsTheWholeChainOnce) {
    g_hWndOwner = 4242;
    EXPECT_EQ(TopLevel(13, "Type mismatch"), 1);
    EXPECT_EQ(TakeShownText(), std::string(kIntro) + "\tSlider1_Change frmSlider \r\n" + std::string(kInnerLines) +
                                   NumberBlock(13, "Type mismatch"));
}

TEST_F(ErrorHandlingTest, InnerChainPassesTheComposedErrorOut) {
    const AutomationError error = PassedOut(9, "No such step");
    EXPECT_EQ(error.Number(), 9);
    EXPECT_EQ(error.Source(), "LayerData");
    EXPECT_EQ(error.Description(), std::string(kInnerLines) + NumberBlock(9, "No such step"));
    EXPECT_TRUE(messages_.Events().empty());
}

TEST_F(ErrorHandlingTest, ErrorsThatLeftTheSystemOrWereShownDoNotStripTheNextOne) {
    PassedOut(5, "first");
    TopLevel(6, "second");
    const std::string shown = TakeShownText();
    EXPECT_TRUE(shown.ends_with(std::string(kInnerLines) + NumberBlock(6, "second")));
    TopLevel(6, "second");
    EXPECT_EQ(TakeShownText(), shown);
}

void ExpectShownDescription(int32_t number, std::string_view description, const std::string& expected) {
    RecordingMessageService messages;
    platform::ui::ScopedMessageService use(messages);
    HandleError(true, "Proc Module ", number, "Source", description, PresentationMode::ShowMessage, 0);
    ASSERT_EQ(messages.MessageBoxes().size(), 1U);
    EXPECT_TRUE(messages.MessageBoxes()[0].text.ends_with(NumberBlock(number, expected))) << description;
}

TEST_F(ErrorHandlingTest, AutomationErrorInAnyCaseIsReplacedBySystemText) {
    const auto e_fail = static_cast<int32_t>(0x80004005);
    ExpectShownDescription(e_fail, "Automation error", "Unspecified error");
    ExpectShownDescription(e_fail, "Method 'Open' failed: AUTOMATION eRROR", "Unspecified error");
    ExpectShownDescription(static_cast<int32_t>(0x80070057), "automation error", "The parameter is incorrect.");
    ExpectShownDescription(static_cast<int32_t>(0x8000FFFF), "automation error", "Catastrophic failure");
    ExpectShownDescription(EACCES, "Automation error", std::strerror(EACCES));
    ExpectShownDescription(static_cast<int32_t>(0x80041234), "Automation error", std::string(kSystemTextNotFound));
    ExpectShownDescription(99999, "automation error", std::string(kSystemTextNotFound));
    ExpectShownDescription(e_fail, "automationerror", "automationerror");
}

TEST_F(ErrorHandlingTest, NotFoundSystemTextKeepsTheChainOnItsWayUp) {
    // The not-found text itself contains "Automation Error"; outer traps must not replace the composed text.
    TopLevel(99999, "Automation error");
    EXPECT_TRUE(TakeShownText().ends_with(std::string(kInnerLines) + NumberBlock(99999, kSystemTextNotFound)));
}

TEST_F(ErrorHandlingTest, CallStackEntries) {
    EXPECT_EQ(ErrorLineText(0), "");
    EXPECT_EQ(CallStackEntry("UpdateLayer", "modLayers"), "UpdateLayer modLayers ");
    EXPECT_EQ(CallStackEntry("UpdateLayer", "modLayers", 30), "UpdateLayer modLayers Line : 30");
}

TEST_F(ErrorHandlingTest, LogModeWritesTheErrorLogAndShowsNothing) {
    EXPECT_EQ(TopLevel(13, "Type mismatch", TrapKind::TopLevelLog), 1);
    EXPECT_TRUE(messages_.Events().empty());
    const std::string logged = LogText();
    EXPECT_NE(logged.find("Record Call Stack Sequence - Bottom line is error line.\n\n\tSlider1_Change frmSlider \n"
                          "\tUpdateLayer modLayers \n\tFindSteps modLayers \n\tParseTime modDateTime \n\n"
                          "Error Number \n\t13\nDescription\n\tType mismatch\n\n"),
              std::string::npos)
        << logged;
    TopLevel(6, "Overflow", TrapKind::TopLevelLog);
    EXPECT_TRUE(LogText().starts_with(logged));
    EXPECT_TRUE(LogText().ends_with("\tOverflow\n\n\n"));
}

TEST_F(ErrorHandlingTest, EveryModeButTheLogShowsAMessageBox) {
    g_hWndOwner = 77;
    for (int32_t mode : {2, 3, 0, 99}) {
        HandleError(true, "cmdPlay_Click frmSlider ", 5, "Chronova", "Bad call", static_cast<PresentationMode>(mode),
                    g_hWndOwner);
        EXPECT_EQ(TakeShownText(), std::string(kIntro) + "\tcmdPlay_Click frmSlider \r\n" + NumberBlock(5, "Bad call"));
    }
    EXPECT_FALSE(fs::exists(log_path_));
}

// An error about a value in the data, raised three calls deep as the step discovery raises it.
void RaiseAboutAValue() {
    Trap("ParseTime", "modDateTime", TrapKind::Inner, [] {
        AutomationError error(13, "Chronova", "Type mismatch");
        error.UserMessage("ships.dbf: feature 212, field DTG: '010300Z MAR' 2008' is not a date-time group");
        throw error;
    });
}

TEST_F(ErrorHandlingTest, TheMessageAboutTheDataTravelsBesideTheClassicText) {
    const AutomationError error = testing::ErrorOf([] {
        Trap("UpdateLayer", "modLayers", TrapKind::Inner,
             [] { Trap("FindSteps", "modLayers", TrapKind::Inner, [] { RaiseAboutAValue(); }); });
    });
    // Automation callers see the number and the chain exactly as before.
    EXPECT_EQ(error.Number(), 13);
    EXPECT_EQ(error.Description(), std::string(kInnerLines) + NumberBlock(13, "Type mismatch"));
    EXPECT_EQ(error.UserMessage(), "ships.dbf: feature 212, field DTG: '010300Z MAR' 2008' is not a date-time group");
    EXPECT_EQ(OneLineMessage(error), error.UserMessage());

    // Shown at the top, the message leads the box and the log record, ahead of the call stack.
    Trap("Slider1_Change", "frmSlider", TrapKind::TopLevel, [] { RaiseAboutAValue(); });
    EXPECT_TRUE(TakeShownText().starts_with(error.UserMessage() + "\r\n\r\n" + std::string(kIntro) +
                                            "\tSlider1_Change frmSlider \r\n\tParseTime modDateTime \r\n"));
    Trap("Slider1_Change", "frmSlider", TrapKind::TopLevelLog, [] { RaiseAboutAValue(); });
    EXPECT_NE(LogText().find(error.UserMessage() + "\n\nRecord Call Stack Sequence"), std::string::npos) << LogText();

    // An error without one keeps showing as it did.
    EXPECT_EQ(TopLevel(5, "Bad call"), 1);
    EXPECT_TRUE(TakeShownText().starts_with(kIntro));
}

TEST_F(ErrorHandlingTest, TheInnermostDescriptionIsOneLine) {
    const AutomationError passed = PassedOut(13, "Type mismatch");
    EXPECT_EQ(InnermostDescription(passed.Description()), "Type mismatch");
    EXPECT_EQ(OneLineMessage(passed), "Type mismatch");
    EXPECT_EQ(InnermostDescription("No such step"), "No such step");
    EXPECT_EQ(InnermostDescription("two\r\nlines\n\tand a tab "), "two lines and a tab");

    // A chain wrapped in words of a caller keeps the words, and a chain wrapped in a chain reads through both.
    const std::string wrapped = "layer 'Ships' cannot be a time layer: " + passed.Description() + " (ships)";
    EXPECT_EQ(InnermostDescription(wrapped), "layer 'Ships' cannot be a time layer: Type mismatch (ships)");
    const AutomationError twice = testing::ErrorOf(
        [&] { Trap("Open", "modProject", TrapKind::Inner, [&] { platform::RaiseError(5, wrapped); }); });
    EXPECT_EQ(OneLineMessage(twice), "layer 'Ships' cannot be a time layer: Type mismatch (ships)");

    // A description that only looks like part of a block is left as it was written.
    EXPECT_EQ(InnermostDescription("\r\nError Number \r\n\t5"), "Error Number 5");
}

void ExpectConverted(const std::function<void()>& thrower, int32_t number, std::string_view description) {
    const AutomationError error = testing::ErrorOf([&] { Trap("Proc", "modTest", TrapKind::Inner, thrower); });
    EXPECT_EQ(error.Number(), number) << "what was passed on";
    EXPECT_EQ(error.Description(), "\tProc modTest \r\n" + NumberBlock(number, description));
}

TEST_F(ErrorHandlingTest, OtherExceptionsBecomeAutomationErrors) {
    ExpectConverted([] { throw std::bad_alloc(); }, 7, "Out of memory");
    ExpectConverted([] { throw std::out_of_range("step 5"); }, 9, "Subscript out of range (step 5)");
    ExpectConverted([] { throw std::runtime_error("disk on fire"); }, 51, "Internal error (disk on fire)");
    ExpectConverted([] { throw 42; }, 51, "Internal error");
}

} // namespace
} // namespace chronova::ErrorHandling
