// Tray mode on shell32's notification icons.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/app_state.h"
#include "app/event_layer.h"
#include "app/monitoring.h"
#include "app/numbering.h"
#include "app/scale_change_win.h"
#include "app/tray_mode.h"
#include "app/tray_mode_win.h"
#include "display/bar_layout_win.h"
#include "display/gdi_store_win.h"

namespace {

bool gInTray = false;
bool gIconShown = false;
bool gRetryPaused = false; // nobody can see the screen: no retry every second

NOTIFYICONDATAA IconRecord(UINT flags) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE; // 88 bytes, 64-byte tip: every shell knows it
    icon.hWnd = AppState.WindowHandle;
    icon.uID = Num::TrayIcon;
    icon.uFlags = flags;
    icon.uCallbackMessage = MsgTrayCallback;
    icon.hIcon = ProgramIconImage();
    return icon;
}

void AddTrayIcon() {
    NOTIFYICONDATAA icon = IconRecord(NIF_MESSAGE | NIF_ICON);
    // A shell that still has the icon refuses to add it again: then it is there all the same.
    gIconShown = NotifyIcon(NIM_ADD, &icon) || NotifyIcon(NIM_MODIFY, &icon);
    NOTIFYICONDATAA tip = IconRecord(NIF_TIP);
    std::strncpy(tip.szTip, kTrayTip, sizeof tip.szTip - 1);
    NotifyIcon(NIM_MODIFY, &tip);
    // Without an icon nothing could ever bring the bar back: keep trying until the shell takes it
    // (while nobody looks, only when the pause ends or the shell announces itself).
    if (gIconShown || gRetryPaused)
        KillTimer(AppState.WindowHandle, Num::TrayRetryTimer);
    else
        SetTimer(AppState.WindowHandle, Num::TrayRetryTimer, 1000, nullptr);
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

} // namespace

bool HandleTrayMessage(unsigned message, uintptr_t wParam) {
    if (message == TaskbarCreatedMessage()) {
        // A restarted shell has forgotten every icon.
        if (gInTray) AddTrayIcon();
        return true;
    }
    if (message == WM_TIMER && wParam == Num::TrayRetryTimer) {
        if (gInTray && !gIconShown)
            AddTrayIcon();
        else
            KillTimer(AppState.WindowHandle, Num::TrayRetryTimer);
        return true;
    }
    return false;
}

void RemoveTrayIcon() {
    KillTimer(AppState.WindowHandle, Num::TrayRetryTimer);
    if (!AppState.WindowHandle) return;
    // Always: a busy shell can report an add as failed and show the icon all the same.
    NOTIFYICONDATAA icon = IconRecord(0);
    NotifyIcon(NIM_DELETE, &icon);
    gIconShown = false;
}

void PauseTrayRetry(bool paused) {
    gRetryPaused = paused;
    if (!gInTray || gIconShown) return;
    if (paused)
        KillTimer(AppState.WindowHandle, Num::TrayRetryTimer);
    else
        AddTrayIcon();
}

bool InTrayMode() {
    return gInTray;
}

void EnterTrayMode() {
    HWND bar = AppState.WindowHandle;
    TaskbarCreatedMessage(); // registered before the shell could announce itself
    ShowWindow(bar, SW_HIDE);
    gInTray = true;
    AddTrayIcon();
    StopMonitoring();
    do {
        WaitEvent();
        Sleep(1);
    } while (EventClickType() != DoubleClickLeft);
    gInTray = false;
    TakeWindowScale();
    RunPendingScaleChange(); // a scale that came while the bar was hidden
    ShowWindow(bar, IsZoomed(bar) ? SW_MAXIMIZE : IsIconic(bar) ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    LayoutBar();
    RemoveTrayIcon();
    StartMonitoring();
}
