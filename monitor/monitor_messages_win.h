#pragma once
// Messages by which the timer thread hands work to the window's thread.

#include <windows.h>

inline constexpr UINT MsgApplyLedSwitches = WM_APP + 1; // no parameters
// wParam: fixed drives, lParam: drives of any kind; slot 1 = bit 0.
inline constexpr UINT MsgPresentDrives = WM_APP + 2;

// For the bar's window procedure: true when the message was one of the above and was handled.
bool HandleMonitorMessage(UINT message, WPARAM wParam, LPARAM lParam);
