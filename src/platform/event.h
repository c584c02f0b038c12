#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace chronova::platform {

namespace detail {

/// What a connection handle needs of a handler slot, whatever the event's argument types.
class EventSlotBase {
public:
    virtual ~EventSlotBase() = default;
    /// Marks the slot disconnected and takes it out of its event's list.
    virtual void Disconnect() noexcept = 0;
    bool connected = true;
};

} // namespace detail

/// A handle to one connected handler, so that its owner can disconnect it later, also from inside a fire.
/// Copies share the one subscription; dropping a handle leaves the handler connected (use ScopedConnection
/// to tie the subscription to a scope).
class Connection {
public:
    Connection() = default;
    explicit Connection(std::weak_ptr<detail::EventSlotBase> slot) noexcept : slot_(std::move(slot)) {}

    /// Stops the handler from being called again, not even later in a fire under way; harmless when it is
    /// disconnected already or the event is gone.
    void Disconnect() noexcept {
        // The locked reference keeps the slot alive while it takes itself out of the event's list.
        if (const auto slot = slot_.lock()) {
            slot->Disconnect();
        }
        slot_.reset();
    }

    /// True while the handler is connected to an event that still exists.
    bool Connected() const noexcept {
        const auto slot = slot_.lock();
        return slot && slot->connected;
    }

private:
    std::weak_ptr<detail::EventSlotBase> slot_;
};

/// Disconnects its handler when it is destroyed or assigned over, so a listener cannot outlive its handler.
/// Movable, not copyable; made implicitly from the Connection that Event::Connect returns.
class ScopedConnection {
public:
    ScopedConnection() = default;
    ScopedConnection(Connection connection) noexcept : connection_(std::move(connection)) {}
    ScopedConnection(ScopedConnection&& other) noexcept : connection_(std::exchange(other.connection_, {})) {}
    ScopedConnection& operator=(ScopedConnection&& other) noexcept {
        if (this != &other) {
            connection_.Disconnect();
            connection_ = std::exchange(other.connection_, {});
        }
        return *this;
    }
    ScopedConnection(const ScopedConnection&) = delete;
    ScopedConnection& operator=(const ScopedConnection&) = delete;
    ~ScopedConnection() { connection_.Disconnect(); }

    /// Ends the subscription before the scope does.
    void Disconnect() noexcept { connection_.Disconnect(); }
    /// True while the handler is connected to an event that still exists.
    bool Connected() const noexcept { return connection_.Connected(); }

private:
    Connection connection_;
};

/// A synchronous notification, of the map host as of the headless controls: handlers run in the order they
/// connected, on the thread that fires. A handler may disconnect itself or others (they are skipped later in
/// that fire), connect new handlers (first called at the next fire) or destroy the object that owns the event
/// (no further handler is called). An exception from a handler ends the fire and reaches the code that fired;
/// the event stays usable. Not thread-safe: the objects that own events live on one thread.
template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event() {
        // Handles and fires under way hold slots beyond the event's life; they must see them disconnected.
        for (const auto& slot : list_->slots) {
            slot->connected = false;
        }
    }

    /// Adds a handler to the end of the list. Dropping the returned handle keeps the handler connected for
    /// the event's whole life.
    Connection Connect(Handler handler) {
        auto slot = std::make_shared<Slot>(std::move(handler), list_);
        list_->slots.push_back(slot);
        return Connection(std::weak_ptr<detail::EventSlotBase>(slot));
    }

    /// Calls every handler connected when the call starts and still connected when its turn comes.
    void Fire(Args... args) const {
        // The copies keep the list and its slots alive should a handler destroy this event's owner; nothing
        // of `this` is touched after these two lines.
        const std::shared_ptr<List> list = list_;
        const std::vector<std::shared_ptr<Slot>> snapshot = list->slots;
        for (const auto& slot : snapshot) {
            if (slot->connected) {
                slot->handler(args...);
            }
        }
    }

    /// The number of handlers connected now.
    size_t HandlerCount() const noexcept { return list_->slots.size(); }

    /// Disconnects every handler, also those of a fire under way.
    void DisconnectAll() noexcept {
        // Emptied before the slots go, since a handler's captures may disconnect other handlers as they die.
        const std::vector<std::shared_ptr<Slot>> slots = std::exchange(list_->slots, {});
        for (const auto& slot : slots) {
            slot->connected = false;
        }
    }

private:
    struct List;

    class Slot final : public detail::EventSlotBase {
    public:
        Slot(Handler h, const std::shared_ptr<List>& list) : handler(std::move(h)), list_(list) {}
        void Disconnect() noexcept override {
            connected = false;
            // A fire under way holds its own reference, so the handler stays valid while it runs.
            if (const auto list = list_.lock()) {
                std::erase_if(list->slots, [this](const std::shared_ptr<Slot>& slot) { return slot.get() == this; });
            }
        }
        Handler handler;

    private:
        std::weak_ptr<List> list_;
    };

    struct List {
        std::vector<std::shared_ptr<Slot>> slots;
    };

    std::shared_ptr<List> list_ = std::make_shared<List>();
};

} // namespace chronova::platform
