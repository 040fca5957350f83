// Display, session and power messages of the bar, on user32 and wtsapi32 found at run time: the
// executable still starts on Windows XP, which lacks the power notification.
#include <windows.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/monitoring.h"
#include "app/newer_windows.h"
#include "app/session_watch.h"
#include "app/startup_win.h"
#include "app/system_library_win.h"
#include "app/tray_mode.h"
#include "display/bar_layout_win.h"
#include "display/drive_tips_win.h"
#include "monitor/activity_poller.h"
#include "settings/settings_store.h"

namespace {

constexpr GUID kSessionDisplayStatus = { // Windows 8 and later
    0x2b84c20e,
    0xad23,
    0x4ddf,
    {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID kMonitorPowerOn = { // Vista and 7
    0x02731015,
    0x4510,
    0x4526,
    {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

struct PowerSetting { // POWERBROADCAST_SETTING
    GUID Setting;
    DWORD DataLength;
    UCHAR Data[1];
};

using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);
using RegisterPowerFn = void*(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPowerFn = BOOL(WINAPI*)(void*);

int gReasons = 0;
bool gSessionWatched = false;
void* gDisplayNotification = nullptr;
const GUID* gDisplaySetting = nullptr; // the notification asked for

const GUID* DisplaySettingOfThisWindows() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return nullptr;
#pragma GCC diagnostic pop
    switch (DisplayNoticeFor(static_cast<int>(version.dwMajorVersion),
                             static_cast<int>(version.dwMinorVersion))) {
    case DisplayNotice::SessionDisplay:
        return &kSessionDisplayStatus;
    case DisplayNotice::MonitorPower:
        return &kMonitorPowerOn;
    default:
        return nullptr;
    }
}

HMODULE Wtsapi() {
    static const HMODULE library = LoadSystemLibrary(L"wtsapi32.dll");
    return library;
}

void SetReasons(int reasons) {
    const bool wasPaused = gReasons != 0;
    gReasons = reasons;
    PauseMonitoring(gReasons != 0);
    if (wasPaused != (gReasons != 0)) {
        // A pointer left resting on the bar must not keep the tips checking it, nor the tray its
        // retries, while nobody looks.
        SilenceDriveTips(gReasons != 0);
        SilenceMinimizeButtonTip(gReasons != 0);
        PauseTrayRetry(gReasons != 0);
    }
    // Monitors may have come and gone while nobody looked.
    if (wasPaused && gReasons == 0) KeepBarReachable();
}

} // namespace

void KeepBarReachable() {
    HWND bar = AppState.WindowHandle;
    RECT place{};
    if (!bar || !GetWindowRect(bar, &place)) return;
    int x = place.left, y = place.top;
    PlaceOnScreen(&x, &y, place.right - place.left, place.bottom - place.top,
                  CurrentScreenBounds());
    if (x != place.left || y != place.top)
        SetWindowPos(bar, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WatchSession(HWND bar) {
    if (auto enroll = FindFunction<RegisterSessionFn>(Wtsapi(), "WTSRegisterSessionNotification"))
        gSessionWatched = enroll(bar, 0 /* NOTIFY_FOR_THIS_SESSION */) != FALSE;
    // Vista and later; the first message tells the display's current state.
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    gDisplaySetting = DisplaySettingOfThisWindows();
    auto enroll = FindFunction<RegisterPowerFn>(user32, "RegisterPowerSettingNotification");
    if (enroll && gDisplaySetting)
        gDisplayNotification = enroll(bar, gDisplaySetting, 0 /* a window handle */);
}

void StopWatchingSession(HWND bar) {
    if (gSessionWatched) {
        if (auto leave =
                FindFunction<UnregisterSessionFn>(Wtsapi(), "WTSUnRegisterSessionNotification"))
            leave(bar);
        gSessionWatched = false;
    }
    if (gDisplayNotification) {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        if (auto leave =
                FindFunction<UnregisterPowerFn>(user32, "UnregisterPowerSettingNotification"))
            leave(gDisplayNotification);
        gDisplayNotification = nullptr;
    }
    gReasons = 0; // the bar is going: no pause outlives it
    ForgetMonitoringPause();
}

bool HandleSessionMessage(HWND window, unsigned message, uintptr_t wParam, intptr_t lParam,
                          intptr_t* result) {
    if (!window || window != AppState.WindowHandle) return false;
    switch (message) {
    case WM_ENDSESSION:
        // Sign-out, shutdown, or an installer replacing the program (ENDSESSION_CLOSEAPP): the
        // orderly end, saving nothing. What the user wanted kept, a command saved; a place the
        // program chose (a bar brought back from an undocked monitor) must not become the saved
        // one.
        if (wParam) EndProgram();
        *result = 0;
        return true;
    case WM_DISPLAYCHANGE: // also when a monitor comes or goes
        KeepBarReachable();
        *result = 0;
        return true;
    case Newer::WmWtsSessionChange:
        SetReasons(PauseReasonsAfterSessionChange(gReasons, static_cast<uint32_t>(wParam)));
        *result = 0;
        return true;
    case WM_POWERBROADCAST: {
        const auto* setting = reinterpret_cast<const PowerSetting*>(lParam);
        if (wParam != Newer::PbtPowerSettingChange || !setting || !gDisplaySetting ||
            !IsEqualGUID(setting->Setting, *gDisplaySetting) || setting->DataLength < sizeof(DWORD))
            return false;
        DWORD state = 0;
        CopyMemory(&state, setting->Data, sizeof state);
        // The monitors' power is the console's: a Remote Desktop session is shown elsewhere.
        const bool console = gDisplaySetting != &kMonitorPowerOn || !InRemoteSession();
        SetReasons(PauseReasonsAfterDisplayState(gReasons, state, console));
        *result = TRUE;
        return true;
    }
    default:
        return false;
    }
}
