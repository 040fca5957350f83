// Start-up in its fixed order, the one way to show a message box, and the orderly end.
#include <windows.h>

#include "app/app_state.h"
#include "app/event_layer.h"
#include "app/event_layer_win.h"
#include "app/main_loop.h"
#include "app/modal_win.h"
#include "app/monitoring.h"
#include "app/numbering.h"
#include "app/popup_menu.h"
#include "app/startup.h"
#include "app/session_watch.h"
#include "app/startup_win.h"
#include "app/system_library_win.h"
#include "app/tray_mode.h"
#include "app/win_handles.h"
#include "display/bar_layout_win.h"
#include "display/drive_tips_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "display/monitor_area_win.h"
#include "display/screen_scale_win.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_scan.h"
#include "monitor/timer_service.h"
#include "settings/settings_store.h"

namespace {

constexpr const char* kBarClass = "BlinkbarBar";
UniqueMutex gInstanceMutex;

} // namespace

int OsVersionCode() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OsVersionInfo info;
    OSVERSIONINFOA plain{};
    plain.dwOSVersionInfoSize = sizeof plain; // 148
    if (GetVersionExA(&plain)) {
        info.Ok = true;
        info.PlatformId = static_cast<int>(plain.dwPlatformId);
        info.Major = static_cast<int>(plain.dwMajorVersion);
        info.Minor = static_cast<int>(plain.dwMinorVersion);
        if (info.PlatformId == VER_PLATFORM_WIN32_NT && info.Major == 6) {
            OSVERSIONINFOEXA extended{};
            extended.dwOSVersionInfoSize = sizeof extended; // 156
            if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
                info.ExtendedOk = true;
                info.ProductType = extended.wProductType;
            }
        }
    }
    return OsVersionCodeFrom(info);
#pragma GCC diagnostic pop
}

int ShowMessageBox(const std::string& title, const std::string& text, unsigned flags) {
    ModalScope modal = BeginModal();
    const int answer = MessageBoxA(modal.Owner, text.c_str(), title.c_str(), flags);
    EndModal(modal);
    return answer;
}

HWND CreateBarWindow(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = EventWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kBarClass;
    RegisterClassA(&wc);

    RECT frame{0, 0, 8, AppState.IconPixels};
    AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
    HWND bar = CreateWindowExA(0, kBarClass, "Blinkbar", WS_POPUP, AppState.WinX, AppState.WinY,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                               instance, nullptr);
    RegisterEventWindow(bar, Num::BarWindow);
    return bar;
}

void CreateLedControls(HINSTANCE instance) {
    const int edge = AppState.IconPixels;
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        HWND control = CreateWindowExA(
            0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_BITMAP | SS_NOTIFY,
            (slot - 1) * edge, 0, edge, edge, AppState.WindowHandle,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(slot)), instance, nullptr);
        AttachLedControl(control);
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(ImageBitmap(LedImageNumber(slot, LedIdle))));
    }
    // No focus cue until the keyboard is used (a plain window starts with every cue shown).
    SendMessageA(AppState.WindowHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
}

void BuildBar(HINSTANCE instance) {
    AppState.WindowHandle = CreateBarWindow(instance);
    AppState.Dpi = WindowDpi(AppState.WindowHandle); // the monitor it opened on
    BuildPopupMenu();
    SetProgramIconImage(static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    RenderLedImages(); // the 96 images, before any control could show an empty one
    CreateLedControls(instance);
    LayoutBar(); // sizes and shows the bar
}

void CloseBarWindow() {
    DestroyMinimizeButtonTip();
    DestroyDriveTips();
    if (!AppState.WindowHandle) return;
    RemoveTrayIcon(); // needs the window: every ending takes the icon away with the bar
    StopWatchingSession(AppState.WindowHandle);
    ForgetEventWindow(AppState.WindowHandle);
    DestroyWindow(AppState.WindowHandle);
    AppState.WindowHandle = nullptr;
}

void StartProgram() {
    RestrictLibrarySearch(); // before anything could load a library
    HINSTANCE instance = GetModuleHandleA(nullptr);

    gInstanceMutex.reset(CreateMutexA(nullptr, FALSE, kMutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        gInstanceMutex.reset(); // the running copy goes on untold
        EndProgram();
    }
    const int version = OsVersionCode();
    if (LoadsControlsLibraryFirst(version)) LoadCommonControls();
    if (!OsVersionAdmitted(version)) {
        ShowMessageBox(kRefusedVersionTitle, kRefusedVersionText, 0);
        EndProgram();
    }
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    InitConstantState();
    AppState.Dpi = SystemDpi(); // the bar's size decides whether its place shows on a monitor
    LoadSettings();

    BuildBar(instance);
    CreateMinimizeButton();

    // After the bar shows: the timers' library (winmm, and what Wine's brings with it) is no
    // part of the first sight of the bar.
    TimerService::Open();
    StartMonitoring();
    WatchSession(AppState.WindowHandle);
    ScanFixedDrives(); // on this thread the hand-over runs at once
    AppState.PresentDrivesPrev = AppState.PresentDrives;
    DrawPresenceMarkers();
    if (AppState.MinimizeButton == 0) {
        ShowWindow(GetDlgItem(AppState.WindowHandle, Num::MinimizeButtonControl), SW_HIDE);
    }
    // Painted now, and what the first paint does not need comes after it (the queue hands out
    // posted messages before paints).
    RedrawWindow(AppState.WindowHandle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PostMessageA(AppState.WindowHandle, MsgAfterFirstPaint, 0, 0);
    RunMainLoop();
}

void FinishStartAfterFirstPaint() {
    CreateMinimizeButtonTip();
    CreateDriveTips();
}

void ReleaseProgramResources() {
    // Stopped first: a pause that ends inside the last Shell_NotifyIcon call (which may take the
    // session's messages) must not start timers after the service has closed.
    StopMonitoring();
    TimerService::Close();
    gInstanceMutex.reset();
    RemoveTrayIcon();
    CloseBarWindow(); // the windows go before the fonts and images they still use
    ReleaseImagesAndFonts();
    DestroyPopupMenu();
}

void EndProgram() {
    ReleaseProgramResources();
    ExitProcess(0);
}
