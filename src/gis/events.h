#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace chronova::gis {

namespace detail {

/// What a Connection needs of a handler slot, whatever the event's argument types.
class SlotBase {
public:
    virtual ~SlotBase() = default;
    virtual void Disconnect() = 0;
    bool connected = true;
};

} // namespace detail

/// One subscription to an Event. It ends when Disconnect() is called or the Connection is destroyed, and
/// ends by itself when the event goes away first. Movable, not copyable.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::weak_ptr<detail::SlotBase> slot) : slot_(std::move(slot)) {}
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept : slot_(std::move(other.slot_)) { other.slot_.reset(); }
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            Disconnect();
            slot_ = std::move(other.slot_);
            other.slot_.reset();
        }
        return *this;
    }
    ~Connection() { Disconnect(); }

    /// Ends the subscription; the handler is not called again, not even later in a dispatch under way.
    void Disconnect() {
        // Holding the slot keeps it alive while it takes itself out of the event's list.
        if (const auto slot = slot_.lock()) {
            slot->Disconnect();
        }
        slot_.reset();
    }
    bool Connected() const {
        const auto slot = slot_.lock();
        return slot && slot->connected;
    }

private:
    std::weak_ptr<detail::SlotBase> slot_;
};

/// A host event: handlers run synchronously, in the order they connected, on the thread that fires.
/// A handler may disconnect itself or others, connect new handlers (they first run at the next Fire) or
/// destroy the object that owns the event; handlers disconnected during a dispatch are skipped, and a
/// destroyed event calls no further handler. An exception from a handler ends the dispatch and reaches
/// the code that fired. Not thread-safe: the host's objects live on one thread.
template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() : list_(std::make_shared<List>()) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event() {
        for (const auto& slot : list_->slots) {
            slot->connected = false;
        }
    }

    [[nodiscard]] Connection Connect(Handler handler) {
        auto slot = std::make_shared<Slot>(std::move(handler), list_);
        list_->slots.push_back(slot);
        return Connection(slot);
    }

    /// Calls every handler connected when the call starts and still connected when its turn comes.
    void Fire(Args... args) {
        // Copies of the list and of its slots keep them alive should a handler destroy this event's owner;
        // nothing of `this` is touched after these two lines.
        const std::shared_ptr<List> list = list_;
        const std::vector<std::shared_ptr<Slot>> snapshot = list->slots;
        for (const auto& slot : snapshot) {
            if (slot->connected) {
                slot->handler(args...);
            }
        }
    }

    /// Handlers connected now.
    size_t HandlerCount() const noexcept { return list_->slots.size(); }

private:
    struct List;

    class Slot final : public detail::SlotBase {
    public:
        Slot(Handler h, const std::shared_ptr<List>& list) : handler(std::move(h)), list_(list) {}
        void Disconnect() override {
            connected = false;
            // A dispatch under way keeps its own reference, so the handler stays valid while it runs.
            if (const auto list = list_.lock()) {
                auto& slots = list->slots;
                slots.erase(
                    std::remove_if(slots.begin(), slots.end(), [this](const auto& s) { return s.get() == this; }),
                    slots.end());
            }
        }
        Handler handler;

    private:
        std::weak_ptr<List> list_;
    };

    struct List {
        std::vector<std::shared_ptr<Slot>> slots;
    };

    std::shared_ptr<List> list_;
};

} // namespace chronova::gis
