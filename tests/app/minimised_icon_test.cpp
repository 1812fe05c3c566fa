#include <gtest/gtest.h>

#include "app/minimised_icon.h"

namespace velanto {
namespace {

TEST(MinimisedIconOrigin, CentresWithDivisionTruncatingTowardZero) {
    EXPECT_EQ(MinimisedIconOrigin(36, 36, 32, 32).x, 2);
    EXPECT_EQ(MinimisedIconOrigin(31, 36, 32, 32).x, 0);
    EXPECT_EQ(MinimisedIconOrigin(30, 36, 32, 32).x, 0);  // (30 - 32 + 1) / 2 truncates to 0
    EXPECT_EQ(MinimisedIconOrigin(29, 29, 32, 32).y, -1);
    EXPECT_EQ(MinimisedIconOrigin(160, 120, 32, 32).y, 44);
}

}  // namespace
}  // namespace velanto
