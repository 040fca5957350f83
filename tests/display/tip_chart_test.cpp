#include <gtest/gtest.h>

#include "display/tip_chart.h"

namespace {

int Width(const ScreenArea& a) {
    return a.Right - a.Left;
}
int Height(const ScreenArea& a) {
    return a.Bottom - a.Top;
}

// A minute of two-pixel seconds, 40 high, in a frame 4 pixels in from the tip's bottom left corner,
// and the room the tip leaves for it; all of it half as large again at 150 %.
TEST(TipChart, PlacedInTheTipsBottomLeftCornerAtTheBarsScale) {
    struct Row {
        int Dpi, TextWidth;
        ScreenArea Inner, Margin;
    };
    const ScreenArea client{0, 0, 300, 200};
    const Row rows[] = {
        {96, 100, {5, 155, 125, 195}, {0, 0, 30, 50}},  // a narrow text: room to its right too
        {96, 400, {5, 155, 125, 195}, {0, 0, 0, 50}},   // wider than the chart: below it only
        {144, 100, {7, 133, 187, 193}, {0, 0, 94, 74}}, // 3-pixel seconds, 60 high, pads of 6
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Dpi);
        const TipChart chart = PlaceTipChart(client, r.Dpi);
        EXPECT_EQ(chart.Inner.Left, r.Inner.Left);
        EXPECT_EQ(chart.Inner.Top, r.Inner.Top);
        EXPECT_EQ(chart.Inner.Right, r.Inner.Right);
        EXPECT_EQ(chart.Inner.Bottom, r.Inner.Bottom);
        EXPECT_EQ(Width(chart.Inner), chart.Column * MinuteSeconds);
        // The chart, its frame and both pads fit the margin the tip left.
        const ScreenArea margin = TipChartMargin(r.TextWidth, r.Dpi);
        EXPECT_EQ(margin.Right, r.Margin.Right);
        EXPECT_EQ(margin.Bottom, r.Margin.Bottom);
        EXPECT_EQ(Height(chart.Inner) + 2 + 2 * chart.Pad, margin.Bottom);
        EXPECT_GE(r.TextWidth + margin.Right, Width(chart.Inner) + 2 + 2 * chart.Pad);
    }
}

// Reads rise from the middle and writes fall from it, to the scale of the minute's peak; any
// traffic shows at least one pixel, none shows nothing, and a second never asked shows no line.
TEST(TipChart, EachSecondsColumnsToTheScaleOfTheMinutesPeak) {
    const TipChart chart = PlaceTipChart(ScreenArea{0, 0, 300, 200}, 96); // middle at y 175
    struct Row {
        int Index;
        HistorySecond Second;
        uint64_t Peak;
        bool Shown;
        int X, Up, Down;
    };
    const Row rows[] = {
        {0, {true, 1000, 0}, 1000, true, 5, 20, 0},     // the peak: the full half
        {1, {true, 0, 500}, 1000, true, 7, 0, 10},      // half the peak
        {2, {true, 1, 1}, 1000000, true, 9, 1, 1},      // a trickle: one pixel each
        {3, {true, 0, 0}, 1000, true, 11, 0, 0},        // quiet: the middle line only
        {4, {false, 1000, 1000}, 1000, false, 0, 0, 0}, // before the drive was asked
        {59, {true, UINT64_MAX, UINT64_MAX / 2}, UINT64_MAX, true, 123, 20, 10}, // no overflow
        {60, {true, 1000, 0}, 1000, false, 0, 0, 0},                             // past the minute
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Index);
        const ChartSecond s = PlaceChartSecond(chart, r.Index, r.Second, r.Peak);
        ASSERT_EQ(s.Shown, r.Shown);
        if (!s.Shown) continue;
        EXPECT_EQ(s.Middle.Left, r.X);
        EXPECT_EQ(Width(s.Middle), chart.Column);
        EXPECT_EQ(s.Middle.Top, 175);
        EXPECT_EQ(Height(s.Read), r.Up);
        EXPECT_EQ(Height(s.Write), r.Down);
        if (r.Up) EXPECT_EQ(s.Read.Bottom, s.Middle.Top);
        if (r.Down) EXPECT_EQ(s.Write.Top, s.Middle.Top);
    }
}

} // namespace
