#include "gis/sql/step_shift.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gis/sql/parser.h"
#include "platform/ole_date.h"

namespace chronova::gis::sql {
namespace {

Literal DateStep(int hour) {
    Literal literal;
    literal.kind = Literal::Kind::Date;
    literal.number = platform::Date::FromParts(2008, 3, 1, hour, 0).Serial();
    return literal;
}

Literal TextStep(std::string text) {
    Literal literal;
    literal.kind = Literal::Kind::Text;
    literal.text = std::move(text);
    return literal;
}

std::vector<Literal> HourlySteps() {
    std::vector<Literal> steps;
    for (int hour = 0; hour < 6; ++hour) {
        steps.push_back(DateStep(hour));
    }
    return steps;
}

std::string Shifted(const std::string& clause, const std::vector<Literal>& steps, long shift) {
    const std::optional<Node> node = ShiftedClause(Parse(clause), "WHEN", steps, shift);
    return node ? Describe(*node) : "(none)";
}

TEST(StepShiftTest, MovesEveryLiteralOfTheFieldAlongTheSteps) {
    const auto steps = HourlySteps();
    EXPECT_EQ(StepPosition(Parse("when = #3/1/2008 2:00#"), "WHEN", steps), 2U);
    EXPECT_EQ(StepPosition(Parse("N > 3 AND #3/1/2008 4:00:00 AM# >= when"), "When", steps), 4U);
    EXPECT_EQ(Shifted("WHEN = #3/1/2008 2:00#", steps, 1), Describe(Parse("WHEN = #2008-03-01 03:00:00#")));
    // A window moves both ends; other fields stay.
    EXPECT_EQ(Shifted("WHEN >= #3/1/2008 1:00# AND WHEN < #3/1/2008 3:00# AND N = 1", steps, 2),
              Describe(Parse("WHEN >= #2008-03-01 03:00:00# AND WHEN < #2008-03-01 05:00:00# AND N = 1")));
    EXPECT_EQ(Shifted("WHEN IN (#3/1/2008 1:00#, #3/1/2008 2:00#)", steps, -1),
              Describe(Parse("WHEN IN (#2008-03-01 00:00:00#, #2008-03-01 01:00:00#)")));
    // A written date keeps whole seconds, so a step a fraction of a second off still matches.
    Literal odd = DateStep(3);
    odd.number += 0.3 / 86'400.0;
    EXPECT_EQ(StepPosition(Parse("WHEN = #3/1/2008 3:00:00#"), "WHEN", {DateStep(2), odd}), 1U);

    const std::vector<Literal> groups = {TextStep("010100Z MAR 2008"), TextStep("010200Z MAR 2008")};
    EXPECT_EQ(Shifted("WHEN = '010100Z MAR 2008'", groups, 1), Describe(Parse("WHEN = '010200Z MAR 2008'")));
}

TEST(StepShiftTest, GivesNothingWhereNoStepIsKnown) {
    const auto steps = HourlySteps();
    EXPECT_EQ(Shifted("WHEN = #3/1/2008 5:00#", steps, 1), "(none)");  // past the last step
    EXPECT_EQ(Shifted("WHEN = #3/1/2008 0:00#", steps, -1), "(none)"); // before the first
    EXPECT_EQ(Shifted("WHEN = #3/1/2008 2:30#", steps, 1), "(none)");  // between steps
    EXPECT_EQ(Shifted("N = 3", steps, 1), "(none)");                   // the field is not compared
    EXPECT_EQ(Shifted("WHEN >= #3/1/2008 1:00# AND WHEN < #3/2/2008#", steps, 1), "(none)"); // one end no step
    EXPECT_EQ(StepPosition(Parse("WHEN = 'text'"), "WHEN", steps), std::nullopt);
    EXPECT_EQ(StepPosition(Parse("WHEN = #3/1/2008 2:00#"), "WHEN", {}), std::nullopt);
}

} // namespace
} // namespace chronova::gis::sql
