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
// connect clears it; a move to Remote Desktop also ends a pause for a screen that was off (the
// user now looks at another one); other codes (logon, logoff, remote control) change nothing.
int PauseReasonsAfterSessionChange(int reasons, uint32_t sessionEvent);
// The display notification's value: 0 off; 1 on and 2 dimmed, which a user still sees. A notice
// of a screen the session is not shown on (the console's monitors, for a Remote Desktop session on
// Vista and 7) pauses nothing.
int PauseReasonsAfterDisplayState(int reasons, uint32_t displayState, bool shownThere = true);

// Which power notification tells whether the screen this session shows on is on. Windows 8 and
// later report the session's own display (GUID_SESSION_DISPLAY_STATUS); the console's
// (GUID_CONSOLE_DISPLAY_STATE) is another screen for a Remote Desktop user. Vista and 7 have only
// the monitors' power (GUID_MONITOR_POWER_ON); XP has none.
enum class DisplayNotice { None, MonitorPower, SessionDisplay };
DisplayNotice DisplayNoticeFor(int major, int minor);

// Platform side (the window's thread).
struct HWND__;
// Asks Windows for the session and console-display messages, where it has them.
void WatchSession(HWND__* bar);
void StopWatchingSession(HWND__* bar);
// The display, session and power messages of the bar; true when it took the message.
// Whether this session is shown through Remote Desktop (SM_REMOTESESSION). A function of its own,
// in a file of its own, so that the Windows tests can put a remote session in its place.
bool InRemoteSession();
bool HandleSessionMessage(HWND__* window, unsigned message, uintptr_t wParam, intptr_t lParam,
                          intptr_t* result);
// Brings the bar back by the start-up rule when it now touches no monitor.
void KeepBarReachable();
