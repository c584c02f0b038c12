#include "platform/ui/ui_event.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace chronova::platform::ui {
namespace {

TEST(UiEventTest, CallsHandlersInConnectionOrderWithTheArguments) {
    Event<int, std::string> event;
    std::vector<std::string> calls;
    event.Connect([&](int n, std::string s) { calls.push_back("a" + std::to_string(n) + s); });
    event.Connect([&](int n, std::string s) { calls.push_back("b" + std::to_string(n) + s); });
    event.Fire(7, "x");
    EXPECT_EQ(calls, (std::vector<std::string>{"a7x", "b7x"}));
}

TEST(UiEventTest, HandlerDisconnectedDuringAFireIsNotCalledLaterInIt) {
    Event<> event;
    std::vector<char> calls;
    EventConnection second;
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

TEST(UiEventTest, HandlerMayDisconnectItselfAndConnectAnotherForTheNextFire) {
    Event<> event;
    std::vector<char> calls;
    EventConnection self;
    self = event.Connect([&] {
        calls.push_back('a');
        self.Disconnect();
        event.Connect([&] { calls.push_back('b'); });
    });
    event.Fire(); // the handler added during this fire waits for the next one
    event.Fire();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b'}));
}

TEST(UiEventTest, HandlerMayDestroyTheEventsOwnerAndTheRestAreSkipped) {
    auto owner = std::make_unique<Event<>>();
    int later_calls = 0;
    owner->Connect([&] { owner.reset(); });
    owner->Connect([&] { ++later_calls; });
    owner->Fire();
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(later_calls, 0);
}

TEST(UiEventTest, ScopedConnectionDisconnectsAtScopeEnd) {
    Event<> event;
    int calls = 0;
    {
        ScopedEventConnection scoped = event.Connect([&] { ++calls; });
        event.Fire();
    }
    event.Fire();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(event.HandlerCount(), 0u);
}

TEST(UiEventTest, DisconnectingAfterTheEventIsGoneIsHarmless) {
    EventConnection connection;
    {
        Event<> event;
        connection = event.Connect([] {});
    }
    connection.Disconnect();
    SUCCEED();
}

} // namespace
} // namespace chronova::platform::ui
