// The minute's chart under an LED's tooltip, on gdi32 and user32.
#include "display/tip_chart_win.h"

#include "app/app_state.h"
#include "app/win_handles.h"
#include "display/color_text.h"
#include "display/tip_chart.h"

namespace {

ScreenArea AreaOf(const RECT& r) {
    return ScreenArea{r.left, r.top, r.right, r.bottom};
}

void Fill(HDC dc, const ScreenArea& area, COLORREF color) {
    if (area.Right <= area.Left || area.Bottom <= area.Top) return;
    const RECT r{area.Left, area.Top, area.Right, area.Bottom};
    SetDCBrushColor(dc, color);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

COLORREF ColorOf(const RgbColor& color) {
    return static_cast<COLORREF>(PackColor(color));
}

} // namespace

// On the background colour in a frame of the tip's own text colour: a second the drive was asked
// shows a line of the LED text colour in the middle, its reads above in the read colour, its writes
// below in the write colour, all to the scale of the minute's largest second; a second before it
// was asked shows nothing.
void DrawTipChart(HDC dc, const RECT& client, const DriveMinute& minute) {
    const TipChart c = PlaceTipChart(AreaOf(client), AppState.Dpi);
    const ScreenArea& in = c.Inner;
    Fill(dc, ScreenArea{in.Left - 1, in.Top - 1, in.Right + 1, in.Bottom + 1},
         GetSysColor(COLOR_INFOTEXT));
    Fill(dc, in, ColorOf(AppState.BackRgb));
    const uint64_t peak = MinutePeak(minute);
    for (int i = 0; i < MinuteSeconds; ++i) {
        const ChartSecond s = PlaceChartSecond(c, i, minute.Seconds[i], peak);
        if (!s.Shown) continue;
        Fill(dc, s.Middle, ColorOf(AppState.TextRgb));
        Fill(dc, s.Read, ColorOf(AppState.ReadRgb));
        Fill(dc, s.Write, ColorOf(AppState.WriteRgb));
    }
}

RECT TipChartColumns(const RECT& client) {
    const ScreenArea in = PlaceTipChart(AreaOf(client), AppState.Dpi).Inner;
    return RECT{in.Left, in.Top, in.Right, in.Bottom};
}

// No erase shows between the tip's paint and the chart's, also on a desktop that nothing
// composes. (Without memory for the copy, straight onto the screen.)
void PaintTipOffScreen(HWND tips) {
    PaintDc screen(tips);
    if (!screen.get()) return;
    RECT client{};
    GetClientRect(tips, &client);
    UniqueDc memory(CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(memory ? CreateCompatibleBitmap(screen.get(), client.right, client.bottom)
                               : nullptr);
    const HDC target = bitmap ? memory.get() : screen.get();
    SelectGuard select(bitmap ? memory.get() : nullptr, bitmap.get());
    SendMessageA(tips, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target),
                 PRF_CLIENT | PRF_ERASEBKGND);
    if (bitmap) BitBlt(screen.get(), 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
}
