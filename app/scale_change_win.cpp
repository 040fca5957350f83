// Windows sends WM_DPICHANGED from inside the SetWindowPos that moves most of a per-monitor-aware
// window onto a monitor of another scale. A change of scale lays the bar out, and the layout's own
// moves can carry the bar back over the seam: run there, the change would call itself until the
// stack ran out. So a change never runs inside a layout or inside another change. What comes then
// is kept, the last one counting (it is the scale Windows now holds the window at), and runs once
// the running work is done.
#include "app/scale_change_win.h"

#include "app/app_state.h"
#include "app/monitoring.h"
#include "app/numbering.h"
#include "app/tray_mode.h"
#include "dialogs/dialogs_win.h"
#include "display/bar_layout_win.h"
#include "display/drive_tips_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "display/screen_scale_win.h"

namespace {

constexpr UINT kDpiChanged = 0x02E0; // WM_DPICHANGED, Windows 8.1 and later

struct ScaleRequest {
    int Dpi = 0;
    bool HasPlace = false;
    POINT Place{};
};
ScaleRequest gRequest;
bool gPending = false;
bool gChanging = false;

void ChangeScale(const ScaleRequest& request) {
    HWND bar = AppState.WindowHandle;
    if (request.Dpi > 0 && request.Dpi != AppState.Dpi) {
        const bool monitoring = AppState.MonitorActive.load() == 1;
        if (monitoring) StopMonitoring();
        AppState.Dpi = request.Dpi;
        // Every font is made for a scale: the rendering makes the missing ones anew. An open
        // dialog's controls still draw with the old dialog font, which lives until it closes.
        KeepDialogFontWhileOpen(UniqueFont(TakeNumberedFont(Num::DialogFont)));
        SetNumberedFont(Num::SmallButtonFont, nullptr);
        RenderLedImages();
        if (HWND button = GetDlgItem(bar, Num::MinimizeButtonControl)) {
            SendMessageA(button, WM_SETFONT,
                         reinterpret_cast<WPARAM>(NumberedFont(Num::SmallButtonFont)), FALSE);
        }
        LayoutBar();
        // Both tooltips still show the old font until each has taken the new one.
        const UniqueFont previous = ReleaseTooltipFont();
        ApplyDriveTipFont();
        ApplyMinimizeButtonTipFont();
        if (monitoring) StartMonitoring();
    }
    // Where Windows suggests: the bar then stays under the pointer that dragged it across.
    if (request.HasPlace) {
        SetWindowPos(bar, nullptr, request.Place.x, request.Place.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace

bool HandleDpiMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kDpiChanged || !bar || bar != AppState.WindowHandle) return false;
    gRequest.Dpi = LOWORD(wParam);
    // A later request's place wins; one without a place keeps the earlier one.
    if (const auto* place = reinterpret_cast<const RECT*>(lParam)) {
        gRequest.HasPlace = true;
        gRequest.Place = POINT{place->left, place->top};
    }
    gPending = true;
    RunPendingScaleChange();
    return true;
}

void RunPendingScaleChange() {
    // The hidden bar of tray mode takes its new scale when it comes back.
    if (!gPending || gChanging || LayingOutBar() || InTrayMode()) return;
    gChanging = true;
    // Each round's layout and move may bring one more message; a few rounds settle any bar that
    // does not straddle the seam exactly, and what is still left waits for the next event.
    for (int round = 0; gPending && round < 3; ++round) {
        const ScaleRequest request = gRequest;
        gRequest = ScaleRequest();
        gPending = false;
        ChangeScale(request);
    }
    gChanging = false;
}
