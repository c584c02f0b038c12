#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace chronova::platform::ui {

namespace detail {

// One connected handler; kept alive by every fire that is calling it so that it may disconnect itself.
template <typename... Args>
struct EventSlot {
    std::function<void(Args...)> handler;
    bool connected = true;
};

} // namespace detail

/// A handle to one connected handler; lets its owner disconnect it, also from inside a fire.
class EventConnection {
public:
    EventConnection() = default;
    explicit EventConnection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}

    /// Stops the handler from being called again; harmless when already disconnected or the event is gone.
    void Disconnect() {
        if (disconnect_) {
            auto disconnect = std::move(disconnect_);
            disconnect_ = nullptr;
            disconnect();
        }
    }

private:
    std::function<void()> disconnect_;
};

/// Disconnects its handler when it goes out of scope, so a listener cannot outlive its handler.
class ScopedEventConnection {
public:
    ScopedEventConnection() = default;
    ScopedEventConnection(EventConnection connection) : connection_(std::move(connection)) {}
    ScopedEventConnection(ScopedEventConnection&&) = default;
    ScopedEventConnection& operator=(ScopedEventConnection&& other) noexcept {
        if (this != &other) {
            connection_.Disconnect();
            connection_ = std::move(other.connection_);
            other.connection_ = EventConnection();
        }
        return *this;
    }
    ScopedEventConnection(const ScopedEventConnection&) = delete;
    ScopedEventConnection& operator=(const ScopedEventConnection&) = delete;
    ~ScopedEventConnection() { connection_.Disconnect(); }

    void Disconnect() { connection_.Disconnect(); }

private:
    EventConnection connection_;
};

/// A control's notification: a list of handlers called in connection order. Each fire works on a copy of the
/// list, so handlers may connect or disconnect handlers, or destroy the control that owns the event, while it
/// runs; a handler disconnected during a fire is not called later in that fire, one connected is not called
/// until the next.
template <typename... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event() {
        for (const auto& slot : *slots_) {
            slot->connected = false;
        }
    }

    /// Adds a handler to the end of the list.
    EventConnection Connect(Handler handler) {
        Compact();
        auto slot = std::make_shared<Slot>();
        slot->handler = std::move(handler);
        slots_->push_back(slot);
        std::weak_ptr<Slot> weak = slot;
        return EventConnection([weak] {
            if (auto alive = weak.lock()) {
                alive->connected = false;
            }
        });
    }

    /// Calls every connected handler with the arguments. Touches nothing of this object once the handler
    /// list is copied, so a handler may destroy the event's owner.
    void Fire(Args... args) const {
        const std::vector<std::shared_ptr<Slot>> snapshot = *slots_;
        for (const auto& slot : snapshot) {
            if (slot->connected) {
                slot->handler(args...);
            }
        }
    }

    /// The number of handlers still connected.
    size_t HandlerCount() const {
        size_t count = 0;
        for (const auto& slot : *slots_) {
            count += slot->connected ? 1 : 0;
        }
        return count;
    }

    /// Disconnects every handler.
    void DisconnectAll() {
        for (const auto& slot : *slots_) {
            slot->connected = false;
        }
        slots_->clear();
    }

private:
    using Slot = detail::EventSlot<Args...>;

    void Compact() {
        std::erase_if(*slots_, [](const std::shared_ptr<Slot>& slot) { return !slot->connected; });
    }

    std::shared_ptr<std::vector<std::shared_ptr<Slot>>> slots_ = std::make_shared<std::vector<std::shared_ptr<Slot>>>();
};

} // namespace chronova::platform::ui
