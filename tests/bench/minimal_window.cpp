// The smallest Win32 window program: the yardstick for Blinkbar's start-up time.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "Minimal";
    RegisterClassA(&wc);
    CreateWindowExA(WS_EX_TOOLWINDOW, "Minimal", "Minimal", WS_POPUP | WS_VISIBLE, 400, 10, 431, 18,
                    nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
