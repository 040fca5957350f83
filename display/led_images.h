#pragma once
// The 96 LED images: every pixel decided here, drawn by the platform layer.

#include <string>

#include "display/color_text.h"

// The design is drawn for 96 dots per inch; a screen of another scale gets every length times
// dpi / 96, each rounded once to the nearest pixel (halves up), so that sums of scaled lengths stay
// sums of pixels. 0 or less counts as 96.
inline constexpr int DesignDpi = 96;
int ScaleForDpi(int length, int dpi);

struct LedMetrics {
    int IconPixels = 0;      // S: the LED's edge
    int MarkSize = 0;        // M: the presence marker is M/2 square
    int LetterFontSize = 0;  // points: the font is made for the screen's dots per inch
    int LetterTop = 0;       // pixel row of the letter cell's top
    int SeparatorPixels = 1; // width of the separator column on the right
};

// Sizes 1, 2, 3 give 18, 24 and 30 pixel LEDs at 96 dpi, scaled for others; any other size has
// no metrics (false).
bool LedMetricsForSize(int iconSize, LedMetrics* metrics, int dpi = DesignDpi);

struct PixelRect {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    bool operator==(const PixelRect&) const = default;
};

struct LedFill {
    PixelRect Rect;
    RgbColor Color;
};

struct LedColors {
    RgbColor Back;
    RgbColor Text;
    RgbColor Read;
    RgbColor Write;
};

// The fills of one state's image, in drawing order; returns how many (at most 2).
int LedFillsForState(int state, int edge, const LedColors& colors, LedFill (&fills)[2],
                     int separator = 1);

// The separator: the last `separator` columns (S-1 at 96 dpi), all rows, in the text colour.
PixelRect SeparatorColumn(int edge, int separator = 1);

// Left edge of the letter cell for a letter `textWidth` pixels wide on an LED `edge` pixels wide:
// centred, one pixel (scaled) left, except that a centre column of 4 or 5 is kept where it stands.
int LetterLeft(int edge, int textWidth, int dpi = DesignDpi);

// The presence marker square at the top, just left of centre.
PixelRect MarkerSquare(int edge, int markSize);

// Text colour when present; otherwise whatever the fills put beneath the square, which erases it.
RgbColor MarkerColor(int state, bool present, const LedColors& colors);

// A slot counts as present only when its character in the presence text is '1'.
bool SlotIsPresent(const std::string& presentDrives, int slot);

// The colours as AppState holds them now.
LedColors CurrentLedColors();

// Platform side (window's thread).
// Draws all 96 images in the current size and colours, then the markers.
void RenderLedImages();
// Draws or erases the marker on every image, then puts each slot's idle image on its control.
void DrawPresenceMarkers();
