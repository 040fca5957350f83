// Windows sends WM_DPICHANGED from inside the SetWindowPos that moves most of a per-monitor-aware
// window onto a monitor of another scale. A change of scale lays the bar out, and the layout's own
// moves can carry the bar back over the seam: run there, the change would call itself until the
// stack ran out. So a change never runs inside a layout or inside another change. What comes then
// is kept, the last one counting (it is the scale Windows now holds the window at), and runs once
// the running work is done. After a change the bar lies mostly on the monitor whose scale it took:
// grown or shrunk from its corner it could otherwise lie mostly on the other one, which would ask
// for the old scale back, and so on for ever.
// During a drag Windows' own move loop moves the bar, keeping the pointer's spot on it, and our
// event loop does not run: a change then takes Windows' place whole and only one round, what
// comes inside it waits for the next move or the drop, and the drop settles the bar where it was
// dropped, not where Windows suggested while it was on its way.
#include "app/scale_change_win.h"

#include "app/app_state.h"
#include "app/monitoring.h"
#include "app/newer_windows.h"
#include "app/numbering.h"
#include "app/tray_mode.h"
#include "dialogs/dialogs_win.h"
#include "display/bar_layout.h"
#include "display/bar_layout_win.h"
#include "display/drive_tips_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "display/monitor_area_win.h"
#include "display/screen_scale_win.h"

namespace {

struct ScaleRequest {
    int Dpi = 0;
    bool HasPlace = false;
    RECT Place{}; // where Windows suggests, place and size
    bool HasMonitor = false;
    RECT Monitor{}; // the monitor holding most of the bar when the request came: whose scale it is
    RECT BarWas{};  // the bar when the request came: moved since, the place and monitor are old
};

// The bar's outer size at `dpi`; 0 by 0 where the size step has no metrics.
SIZE ExactBarSize(int dpi) {
    LedMetrics metrics;
    return LedMetricsForSize(AppState.IconSize, &metrics, dpi)
               ? BarOuterSize(metrics.IconPixels, dpi)
               : SIZE{0, 0};
}

ScreenArea AreaOf(const RECT& r) {
    return ScreenArea{r.left, r.top, r.right, r.bottom};
}

// The monitor holding most of the bar now: the one whose scale a request is.
void NoteBarMonitor(HWND bar, ScaleRequest* request) {
    request->HasMonitor = GetWindowRect(bar, &request->BarWas) &&
                          MonitorAreaHolding(request->BarWas, &request->Monitor);
}
ScaleRequest gRequest;
bool gPending = false;
bool gChanging = false;
bool gDragging = false; // inside Windows' move loop

// A request that waited while the bar was moved (a drag went on, or ended elsewhere) is for the
// bar where it is now: the scale stays the one Windows holds it at, the place it suggested then
// does not.
void ForWhereTheBarIs(HWND bar, ScaleRequest* request) {
    RECT now{};
    if (!request->HasMonitor || !GetWindowRect(bar, &now)) return;
    if (now.left == request->BarWas.left && now.top == request->BarWas.top) return;
    request->HasPlace = false;
    NoteBarMonitor(bar, request);
}

void ChangeScale(const ScaleRequest& request) {
    HWND bar = AppState.WindowHandle;
    constexpr UINT kMoveOnly = SWP_NOZORDER | SWP_NOACTIVATE;
    // Where Windows suggests, at the bar's own size for that scale: the layout then grows the bar
    // from the corner Windows chose, which keeps it under a pointer that drags it across. Where
    // Windows asked the size (10 1703 on) the two agree; before, it suggests the present size
    // scaled, which for a bar caught between sizes is no size of the bar's at all.
    if (request.HasPlace) {
        const RECT& r = request.Place;
        const SIZE own = ExactBarSize(request.Dpi);
        SetWindowPos(bar, nullptr, r.left, r.top, own.cx > 0 ? own.cx : r.right - r.left,
                     own.cy > 0 ? own.cy : r.bottom - r.top, kMoveOnly);
    }
    if (request.Dpi > 0 && request.Dpi != AppState.Dpi) {
        const bool monitoring = AppState.MonitorActive.load() == 1;
        if (monitoring) StopMonitoring();
        AppState.Dpi = request.Dpi;
        // Every font is made for a scale: the rendering makes the missing ones anew. An open
        // dialog's controls still draw with the old dialog font, which lives until it closes.
        KeepDialogFontWhileOpen(TakeNumberedFont(Num::DialogFont));
        SetNumberedFont(Num::SmallButtonFont, nullptr);
        RenderLedImages();
        if (HWND button = GetDlgItem(bar, Num::MinimizeButtonControl)) {
            SendMessageA(button, WM_SETFONT,
                         reinterpret_cast<WPARAM>(NumberedFont(Num::SmallButtonFont)), FALSE);
        }
        LayoutBar(true);
        // Both tooltips still show the old font until each has taken the new one.
        const UniqueFont previous = ReleaseTooltipFont();
        ApplyDriveTipFont();
        ApplyMinimizeButtonTipFont();
        if (monitoring) StartMonitoring();
    }
    // Most of the bar back on the monitor whose scale it now has, the shortest way; during a drag
    // the pointer holds it, and the drop settles it.
    RECT now{};
    if (!gDragging && request.HasMonitor && GetWindowRect(bar, &now)) {
        int x = now.left, y = now.top;
        KeepMostOn(AreaOf(now), AreaOf(request.Monitor), &x, &y);
        if (x != now.left || y != now.top)
            SetWindowPos(bar, nullptr, x, y, 0, 0, SWP_NOSIZE | kMoveOnly);
    }
}

} // namespace

