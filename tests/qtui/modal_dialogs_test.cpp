// Modal forms as real Qt dialogs, and message boxes as QMessageBox, driven the way a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "platform/ui/command_button.h"
#include "platform/ui/form.h"
#include "platform/ui/message_service.h"
#include "qtui/bindings.h"
#include "qtui/modal_dialogs.h"

namespace chronova::qtui {
namespace {

namespace ui = platform::ui;

// A small modal form: "Done" hides it (the answer is kept), "Close" unloads it.
class AskForm : public ui::Form {
public:
    AskForm() : Form("Ask") {
        done_.Click.Connect([this] { Hide(); });
        close_.Click.Connect([this] { Unload(); });
    }
    ui::CommandButton done_;
    ui::CommandButton close_;
    int unloads = 0;

protected:
    void Form_Unload() override { ++unloads; }
};

std::unique_ptr<QDialog> AskDialog(ui::Form& form, QWidget* owner) {
    auto* ask = dynamic_cast<AskForm*>(&form);
    if (ask == nullptr) {
        return nullptr;
    }
    auto dialog = std::make_unique<QDialog>(owner);
    auto* layout = new QVBoxLayout(dialog.get());
    QPushButton* done = BindCommandButton(ask->done_, dialog.get());
    done->setObjectName("done");
    layout->addWidget(done);
    layout->addWidget(BindCommandButton(ask->close_, dialog.get()));
    return dialog;
}

// Runs an action once the event loop of the modal dialog or box runs.
void WhenShown(std::function<void()> action) {
    QTimer::singleShot(0, [action = std::move(action)] { action(); });
}

class ModalDialogTest : public ::testing::Test {
protected:
    QtModalDialogService service_;
    ui::ScopedModalDialogService installed_{service_};
};

TEST_F(ModalDialogTest, TheFormsButtonHidesItAndShowEndsWithTheFormStillLoaded) {
    service_.Add(AskDialog);
    AskForm form;
    form.Caption("Pick a layer");
    QString title;
    WhenShown([&] {
        ASSERT_NE(service_.Current(), nullptr);
        title = service_.Current()->windowTitle();
        EXPECT_TRUE(service_.Current()->isModal());
        QTest::mouseClick(service_.Current()->findChild<QPushButton*>("done"), Qt::LeftButton);
    });
    form.Show(ui::FormShow::Modal);
    EXPECT_EQ(title, "Pick a layer");
    EXPECT_TRUE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.unloads, 0);
    EXPECT_EQ(service_.Current(), nullptr);
}

TEST_F(ModalDialogTest, UnloadingFromCodeClosesTheDialogAndEscapeUnloadsTheForm) {
    service_.Add(AskDialog);
    AskForm form;
    WhenShown([&] { form.Unload(); });
    form.Show(ui::FormShow::Modal);
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(form.unloads, 1);

    WhenShown([&] { QTest::keyClick(service_.Current(), Qt::Key_Escape); });
    form.Show(ui::FormShow::Modal);
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(form.unloads, 2);

    WhenShown([&] { service_.Current()->close(); }); // the close box
    form.Show(ui::FormShow::Modal);
    EXPECT_EQ(form.unloads, 3);
}

TEST_F(ModalDialogTest, AFormNoFactoryKnowsIsClosedAtOnceAndADestroyedFormIsLeftAlone) {
    AskForm unknown;
    unknown.Show(ui::FormShow::Modal); // no factory: cancelled without a dialog
    EXPECT_FALSE(unknown.Loaded());
    EXPECT_EQ(unknown.unloads, 1);

    service_.Add(AskDialog);
    auto doomed = std::make_unique<AskForm>();
    // The form's own button destroys it while its dialog runs; the dialog ends and nothing touches the form.
    doomed->done_.Click.Connect([&] {
        doomed->Unload();
        doomed.reset();
    });
    WhenShown([&] { QTest::mouseClick(service_.Current()->findChild<QPushButton*>("done"), Qt::LeftButton); });
    doomed->Show(ui::FormShow::Modal);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(service_.Current(), nullptr);
}

// Answers the message box that is about to run with a button of its own.
void PressWhenShown(QMessageBox::StandardButton button, QString* text = nullptr, QString* title = nullptr,
                    QMessageBox::StandardButton* default_button = nullptr) {
    WhenShown([=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (text != nullptr) {
            *text = box->text();
        }
        if (title != nullptr) {
            *title = box->windowTitle();
        }
        if (default_button != nullptr) {
            *default_button = box->standardButton(box->defaultButton());
        }
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    });
}

TEST(MessageServiceTest, TheBoxShowsTheRequestAndAnswersTheButtonPressed) {
    QtMessageService service;
    QString text;
    QString title;
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
    PressWhenShown(QMessageBox::No, &text, &title, &default_button);
    const ui::MsgBoxResult answer = service.ShowMessageBox(
        {"Replace the frames?", "Export", ui::MsgBoxStyle::YesNoCancel | ui::MsgBoxStyle::DefaultButton2, 0});
    EXPECT_EQ(answer, ui::MsgBoxResult::No);
    EXPECT_EQ(text, "Replace the frames?");
    EXPECT_EQ(title, "Export");
    EXPECT_EQ(default_button, QMessageBox::No);

    PressWhenShown(QMessageBox::Retry, nullptr, &title);
    EXPECT_EQ(service.ShowMessageBox({"Locked", "", ui::MsgBoxStyle::AbortRetryIgnore, 0}), ui::MsgBoxResult::Retry);
    EXPECT_EQ(title, "Chronova"); // a box without a title takes the application's name
}

TEST(MessageServiceTest, EscapeAnswersCancelWhereTheBoxHasOne) {
    QtMessageService service;
    WhenShown([] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(service.ShowMessageBox({"Stop playback?", "", ui::MsgBoxStyle::OKCancel, 0}), ui::MsgBoxResult::Cancel);
}

} // namespace
} // namespace chronova::qtui
