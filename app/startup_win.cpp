#include "app/startup_win.h"

#include "app/app_state.h"
#include "app/numbering.h"
#include "display/gdi_store_win.h"
#include "monitor/monitor_messages_win.h"
#include "monitor/timer_service.h"

namespace {

constexpr const char* kBarClass = "BlinkbarBar";

LRESULT CALLBACK BarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleMonitorMessage(message, wParam, lParam)) return 0;
    if (message == WM_CLOSE) return 0; // closing the bar is not an ending
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateBarWindow(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = BarWindowProc;
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
    const int edge = AppState.IconPixels;
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY,
                        (slot - 1) * edge, 0, edge, edge, bar,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(slot)), instance, nullptr);
    }
    return bar;
}

void EndProgram() {
    TimerService::Close();
    if (AppState.WindowHandle) DestroyWindow(AppState.WindowHandle);
    AppState.WindowHandle = nullptr;
    ReleaseImagesAndFonts();
    ExitProcess(0);
}
