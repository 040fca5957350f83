#pragma once
// The minute's chart below an LED's tooltip text: where it goes and how high each second's columns
// are, at the bar's scale. Drawn by tip_chart_win.cpp.

#include <cstdint>

#include "display/bar_layout.h"
#include "monitor/drive_history.h"

// The chart of the 96-dpi design: a column of 2 pixels per second, 40 high (read up from the
// middle, write down from it), inside a one-pixel frame, 4 pixels from the tip's edges.
inline constexpr int TipChartColumn = 2, TipChartHeight = 40, TipChartPad = 4;

struct TipChart {
    ScreenArea Inner; // inside the frame
    int Column = 0;   // one second's width
    int Half = 0;     // reads above the middle, writes below, each at most this high
    int Pad = 0;      // between the frame and the tip's edges
};

// The chart in the bottom left corner of a tip's client area, at `dpi`.
TipChart PlaceTipChart(const ScreenArea& client, int dpi);
// The room a tip leaves around its text for the chart (TTM_SETMARGIN): below the text, and to
// the right of a text narrower than the chart.
ScreenArea TipChartMargin(int textWidth, int dpi);

// Height in pixels of a column of `value` where `peak` fills `full`: 0 for nothing, at least 1
// for anything, rounded.
int ColumnHeight(uint64_t value, uint64_t peak, int full);

// One second of the chart: nothing for a second the drive was not asked; else the middle line,
// its reads above it and its writes below, each empty when 0.
struct ChartSecond {
    bool Shown = false;
    ScreenArea Middle, Read, Write;
};
ChartSecond PlaceChartSecond(const TipChart& chart, int index, const HistorySecond& second,
                             uint64_t peak);
