// Resolution conditions: the six tests and the row text.
#include <gtest/gtest.h>

#include "search/condition.h"

namespace {

struct MatchCase {
    Condition condition;
    uint32_t width;
    uint32_t height;
    bool holds;
};

constexpr int EQ = 0, NE = 1, LE = 2, GE = 3, LT = 4, GT = 5;

// The condition's size stands left of the operator, the picture's right.
const MatchCase kMatchCases[] = {
    {{1024, 768, EQ}, 1024, 768, true},
    {{1024, 768, EQ}, 1024, 769, false},
    {{1024, 768, NE}, 1024, 600, true},
    {{1024, 768, NE}, 1024, 768, false},
    {{1024, 768, LE}, 1024, 768, true},
    {{1024, 768, LE}, 1920, 1080, true},
    {{1024, 768, LE}, 1920, 767, false},
    {{1024, 768, GE}, 1024, 768, true},
    {{1024, 768, GE}, 640, 480, true},
    {{1024, 768, GE}, 1280, 768, false},
    {{1024, 768, LT}, 1025, 769, true},
    {{1024, 768, LT}, 1025, 768, false},
    {{1024, 768, GT}, 800, 600, true},
    {{1024, 768, GT}, 800, 768, false},
    {{0, 0, LE}, 0, 0, true},
    {{0, 0, LE}, 0xFFFFFFFFu, 1, true},
    // A height stored negative in a header compares as a large unsigned value.
    {{800, 600, LE}, 800, 0x80000000u, true},
    {{800, 600, GE}, 800, 0xFFFFFC18u, false},
    {{1024, 768, 6}, 1024, 768, false},
    {{1024, 768, -1}, 1024, 768, false},
};

TEST(ConditionMatch, AppliesTheOperatorWithTheConditionOnTheLeft) {
    for (const MatchCase& c : kMatchCases) {
        EXPECT_EQ(conditionMatch(c.condition, c.width, c.height), c.holds)
            << c.condition.width << " x " << c.condition.height << " "
            << c.condition.cond << " against " << c.width << " x " << c.height;
    }
}

TEST(ConditionOperators, AreListedInIndexOrder) {
    const char* expected[] = {"==", "!=", "<=", ">=", "<", ">"};
    for (int i = 0; i < kConditionOperatorCount; ++i) {
        EXPECT_STREQ(condOperatorText[i], expected[i]);
    }
}

TEST(ConditionSizeText, PrintsSignedWidthByHeight) {
    char text[32];
    EXPECT_EQ(conditionSizeText(Condition{1024, 768, 0}, text, sizeof text), 1);
    EXPECT_STREQ(text, "1024 x 768");
    EXPECT_EQ(conditionSizeText(Condition{2147483648u, 768, 0}, text, sizeof text), 1);
    EXPECT_STREQ(text, "-2147483648 x 768");
}

TEST(ConditionSizeText, RefusesABufferTooSmall) {
    char text[10] = "untouched";
    EXPECT_EQ(conditionSizeText(Condition{1024, 768, 0}, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
}

TEST(ConditionAnyMatch, HoldsWhenAnyConditionHoldsAndNeverForNone) {
    const Condition two[] = {{800, 600, 0}, {1920, 1080, 2}};
    EXPECT_TRUE(conditionAnyMatch(two, 2, 800, 600));
    EXPECT_TRUE(conditionAnyMatch(two, 2, 2560, 1440));
    EXPECT_FALSE(conditionAnyMatch(two, 2, 1024, 768));
    EXPECT_FALSE(conditionAnyMatch(two, 1, 2560, 1440));
    EXPECT_FALSE(conditionAnyMatch(two, 0, 800, 600));
}

}  // namespace
