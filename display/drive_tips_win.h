#pragma once
// Tooltips on the LEDs: what each drive is and how busy it is, on user32 and comctl32.

#include <windows.h>

// One tooltip window with a tool per LED control (after the controls exist, once the bar has
// been painted: comctl32 is loaded then).
void CreateDriveTips();
// The shown tip closed and every tip quiet while nobody can see the bar; back with `silent` false.
void SilenceDriveTips(bool silent);
void DestroyDriveTips();
// The tips' font for the bar's scale (after a change of scale).
void ApplyDriveTipFont();
// For the LED controls' procedure: hands a mouse message on to the tooltip.
void RelayDriveTipMouse(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
// For the bar's procedure: the tooltip's notifications and its refresh timer. True when handled.
bool HandleDriveTipMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
