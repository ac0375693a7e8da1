#include "platform/gdi/MulDiv.h"

#include <gtest/gtest.h>

#include <climits>

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, 1, -2), -3);
  EXPECT_EQ(MulDiv(-5, -1, -2), -3);
  EXPECT_EQ(MulDiv(7, 1, 4), 2);   // 1.75
  EXPECT_EQ(MulDiv(5, 1, 4), 1);   // 1.25
  EXPECT_EQ(MulDiv(-7, 1, 4), -2);
  EXPECT_EQ(MulDiv(-5, 1, 4), -1);
  EXPECT_EQ(MulDiv(1, 1, 3), 0);
  EXPECT_EQ(MulDiv(2, 1, 3), 1);
  EXPECT_EQ(MulDiv(-2, 1, 3), -1);
}

TEST(MulDivTest, UsesTheFullProduct) {
  // 100000 * 100000 overflows 32 bits; the quotient does not.
  EXPECT_EQ(MulDiv(100000, 100000, 100000), 100000);
  EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(MulDiv(240, 640, 240), 640);
  EXPECT_EQ(MulDiv(320, 320, 240), 427);  // 426.67
}

TEST(MulDivTest, ZeroDivisorAndOverflowGiveMinusOne) {
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0, 0, 0), -1);
  EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
  EXPECT_EQ(MulDiv(INT_MAX, -2, 1), -1);
  EXPECT_EQ(MulDiv(65536, 32768, 1), -1);  // exactly 2^31
}

TEST(MulDivTest, IntMinEdges) {
  EXPECT_EQ(MulDiv(INT_MIN, 1, 1), INT_MIN);
  EXPECT_EQ(MulDiv(-65536, 32768, 1), INT_MIN);  // -2^31 still fits
  EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);         // +2^31 does not
  EXPECT_EQ(MulDiv(INT_MIN, 1, -1), -1);
  EXPECT_EQ(MulDiv(INT_MIN, INT_MIN, INT_MIN), INT_MIN);
  EXPECT_EQ(MulDiv(INT_MIN, 1, INT_MIN), 1);
  EXPECT_EQ(MulDiv(1, 1, INT_MIN), 0);
  EXPECT_EQ(MulDiv(INT_MIN, 1, 2), -1073741824);
  EXPECT_EQ(MulDiv(INT_MIN + 1, 1, 2), -1073741824);  // -1073741823.5 rounds away
}
