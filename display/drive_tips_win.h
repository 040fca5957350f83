#pragma once
// Tooltips on the LEDs: what each drive is and how busy it is, on user32 and comctl32.

#include <windows.h>

// One tooltip window with a tool per LED control (after the controls exist, once the bar has
// been painted: comctl32 is loaded then).
void CreateDriveTips();
// While nobody can see the bar the tips are gone (and the shown one closed); back with `silent`
// false, showing again only once the pointer moves over an LED.
void SilenceDriveTips(bool silent);
void DestroyDriveTips();
// The shown tip, if it is slot's, takes what its drive has just answered.
void RefreshDriveTipOf(int slot);
// The tips' font for the bar's scale (after a change of scale).
void ApplyDriveTipFont();
// For the LED controls' procedure: hands a mouse message on to the tooltip.
void RelayDriveTipMouse(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
// For the bar's procedure: the tooltip's notifications and its refresh timer. True when handled.
bool HandleDriveTipMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
