#include <gtest/gtest.h>

#include <vector>

#include <string>

#include "app/numbering.h"
#include "display/led_images.h"

namespace {

const LedColors kColors{{0, 0, 0}, {255, 255, 255}, {0, 216, 0}, {255, 38, 38}};

// Paints the fills, the separator and the marker of one image into a grid of colour tags, the
// way the platform layer does, so the pixel rules can be checked without a screen.
enum Tag { Unpainted, Back, Text, Read, Write };

Tag TagOf(const RgbColor& c) {
    if (c == kColors.Back) return Back;
    if (c == kColors.Text) return Text;
    if (c == kColors.Read) return Read;
    if (c == kColors.Write) return Write;
    return Unpainted;
}

using Grid = std::vector<std::vector<Tag>>;

void Paint(Grid& grid, const PixelRect& r, Tag tag) {
    const int edge = static_cast<int>(grid.size());
    for (int y = r.Y; y < r.Y + r.H; ++y)
        for (int x = r.X; x < r.X + r.W; ++x)
            if (x >= 0 && y >= 0 && x < edge && y < edge) grid[y][x] = tag;
}

Grid DrawImage(int size, int state, bool present, int dpi = 96) {
    LedMetrics m;
    EXPECT_TRUE(LedMetricsForSize(size, &m, dpi));
    Grid grid(m.IconPixels, std::vector<Tag>(m.IconPixels, Unpainted));
    LedFill fills[2];
    const int count = LedFillsForState(state, m.IconPixels, kColors, fills, m.SeparatorPixels);
    for (int i = 0; i < count; ++i) Paint(grid, fills[i].Rect, TagOf(fills[i].Color));
    Paint(grid, SeparatorColumn(m.IconPixels, m.SeparatorPixels), Text);
    Paint(grid, MarkerSquare(m.IconPixels, m.MarkSize),
          TagOf(MarkerColor(state, present, kColors)));
    return grid;
}

TEST(LedMetrics, ThreeSizesAndNothingElse) {
    LedMetrics m;
    ASSERT_TRUE(LedMetricsForSize(1, &m));
    EXPECT_EQ(m.IconPixels, 18);
    EXPECT_EQ(m.MarkSize, 4);
    EXPECT_EQ(m.LetterFontSize, 8);
    EXPECT_EQ(m.LetterTop, 2);
    ASSERT_TRUE(LedMetricsForSize(2, &m));
    EXPECT_EQ(m.IconPixels, 24);
    EXPECT_EQ(m.LetterFontSize, 13);
    EXPECT_EQ(m.LetterTop, 1);
    ASSERT_TRUE(LedMetricsForSize(3, &m));
    EXPECT_EQ(m.IconPixels, 30);
    EXPECT_EQ(m.MarkSize, 8);
    EXPECT_FALSE(LedMetricsForSize(0, &m));
    EXPECT_FALSE(LedMetricsForSize(4, &m));
}

// The design's lengths at the usual Windows scales (the bar's width follows from the edge).
TEST(LedMetrics, EveryLengthScalesWithTheScreenRoundedOnce) {
    struct Row {
        int Dpi, Size, Edge, Mark, Top, Separator, Button;
    };
    const Row rows[] = {
        {120, 1, 23, 5, 3, 1, 10}, {120, 2, 30, 8, 1, 1, 10},  {120, 3, 38, 10, 3, 1, 10},
        {144, 1, 27, 6, 3, 2, 12}, {144, 2, 36, 9, 2, 2, 12},  {144, 3, 45, 12, 3, 2, 12},
        {192, 1, 36, 8, 4, 2, 16}, {192, 2, 48, 12, 2, 2, 16}, {192, 3, 60, 16, 4, 2, 16},
    };
    for (const Row& r : rows) {
        LedMetrics m;
        ASSERT_TRUE(LedMetricsForSize(r.Size, &m, r.Dpi));
        const std::string where = std::to_string(r.Dpi) + " dpi size " + std::to_string(r.Size);
        EXPECT_EQ(m.IconPixels, r.Edge) << where;
        EXPECT_EQ(m.MarkSize, r.Mark) << where;
        EXPECT_EQ(m.LetterTop, r.Top) << where;
        EXPECT_EQ(m.SeparatorPixels, r.Separator) << where;
        EXPECT_EQ(ScaleForDpi(8, r.Dpi), r.Button) << where;
    }
    EXPECT_EQ(ScaleForDpi(2, 0), 2);      // no answer from the screen: the design as it stands
    EXPECT_EQ(LetterLeft(27, 9, 144), 7); // c = 9, two pixels left at 150 %
}

TEST(LedFills, EveryStateAtEverySizeCoversEachPixelAsIntended) {
    const struct {
        int Dpi, Separator;
    } scales[] = {{96, 1}, {120, 1}, {144, 2}, {192, 2}};
    for (const auto [dpi, separator] : scales)
        for (int size = 1; size <= 3; ++size) {
            for (int state = LedIdle; state <= LedReadWrite; ++state) {
                const Grid g = DrawImage(size, state, false, dpi);
                const int s = static_cast<int>(g.size());
                for (int y = 0; y < s; ++y) {
                    for (int x = 0; x < s; ++x) {
                        Tag want = Back;
                        if (x >= s - separator)
                            want = Text;
                        else if (y < s / 2 && (state & LedRead))
                            want = Read;
                        else if (y >= s / 2 && (state & LedWrite))
                            want = Write;
                        ASSERT_EQ(g[y][x], want) << dpi << " dpi size " << size << " state "
                                                 << state << " at " << x << "," << y;
                    }
                }
            }
        }
}

TEST(LetterPlacement, CentredOnePixelLeftExceptAtFourAndFive) {
    EXPECT_EQ(LetterLeft(18, 7), 5);  // c = 6
    EXPECT_EQ(LetterLeft(18, 9), 5);  // c = 5 becomes 6
    EXPECT_EQ(LetterLeft(18, 11), 4); // c = 4 becomes 5
    EXPECT_EQ(LetterLeft(18, 13), 2); // c = 3
    EXPECT_EQ(LetterLeft(24, 10), 6); // c = 7
    EXPECT_EQ(LetterLeft(30, 14), 7); // c = 8
    EXPECT_EQ(LetterLeft(18, 0), 8);
}

TEST(PresenceMarker, SquareSitsLeftOfCentreAtTheTop) {
    EXPECT_EQ(MarkerSquare(18, 4), (PixelRect{7, 0, 2, 2}));
    EXPECT_EQ(MarkerSquare(24, 6), (PixelRect{9, 0, 3, 3}));
    EXPECT_EQ(MarkerSquare(30, 8), (PixelRect{12, 0, 4, 4}));
}

TEST(PresenceMarker, ShownInTextColourOrErasedWithWhatLiesBeneath) {
    for (int size = 1; size <= 3; ++size) {
        LedMetrics m;
        LedMetricsForSize(size, &m);
        const PixelRect sq = MarkerSquare(m.IconPixels, m.MarkSize);
        for (int state = LedIdle; state <= LedReadWrite; ++state) {
            const Grid shown = DrawImage(size, state, true);
            const Grid erased = DrawImage(size, state, false);
            const Tag beneath = (state & LedRead) ? Read : Back;
            for (int y = sq.Y; y < sq.Y + sq.H; ++y)
                for (int x = sq.X; x < sq.X + sq.W; ++x) {
                    EXPECT_EQ(shown[y][x], Text);
                    EXPECT_EQ(erased[y][x], beneath);
                }
        }
    }
}

TEST(PresenceMarker, OnlyACharacterOneCountsAsPresent) {
    EXPECT_TRUE(SlotIsPresent("1", 1));
    EXPECT_FALSE(SlotIsPresent("1", 2)) << "shorter text";
    EXPECT_FALSE(SlotIsPresent("2", 1));
    EXPECT_FALSE(SlotIsPresent("", 1));
    EXPECT_TRUE(SlotIsPresent(std::string(23, '0') + "1", 24));
    EXPECT_FALSE(SlotIsPresent("1", 0));
}

} // namespace
