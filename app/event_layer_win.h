#pragma once
// The event layer's windows on user32.

#include <windows.h>

// The procedure of every window of the event layer (the bar, and the dialogs).
LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives a window its number for the event record (the bar is 0).
void RegisterEventWindow(HWND window, int number);
void ForgetEventWindow(HWND window);
// Replaces an LED control's procedure so that it reports presses, drags and double-clicks.
void AttachLedControl(HWND control);