bool HandleDpiMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!bar || bar != AppState.WindowHandle) return false;
    if (message == WM_ENTERSIZEMOVE || message == WM_EXITSIZEMOVE) {
        gDragging = message == WM_ENTERSIZEMOVE;
        return false; // noted only
    }
    if (message == Newer::WmGetDpiScaledSize) {
        auto* size = reinterpret_cast<SIZE*>(lParam);
        const SIZE exact = ExactBarSize(LOWORD(wParam));
        if (!size || exact.cx <= 0) return false; // Windows scales the size itself
        *size = exact;
        *result = TRUE;
        return true;
    }
    if (message != Newer::WmDpiChanged) return false;
    gRequest.Dpi = LOWORD(wParam);
    // A later request's place wins; one without a place keeps the earlier one.
    if (const auto* place = reinterpret_cast<const RECT*>(lParam)) {
        gRequest.HasPlace = true;
        gRequest.Place = *place;
    }
    // Windows sends this when most of the bar has come onto a monitor of that scale.
    NoteBarMonitor(bar, &gRequest);
    gPending = true;
    RunPendingScaleChange();
    *result = 0;
    return true;
}

void RunPendingScaleChange() {
    // The hidden bar of tray mode takes its new scale when it comes back.
    if (!gPending || gChanging || LayingOutBar() || InTrayMode()) return;
    gChanging = true;
    // Each round's layout and move may bring one more message; a few rounds settle any bar that
    // does not straddle the seam exactly, and what is still left waits for the next event.
    // During a drag one round a move: the next move or the drop brings the rest.
    const int rounds = gDragging ? 1 : 3;
    for (int round = 0; gPending && round < rounds; ++round) {
        ScaleRequest request = gRequest;
        gRequest = ScaleRequest();
        gPending = false;
        ForWhereTheBarIs(AppState.WindowHandle, &request);
        ChangeScale(request);
    }
    gChanging = false;
}

void TakeWindowScale() {
    HWND bar = AppState.WindowHandle;
    const int dpi = WindowDpi(bar);
    if (gPending || dpi == AppState.Dpi) return; // a message that came says more: its place
    gRequest = ScaleRequest();
    gRequest.Dpi = dpi;
    NoteBarMonitor(bar, &gRequest);
    gPending = true;
}
