#include "display/tip_chart.h"

#include "display/led_images.h"

TipChart PlaceTipChart(const ScreenArea& client, int dpi) {
    TipChart c;
    c.Column = ScaleForDpi(TipChartColumn, dpi);
    c.Half = ScaleForDpi(TipChartHeight, dpi) / 2;
    c.Pad = ScaleForDpi(TipChartPad, dpi);
    const int left = client.Left + c.Pad + 1, bottom = client.Bottom - c.Pad - 1;
    c.Inner = ScreenArea{left, bottom - 2 * c.Half, left + c.Column * MinuteSeconds, bottom};
    return c;
}

ScreenArea TipChartMargin(int textWidth, int dpi) {
    const TipChart c = PlaceTipChart(ScreenArea{}, dpi);
    // The chart with its frame and pads.
    const int width = c.Inner.Right - c.Inner.Left + 2 + 2 * c.Pad;
    const int height = c.Inner.Bottom - c.Inner.Top + 2 + 2 * c.Pad;
    const int extra = width - textWidth;
    return ScreenArea{0, 0, extra > 0 ? extra : 0, height};
}

int ColumnHeight(uint64_t value, uint64_t peak, int full) {
    if (value == 0 || peak == 0 || full <= 0) return 0;
    // Figures beyond any drive lose their low bits first, so that the product fits.
    while (value > UINT64_MAX / static_cast<uint64_t>(full) / 2) {
        value >>= 8;
        peak >>= 8;
    }
    if (peak == 0) return full;
    const uint64_t height = (value * static_cast<uint64_t>(full) + peak / 2) / peak;
    return height < 1 ? 1 : height > static_cast<uint64_t>(full) ? full : static_cast<int>(height);
}

ChartSecond PlaceChartSecond(const TipChart& chart, int index, const HistorySecond& second,
                             uint64_t peak) {
    ChartSecond s;
    if (!second.Known || index < 0 || index >= MinuteSeconds) return s;
    s.Shown = true;
    const int x = chart.Inner.Left + index * chart.Column, right = x + chart.Column;
    const int middle = chart.Inner.Top + chart.Half;
    s.Middle = ScreenArea{x, middle, right, middle + 1};
    if (const int up = ColumnHeight(second.ReadBytes, peak, chart.Half))
        s.Read = ScreenArea{x, middle - up, right, middle};
    if (const int down = ColumnHeight(second.WriteBytes, peak, chart.Half))
        s.Write = ScreenArea{x, middle, right, middle + down};
    return s;
}
