// LED tooltips: one tooltip window with a tool per LED, its text asked when it opens and refreshed
// once a second while it shows (and when its drive answers), with the minute's chart below the
// text.
#include "display/drive_tips_win.h"

#include <commctrl.h>

#include <climits>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/system_library_win.h"
#include "app/win_handles.h"
#include "display/drive_tip_text_win.h"
#include "display/led_images.h"
#include "display/screen_scale_win.h"
#include "display/tip_chart.h"
#include "display/tip_chart_win.h"
#include "monitor/drive_facts.h"
#include "monitor/drive_facts_win.h"
#include "monitor/drive_history.h"

namespace {

// The tooltip window and the tip on show. The minute is read once per refresh: the text's peak
// line and the chart come from the same read.
struct DriveTips {
    HWND Window = nullptr;
    WNDPROC TipProc = nullptr; // the tooltip's own procedure, behind ChartingTipProc
    char Text[512] = {};       // what the tip was last given to show
    int Slot = 0;              // the LED whose tip is up, 0 when none
    int Hovered = 0;           // the LED the pointer last moved over
    char Decimal[4] = {};      // the user's decimal separator, asked when the tip opened
    bool Chart = false;        // a chart below the text
    DriveMinute Minute;
};
DriveTips gTips;

// A tool of the bar's: an LED control, with its text or the callback that asks for it.
TOOLINFOA ToolOf(HWND bar, UINT_PTR control, char* text) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    // No TTF_SUBCLASS: the subclass would stand in front of every message to the control, the
    // image switches included, and look up its window property each time. The LED controls' own
    // procedure relays the mouse instead (RelayDriveTipMouse).
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = bar;
    tool.uId = control;
    tool.lpszText = text;
    return tool;
}

std::string ShownTipText() {
    return TipTextNow(gTips.Slot, DriveFactsNow(gTips.Slot), gTips.Decimal, &gTips.Minute,
                      &gTips.Chart);
}

// Ours in front of the tooltip's procedure: the chart goes on top of what the tip painted, in the
// margin below its text. (Custom draw would tell the tip's parent, and these tips have none: an
// owned topmost window would keep the bar from being made topmost again.)
LRESULT CALLBACK ChartingTipProc(HWND tips, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool chart = gTips.Chart && gTips.Slot;
    if (message == WM_PAINT && chart) {
        PaintTipOffScreen(tips);
        return 0;
    }
    const LRESULT result = CallWindowProcA(gTips.TipProc, tips, message, wParam, lParam);
    if (message == WM_PRINTCLIENT && chart) {
        RECT client{};
        GetClientRect(tips, &client);
        DrawTipChart(reinterpret_cast<HDC>(wParam), client, gTips.Minute);
    }
    return result;
}

// The margin that makes room for the chart, or none, before the tip takes its size from the text.
void MakeRoomForChart() {
    RECT margin{0, 0, 0, 0};
    if (gTips.Chart) {
        RECT measured{0, 0, 0, 0};
        WindowDc dc(gTips.Window);
        if (dc.get()) {
            SelectGuard font(dc.get(),
                             reinterpret_cast<HFONT>(SendMessageA(gTips.Window, WM_GETFONT, 0, 0)));
            DrawTextA(dc.get(), gTips.Text, -1, &measured, DT_CALCRECT | DT_NOPREFIX);
        }
        const ScreenArea room = TipChartMargin(measured.right, AppState.Dpi);
        margin = RECT{0, 0, room.Right, room.Bottom};
    }
    SendMessageA(gTips.Window, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
}

void TakeText(const std::string& text) {
    lstrcpynA(gTips.Text, text.c_str(), sizeof gTips.Text);
    MakeRoomForChart();
}

int SlotOfTool(UINT_PTR tool) {
    const int slot = GetDlgCtrlID(reinterpret_cast<HWND>(tool));
    return slot >= Num::FirstDriveSlot && slot <= Num::LastDriveSlot ? slot : 0;
}

// Once a second while a tip shows, and when its drive answers: a new text where it changed, and
// the chart's columns always (they move also under a text that did not change, which Windows
// need not repaint).
void RefreshShownTip(HWND bar) {
    if (!gTips.Slot) return;
    const std::string text = ShownTipText();
    if (text.compare(0, sizeof gTips.Text - 1, gTips.Text) != 0) {
        TakeText(text);
        TOOLINFOA tool =
            ToolOf(bar, reinterpret_cast<UINT_PTR>(GetDlgItem(bar, gTips.Slot)), gTips.Text);
        SendMessageA(gTips.Window, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (gTips.Chart) {
        RECT client{};
        GetClientRect(gTips.Window, &client);
        const RECT columns = TipChartColumns(client);
        InvalidateRect(gTips.Window, &columns, FALSE);
    }
}

} // namespace

void CreateDriveTips() {
    HWND bar = AppState.WindowHandle;
    if (gTips.Window || !LoadCommonControls()) return;
    // Not owned by the bar, like the button's tooltip: an owned topmost window would keep the bar
    // from being made topmost again.
    // Neither faded nor slid in: the chart is drawn after the tip's own paint.
    gTips.Window =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOANIMATE | TTS_NOFADE,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    gTips.TipProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(gTips.Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChartingTipProc)));
    SendMessageA(gTips.Window, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, AppState.Dpi)); // lines
    // Shown as long as Windows allows while the pointer rests: a minute's chart is read at leisure
    // (by default the tip would close after about five seconds).
    SendMessageA(gTips.Window, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(SHRT_MAX, 0));
    ApplyTooltipFont(gTips.Window);
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        TOOLINFOA tool =
            ToolOf(bar, reinterpret_cast<UINT_PTR>(GetDlgItem(bar, slot)), LPSTR_TEXTCALLBACKA);
        SendMessageA(gTips.Window, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ApplyDriveTipFont() {
    if (gTips.Window)
        SendMessageA(gTips.Window, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, AppState.Dpi));
    ApplyTooltipFont(gTips.Window);
}

