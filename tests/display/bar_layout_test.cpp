#include <gtest/gtest.h>

#include "display/bar_layout.h"

namespace {

TEST(BarLayout, TheCasesAUserSees) {
    const std::string all(24, '1');
    BarGeometry bar = ComputeBarLayout(all, 18, 0);
    EXPECT_EQ(bar.ClientWidth, 431) << "one pixel narrower than its LEDs";
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

// After a change of scale: the bar moves the shortest way until more than half of it lies on the
// monitor whose scale it took, side by side or stacked, in either order.
TEST(BarLayout, AfterAChangeOfScaleMostOfTheBarStaysOnItsMonitor) {
    const ScreenArea left{0, 0, 1024, 768}, right{1024, 0, 2048, 768}, below{0, 768, 1024, 1536};
    const struct {
        ScreenArea Bar, Monitor;
        int X, Y;
    } rows[] = {
        {{774, 30, 1421, 57}, left, 700, 30},    // grown at 150 %: 250 of 647 left, back to 324
        {{700, 30, 1131, 48}, right, 809, 30},   // shrunk at 100 %: 107 of 431 right, on to 216
        {{900, 30, 1331, 48}, right, 900, 30},   // most of it there already
        {{100, 750, 531, 777}, below, 100, 755}, // stacked: 9 of 27 rows below, on to 14
        {{100, 760, 531, 787}, below, 100, 760}, // 19 of 27 already
        {{100, 754, 531, 781}, {0, 0, 1024, 768}, 100, 754}, // 14 of 27 above: more than half
    };
    for (const auto& row : rows) {
        int x = 0, y = 0;
        KeepMostOn(row.Bar, row.Monitor, &x, &y);
        EXPECT_EQ(x, row.X) << row.Bar.Left << "," << row.Bar.Top;
        EXPECT_EQ(y, row.Y) << row.Bar.Left << "," << row.Bar.Top;
    }
}

} // namespace
