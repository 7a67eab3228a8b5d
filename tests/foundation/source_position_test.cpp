#include "foundation/source_position.h"

#include <gtest/gtest.h>

TEST(SourcePosition, ValidOnlyWhenBothFieldsSet) {
    SourcePosition p(3, 7);
    EXPECT_TRUE(p.IsValid());
    p.Clear();
    EXPECT_EQ(p.Compare(SourcePosition()), 0);
    EXPECT_FALSE(p.IsValid());
    EXPECT_FALSE(SourcePosition(0, -1).IsValid());
    EXPECT_TRUE(SourcePosition(0, 0).IsValid());
}

TEST(SourcePosition, CompareRanksUnitBeforeLine) {
    struct Case {
        SourcePosition a, b;
        int expected;
    };
    const Case cases[] = {
        {{1, 10}, {2, 1}, -2}, {{3, 1}, {2, 99}, 2}, {{2, 5}, {2, 5}, 0},
        {{2, 4}, {2, 5}, -1},  {{2, 6}, {2, 5}, 1},  {{-1, -1}, {0, 1}, -2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.a.Compare(c.b), c.expected)
            << c.a.unit << "," << c.a.line << " vs " << c.b.unit << "," << c.b.line;
}

TEST(DefinitionScope, NewScopeAppliesFromFirstLine) {
    DefinitionScope scope;
    EXPECT_TRUE(scope.Covers(PositionRange(SourcePosition(0, 1), 0, 4)));
    EXPECT_FALSE(scope.Covers(PositionRange(SourcePosition(0, 0), 0, 4)));
}

TEST(DefinitionScope, SetChoosesFlagsByKind) {
    struct Case {
        int kind, first, second;
    };
    const Case cases[] = {{1, 1, 0}, {2, 0, 1}, {0, 1, 1}, {3, 1, 1}, {-1, 1, 1}};
    for (const Case& c : cases) {
        DefinitionScope scope;
        scope.Set(SourcePosition(4, 9), c.kind, 42);
        EXPECT_EQ(scope.firstFlag, c.first) << c.kind;
        EXPECT_EQ(scope.secondFlag, c.second) << c.kind;
        EXPECT_EQ(scope.value, 42);
        EXPECT_EQ(scope.start.Compare(SourcePosition(4, 9)), 0);
    }
}

TEST(DefinitionScope, CoversByModeRelationAndUnit) {
    DefinitionScope scope;
    scope.Set(SourcePosition(0, 20), 1, 0);
    const SourcePosition unset;
    struct Case {
        SourcePosition at;
        int mode, relation;
        bool expected;
    };
    const Case cases[] = {
        {{0, 20}, 1, 4, true},  {{0, 20}, 2, 4, false},  // scope kind 1 has no second flag
        {{0, 20}, 0, 4, false},  // mode 0 needs both flags
        {{0, 20}, 3, 4, false},  // unknown mode
        {{0, 20}, 1, 3, false}, {{0, 21}, 1, 3, true},  {{0, 19}, 1, 1, true},  {{0, 20}, 1, 1, false},
        {{0, 20}, 1, 2, true},  {{0, 21}, 1, 2, false}, {{1, 30}, 1, 4, false},  // another unit
        {{1, 30}, 1, 0, true},  // relation 0 ignores the unit
        {{0, 20}, 1, 5, false},  // unknown relation
        {unset, 1, 1, true},    {unset, 1, 3, true},    {unset, 1, 5, true},    {unset, 2, 4, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scope.Covers(PositionRange(c.at, c.mode, c.relation)), c.expected)
            << "at " << c.at.unit << "," << c.at.line << " mode " << c.mode << " relation " << c.relation;
}
