#pragma once
// Messages by which the timer thread and the drive questions hand work to the window's thread.

#include <windows.h>

inline constexpr UINT MsgApplyLedSwitches = WM_APP + 1; // no parameters
inline constexpr UINT MsgScanDrives = WM_APP + 2; // no parameters
// From a drive question's thread: its answer is in (wParam: the slot).
inline constexpr UINT MsgDriveAnswer = WM_APP + 3;

// For the bar's window procedure: true when the message was one of the above and was handled.
bool HandleMonitorMessage(UINT message, WPARAM wParam, LPARAM lParam);
