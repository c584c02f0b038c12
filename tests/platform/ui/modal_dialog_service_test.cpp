// Modal dialogs: Show(Modal) returns only once the dialog is closed; the scripted service plays the user's
// part, closes what its script leaves open as cancelled, and hands nested dialogs the following actions.
#include "platform/ui/modal_dialog_service.h"

#include "platform/automation_error.h"
#include "platform/ui/command_button.h"
#include "platform/ui/form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace chronova::platform::ui {
namespace {

// A dialog in the system's manner: "Done" records the answer and unloads, "Cancel" just unloads.
class Dialog : public Form {
public:
    explicit Dialog(std::string_view caption) : Form(caption) {
        done_ = cmdDone.Click.Connect([this] {
            accepted = true;
            Unload();
        });
        cancel_ = cmdCancel.Click.Connect([this] { Unload(); });
    }

    CommandButton cmdDone;
    CommandButton cmdCancel;
    bool accepted = false;
    int unloads = 0;

protected:
    void Form_Load() override { accepted = false; }
    void Form_Unload() override { ++unloads; }

private:
    ScopedConnection done_;
    ScopedConnection cancel_;
};

class OtherDialog : public Form {};

using Captions = std::vector<std::string>;

TEST(ModalDialogServiceTest, ScriptPressesDoneAndShowReturnsOnceTheDialogIsGone) {
    ScriptedModalDialogService script;
    ScopedModalDialogService use(script);
    Dialog dialog("Options");
    bool modal_while_open = false;
    script.Then<Dialog>([&](Dialog& d) {
        modal_while_open = d.Modal() && d.Visible();
        d.cmdDone.Press();
    });
    dialog.Show(FormShow::Modal);
    EXPECT_TRUE(modal_while_open);
    EXPECT_TRUE(dialog.accepted);
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_FALSE(dialog.Modal());
    EXPECT_EQ(script.Shown(), Captions{"Options"});
    EXPECT_EQ(script.Pending(), 0U);
}

TEST(ModalDialogServiceTest, DialogsLeftOpenOrUnscriptedAreCancelledByUnloading) {
    ScriptedModalDialogService script;
    ScopedModalDialogService use(script);
    Dialog dialog("Options");
    script.ThenCancel();
    script.Then([](Form& form) { form.Hide(); }); // hidden, not unloaded: stays loaded
    dialog.Show(FormShow::Modal);
    EXPECT_EQ(dialog.unloads, 1);
    dialog.Show(FormShow::Modal);
    EXPECT_TRUE(dialog.Loaded());
    EXPECT_FALSE(dialog.Visible());
    dialog.Show(FormShow::Modal); // script used up
    EXPECT_EQ(dialog.unloads, 2);
    EXPECT_FALSE(dialog.accepted);
    EXPECT_EQ(script.Shown(), (Captions{"Options", "Options", "Options"}));
}

TEST(ModalDialogServiceTest, NestedDialogsTakeTheFollowingActionsInOrder) {
    ScriptedModalDialogService script;
    ScopedModalDialogService use(script);
    Dialog outer("Layers");
    Dialog inner("Pick Date");
    script.Then<Dialog>([&](Dialog& d) {
        inner.Show(FormShow::Modal);
        EXPECT_FALSE(inner.Visible()) << "the inner Show returns only after its dialog closed";
        d.cmdDone.Press();
    });
    script.Then<Dialog>([](Dialog& d) { d.cmdDone.Press(); });
    outer.Show(FormShow::Modal);
    EXPECT_TRUE(outer.accepted);
    EXPECT_TRUE(inner.accepted);
    EXPECT_EQ(script.Shown(), (Captions{"Layers", "Pick Date"}));
}

TEST(ModalDialogServiceTest, AnActionForAnotherFormFailsLoudlyAndClosesTheDialog) {
    ScriptedModalDialogService script;
    ScopedModalDialogService use(script);
    Dialog dialog("Options");
    script.Then<OtherDialog>([](OtherDialog&) {});
    try {
        dialog.Show(FormShow::Modal);
        ADD_FAILURE() << "the mismatch must be reported";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), error::kTypeMismatch);
        EXPECT_NE(e.Description().find("\"Options\""), std::string::npos) << e.Description();
    }
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_FALSE(dialog.Modal());
}

TEST(ModalDialogServiceTest, AVisibleFormCannotBeShownModally) {
    Dialog dialog("Options");
    dialog.Show();
    try {
        dialog.Show(FormShow::Modal);
        ADD_FAILURE() << "a visible form shown modally must fail";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 400);
    }
    EXPECT_TRUE(dialog.Visible());
}

TEST(ModalDialogServiceTest, ADialogDestroyedByItsActionEndsShowSafely) {
    ScriptedModalDialogService script;
    ScopedModalDialogService use(script);
    auto dialog = std::make_unique<Dialog>("Options");
    script.Then([&](Form&) { dialog.reset(); });
    dialog->Show(FormShow::Modal);
    EXPECT_EQ(dialog, nullptr);
}

// A service that returns without closing anything: Show must not leave a modal dialog standing.
class ReturningService final : public ModalDialogService {
public:
    void RunModal(Form&) override {}
};

TEST(ModalDialogServiceTest, HeadlessDefaultCancelsAndEarlyReturnsAreHidden) {
    Dialog dialog("Options");
    dialog.Show(FormShow::Modal); // no service installed: the headless one
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_FALSE(dialog.Loaded());

    ReturningService returning;
    ScriptedModalDialogService script;
    {
        ScopedModalDialogService use_script(script);
        {
            ScopedModalDialogService use_returning(returning);
            dialog.Show(FormShow::Modal);
        }
        EXPECT_EQ(&CurrentModalDialogService(), &script);
    }
    EXPECT_TRUE(dialog.Loaded());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Modal());
    EXPECT_NE(dynamic_cast<HeadlessModalDialogService*>(&CurrentModalDialogService()), nullptr);
}

} // namespace
} // namespace chronova::platform::ui
