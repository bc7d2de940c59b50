#include "toolkit/Convert.h"

#include "toolkit/Exceptions.h"

#include <cfenv>
#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(ConvertTest, StrToIntReadsDecimalSignedAndHexadecimal) {
    EXPECT_EQ(StrToInt("32"), 32);
    EXPECT_EQ(StrToInt("  -7"), -7);
    EXPECT_EQ(StrToInt("+12"), 12);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
}

TEST(ConvertTest, RoundHalfEvenTakesHalvesToTheEvenNeighbourInAnyRoundingModeWithinInt) {
    const int mode = std::fegetround();
    for (int rounding : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(rounding);
        EXPECT_EQ(RoundHalfEven(2.5), 2) << rounding;
        EXPECT_EQ(RoundHalfEven(3.5), 4) << rounding;
        EXPECT_EQ(RoundHalfEven(-2.5), -2) << rounding;
        EXPECT_EQ(RoundHalfEven(-3.5), -4) << rounding;
        EXPECT_EQ(RoundHalfEven(2.51), 3) << rounding;
        EXPECT_EQ(RoundHalfEven(-0.49), 0) << rounding;
    }
    std::fesetround(mode);
    EXPECT_EQ(RoundHalfEven(1e12), INT_MAX);
    EXPECT_EQ(RoundHalfEven(-1e12), INT_MIN);
}

TEST(ConvertTest, StrToIntRefusesEverythingElseWithTheClassicMessage) {
    for (const char* bad : {"", " ", "-", "12 ", "1x", "x1", "2147483648", "$", "0x", "$1FFFFFFFF",
                            "99999999999999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + bad + "' ist kein gültiger Integerwert");
        }
    }
}

} // namespace
