#include "display/led_images.h"

#include <cstdint>

#include "app/app_state.h"
#include "app/numbering.h"

int ScaleForDpi(int length, int dpi) {
    if (dpi <= 0 || dpi == DesignDpi) return length;
    const int64_t scaled = static_cast<int64_t>(length) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + DesignDpi / 2) / DesignDpi
                                        : -((-scaled + DesignDpi / 2) / DesignDpi));
}

bool LedMetricsForSize(int iconSize, LedMetrics* metrics, int dpi) {
    LedMetrics design;
    switch (iconSize) {
    case 1:
        design = LedMetrics{18, 4, 8, 2, 1};
        break;
    case 2:
        design = LedMetrics{24, 6, 13, 1, 1};
        break;
    case 3:
        design = LedMetrics{30, 8, 16, 2, 1};
        break;
    default:
        return false;
    }
    *metrics = LedMetrics{ScaleForDpi(design.IconPixels, dpi), ScaleForDpi(design.MarkSize, dpi),
                          design.LetterFontSize, ScaleForDpi(design.LetterTop, dpi),
                          ScaleForDpi(design.SeparatorPixels, dpi)};
    return true;
}

int LedFillsForState(int state, int edge, const LedColors& colors, LedFill (&fills)[2],
                     int separator) {
    const int s = edge;
    const int lit = s - separator; // the halves stop at the separator
    const PixelRect whole{0, 0, s, s};
    const PixelRect upper{0, 0, lit, s / 2};
    // Taller than the image on purpose: clipping makes it end at the last row.
    const PixelRect lowerToEdge{0, s / 2, lit, s};
    const PixelRect lower{0, s / 2, lit, s - s / 2}; // an odd edge's last row too
    switch (state) {
    case LedIdle:
        fills[0] = {whole, colors.Back};
        return 1;
    case LedRead:
        fills[0] = {whole, colors.Back};
        fills[1] = {upper, colors.Read};
        return 2;
    case LedWrite:
        fills[0] = {whole, colors.Back};
        fills[1] = {lowerToEdge, colors.Write};
        return 2;
    case LedReadWrite:
        // No background: the halves and the separator cover every pixel.
        fills[0] = {upper, colors.Read};
        fills[1] = {lower, colors.Write};
        return 2;
    default:
        return 0;
    }
}

PixelRect SeparatorColumn(int edge, int separator) {
    return PixelRect{edge - separator, 0, separator, edge};
}

int LetterLeft(int edge, int textWidth, int dpi) {
    int c = edge / 2 - textWidth / 2;
    // Narrow letters would crowd the marker side; the two steps are applied in this order.
    if (c == 5) c = 6;
    if (c == 4) c = 5;
    return c - ScaleForDpi(1, dpi);
}

PixelRect MarkerSquare(int edge, int markSize) {
    return PixelRect{edge / 2 - edge / 8, 0, markSize / 2, markSize / 2};
}

RgbColor MarkerColor(int state, bool present, const LedColors& colors) {
    if (present) return colors.Text;
    return (state == LedRead || state == LedReadWrite) ? colors.Read : colors.Back;
}

bool SlotIsPresent(const std::string& presentDrives, int slot) {
    return slot >= 1 && static_cast<size_t>(slot) <= presentDrives.size() &&
           presentDrives[slot - 1] == '1';
}

LedColors CurrentLedColors() {
    return LedColors{AppState.BackRgb, AppState.TextRgb, AppState.ReadRgb, AppState.WriteRgb};
}
