#include <gtest/gtest.h>

#include "display/bar_layout.h"

namespace {

TEST(BarLayout, TheCasesAUserSees) {
    const std::string all(24, '1');
    BarGeometry bar = ComputeBarLayout(all, 18, 0);
    EXPECT_EQ(bar.ClientWidth, 24 * 18 - 1) << "one pixel narrower than its LEDs";
    EXPECT_EQ(bar.ClientHeight, 18);
    EXPECT_EQ(bar.LedX[24], 414);

    bar = ComputeBarLayout(all, 30, 8);
    EXPECT_EQ(bar.ClientWidth, 727);
    EXPECT_EQ(bar.ButtonX, 719);

    bar = ComputeBarLayout("11" + std::string(21, '0') + "1", 18, 0);
    EXPECT_EQ(bar.ShownCount, 3);
    EXPECT_EQ(bar.LedX[1], 0);
    EXPECT_EQ(bar.LedX[2], 18);
    EXPECT_EQ(bar.LedX[24], 36);
    for (int slot = 3; slot <= 23; ++slot) {
        EXPECT_FALSE(bar.Shown[slot]);
        EXPECT_EQ(bar.LedX[slot], 36) << "hidden controls stand where the next LED goes";
    }
    EXPECT_EQ(bar.ClientWidth, 53);
}

TEST(BarLayout, MaskCharactersAndEmptyBars) {
    BarGeometry bar = ComputeBarLayout("15x", 24, 0);
    EXPECT_TRUE(bar.Shown[1]);
    EXPECT_TRUE(bar.Shown[2]) << "any digit 1 to 9 shows its drive";
    EXPECT_FALSE(bar.Shown[3]);
    EXPECT_FALSE(bar.Shown[4]) << "beyond a short mask";
    EXPECT_EQ(bar.LedX[24], 48) << "hidden slots after the last LED stand at N x S";
    EXPECT_EQ(bar.ClientWidth, 47);

    bar = ComputeBarLayout(std::string(24, '0'), 18, 8);
    EXPECT_EQ(bar.ClientWidth, 7);
    EXPECT_EQ(bar.ButtonX, -1) << "7 of the button's 8 columns show";
    bar = ComputeBarLayout(std::string(24, '0'), 18, 0);
    EXPECT_EQ(bar.ClientWidth, 17) << "no LED and no button: as wide as one LED, never -1";
}

} // namespace
