// WaitEvent and the window procedures of the event layer.
#include <windows.h>
#include <windowsx.h>

#include "app/app_state.h"
#include "app/event_layer.h"
#include "app/event_layer_win.h"
#include "app/led_accessible_win.h"
#include "app/newer_windows.h"
#include "app/numbering.h"
#include "app/scale_change_win.h"
#include "app/session_watch.h"
#include "app/startup_win.h"
#include "app/tray_mode.h"
#include "app/win_handles.h"
#include "display/drive_tips_win.h"
#include "display/led_controls_win.h"
#include "monitor/monitor_messages_win.h"

namespace {

struct EventWindow {
    HWND Window = nullptr;
    int Number = 0;
};
EventWindow gWindows[4];
WNDPROC gStaticProc = nullptr;

void DestroyAccelerators(HACCEL table) {
    DestroyAcceleratorTable(table);
}
UniqueHandle<HACCEL, DestroyAccelerators> gAccelerators;

bool NumberOf(HWND window, int* number) {
    for (const EventWindow& w : gWindows) {
        if (w.Window && w.Window == window) {
            *number = w.Number;
            return true;
        }
    }
    return false;
}

HACCEL Accelerators() {
    if (!gAccelerators) {
        ACCEL keys[] = {{FVIRTKEY, VK_TAB, CommandFocusNext},
                        {FVIRTKEY | FSHIFT, VK_TAB, CommandFocusPrevious}};
        gAccelerators.reset(CreateAcceleratorTableA(keys, 2));
    }
    return gAccelerators.get();
}

// WM_ACTIVATE does not reach the default procedure, which would give the bar the keyboard focus:
// without it keys would come as system keys and Tab would reach no LED. As a dialog does, the bar
// gives the focus back to the LED that had it when another window took the activation.
void KeepBarFocus(HWND bar, WPARAM wParam) {
    static HWND kept = nullptr;
    HWND focus = GetFocus();
    const bool inside = focus && GetParent(focus) == bar;
    if (LOWORD(wParam) == WA_INACTIVE) {
        kept = inside ? focus : nullptr;
    } else if (!inside) {
        SetFocus(kept && IsWindow(kept) && IsWindowVisible(kept) ? kept : bar);
    }
}

LRESULT CALLBACK LedControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0;
        HandleLedControlMessage(control, message, wParam, lParam, &result) ||
        (message == WM_GETOBJECT && AnswerLedAccessibility(control, wParam, lParam, &result)))
        return result;
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_SPACE)) {
        // Opens the drive as a double-click does; a held key's repeats open nothing more.
        if (!(lParam & (1 << 30)))
            PostMessageA(GetAncestor(control, GA_ROOT), MsgControlClick,
                         static_cast<WPARAM>(GetDlgCtrlID(control)), OpenRequested);
        return 0;
    }
    RelayDriveTipMouse(control, message, wParam, lParam);
    const LedControlAction action =
        OnLedControlMessage(message, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                            GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG));
    if (action.Capture) SetCapture(control);
    if (action.ReleaseCapture && GetCapture() == control) ReleaseCapture();
    if (action.PostType >= 0) {
        PostMessageA(GetAncestor(control, GA_ROOT), MsgControlClick,
                     static_cast<WPARAM>(GetDlgCtrlID(control)), action.PostType);
    }
    return action.CallDefault ? CallWindowProcA(gStaticProc, control, message, wParam, lParam) : 0;
}

} // namespace

void RegisterEventWindow(HWND window, int number) {
    for (EventWindow& w : gWindows) {
        if (!w.Window || w.Window == window) {
            w = {window, number};
            return;
        }
    }
}

void ForgetEventWindow(HWND window) {
    for (EventWindow& w : gWindows) {
        if (w.Window == window) w = EventWindow();
    }
}

void AttachLedControl(HWND control) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LedControlProc)));
    if (!gStaticProc) gStaticProc = previous;
}

