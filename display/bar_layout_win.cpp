// The bar's windows: LED controls side by side, the topmost tool window, the minimize button.
#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "app/menu_checks.h"
#include "app/system_library_win.h"
#include "display/bar_layout.h"
#include "display/bar_layout_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "dialogs/transparency.h"
#include "display/led_controls_win.h"
#include "display/screen_scale_win.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_scan.h"

namespace {
HWND gButtonTip = nullptr;
bool gLayingOut = false;
} // namespace

SIZE BarOuterSize(int edge, int dpi) {
    const BarGeometry geometry =
        ComputeBarLayout(AppState.Drives, edge, ScaleForDpi(AppState.MinimizeButton, dpi));
    HWND bar = AppState.WindowHandle;
    RECT frame{0, 0, geometry.ClientWidth, geometry.ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(bar, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(bar, GWL_EXSTYLE)));
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

bool LayingOutBar() {
    return gLayingOut;
}

void LayoutBar(bool keepActivation) {
    gLayingOut = true;
    HWND bar = AppState.WindowHandle;
    const int edge = AppState.IconPixels;
    const int button = AppState.MinimizeButton;
    const int buttonWidth = ScaleForDpi(button, AppState.Dpi);
    const BarGeometry geometry = ComputeBarLayout(AppState.Drives, edge, buttonWidth);
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        ShowLedImage(slot, LedImageNumber(slot, LedIdle));
        HWND control = LedControl(slot);
        if (!control) continue;
        // Place and visibility in one call: each call is a round trip to the window server.
        SetWindowPos(control, nullptr, geometry.LedX[slot], 0, edge, edge,
                     SWP_NOZORDER | SWP_NOACTIVATE |
                         (geometry.Shown[slot] ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    // The controls are idle now; busy drives light again on the next tick.
    ResyncLedSwitches();
    RefreshAskedSlots(); // a hidden LED's letter is not asked

    SetWindowLongA(bar, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    // Shown and on top at the size it has: a step through another size could carry a bar that
    // straddles two monitors onto the other one and back, each a change of scale on Windows.
    const UINT activation = keepActivation ? SWP_NOACTIVATE : 0;
    SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | activation);
    // Topmost again, whatever "Disable WindowOnTop" did.
    SetWindowPos(bar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | activation);

    RECT place{};
    GetWindowRect(bar, &place);
    const SIZE size = BarOuterSize(edge, AppState.Dpi);
    SetWindowPos(bar, nullptr, place.left, place.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    if (HWND minimize = GetDlgItem(bar, Num::MinimizeButtonControl)) {
        if (button == 8) {
            RECT client{};
            GetClientRect(bar, &client);
            MoveWindow(minimize, client.right - buttonWidth, 0, buttonWidth, edge, TRUE);
            KeepOutOfLedPaint(RECT{client.right - buttonWidth, 0, client.right, edge});
            SetWindowTextA(minimize, "|");
            SendMessageA(minimize, WM_SETFONT,
                         reinterpret_cast<WPARAM>(NumberedFont(Num::DialogFont)), TRUE);
            ShowWindow(minimize, SW_SHOW);
        } else if (button == 0) {
            ShowWindow(minimize, SW_HIDE);
            KeepOutOfLedPaint(RECT{});
        }
    }
    UpdateMenuChecks();
    ApplyTransparency(bar, AppState.Transparency);
    gLayingOut = false;
}

void CreateMinimizeButton() {
    HWND bar = AppState.WindowHandle;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RECT client{};
    GetClientRect(bar, &client);
    const int width = ScaleForDpi(8, AppState.Dpi);
    HWND button =
        CreateWindowExA(0, "BUTTON", "|", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                        client.right - width, 0, width, AppState.IconPixels, bar,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(Num::MinimizeButtonControl)),
                        instance, nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(NumberedFont(Num::SmallButtonFont)),
                 TRUE);
    // Start-up hides it again at once when it is off.
    if (AppState.MinimizeButton == 8)
        KeepOutOfLedPaint(RECT{client.right - width, 0, client.right, AppState.IconPixels});
}

void CreateMinimizeButtonTip() {
    HWND bar = AppState.WindowHandle;
    HWND button = GetDlgItem(bar, Num::MinimizeButtonControl);
    if (gButtonTip || !button || !LoadCommonControls()) return;
    // Not owned by the bar: a topmost window that the bar owns keeps the bar itself from being
    // made topmost again once "Disable WindowOnTop" has taken it down (seen under Wine).
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    gButtonTip = tip;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE; // understood by every comctl32 since Windows 95
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = bar;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = const_cast<char*>(kMinimizeButtonTip);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ApplyTooltipFont(tip);
}

void ApplyMinimizeButtonTipFont() {
    ApplyTooltipFont(gButtonTip);
}

void SilenceMinimizeButtonTip(bool silent) {
    if (!silent) return CreateMinimizeButtonTip();
    DestroyMinimizeButtonTip(); // as the LEDs' tips, for the same reason
    // The button follows a resting pointer to see it leave (Wine polls for that a hundred times
    // a second); the next move over it starts that again.
    TRACKMOUSEEVENT leave{sizeof leave, TME_CANCEL | TME_LEAVE,
                          GetDlgItem(AppState.WindowHandle, Num::MinimizeButtonControl), 0};
    TrackMouseEvent(&leave);
}

void DestroyMinimizeButtonTip() {
    if (gButtonTip) DestroyWindow(gButtonTip);
    gButtonTip = nullptr;
}
