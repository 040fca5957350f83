#include <gtest/gtest.h>

#include "dialogs/dialog_layout.h"
#include "dialogs/transparency.h"

namespace {

TEST(DriveDialog, FourColumnsOfSixFilledColumnByColumn) {
    EXPECT_EQ(DriveCheckBoxRect(1), (PixelRect{10, 10, 40, 20})) << "C";
    EXPECT_EQ(DriveCheckBoxRect(6), (PixelRect{10, 110, 40, 20})) << "H";
    EXPECT_EQ(DriveCheckBoxRect(7), (PixelRect{50, 10, 40, 20})) << "I";
    EXPECT_EQ(DriveCheckBoxRect(13), (PixelRect{90, 10, 40, 20})) << "O";
    EXPECT_EQ(DriveCheckBoxRect(24), (PixelRect{130, 110, 40, 20})) << "Z";
    EXPECT_EQ(SaveChangesRect(), (PixelRect{10, 135, 150, 20}));
}

TEST(DriveDialog, TheLastTickedBoxCannotBeCleared) {
    bool ticked[24] = {};
    ticked[0] = ticked[23] = true;
    EXPECT_EQ(MaskFromChecks(ticked), "100000000000000000000001");
    const std::string none(24, '0');
    EXPECT_TRUE(MustTickAgain(none, 251));
    EXPECT_TRUE(MustTickAgain(none, 274));
    EXPECT_FALSE(MustTickAgain(none, 280)) << "saving an empty mask opened empty is allowed";
    EXPECT_FALSE(MustTickAgain(none, 2)) << "the menu item before any box was touched";
    EXPECT_FALSE(MustTickAgain("100000000000000000000000", 252));
}

TEST(Dialogs, OpenCentredOnTheBarThenFiftyPixelsBelowItsTop) {
    const DialogPlace place = PlaceDialog({400, 10, 431, 18}, 191);
    EXPECT_EQ(place.Left, 400 + (431 - 191) / 2);
    EXPECT_EQ(place.Top, 60);
    EXPECT_EQ(PlaceDialog({-300, 10, 53, 18}, 191).Left, 0) << "never left of the origin";
    EXPECT_EQ(PlaceDialog({5, -40, 53, 18}, 191).Top, 10);
}

TEST(TransparencyDialog, TheSliderIsClampedAndTheControlsStandWhereTheyShould) {
    EXPECT_EQ(ClampTransparency(39), 40);
    EXPECT_EQ(ClampTransparency(256), 255);
    EXPECT_EQ(ClampTransparency(128), 128);
    EXPECT_EQ(kTransparencyControls[0].Number, 620);
    EXPECT_EQ(kTransparencyControls[0].Rect, (PixelRect{30, 10, 125, 20}));
    EXPECT_STREQ(kTransparencyControls[2].Text, "255");
    EXPECT_EQ(kTransparencyControls[3].Rect, (PixelRect{10, 30, 165, 20}));
}

} // namespace
