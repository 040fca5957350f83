// Draws the LED images with GDI and hands them to the LED controls.
#include <windows.h>

#include <cstring>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/win_handles.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"

namespace {

UniqueBitmap gImages[Num::ImageNumberLimit];
UniqueFont gFonts[Num::FontNumberLimit];
UniqueIcon gProgramIcon; // image 200

COLORREF ToColorRef(const RgbColor& color) {
    return static_cast<COLORREF>(PackColor(color));
}

// One colour over [x, x+w) x [y, y+h), clipped to the image. The DC's own brush: no brush is
// made and thrown away for each of the images' few hundred fills.
void FillPixels(HDC dc, const PixelRect& r, const RgbColor& color) {
    const RECT area{r.X, r.Y, r.X + r.W, r.Y + r.H};
    SetDCBrushColor(dc, ToColorRef(color));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void DrawSeparator(HDC dc, int edge, const RgbColor& color) {
    // As wide as the scale makes one pixel: 2 columns from 150 %.
    FillPixels(dc, SeparatorColumn(edge, AppState.SeparatorPixels), color);
}

void DrawLetter(HDC dc, char letter, int edge, int top, const LedColors& colors) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, &letter, 1, &extent);
    SetTextAlign(dc, TA_UPDATECP);
    SetTextColor(dc, ToColorRef(colors.Text));
    SetBkColor(dc, ToColorRef(colors.Back));
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, LetterLeft(edge, extent.cx, AppState.Dpi), top, nullptr);
    TextOutA(dc, 0, 0, &letter, 1);
}

// A black, screen-compatible image of edge x edge pixels.
HBITMAP CreateBlackImage(int edge) {
    // A DIB section in the screen's 32-bit format: the LED controls copy its pixels to the bar
    // straight from memory, without selecting it into a device context on every switch.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = edge;
    info.bmiHeader.biHeight = edge;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::memset(bits, 0, static_cast<size_t>(edge) * edge * 4); // black
    return bitmap;
}

// `dc` is a memory DC with the letter font selected; one serves all 96 images, since making a DC
// and selecting into it are what cost when the images are drawn.
void DrawLedImage(HDC dc, HBITMAP bitmap, int slot, int state, const LedColors& colors) {
    SelectGuard useBitmap(dc, bitmap);
    const int edge = AppState.IconPixels;
    LedFill fills[2];
    const int count = LedFillsForState(state, edge, colors, fills, AppState.SeparatorPixels);
    for (int i = 0; i < count; ++i) FillPixels(dc, fills[i].Rect, fills[i].Color);
    DrawSeparator(dc, edge, colors.Text);
    const std::string& letters = AppState.DriveLetters;
    const char letter = static_cast<size_t>(slot) <= letters.size() ? letters[slot - 1] : ' ';
    DrawLetter(dc, letter, edge, AppState.LetterTop, colors);
}

} // namespace

HBITMAP ImageBitmap(int number) {
    return number >= 0 && number < Num::ImageNumberLimit ? gImages[number].get() : nullptr;
}

void SetImageBitmap(int number, HBITMAP bitmap) {
    if (number >= 0 && number < Num::ImageNumberLimit)
        gImages[number].reset(bitmap);
    else if (bitmap)
        DeleteObject(bitmap);
}

HFONT NumberedFont(int number) {
    return number >= 0 && number < Num::FontNumberLimit ? gFonts[number].get() : nullptr;
}

void SetNumberedFont(int number, HFONT font) {
    if (number >= 0 && number < Num::FontNumberLimit)
        gFonts[number].reset(font);
    else if (font)
        DeleteObject(font);
}

UniqueFont TakeNumberedFont(int number) {
    return number >= 0 && number < Num::FontNumberLimit ? std::move(gFonts[number]) : UniqueFont();
}

HICON ProgramIconImage() {
    return gProgramIcon.get();
}

void SetProgramIconImage(HICON icon) {
    gProgramIcon.reset(icon);
}

void ReleaseImagesAndFonts() {
    gProgramIcon.reset();
    for (auto& image : gImages) image.reset();
    for (auto& font : gFonts) font.reset();
}

HFONT CreatePointFont(const char* face, int points, int weight) {
    // At the bar's scale, which need not be the system's on a second monitor.
    const int pixelsPerInch = AppState.Dpi > 0 ? AppState.Dpi : DesignDpi;
    return CreateFontA(-MulDiv(points, pixelsPerInch, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

void RenderLedImages() {
    LedMetrics metrics;
    // No size, nothing to draw.
    if (!LedMetricsForSize(AppState.IconSize, &metrics, AppState.Dpi)) return;
    AppState.IconPixels = metrics.IconPixels;
    AppState.MarkSize = metrics.MarkSize;
    AppState.SeparatorPixels = metrics.SeparatorPixels;
    AppState.LetterFontSize = metrics.LetterFontSize;
    AppState.LetterTop = metrics.LetterTop;

    SetNumberedFont(Num::LetterFont, CreatePointFont("Tahoma", AppState.LetterFontSize, FW_BOLD));
    if (!NumberedFont(Num::SmallButtonFont)) {
        SetNumberedFont(Num::SmallButtonFont, CreatePointFont("Arial", 6, FW_BOLD));
    }
    if (!NumberedFont(Num::DialogFont)) {
        SetNumberedFont(Num::DialogFont, CreatePointFont("Tahoma", 8, FW_NORMAL));
    }

    const LedColors colors = CurrentLedColors();
    {
        UniqueDc dc(CreateCompatibleDC(nullptr));
        SelectGuard useFont(dc.get(), gFonts[Num::LetterFont].get());
        for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
            for (int state = LedIdle; state <= LedReadWrite; ++state) {
                const int number = LedImageNumber(slot, state);
                SetImageBitmap(number, CreateBlackImage(metrics.IconPixels));
                HBITMAP bitmap = ImageBitmap(number);
                if (bitmap && dc) DrawLedImage(dc.get(), bitmap, slot, state, colors);
            }
        }
    }
    DrawPresenceMarkers();
}

void DrawPresenceMarkers() {
    const int edge = AppState.IconPixels;
    const PixelRect square = MarkerSquare(edge, AppState.MarkSize);
    const LedColors colors = CurrentLedColors();
    UniqueDc dc(CreateCompatibleDC(nullptr));
    for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
        const bool present = SlotIsPresent(AppState.PresentDrives, slot);
        for (int state = LedIdle; state <= LedReadWrite; ++state) {
            HBITMAP bitmap = ImageBitmap(LedImageNumber(slot, state));
            if (!bitmap || !dc) continue;
            SelectGuard useBitmap(dc.get(), bitmap);
            FillPixels(dc.get(), square, MarkerColor(state, present, colors));
        }
        ShowLedImage(slot, LedImageNumber(slot, LedIdle));
    }
    // Every control is idle now; a drive that is still busy lights up again on the next tick.
    ResyncLedSwitches();
}
