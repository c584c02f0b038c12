#include "gis/events.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace chronova::gis {
namespace {

// An event with handlers that write their names into a log when called.
struct Recorder {
    Event<int> event;
    std::vector<std::string> log;
    std::vector<Connection> connections;

    Connection& Add(const std::string& name, std::function<void()> also = {}) {
        connections.push_back(event.Connect([this, name, also](int value) {
            log.push_back(name + std::to_string(value));
            if (also) {
                also();
            }
        }));
        return connections.back();
    }
};

TEST(EventTest, AConnectionEndsWhenDisconnectedDestroyedOrMovedOver) {
    Recorder r;
    r.Add("a");
    {
        const Connection scoped = r.event.Connect([&](int) { r.log.push_back("scoped"); });
        r.event.Fire(1);
    }
    r.connections[0].Disconnect();
    r.event.Fire(2);
    EXPECT_EQ(r.log, (std::vector<std::string>{"a1", "scoped"}));

    Connection first = r.event.Connect([&](int v) { r.log.push_back("first" + std::to_string(v)); });
    Connection second = r.event.Connect([&](int v) { r.log.push_back("second" + std::to_string(v)); });
    first = std::move(second); // ends the first subscription, keeps the second
    r.event.Fire(3);
    EXPECT_EQ(r.log.back(), "second3");
    EXPECT_EQ(r.event.HandlerCount(), 1u);
    EXPECT_TRUE(first.Connected());
    EXPECT_FALSE(second.Connected());
}

TEST(EventTest, HandlersDisconnectedDuringADispatchAreSkipped) {
    Recorder r;
    r.Add("a", [&] { r.connections[0].Disconnect(); }); // itself
    r.Add("b", [&] { r.connections[2].Disconnect(); }); // the one after it
    r.Add("c");
    r.Add("d");
    r.event.Fire(1);
    r.event.Fire(2);
    EXPECT_EQ(r.log, (std::vector<std::string>{"a1", "b1", "d1", "b2", "d2"}));
}

TEST(EventTest, HandlersConnectedDuringADispatchRunFromTheNextOne) {
    Recorder r;
    bool added = false;
    r.Add("a", [&] {
        if (!added) {
            added = true;
            r.Add("late");
        }
    });
    r.event.Fire(1);
    r.event.Fire(2);
    EXPECT_EQ(r.log, (std::vector<std::string>{"a1", "a2", "late2"}));
}

TEST(EventTest, AHandlerMayDestroyTheEventsOwner) {
    auto owner = std::make_unique<Recorder>();
    std::vector<std::string> outside;
    std::optional<Connection> survivor;
    owner->Add("a", [&] { owner.reset(); });
    survivor.emplace(owner->event.Connect([&](int) { outside.push_back("after destruction"); }));
    owner->event.Fire(1);
    EXPECT_EQ(owner, nullptr);
    EXPECT_TRUE(outside.empty());
    EXPECT_FALSE(survivor->Connected());
    survivor->Disconnect(); // harmless once the event is gone
}

TEST(EventTest, AnExceptionFromAHandlerReachesTheCallerAndLeavesTheEventUsable) {
    Recorder r;
    bool fail = true;
    r.Add("a", [&] {
        if (fail) {
            throw std::runtime_error("handler failed");
        }
    });
    r.Add("b");
    EXPECT_THROW(r.event.Fire(1), std::runtime_error);
    fail = false;
    r.event.Fire(2);
    EXPECT_EQ(r.log, (std::vector<std::string>{"a1", "a2", "b2"}));
}

} // namespace
} // namespace chronova::gis
