// Linked in place of display/monitor_area_win.cpp: the monitor lookup and a window's scale answer
// from the model while one is set.
#include "support/modelled_monitors.h"

#include <algorithm>

#include "display/monitor_area_win.h"
#include "display/screen_scale_win.h"

ModelledMonitors gModelledMonitors;

int ModelledMonitorHolding(const RECT& r) {
    int best = 0;
    long bestArea = -1;
    for (int i = 0; i < gModelledMonitors.Count; ++i) {
        const RECT& m = gModelledMonitors.Area[i];
        const long w = std::max(0L, std::min(r.right, m.right) - std::max(r.left, m.left));
        const long h = std::max(0L, std::min(r.bottom, m.bottom) - std::max(r.top, m.top));
        if (w * h > bestArea) {
            bestArea = w * h;
            best = i;
        }
    }
    return best;
}

bool MonitorAreaHolding(const RECT& r, RECT* area) {
    if (gModelledMonitors.Count > 0) {
        *area = gModelledMonitors.Area[ModelledMonitorHolding(r)];
        return true;
    }
    return SystemMonitorArea(r, area);
}

// The modelled monitor's scale; Windows' own where no model is set.
int WindowDpi(HWND window) {
    RECT r{};
    if (gModelledMonitors.Count > 0 && window && GetWindowRect(window, &r))
        return gModelledMonitors.Dpi[ModelledMonitorHolding(r)];
    using ForWindowFn = UINT(WINAPI*)(HWND);
    const auto forWindow = reinterpret_cast<ForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const int dpi = forWindow && window ? static_cast<int>(forWindow(window)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}
