#include <gtest/gtest.h>

#include "display/tip_chart.h"

namespace {

// What a user sees of the chart: sixty equal seconds in a frame in the tip's bottom left corner,
// in the room the tip leaves below its text (and beside a text narrower than the chart), half as
// large again at 150 %.
TEST(TipChart, PlacedInTheTipsBottomLeftCornerAtTheBarsScale) {
    const ScreenArea client{0, 0, 300, 200};
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        const TipChart chart = PlaceTipChart(client, dpi);
        const ScreenArea& in = chart.Inner;
        const int edge = chart.Pad + 1; // the pad and the frame
        EXPECT_EQ(in.Left, client.Left + edge);
        EXPECT_EQ(in.Bottom, client.Bottom - edge);
        EXPECT_GT(chart.Column, 0);
        EXPECT_EQ(in.Right - in.Left, 60 * chart.Column);
        EXPECT_EQ(in.Bottom - in.Top, 2 * chart.Half);
        const int roomWidth = in.Right - in.Left + 2 * edge,
                  roomHeight = in.Bottom - in.Top + 2 * edge;
        EXPECT_EQ(TipChartMargin(100, dpi), (ScreenArea{0, 0, roomWidth - 100, roomHeight}));
        EXPECT_EQ(TipChartMargin(roomWidth + 1, dpi), (ScreenArea{0, 0, 0, roomHeight}));
    }
    const ScreenArea at100 = PlaceTipChart(client, 96).Inner,
                     at150 = PlaceTipChart(client, 144).Inner;
    EXPECT_EQ((at150.Right - at150.Left) * 2, (at100.Right - at100.Left) * 3);
    EXPECT_EQ((at150.Bottom - at150.Top) * 2, (at100.Bottom - at100.Top) * 3);
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
