#include "support/win_test_window.h"

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/win_handles.h"
#include "monitor/monitor_messages_win.h"

TestBar gTestBar;

namespace {

LRESULT CALLBACK TestBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MsgScanDrives) ++gTestBar.ScanMessages;
    if (message == MsgDriveAnswer) gTestBar.AnswerThread = GetCurrentThreadId();
    if (HandleMonitorMessage(message, wParam, lParam)) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void CreateTestBar() {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TestBarProc;
        wc.hInstance = instance;
        wc.lpszClassName = "BlinkbarTestBar";
        RegisterClassA(&wc);
        registered = true;
    }
    gTestBar = TestBar();
    gTestBar.Window = CreateWindowExA(0, "BlinkbarTestBar", "Blinkbar test", WS_POPUP, 0, 0,
                                      24 * 30, 30, nullptr, nullptr, instance, nullptr);
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY,
                        (slot - 1) * 18, 0, 18, 18, gTestBar.Window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(slot)), instance, nullptr);
    }
    AppState.WindowHandle = gTestBar.Window;
}

void DestroyTestBar() {
    if (gTestBar.Window) DestroyWindow(gTestBar.Window);
    gTestBar.Window = nullptr;
    AppState.WindowHandle = nullptr;
}

void PumpMessagesFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        MSG message;
        // Sent notifications run inside PeekMessage; only posted ones come out here.
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == MsgApplyLedSwitches || message.message == MsgScanDrives ||
                message.message == MsgDriveAnswer) {
                ++gTestBar.QueuedMonitorMessages;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

HBITMAP ControlImage(int control) {
    HWND window = GetDlgItem(AppState.WindowHandle, control);
    return reinterpret_cast<HBITMAP>(SendMessageA(window, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

Pixels ReadPixels(HBITMAP bitmap) {
    Pixels pixels;
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return pixels;
    pixels.Width = info.bmWidth;
    pixels.Height = info.bmHeight;
    pixels.Data.assign(static_cast<size_t>(info.bmWidth) * info.bmHeight, 0);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight; // top row first
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    WindowDc screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.Data.data(),
              &header, DIB_RGB_COLORS);
    for (DWORD& p : pixels.Data) p &= 0x00FFFFFF;
    return pixels;
}

DWORD Rgb(int red, int green, int blue) {
    return static_cast<DWORD>(red) << 16 | static_cast<DWORD>(green) << 8 |
           static_cast<DWORD>(blue);
}

std::wstring TestProgramDirectory() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}
