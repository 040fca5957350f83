#pragma once
// While nobody can see the bar (the session locked or disconnected, the screen off) the tick asks
// no volume. Each message sets or clears one reason; monitoring pauses while any reason holds.

#include <cstdint>

enum PauseReason : int {
    PauseLocked = 1,
    PauseDisconnected = 2,
    PauseDisplayOff = 4,
};

// WM_WTSSESSION_CHANGE's event code: a lock or disconnect sets its reason, an unlock or a
// connect clears it; other codes (logon, logoff, remote control) change nothing.
int PauseReasonsAfterSessionChange(int reasons, uint32_t sessionEvent);
// GUID_CONSOLE_DISPLAY_STATE's value: 0 off; 1 on and 2 dimmed, which a user still sees.
int PauseReasonsAfterDisplayState(int reasons, uint32_t displayState);

// Platform side (the window's thread).
struct HWND__;
// Asks Windows for the session and console-display messages, where it has them.
void WatchSession(HWND__* bar);
void StopWatchingSession(HWND__* bar);
// The display, session and power messages of the bar; true when it took the message.
bool HandleSessionMessage(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam,
                          intptr_t* result);
// Brings the bar back by the start-up rule when it now touches no monitor.
void KeepBarReachable();
