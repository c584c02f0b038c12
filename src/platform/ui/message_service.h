#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform::ui {

/// Buttons, icon, default button and modality of a message box, with the classic numeric values so that
/// stored or scripted codes keep their meaning; one value from each group is combined with |.
enum class MsgBoxStyle : int32_t {
    OKOnly = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
    ApplicationModal = 0,
    SystemModal = 4096, ///< shown above every other window
    SetForeground = 65536,
};

/// The button that closed a message box, with the classic numeric codes.
enum class MsgBoxResult : int32_t { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

constexpr MsgBoxStyle operator|(MsgBoxStyle a, MsgBoxStyle b) noexcept {
    return static_cast<MsgBoxStyle>(static_cast<int32_t>(a) | static_cast<int32_t>(b));
}
constexpr MsgBoxStyle operator&(MsgBoxStyle a, MsgBoxStyle b) noexcept {
    return static_cast<MsgBoxStyle>(static_cast<int32_t>(a) & static_cast<int32_t>(b));
}

/// The button group of a style (OKOnly .. RetryCancel).
constexpr MsgBoxStyle ButtonsOf(MsgBoxStyle style) noexcept {
    return style & static_cast<MsgBoxStyle>(0x7);
}
/// The icon of a style (none, Critical, Question, Exclamation or Information).
constexpr MsgBoxStyle IconOf(MsgBoxStyle style) noexcept {
    return style & static_cast<MsgBoxStyle>(0x70);
}

/// The buttons a style shows, left to right; an unknown button group shows OK alone.
std::vector<MsgBoxResult> ButtonsShown(MsgBoxStyle style);
/// The button that Enter would press: the one the default-button bits name, or the first when it does not exist.
MsgBoxResult DefaultAnswer(MsgBoxStyle style);

/// Title the classic message box uses when its caller gives none: the application's name.
inline constexpr std::string_view kDefaultMessageTitle = "Chronova";

/// One message box as its caller asked for it; recorders keep these so tests can compare them whole.
struct MessageBoxRequest {
    std::string text;
    std::string title;
    MsgBoxStyle style = MsgBoxStyle::OKOnly;
    int32_t owner_window = 0; ///< the window the box belongs to; 0 for none

    friend bool operator==(const MessageBoxRequest&, const MessageBoxRequest&) = default;
};

/// Where message boxes and the beep go: the desktop app shows real dialogs, the command line writes them out,
/// tests record them. The system never talks to a GUI toolkit directly.
class MessageService {
public:
    virtual ~MessageService() = default;

    /// Shows the box modally and returns the button that closed it.
    virtual MsgBoxResult ShowMessageBox(const MessageBoxRequest& request) = 0;
    /// Sounds the system's alert sound.
    virtual void Beep() = 0;
};

/// The headless service of the command line: writes "title: text" to a stream (stderr by default) and answers
/// the default button, since nobody is there to press one. The beep is silent.
class StreamMessageService final : public MessageService {
public:
    StreamMessageService();
    explicit StreamMessageService(std::ostream& out);

    MsgBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
    void Beep() override {}

private:
    std::ostream* out_;
};

/// A service for tests: keeps every message box and beep in order and answers from a script.
class RecordingMessageService final : public MessageService {
public:
    enum class EventKind { MessageBox, Beep };

    /// One recorded call; box is empty for a beep.
    struct Event {
        EventKind kind = EventKind::MessageBox;
        MessageBoxRequest box;
    };

    MsgBoxResult ShowMessageBox(const MessageBoxRequest& request) override;
    void Beep() override;

    /// Queues the buttons the next message boxes are answered with; once the script is used up each box is
    /// answered with its default button (OK for a plain OK box).
    void Answer(std::initializer_list<MsgBoxResult> buttons);

    const std::vector<Event>& Events() const { return events_; }
    /// The message boxes alone, in order.
    std::vector<MessageBoxRequest> MessageBoxes() const;
    int BeepCount() const;
    /// Forgets the recorded calls and the rest of the script.
    void Clear();

private:
    std::vector<Event> events_;
    std::deque<MsgBoxResult> script_;
};

/// The service in use: the one last installed, or a process-wide StreamMessageService on stderr.
MessageService& CurrentMessageService();

/// Installs a service that the caller keeps alive while installed; nullptr goes back to the stderr service.
/// Returns the service installed before (nullptr for the stderr service) so that it can be put back.
MessageService* SetMessageService(MessageService* service);

/// Installs a service for the life of a scope and puts the previous one back afterwards.
class ScopedMessageService {
public:
    explicit ScopedMessageService(MessageService& service);
    ~ScopedMessageService();
    ScopedMessageService(const ScopedMessageService&) = delete;
    ScopedMessageService& operator=(const ScopedMessageService&) = delete;

private:
    MessageService* previous_;
};

/// Shows a message box through the current service, like the classic MsgBox; an empty title becomes the
/// application's name.
MsgBoxResult MsgBox(std::string_view text, MsgBoxStyle style = MsgBoxStyle::OKOnly, std::string_view title = {},
                    int32_t owner_window = 0);

/// Sounds the alert through the current service.
void Beep();

} // namespace chronova::platform::ui
