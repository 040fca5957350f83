#pragma once
// The LED controls keep the bitmap they were given and paint it themselves: a switch costs a
// copy of 18 to 30 pixels square, not a resize, an erase and a paint message of a static control.

#include <windows.h>

// For the LED controls' window procedure: true when the message was handled here (`result`
// then holds the answer). Handles STM_SETIMAGE, STM_GETIMAGE, WM_ERASEBKGND and WM_PAINT, and
// follows the focus and the keyboard cues' state for the focus cue.
bool HandleLedControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT* result);

// LED control `slot` of the bar, from what the controls told of themselves when possible: a
// lookup by number asks the window server.
HWND LedControl(int slot);

// The part of the bar that EndLedImages leaves alone: the minimize button covers the last LED's
// separator column, and the bar's device context would draw over it. An empty rectangle: none.
void KeepOutOfLedPaint(const RECT& area);

// Tells screen readers that the names of these slots' LEDs (bit s - 1 for slot s) changed: a
// drive came or went.
void NoteLedNamesChanged(unsigned slots);
