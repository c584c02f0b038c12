#include "platform/ui/message_service.h"

#include <gtest/gtest.h>

#include <sstream>

namespace chronova::platform::ui {
namespace {

using R = MsgBoxResult;
using S = MsgBoxStyle;

void ExpectDefault(MsgBoxStyle style, MsgBoxResult expected) {
    EXPECT_EQ(DefaultAnswer(style), expected) << "style " << static_cast<int32_t>(style);
}

TEST(MessageServiceStyleTest, DefaultAnswerIsTheNamedDefaultButton) {
    ExpectDefault(S::OKOnly | S::Exclamation | S::SystemModal, R::OK);
    ExpectDefault(S::OKCancel | S::DefaultButton2, R::Cancel);
    ExpectDefault(S::AbortRetryIgnore | S::DefaultButton3, R::Ignore);
    ExpectDefault(S::YesNoCancel | S::DefaultButton2 | S::Question, R::No);
    ExpectDefault(S::YesNo, R::Yes);
    ExpectDefault(S::RetryCancel | S::DefaultButton2, R::Cancel);
    ExpectDefault(S::YesNo | S::DefaultButton3, R::Yes); // a button the box lacks: the first one
    ExpectDefault(static_cast<MsgBoxStyle>(7), R::OK);   // unknown button group: OK alone
}

TEST(MessageServiceStreamTest, WritesTitleAndTextAndAnswersTheDefaultButton) {
    std::ostringstream out;
    StreamMessageService service(out);
    EXPECT_EQ(service.ShowMessageBox({"Line one\r\n\tLine two", "Title", S::YesNo | S::DefaultButton2, 0}), R::No);
    service.Beep();
    EXPECT_EQ(out.str(), "Title: Line one\n\tLine two\n");
}

TEST(MessageServiceRecorderTest, RecordsBoxesAndBeepsInOrderAndAnswersFromItsScript) {
    RecordingMessageService service;
    service.Answer({R::No, R::Cancel});
    const MessageBoxRequest question{"Save?", "Layers", S::YesNo, 7};
    EXPECT_EQ(service.ShowMessageBox(question), R::No);
    service.Beep();
    EXPECT_EQ(service.ShowMessageBox({"Go on?", "Layers", S::OKCancel, 0}), R::Cancel);
    EXPECT_EQ(service.ShowMessageBox({"Done", "Layers", S::YesNo, 0}), R::Yes); // script used up

    ASSERT_EQ(service.Events().size(), 4U);
    EXPECT_EQ(service.Events()[0].box, question);
    EXPECT_EQ(service.Events()[1].kind, RecordingMessageService::EventKind::Beep);
    EXPECT_EQ(service.BeepCount(), 1);
    EXPECT_EQ(service.MessageBoxes().size(), 3U);
}

TEST(MessageServiceCurrentTest, ScopedServicesNestAndRestore) {
    MessageService& stderr_service = CurrentMessageService();
    RecordingMessageService outer;
    RecordingMessageService inner;
    {
        ScopedMessageService use_outer(outer);
        {
            ScopedMessageService use_inner(inner);
            Beep();
        }
        outer.Answer({R::Retry});
        EXPECT_EQ(MsgBox("Disk busy", S::RetryCancel | S::Critical, "", 42), R::Retry);
    }
    EXPECT_EQ(&CurrentMessageService(), &stderr_service);
    EXPECT_EQ(inner.BeepCount(), 1);
    ASSERT_EQ(outer.MessageBoxes().size(), 1U);
    // An empty title becomes the application's name, as with the classic message box.
    EXPECT_EQ(outer.MessageBoxes()[0], (MessageBoxRequest{"Disk busy", "Chronova", S::RetryCancel | S::Critical, 42}));
}

} // namespace
} // namespace chronova::platform::ui
