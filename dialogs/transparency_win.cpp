// The bar's opacity through the layered-window call, found at run time.
#include <windows.h>

#include "app/system_library_win.h"
#include "dialogs/transparency.h"

int ApplyTransparency(HWND window, int alpha) {
    using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    // user32 is loaded already (the bar is its window): asked by handle, never searched for.
    const auto setLayered =
        FindFunction<SetLayeredFn>(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes");
    // A layered window without attributes is never drawn: stay layered only when the alpha can
    // be set. The bar stays layered even when opaque, so every later call looks the same.
    if (setLayered) {
        SetWindowLongA(window, GWL_EXSTYLE, WS_EX_LAYERED);
        setLayered(window, 0, static_cast<BYTE>(ClampTransparency(alpha)), LWA_ALPHA);
    } else {
        SetWindowLongA(window, GWL_EXSTYLE, 0);
    }
    // No taskbar button.
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    return 0;
}