namespace {

// Who answers a message before the event layer makes events of what is left: every message that
// another part of the program takes, and its handler. Each handler still checks its details (the
// window, the timer's id, the tooltip that notifies). True when answered, with `result`.
bool AnswerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    switch (message) {
    // The hand-overs of the timer thread and the drive questions: LED switches, a scan, an answer.
    case MsgApplyLedSwitches:
    case MsgScanDrives:
    case MsgDriveAnswer:
        return HandleMonitorMessage(message, wParam, lParam);
    // A volume that comes or goes is noted for the drive scan; the default handling goes on.
    case WM_DEVICECHANGE:
        HandleMonitorMessage(message, wParam, lParam);
        return false;
    // The bar's scale: Windows' question for its size, the change, and a drag's move loop (noted,
    // then handled by default).
    case Newer::WmGetDpiScaledSize:
    case Newer::WmDpiChanged:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        return HandleDpiMessage(window, message, wParam, lParam, result);
    // The end of the session, a change of monitors, a locked session, the display off or on.
    case WM_ENDSESSION:
    case WM_DISPLAYCHANGE:
    case Newer::WmWtsSessionChange:
    case WM_POWERBROADCAST: {
        intptr_t answer = 0;
        const bool answered = HandleSessionMessage(window, message, wParam, lParam, &answer);
        *result = answer;
        return answered;
    }
    // The bar's window timers: adding the tray icon again, refreshing the shown LED tip.
    case WM_TIMER:
        if (wParam == Num::TrayRetryTimer) return HandleTrayMessage(message, wParam);
        if (wParam == Num::TipRefreshTimer)
            return HandleDriveTipMessage(window, message, wParam, lParam, result);
        return false;
    case MsgAfterFirstPaint:
        FinishStartAfterFirstPaint();
        return true;
    // The LED tooltip's notifications.
    case WM_NOTIFY:
        return HandleDriveTipMessage(window, message, wParam, lParam, result);
    default:
        // The shell's "TaskbarCreated", a registered message: the tray icon goes back.
        return HandleTrayMessage(message, wParam);
    }
}

} // namespace

LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; AnswerMessage(window, message, wParam, lParam, &result)) return result;
    int number = 0;
    if (!NumberOf(window, &number)) return DefWindowProcA(window, message, wParam, lParam);
    const int scrollControl =
        message == WM_HSCROLL && lParam ? GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) : 0;
    if (message == WM_ACTIVATE && window == AppState.WindowHandle) KeepBarFocus(window, wParam);
    const int queuedBefore = gEvents.QueueCount;
    const MessageAction action =
        TranslateEventMessage(number, message, static_cast<uint32_t>(wParam),
                              static_cast<uint32_t>(lParam), scrollControl);
    // A window event from a message that another thread sent (a close request from another
    // program) is handled inside the blocked wait, which would not return until some posted
    // message came: wake it, so that the event is not left waiting.
    if (gEvents.QueueCount > queuedBefore && InSendMessage()) PostMessageA(window, WM_NULL, 0, 0);
    switch (action) {
    case MessageAction::Handled:
        return 0;
    case MessageAction::RepostTrayEvent:
        PostMessageA(window, MsgTrayEvent, wParam, lParam);
        return 0;
    case MessageAction::FocusNext:
    case MessageAction::FocusPrevious: {
        const BOOL previous = LOWORD(wParam) == CommandFocusPrevious;
        HWND focus = GetFocus();
        if (focus && GetParent(focus) != window) focus = nullptr; // the window itself: from the end
        // The keyboard is in use: focus cues show from now on (Windows tells every control).
        SendMessageA(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        if (HWND next = GetNextDlgTabItem(window, focus, previous)) SetFocus(next);
        return 0;
    }
    case MessageAction::Default:
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WaitEvent() {
    RunPendingScaleChange(); // one that came inside the work just done
    int code = 0;
    if (TakeQueuedEvent(&code)) return code;
    MSG message{};
    if (GetMessageA(&message, nullptr, 0, 0) == -1) Sleep(1); // never expected; do not spin
    HWND active = GetActiveWindow();
    int number = 0;
    if (!(active && NumberOf(active, &number) &&
          TranslateAcceleratorA(active, Accelerators(), &message))) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return FinishWaitEvent(message.message, static_cast<uint32_t>(message.wParam),
                           static_cast<uint32_t>(message.lParam));
}
