#include "platform/ui/message_service.h"

#include <algorithm>
#include <atomic>
#include <iostream>

namespace chronova::platform::ui {
namespace {

std::atomic<MessageService*> g_current_service{nullptr};

// Message texts are composed with CR LF line ends; a terminal or log wants plain line feeds.
std::string WithLineFeeds(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        result += text[i];
    }
    return result;
}

} // namespace

std::vector<MsgBoxResult> ButtonsShown(MsgBoxStyle style) {
    using R = MsgBoxResult;
    switch (ButtonsOf(style)) {
    case MsgBoxStyle::OKCancel:
        return {R::OK, R::Cancel};
    case MsgBoxStyle::AbortRetryIgnore:
        return {R::Abort, R::Retry, R::Ignore};
    case MsgBoxStyle::YesNoCancel:
        return {R::Yes, R::No, R::Cancel};
    case MsgBoxStyle::YesNo:
        return {R::Yes, R::No};
    case MsgBoxStyle::RetryCancel:
        return {R::Retry, R::Cancel};
    default:
        return {R::OK};
    }
}

MsgBoxResult DefaultAnswer(MsgBoxStyle style) {
    const std::vector<MsgBoxResult> buttons = ButtonsShown(style);
    const auto index = static_cast<size_t>((static_cast<int32_t>(style) >> 8) & 0x3);
    return index < buttons.size() ? buttons[index] : buttons.front();
}

StreamMessageService::StreamMessageService() : out_(&std::cerr) {}

StreamMessageService::StreamMessageService(std::ostream& out) : out_(&out) {}

MsgBoxResult StreamMessageService::ShowMessageBox(const MessageBoxRequest& request) {
    *out_ << WithLineFeeds(request.title) << ": " << WithLineFeeds(request.text) << '\n' << std::flush;
    return DefaultAnswer(request.style);
}

MsgBoxResult RecordingMessageService::ShowMessageBox(const MessageBoxRequest& request) {
    events_.push_back({EventKind::MessageBox, request});
    if (script_.empty()) {
        return DefaultAnswer(request.style);
    }
    const MsgBoxResult answer = script_.front();
    script_.pop_front();
    return answer;
}

void RecordingMessageService::Beep() {
    events_.push_back({EventKind::Beep, {}});
}

void RecordingMessageService::Answer(std::initializer_list<MsgBoxResult> buttons) {
    script_.insert(script_.end(), buttons.begin(), buttons.end());
}

std::vector<MessageBoxRequest> RecordingMessageService::MessageBoxes() const {
    std::vector<MessageBoxRequest> boxes;
    for (const Event& event : events_) {
        if (event.kind == EventKind::MessageBox) {
            boxes.push_back(event.box);
        }
    }
    return boxes;
}

int RecordingMessageService::BeepCount() const {
    return static_cast<int>(
        std::count_if(events_.begin(), events_.end(), [](const Event& e) { return e.kind == EventKind::Beep; }));
}

void RecordingMessageService::Clear() {
    events_.clear();
    script_.clear();
}

MessageService& CurrentMessageService() {
    if (MessageService* service = g_current_service.load()) {
        return *service;
    }
    static StreamMessageService stderr_service;
    return stderr_service;
}

MessageService* SetMessageService(MessageService* service) {
    return g_current_service.exchange(service);
}

ScopedMessageService::ScopedMessageService(MessageService& service) : previous_(SetMessageService(&service)) {}

ScopedMessageService::~ScopedMessageService() {
    SetMessageService(previous_);
}

MsgBoxResult MsgBox(std::string_view text, MsgBoxStyle style, std::string_view title, int32_t owner_window) {
    MessageBoxRequest request{std::string(text), std::string(title.empty() ? kDefaultMessageTitle : title), style,
                              owner_window};
    return CurrentMessageService().ShowMessageBox(request);
}

void Beep() {
    CurrentMessageService().Beep();
}

} // namespace chronova::platform::ui
