// Numbers in texts: the "C" locale's fixed notation, without a negative zero.

#include <gtest/gtest.h>

#include <limits>

#include "platform/NumberText.h"

TEST(NumberText, FixedTextIgnoresTheProcessLocaleAndLosesANegativeZero)
{
    EXPECT_EQ(tarvola::fixedText(1.36, 2), "1.36");
    EXPECT_EQ(tarvola::fixedText(-0.001, 2), "0.00");
    EXPECT_EQ(tarvola::fixedText(-0.4, 0), "0");
    EXPECT_EQ(tarvola::fixedText(-1.5, 1), "-1.5");
    EXPECT_EQ(tarvola::fixedText(std::numeric_limits<double>::quiet_NaN(), 1), "0.0");
    EXPECT_EQ(tarvola::fixedText(1e300, 0).size(), 301u);
}
