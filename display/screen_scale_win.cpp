#include "display/screen_scale_win.h"

#include "app/app_state.h"
#include "app/system_library_win.h"
#include "display/led_images.h"

namespace {

using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// user32 is loaded in every program; functions newer than XP are looked up in it by name.
template <typename Function> Function User32Function(const char* name) {
    return FindFunction<Function>(GetModuleHandleW(L"user32.dll"), name);
}

// The tooltips' font for the scale it was made for.
UniqueFont gTooltipFont;
int gTooltipFontDpi = 0;

HFONT MakeTooltipFont(int dpi, int system) {
    static const auto forDpi =
        User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!forDpi ||
        !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            return nullptr;
        metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi, system);
    }
    return CreateFontIndirectW(&metrics.lfStatusFont);
}

} // namespace

int SystemDpi() {
    WindowDc screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : DesignDpi;
}

bool SystemMonitorArea(const RECT& r, RECT* area) {
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info)) return false;
    *area = info.rcMonitor;
    return true;
}

void ApplyTooltipFont(HWND tooltip) {
    if (!tooltip) return;
    const int system = SystemDpi();
    if (AppState.Dpi != system && gTooltipFontDpi != AppState.Dpi) {
        gTooltipFont.reset(MakeTooltipFont(AppState.Dpi, system));
        gTooltipFontDpi = AppState.Dpi;
    }
    // At the system's scale the tooltip's own font (null) is the system's, made for it already.
    HFONT font = AppState.Dpi != system ? gTooltipFont.get() : nullptr;
    SendMessageA(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

UniqueFont ReleaseTooltipFont() {
    gTooltipFontDpi = 0;
    return UniqueFont(gTooltipFont.release());
}

void AdjustFrameForDpi(RECT* frame, DWORD style, DWORD exStyle, int dpi) {
    // Windows 10 draws a window's caption at its monitor's scale, which may not be the system's.
    static const auto forDpi =
        User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(frame, style, FALSE, exStyle);
}
