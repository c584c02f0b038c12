#include "platform/closest_name.h"

#include <gtest/gtest.h>

namespace chronova::platform {
namespace {

TEST(ClosestNameTest, SuggestsOnlyNamesCloseToTheWantedOne) {
    const std::vector<std::string> fields = {"id", "ts", "speed", "Heading", "DTG_TIME"};
    const std::pair<const char*, const char*> suggested[] = {
        {"SPEED", "speed"},                               // letter case only
        {"sped", "speed"},                                // one letter left out
        {"heading", "Heading"},   {"headnig", "Heading"}, // two letters swapped: two edits of seven
        {"time_stamp", "ts"},                             // initials
        {"dtg time", "DTG_TIME"},                         // one substitution
        {"dt", "DTG_TIME"},                               // initials the other way round
    };
    for (const auto& [wanted, expected] : suggested) {
        EXPECT_EQ(ClosestName(wanted, fields).value_or("<none>"), expected) << wanted;
    }
    for (const char* far : {"x", "date", "velocity", "", "identifier"}) {
        EXPECT_FALSE(ClosestName(far, fields).has_value()) << far;
    }
    // The closest wins over the first; a tie goes to the first listed.
    EXPECT_EQ(ClosestName("track", {"trucks", "tracks"}), "tracks");
    EXPECT_EQ(ClosestName("ab", {"Ab", "aB"}), "Ab");
    EXPECT_FALSE(ClosestName("ts", {}).has_value());
}

TEST(ClosestNameTest, MessagesListTheNamesAndTheSuggestion) {
    EXPECT_EQ(NameList({"id", "ts", "speed"}), "id, ts, speed");
    EXPECT_EQ(NameList({}), "");
    EXPECT_EQ(DidYouMean("time_stamp", {"id", "ts", "speed"}), "; did you mean 'ts'?");
    EXPECT_EQ(DidYouMean("rainfall", {"id", "ts", "speed"}), "");
}

} // namespace
} // namespace chronova::platform
