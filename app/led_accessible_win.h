#pragma once
// What a screen reader learns of an LED, through Microsoft Active Accessibility: the LED answers
// WM_GETOBJECT with an object of its own in front of the standard one of its window.

#include <windows.h>

// For an LED control's WM_GETOBJECT: true when answered (`result` then holds the answer). The
// drive's name ("C: System"), its kind as the description, what its tip says now as the value
// (asked when read, never per tick), and "Open" as the default action, which opens the drive as a
// double-click does.
bool AnswerLedAccessibility(HWND control, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct IAccessible;
// That object itself, with one reference for the caller; null where oleacc is missing.
IAccessible* NewLedAccessible(HWND control);
