#pragma once

#include <cstdint>
// Tray mode: the bar hidden and monitoring stopped, a notification icon in its place, until the
// icon is double-clicked.

inline constexpr const char* kTrayTip = "Blinkbar deactivated - Double click to activate";

// Platform side.
void EnterTrayMode();
// True while the bar is hidden in the notification area.
bool InTrayMode();
// For the bar's procedure: true when the message was the tray's own (the taskbar came back, or
// the retry timer of an icon that could not be added) and was handled.
bool HandleTrayMessage(unsigned message, uintptr_t wParam);
// Removes the icon if it is there (the end of the program).
void RemoveTrayIcon();
// While nobody can see the screen the refused icon is not offered again every second; at the
// pause's end (or when the shell announces itself) it is.
void PauseTrayRetry(bool paused);
