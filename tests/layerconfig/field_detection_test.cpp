// Which fields the dialog's lists offer and which one they propose: the same rules serve `chronova init`.
#include "layerconfig/field_detection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chronova::layerconfig {
namespace {

// Host field type codes.
constexpr int16_t kInteger = 1;
constexpr int16_t kDouble = 3;
constexpr int16_t kString = 4;
constexpr int16_t kDate = 5;
constexpr int16_t kOid = 6;
constexpr int16_t kGeometry = 7;
constexpr int16_t kBlob = 8;

std::vector<SourceField> TableFields(std::initializer_list<std::pair<const char*, int16_t>> fields) {
    std::vector<SourceField> result;
    int32_t index = 0;
    for (const auto& [name, type] : fields) {
        result.push_back({name, "", type, false, index++});
    }
    return result;
}

std::vector<SourceField> CustomFields(std::initializer_list<std::pair<const char*, int16_t>> fields) {
    std::vector<SourceField> result;
    int32_t index = 1;
    for (const auto& [name, type] : fields) {
        result.push_back({name, "", type, true, index++});
    }
    return result;
}

std::vector<std::string> Names(const FieldChoices& choices) {
    std::vector<std::string> names;
    for (const auto& field : choices.Entries) {
        names.push_back(field.Name);
    }
    return names;
}

TEST(ProposeFieldTest, TimeListOffersNumbersDatesAndTextsButNeverShapesAndPrefersWholeNames) {
    const auto choices = ProposeField(
        TableFields({{"OBJECTID", kOid}, {"Shape", kGeometry}, {"TIME", kDate}, {"Speed", kDouble}, {"Doc", kBlob}}),
        kTimeFieldNames, FieldKind::NumberDateOrText);
    EXPECT_EQ(Names(choices), (std::vector<std::string>{"OBJECTID", "TIME", "Speed"}));
    EXPECT_EQ(choices.ProposedName(), "TIME");
    EXPECT_EQ(choices.Match, FieldMatch::Exact);
}

TEST(ProposeFieldTest, AWholeItemBeatsAnEarlierFragmentAndOnlyNamesInsideTheListMatch) {
    auto choices = ProposeField(TableFields({{"T", kInteger}, {"TIMESTEP", kInteger}}), kTimeFieldNames,
                                FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "TIMESTEP");

    choices = ProposeField(TableFields({{"MYDATE", kDate}, {"DATE", kDate}, {"NOTE", kString}}), kTimeFieldNames,
                           FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "DATE");

    // A fragment is proposed only when nothing matches whole.
    choices = ProposeField(TableFields({{"STEP", kInteger}, {"NAME", kString}}), kTimeFieldNames,
                           FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "STEP");
    EXPECT_EQ(choices.Match, FieldMatch::Partial);
}

TEST(ProposeFieldTest, TheLastMatchOfAClassWinsAndCaseIsIgnored) {
    const auto choices = ProposeField(TableFields({{"date", kDate}, {"Time", kDate}, {"NAME", kString}}),
                                      kTimeFieldNames, FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "Time");
}

TEST(ProposeFieldTest, ASingleEntryIsProposedWhateverItsNameAndNothingOtherwise) {
    auto choices = ProposeField(TableFields({{"Shape", kGeometry}, {"LEVEL", kDouble}}), kTimeFieldNames,
                                FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "LEVEL");
    EXPECT_EQ(choices.Match, FieldMatch::OnlyEntry);

    choices = ProposeField(TableFields({{"LEVEL", kDouble}, {"NAME", kString}}), kTimeFieldNames,
                           FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.Proposed, -1);
    EXPECT_EQ(choices.Match, FieldMatch::None);
}

TEST(ProposeFieldTest, AStoredNameIsFoundAgainEvenAmongItsFragments) {
    // Without commas every match is partial: the last field whose name occurs inside the stored one wins.
    auto choices =
        ProposeField(TableFields({{"WHEN_UTC", kDate}, {"WHEN", kDate}}), "WHEN_UTC", FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "WHEN");
    choices =
        ProposeField(TableFields({{"WHEN", kDate}, {"WHEN_UTC", kDate}}), "WHEN_UTC", FieldKind::NumberDateOrText);
    EXPECT_EQ(choices.ProposedName(), "WHEN_UTC");
}

TEST(ProposeFieldTest, CustomLayersTakeUAndVAsSpeedAndDirectionButShapefilesOnlyFindFragments) {
    const auto custom = CustomFields({{"u", 5}, {"v", 5}, {"label", 8}});
    EXPECT_EQ(ProposeField(custom, SpeedFieldNames(true), FieldKind::Number).ProposedName(), "u");
    EXPECT_EQ(ProposeField(custom, DirectionFieldNames(true), FieldKind::Number).ProposedName(), "v");

    const auto table = TableFields({{"u", kDouble}, {"v", kDouble}});
    const auto speed = ProposeField(table, SpeedFieldNames(false), FieldKind::Number);
    EXPECT_EQ(speed.ProposedName(), "u"); // inside "magnitude"
    EXPECT_EQ(speed.Match, FieldMatch::Partial);
    EXPECT_EQ(ProposeField(table, DirectionFieldNames(false), FieldKind::Number).Proposed, -1);
}

TEST(FieldKindTest, EachKindOffersItsTypesForTablesAndForCustomLayers) {
    const auto table = TableFields({{"S", 0},
                                    {"I", kInteger},
                                    {"F", 2},
                                    {"D", kDouble},
                                    {"T", kString},
                                    {"W", kDate},
                                    {"O", kOid},
                                    {"G", kGeometry},
                                    {"B", kBlob},
                                    {"R", 9},
                                    {"U", 10}});
    const auto offered = [&](FieldKind kind) { return Names(ProposeField(table, "", kind)); };
    using V = std::vector<std::string>;
    EXPECT_EQ(offered(FieldKind::Any), (V{"S", "I", "F", "D", "T", "W", "O", "U"}));
    EXPECT_EQ(offered(FieldKind::WholeNumber), (V{"S", "I", "O"}));
    EXPECT_EQ(offered(FieldKind::Date), (V{"W"}));
    EXPECT_EQ(offered(FieldKind::Number), (V{"S", "I", "F", "D", "O"}));
    EXPECT_EQ(offered(FieldKind::NumberOrDate), (V{"S", "I", "F", "D", "W", "O"}));
    EXPECT_EQ(offered(FieldKind::NumberOrText), (V{"S", "I", "F", "D", "T", "O"}));
    EXPECT_EQ(offered(FieldKind::Text), (V{"T"}));

    const auto custom = CustomFields({{"i", 2}, {"l", 3}, {"s", 4}, {"d", 5}, {"w", 7}, {"t", 8}});
    const auto custom_offered = [&](FieldKind kind) { return Names(ProposeField(custom, "", kind)); };
    EXPECT_EQ(custom_offered(FieldKind::Any), (V{"i", "l", "s", "d", "w", "t"}));
    EXPECT_EQ(custom_offered(FieldKind::WholeNumber), (V{"i", "l"}));
    EXPECT_EQ(custom_offered(FieldKind::NumberDateOrText), (V{"i", "l", "s", "d", "w", "t"}));
    EXPECT_EQ(custom_offered(FieldKind::Text), (V{"t"}));

    // The multi-select list restricts table fields by kinds 0 to 4 only, and never offers shapes.
    EXPECT_TRUE(OfferedInFieldList(table[4], FieldKind::Text));
    EXPECT_TRUE(OfferedInFieldList(table[6], FieldKind::Text));
    EXPECT_FALSE(OfferedInFieldList(table[7], FieldKind::Text));
    EXPECT_FALSE(OfferedInFieldList(table[4], FieldKind::Number));
}

TEST(FieldKindTest, ItemDataTellsNumbersDatesAndTextsApartAndKeepsCustomTypeCodes) {
    const auto table = TableFields({{"I", kInteger}, {"W", kDate}, {"T", kString}, {"U", 10}});
    EXPECT_EQ(ItemDataOf(table[0]), 0);
    EXPECT_EQ(ItemDataOf(table[1]), 1);
    EXPECT_EQ(ItemDataOf(table[2]), kTextItemData);
    EXPECT_EQ(ItemDataOf(table[3]), 3);
    EXPECT_EQ(ItemDataOf(CustomFields({{"w", 7}})[0]), 7);
}

TEST(FirstTimeLikeFieldTest, ContainmentInTheCandidateTextCountsAndAnAliasToo) {
    EXPECT_EQ(FirstTimeLikeField(TableFields({{"NAME", kString}, {"ate", kString}, {"TIME", kDate}})), "ate");
    EXPECT_EQ(FirstTimeLikeField(TableFields({{"NAME", kString}, {"MYDATE", kDate}})), "");
    auto with_alias = TableFields({{"F1", kDate}});
    with_alias[0].Alias = "Date";
    EXPECT_EQ(FirstTimeLikeField(with_alias), "F1");
}

} // namespace
} // namespace chronova::layerconfig
