#include "display/led_controls_win.h"

#include <cstdint>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/win_handles.h"
#include "display/gdi_store_win.h"
#include "monitor/activity_poller.h"

namespace {

// Each LED control once it has taken an image; looking a control up by number asks the window
// server every time.
HWND gControls[Num::LastLedControl + 1];
// Where each known control sits in the bar, kept from its moves: asking the window for its
// place or visibility on every switch asks the window server.
POINT gPlace[Num::LastLedControl + 1];
// What each LED control shows. The images belong to the image store; a control only points at one.
HBITMAP gShown[Num::LastLedControl + 1];
// Controls whose new image waits for EndLedImages, slot s = bit s - 1.
uint32_t gUnpainted = 0;
// Between BeginLedImages and EndLedImages: switches are painted together at the end.
bool gBatch = false;
// In bar coordinates; the bar has no WS_CLIPCHILDREN, which would clip the LEDs themselves.
RECT gKeptOut{};
// The LED with the keyboard focus (0: none).
int gFocusSlot = 0;

// Straight from the DIB section's memory: selecting the bitmap into a device context costs more
// than the copy itself.
void CopyImage(HDC target, int x, int y, HBITMAP bitmap) {
    DIBSECTION image{};
    if (!bitmap || GetObjectA(bitmap, sizeof image, &image) != sizeof image) return;
    const int height = image.dsBm.bmHeight;
    SetDIBitsToDevice(target, x, y, static_cast<DWORD>(image.dsBm.bmWidth),
                      static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height),
                      image.dsBm.bmBits, reinterpret_cast<BITMAPINFO*>(&image.dsBmih),
                      DIB_RGB_COLORS);
}

// From the style this process keeps: IsWindowVisible asks the window server.
bool HasVisibleStyle(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int SlotOf(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id >= Num::FirstLedControl && id <= Num::LastLedControl ? id : 0;
}

// The image at x, y, and the focus cue over it where it belongs: only once the keyboard has been
// used, as Windows' own controls draw it (the keyboard cues' state of WM_UPDATEUISTATE).
void PaintLed(HDC target, int x, int y, int slot) {
    CopyImage(target, x, y, gShown[slot]);
    if (slot != gFocusSlot || !gControls[slot] ||
        (SendMessageA(gControls[slot], WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        return;
    RECT cue{x, y, x + AppState.IconPixels, y + AppState.IconPixels};
    DrawFocusRect(target, &cue);
}

} // namespace

bool HandleLedControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT* result) {
    switch (message) {
    case STM_SETIMAGE: {
        const int slot = SlotOf(control);
        if (!slot || wParam != IMAGE_BITMAP) return false;
        if (gControls[slot] != control) {
            gControls[slot] = control;
            gPlace[slot] = POINT{0, 0};
            MapWindowPoints(control, GetParent(control), &gPlace[slot], 1);
        }
        const HBITMAP previous = gShown[slot];
        gShown[slot] = reinterpret_cast<HBITMAP>(lParam);
        *result = reinterpret_cast<LRESULT>(previous);
        // Painted even when the handle is the same: the marker drawing changes an image in place.
        if (gBatch)
            gUnpainted |= 1u << (slot - 1);
        else if (HasVisibleStyle(control) && HasVisibleStyle(AppState.WindowHandle))
            InvalidateRect(control, nullptr, FALSE); // a hidden one is painted when it shows
        return true;
    }
    case STM_GETIMAGE: {
        const int slot = SlotOf(control);
        if (!slot || wParam != IMAGE_BITMAP) return false;
        *result = reinterpret_cast<LRESULT>(gShown[slot]);
        return true;
    }
    case WM_WINDOWPOSCHANGED:
        if (const int slot = SlotOf(control); slot && gControls[slot] == control) {
            const auto* place = reinterpret_cast<const WINDOWPOS*>(lParam);
            gPlace[slot] = POINT{place->x, place->y};
        }
        return false;
    case WM_NCDESTROY:
        if (const int slot = SlotOf(control); slot && gControls[slot] == control) {
            gControls[slot] = nullptr;
            gShown[slot] = nullptr;
        }
        return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        gFocusSlot = message == WM_SETFOCUS ? SlotOf(control) : 0;
        InvalidateRect(control, nullptr, FALSE);
        return false;
    case WM_UPDATEUISTATE: // the default procedure keeps the new state; the cue follows it
        if (SlotOf(control) == gFocusSlot) InvalidateRect(control, nullptr, FALSE);
        return false;
    case WM_ERASEBKGND:
        *result = 1; // the image covers the whole control
        return true;
    case WM_PAINT: {
        PaintDc dc(control);
        if (dc.get()) PaintLed(dc.get(), 0, 0, SlotOf(control));
        *result = 0;
        return true;
    }
    default:
        return false;
    }
}

HWND LedControl(int slot) {
    // Known controls forget themselves when they go (WM_NCDESTROY).
    const bool known =
        slot >= Num::FirstLedControl && slot <= Num::LastLedControl && gControls[slot];
    return known ? gControls[slot] : GetDlgItem(AppState.WindowHandle, slot);
}

void ShowLedImage(int control, int image) {
    HWND window = LedControl(control);
    if (!window) return;
    SendMessageA(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(ImageBitmap(image)));
}

void KeepOutOfLedPaint(const RECT& area) {
    gKeptOut = area;
}

void BeginLedImages() {
    gBatch = true;
}

void EndLedImages() {
    gBatch = false;
    if (!gUnpainted) return;
    // One device context of the bar for all of a tick's switches: each control's own would cost
    // a round trip to the window server apiece.
    HWND bar = AppState.WindowHandle;
    WindowDc dc(bar);
    if (dc.get() && !IsRectEmpty(&gKeptOut))
        ExcludeClipRect(dc.get(), gKeptOut.left, gKeptOut.top, gKeptOut.right, gKeptOut.bottom);
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        if (!(gUnpainted & (1u << (slot - 1)))) continue;
        HWND control = gControls[slot];
        if (!dc.get() || !control || !HasVisibleStyle(control)) continue;
        PaintLed(dc.get(), gPlace[slot].x, gPlace[slot].y, slot);
    }
    gUnpainted = 0;
}

void NoteLedNamesChanged(unsigned slots) {
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        if (slots & (1u << (slot - 1)))
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, LedControl(slot), OBJID_CLIENT, CHILDID_SELF);
    }
}
