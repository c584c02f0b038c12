#include "platform/event.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace chronova::platform {
namespace {

// An event with handlers that write their names into a log when called.
struct Recorder {
    Event<int> event;
    std::vector<std::string> log;
    std::vector<ScopedConnection> connections;

    ScopedConnection& Add(const std::string& name, std::function<void()> also = {}) {
        connections.push_back(event.Connect([this, name, also](int value) {
            log.push_back(name + std::to_string(value));
            if (also) {
                also();
            }
        }));
        return connections.back();
    }
};

TEST(EventTest, CallsHandlersInConnectionOrderWithTheArguments) {
    Event<int, std::string> event;
    std::vector<std::string> calls;
    event.Connect([&](int n, std::string s) { calls.push_back("a" + std::to_string(n) + s); });
    event.Connect([&](int n, std::string s) { calls.push_back("b" + std::to_string(n) + s); });
    event.Fire(7, "x");
    EXPECT_EQ(calls, (std::vector<std::string>{"a7x", "b7x"}));
}

TEST(EventTest, AScopedConnectionEndsWhenDisconnectedDestroyedOrMovedOver) {
    Recorder r;
    r.Add("a");
    {
        const ScopedConnection scoped = r.event.Connect([&](int) { r.log.push_back("scoped"); });
        r.event.Fire(1);
    }
    r.connections[0].Disconnect();
    r.event.Fire(2);
    EXPECT_EQ(r.log, (std::vector<std::string>{"a1", "scoped"}));

    ScopedConnection first = r.event.Connect([&](int v) { r.log.push_back("first" + std::to_string(v)); });
    ScopedConnection second = r.event.Connect([&](int v) { r.log.push_back("second" + std::to_string(v)); });
    first = std::move(second); // ends the first subscription, keeps the second
    r.event.Fire(3);
    EXPECT_EQ(r.log.back(), "second3");
    EXPECT_EQ(r.event.HandlerCount(), 1u);
    EXPECT_TRUE(first.Connected());
    EXPECT_FALSE(second.Connected()); // NOLINT(bugprone-use-after-move): a moved-from handle is empty

    {
        const ScopedConnection moved(std::move(first)); // the subscription now ends with `moved`
        EXPECT_FALSE(first.Connected());                // NOLINT(bugprone-use-after-move): a moved-from handle is empty
        EXPECT_TRUE(moved.Connected());
    }
    EXPECT_EQ(r.event.HandlerCount(), 0u);
}

TEST(EventTest, ScopedConnectionDisconnectsAtScopeEnd) {
    Event<> event;
    int calls = 0;
    {
        ScopedConnection scoped = event.Connect([&] { ++calls; });
        event.Fire();
    }
    event.Fire();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(event.HandlerCount(), 0u);
}

TEST(EventTest, APlainConnectionIsASharedHandleThatKeepsTheHandlerWhenDropped) {
    Event<> event;
    int calls = 0;
    Connection original = event.Connect([&] { ++calls; });
    const Connection copy = original;
    {
        const Connection dropped = event.Connect([&] { calls += 10; });
    }
    event.Fire();
    EXPECT_EQ(calls, 11);
    EXPECT_EQ(event.HandlerCount(), 2u);

    original.Disconnect();
    EXPECT_FALSE(copy.Connected());
    event.Fire();
    EXPECT_EQ(calls, 21);
    EXPECT_EQ(event.HandlerCount(), 1u);
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
    EXPECT_EQ(r.event.HandlerCount(), 2u);
}

TEST(EventTest, HandlerDisconnectedThroughAPlainHandleDuringAFireIsNotCalledLaterInIt) {
    Event<> event;
    std::vector<char> calls;
    Connection second;
    event.Connect([&] {
        calls.push_back('a');
        second.Disconnect();
    });
    second = event.Connect([&] { calls.push_back('b'); });
    event.Fire();
    event.Fire();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'a'}));
    EXPECT_EQ(event.HandlerCount(), 1u);
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

TEST(EventTest, HandlerMayDisconnectItselfAndConnectAnotherForTheNextFire) {
    Event<> event;
    std::vector<char> calls;
    Connection self;
    self = event.Connect([&] {
        calls.push_back('a');
        self.Disconnect();
        event.Connect([&] { calls.push_back('b'); });
    });
    event.Fire(); // the handler added during this fire waits for the next one
    event.Fire();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b'}));
}

TEST(EventTest, AHandlerMayDestroyTheEventsOwner) {
    auto owner = std::make_unique<Recorder>();
    std::vector<std::string> outside;
    std::optional<ScopedConnection> survivor;
    owner->Add("a", [&] { owner.reset(); });
    survivor.emplace(owner->event.Connect([&](int) { outside.push_back("after destruction"); }));
    owner->event.Fire(1);
    EXPECT_EQ(owner, nullptr);
    EXPECT_TRUE(outside.empty());
    EXPECT_FALSE(survivor->Connected());
    survivor->Disconnect(); // harmless once the event is gone
}

TEST(EventTest, HandlerMayDestroyTheEventItselfAndTheRestAreSkipped) {
    auto owner = std::make_unique<Event<>>();
    int later_calls = 0;
    owner->Connect([&] { owner.reset(); });
    owner->Connect([&] { ++later_calls; });
    owner->Fire();
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(later_calls, 0);
}

TEST(EventTest, DisconnectingAfterTheEventIsGoneIsHarmless) {
    Connection connection;
    {
        Event<> event;
        connection = event.Connect([] {});
        EXPECT_TRUE(connection.Connected());
    }
    EXPECT_FALSE(connection.Connected());
    connection.Disconnect();
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

TEST(EventTest, DisconnectAllEndsEveryHandlerAlsoDuringAFire) {
    Recorder r;
    const Connection plain = r.event.Connect([&](int v) { r.log.push_back("plain" + std::to_string(v)); });
    r.Add("a", [&] { r.event.DisconnectAll(); });
    r.Add("b");
    r.event.Fire(1);
    EXPECT_EQ(r.log, (std::vector<std::string>{"plain1", "a1"}));
    EXPECT_EQ(r.event.HandlerCount(), 0u);
    EXPECT_FALSE(plain.Connected());
    EXPECT_FALSE(r.connections[1].Connected());

    r.Add("c"); // the event stays usable
    r.event.Fire(2);
    EXPECT_EQ(r.log.back(), "c2");
}

// A handler whose captures end another handler's subscription as they are destroyed: dropping the handlers must
// not run into the list it is emptying.
TEST(EventTest, HandlersWhoseCapturesDisconnectOthersMayBeDroppedAllAtOnce) {
    const auto connect_chain = [](Event<>& event) {
        for (int i = 0; i < 4; ++i) {
            auto other = std::make_shared<ScopedConnection>(event.Connect([] {}));
            event.Connect([other] {});
        }
    };
    Event<> cleared;
    connect_chain(cleared);
    EXPECT_EQ(cleared.HandlerCount(), 8u);
    cleared.DisconnectAll();
    EXPECT_EQ(cleared.HandlerCount(), 0u);

    auto destroyed = std::make_unique<Event<>>();
    connect_chain(*destroyed);
    destroyed.reset();
}

} // namespace
} // namespace chronova::platform
