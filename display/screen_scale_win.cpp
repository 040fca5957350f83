#include "display/screen_scale_win.h"

#include "app/app_state.h"
#include "app/monitoring.h"
#include "app/numbering.h"
#include "app/system_library_win.h"
#include "app/win_handles.h"
#include "display/bar_layout_win.h"
#include "display/drive_tips_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"

namespace {

constexpr UINT kDpiChanged = 0x02E0; // WM_DPICHANGED, Windows 8.1 and later

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

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

int WindowDpi(HWND window) {
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const int dpi = forWindow && window ? static_cast<int>(forWindow(window)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
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

bool HandleDpiMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kDpiChanged || bar != AppState.WindowHandle) return false;
    const int dpi = LOWORD(wParam);
    if (dpi > 0 && dpi != AppState.Dpi) {
        const bool monitoring = AppState.MonitorActive.load() == 1;
        if (monitoring) StopMonitoring();
        AppState.Dpi = dpi;
        // Every font is made for a scale: the rendering makes the missing ones anew.
        SetNumberedFont(Num::SmallButtonFont, nullptr);
        SetNumberedFont(Num::DialogFont, nullptr);
        RenderLedImages();
        if (HWND button = GetDlgItem(bar, Num::MinimizeButtonControl)) {
            SendMessageA(button, WM_SETFONT,
                         reinterpret_cast<WPARAM>(NumberedFont(Num::SmallButtonFont)), FALSE);
        }
        LayoutBar();
        // Both tooltips still show the old font until each has taken the new one.
        const UniqueFont previous(gTooltipFont.release());
        gTooltipFontDpi = 0;
        ApplyDriveTipFont();
        ApplyMinimizeButtonTipFont();
        if (monitoring) StartMonitoring();
    }
    // Where Windows suggests: the bar then stays under the pointer that dragged it across.
    if (const auto* place = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(bar, nullptr, place->left, place->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}
