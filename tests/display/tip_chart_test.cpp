#include <gtest/gtest.h>

#include "display/tip_chart.h"

namespace {

// A minute of two-pixel seconds, 40 high, in a frame 4 pixels in from the tip's bottom left corner,
// and the room the tip leaves for it, below the text and beside a narrow one; all of it half as
// large again at 150 %.
TEST(TipChart, PlacedInTheTipsBottomLeftCornerAtTheBarsScale) {
    const ScreenArea client{0, 0, 300, 200};
    struct Row {
        int Dpi, TextWidth;
        ScreenArea Inner, Margin;
    } const rows[] = {
        {96, 100, {5, 155, 125, 195}, {0, 0, 30, 50}},
        {96, 400, {5, 155, 125, 195}, {0, 0, 0, 50}},
        {144, 100, {7, 133, 187, 193}, {0, 0, 94, 74}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Dpi);
        EXPECT_EQ(PlaceTipChart(client, r.Dpi).Inner, r.Inner);
        EXPECT_EQ(TipChartMargin(r.TextWidth, r.Dpi), r.Margin);
    }
}

// Reads rise from the middle (y 175) and writes fall from it, to the scale of the minute's peak;
// any traffic shows at least one pixel, none shows the middle line only, and a second never asked
// shows nothing.
TEST(TipChart, EachSecondsColumnsToTheScaleOfTheMinutesPeak) {
    const TipChart chart = PlaceTipChart(ScreenArea{0, 0, 300, 200}, 96);
    struct Row {
        int Index;
        HistorySecond Second;
        uint64_t Peak;
        bool Shown;
        ScreenArea Read, Write;
    } const rows[] = {
        {0, {true, 1000, 0}, 1000, true, {5, 155, 7, 175}, {}}, // the peak: the full half
        {1, {true, 0, 500}, 1000, true, {}, {7, 175, 9, 185}},  // half the peak
        {2, {true, 1, 1}, 1000000, true, {9, 174, 11, 175}, {9, 175, 11, 176}}, // a trickle
        {3, {true, 0, 0}, 1000, true, {}, {}},
        {4, {false, 1000, 1000}, 1000, false, {}, {}},
        {59,
         {true, UINT64_MAX, UINT64_MAX / 2},
         UINT64_MAX,
         true,
         {123, 155, 125, 175},
         {123, 175, 125, 185}},                     // no overflow
        {60, {true, 1000, 0}, 1000, false, {}, {}}, // past the minute
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Index);
        const ChartSecond s = PlaceChartSecond(chart, r.Index, r.Second, r.Peak);
        ASSERT_EQ(s.Shown, r.Shown);
        if (!s.Shown) continue;
        const int x = 5 + 2 * r.Index;
        EXPECT_EQ(s.Middle, (ScreenArea{x, 175, x + 2, 176}));
        EXPECT_EQ(s.Read, r.Read);
        EXPECT_EQ(s.Write, r.Write);
    }
}

} // namespace
