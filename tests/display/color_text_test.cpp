#include <gtest/gtest.h>

#include "display/color_text.h"

namespace {

TEST(ColorText, FormatsTwoUpperCaseDigitsPerComponent) {
    EXPECT_EQ(FormatColorHex({0, 216, 0}), "00D800");
    EXPECT_EQ(FormatColorHex({255, 38, 38}), "FF2626");
    EXPECT_EQ(FormatColorHex({10, 11, 12}), "0A0B0C");
    EXPECT_EQ(FormatColorHex({0, 0, 0}), "000000");
}

TEST(ColorText, ParsesPairsInEitherCase) {
    EXPECT_EQ(ParseColorHex("00D800"), (RgbColor{0, 216, 0}));
    EXPECT_EQ(ParseColorHex("00d800"), (RgbColor{0, 216, 0}));
    EXPECT_EQ(ParseColorHex("fFfFfF"), (RgbColor{255, 255, 255}));
}

TEST(ColorText, ShortAndLongTextsAreCutTheSameWay) {
    EXPECT_EQ(ParseColorHex("FFF"), (RgbColor{255, 15, 255})) << "blue overlaps the middle piece";
    EXPECT_EQ(ParseColorHex(""), (RgbColor{0, 0, 0}));
    EXPECT_EQ(ParseColorHex("A"), (RgbColor{10, 0, 10}));
    EXPECT_EQ(ParseColorHex("1234567890"), (RgbColor{0x12, 0x34, 0x90}));
}

TEST(ColorText, AStrayCharacterCountsAsItsCodeMinus55WithoutARangeCheck) {
    EXPECT_EQ(ParseColorHex("ZZ0000"), (RgbColor{595, 0, 0}));
    EXPECT_EQ(PackColor(ParseColorHex("ZZ0000")), 595u) << "spills into green";
    EXPECT_EQ(ParseColorHex("G00000").Red, (71 - 55) * 16);
    // A byte above 127 is a negative signed char: -1 - 55 = -56.
    EXPECT_EQ(ParseColorHex("\xFF"
                            "00000")
                  .Red,
              -56 * 16);
}

TEST(ColorText, PackingIsPlainArithmeticAndUnpackingMasks) {
    EXPECT_EQ(PackColor({0x11, 0x22, 0x33}), 0x332211u);
    EXPECT_EQ(PackColor({256, 0, 0}), 0x100u);
    EXPECT_EQ(UnpackColor(0x332211u), (RgbColor{0x11, 0x22, 0x33}));
    EXPECT_EQ(UnpackColor(0xFF332211u), (RgbColor{0x11, 0x22, 0x33}));
    for (RgbColor c : {RgbColor{0, 216, 0}, RgbColor{255, 38, 38}, RgbColor{1, 2, 255}}) {
        EXPECT_EQ(UnpackColor(PackColor(c)), c);
        EXPECT_EQ(ParseColorHex(FormatColorHex(c)), c);
    }
}

} // namespace
