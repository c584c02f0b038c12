// Form life cycle: load once, show and hide without reloading, unload and load again, and the odd orders
// (unloading from Form_Load or Form_Unload, handlers that fail), plus window handle numbers.
#include "platform/ui/form.h"

#include "platform/automation_error.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/window_handle.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace chronova::platform::ui {
namespace {

class CountingForm : public Form {
public:
    CountingForm() : Form("Counting") {}

    int loads = 0;
    int unloads = 0;
    std::function<void()> on_load;
    std::function<void()> on_unload;

protected:
    void Form_Load() override {
        ++loads;
        if (on_load) {
            on_load();
        }
    }
    void Form_Unload() override {
        ++unloads;
        if (on_unload) {
            on_unload();
        }
    }
};

// Loaded, visible, loads and unloads so far, in one line per step.
void ExpectState(const CountingForm& form, bool loaded, bool visible, int loads, int unloads) {
    EXPECT_EQ(form.Loaded(), loaded);
    EXPECT_EQ(form.Visible(), visible);
    EXPECT_EQ(form.loads, loads);
    EXPECT_EQ(form.unloads, unloads);
}

TEST(FormTest, LoadsOnceShowsAndHidesWithoutReloadingAndLoadsAgainAfterUnload) {
    CountingForm form;
    ExpectState(form, false, false, 0, 0);
    form.Load();
    form.Load();
    ExpectState(form, true, false, 1, 0);
    form.Show();
    form.Hide();
    form.Show();
    ExpectState(form, true, true, 1, 0);
    form.Unload();
    form.Unload();
    ExpectState(form, false, false, 1, 1);
    form.Visible(true);
    ExpectState(form, true, true, 2, 1);
    form.Visible(false);
    ExpectState(form, true, false, 2, 1);
}

TEST(FormTest, UnloadFromInsideTheHandlersDoesNotRecurseOrLeaveAHalfShownForm) {
    CountingForm form;
    form.on_unload = [&] { form.Unload(); };
    form.Show();
    form.Unload();
    ExpectState(form, false, false, 1, 1);

    form.on_load = [&] { form.Unload(); };
    try {
        form.Show();
        ADD_FAILURE() << "showing a form that unloaded itself must fail";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 364);
    }
    ExpectState(form, false, false, 2, 2);
}

TEST(FormTest, FailingHandlersLeaveTheFormClosedAndPassTheErrorOn) {
    CountingForm form;
    form.on_load = [] { RaiseError(error::kFileNotFound); };
    EXPECT_THROW(form.Show(), AutomationError);
    ExpectState(form, false, false, 1, 0);

    form.on_load = nullptr;
    form.on_unload = [] { RaiseError(error::kPathFileAccess); };
    form.Show();
    EXPECT_THROW(form.Unload(), AutomationError);
    ExpectState(form, false, false, 2, 1);
}

TEST(FormTest, ChangedFollowsRealChangesOfWhatAWindowShows) {
    CountingForm form;
    int changes = 0;
    form.Changed.Connect([&] { ++changes; });
    form.Caption("Counting"); // unchanged
    form.Caption("Layers");
    form.Enabled(false);
    form.Enabled(false);
    form.Load();   // loaded
    form.Show();   // visible
    form.Show();   // already visible
    form.Unload(); // gone
    EXPECT_EQ(changes, 5);
}

TEST(FormTest, WindowHandlesAreUniqueNonzeroAndStableForEachFormAndPictureBox) {
    CountingForm first;
    CountingForm second;
    PictureBox picture;
    const std::set<int32_t> handles{first.hWnd(), second.hWnd(), picture.hWnd(), NewWindowHandle()};
    EXPECT_EQ(handles.size(), 4U);
    EXPECT_GE(*handles.begin(), kFirstWindowHandle);
    const int32_t before = first.hWnd();
    first.Show();
    first.Unload();
    EXPECT_EQ(first.hWnd(), before);
}

} // namespace
} // namespace chronova::platform::ui