void RelayDriveTipMouse(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!gTips.Window || message < WM_MOUSEFIRST || message > WM_MOUSELAST) return;
    // The pointer coming to an LED asks what its tip will say, so that a local drive's answer is
    // in before the tip opens.
    const int hovered = SlotOfTool(reinterpret_cast<UINT_PTR>(control));
    if (message == WM_MOUSEMOVE && hovered != gTips.Hovered && hovered)
        AskDriveFacts(hovered, FactsFreshMs, FactsFreshMs, FactsFreshMs);
    gTips.Hovered = hovered;
    const DWORD at = GetMessagePos();
    MSG relayed{control,
                message,
                wParam,
                lParam,
                static_cast<DWORD>(GetMessageTime()),
                POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))}};
    SendMessageA(gTips.Window, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void SilenceDriveTips(bool silent) {
    if (!silent) return CreateDriveTips();
    // Gone, not hidden: a hidden tooltip goes on checking a pointer that rests on its tool ten
    // times a second, and neither closing the tip nor deactivating it stops that.
    KillTimer(AppState.WindowHandle, Num::TipRefreshTimer);
    DestroyDriveTips();
}

void RefreshDriveTipOf(int slot) {
    if (slot && slot == gTips.Slot) RefreshShownTip(AppState.WindowHandle);
}

void DestroyDriveTips() {
    if (gTips.Window) DestroyWindow(gTips.Window);
    gTips = DriveTips();
}

bool HandleDriveTipMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_TIMER && wParam == Num::TipRefreshTimer) {
        RefreshShownTip(bar);
        *result = 0;
        return true;
    }
    if (message != WM_NOTIFY || !gTips.Window) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != gTips.Window) return false;
    const int slot = SlotOfTool(header->idFrom);
    switch (header->code) {
    case TTN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (slot != gTips.Slot) {
            // Opens at once with what is known; the room is asked anew, and the answers fill
            // the tip in as they come.
            if (slot) AskDriveFacts(slot, FactsFreshMs, FactsFreshMs, 0);
            AskDecimalSeparator(gTips.Decimal);
            gTips.Slot = slot;
        }
        gTips.Chart = false;
        TakeText(slot ? ShownTipText() : std::string());
        info->lpszText = gTips.Text;
        break;
    }
    case TTN_SHOW:
        SetTimer(bar, Num::TipRefreshTimer, 1000, nullptr);
        break;
    case TTN_POP: {
        KillTimer(bar, Num::TipRefreshTimer);
        // Back to asking: the next time this tip opens it starts from fresh facts.
        TOOLINFOA tool = ToolOf(bar, header->idFrom, LPSTR_TEXTCALLBACKA);
        SendMessageA(gTips.Window, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        gTips.Slot = gTips.Hovered = 0;
        break;
    }
    default:
        return false;
    }
    *result = 0;
    return true;
}
