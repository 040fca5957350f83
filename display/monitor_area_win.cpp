#include "display/monitor_area_win.h"

#include "app/system_library_win.h"
#include "display/screen_scale_win.h"

bool MonitorAreaHolding(const RECT& r, RECT* area) {
    return SystemMonitorArea(r, area);
}

int WindowDpiFrom(HWND window, DpiForWindowFn forWindow, DpiForMonitorFn forMonitor) {
    if (!window) return SystemDpi();
    if (const int dpi = forWindow ? static_cast<int>(forWindow(window)) : 0; dpi > 0) return dpi;
    // Windows 8.1 and 10 before 1607 know a monitor's scale only: a bar that starts on a second
    // monitor would otherwise be drawn at the first one's.
    UINT x = 0, y = 0;
    if (forMonitor &&
        SUCCEEDED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                             0 /* MDT_EFFECTIVE_DPI */, &x, &y)) &&
        x > 0)
        return static_cast<int>(x);
    return SystemDpi();
}

int WindowDpi(HWND window) {
    static const auto forWindow =
        FindFunction<DpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    // shcore is looked for only where user32 cannot answer.
    static const auto forMonitor =
        forWindow
            ? nullptr
            : FindFunction<DpiForMonitorFn>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    return WindowDpiFrom(window, forWindow, forMonitor);
}
