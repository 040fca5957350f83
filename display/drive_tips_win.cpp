// LED tooltips: the drive's label, file system, kind, rates and busy share, and a chart of its last
// minute below the text, refreshed once a second while shown.
#include "display/drive_tips_win.h"

#include <commctrl.h>

#include <climits>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/win_handles.h"
#include "display/color_text.h"
#include "display/led_images.h"
#include "display/screen_scale_win.h"
#include "monitor/drive_history.h"
#include "monitor/drive_rates.h"
#include "settings/path_text_win.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 0x7A2;
HWND gTips = nullptr;
char gText[512]; // what the tip was last given to show

// The tip on show. The minute is read once per refresh: the text's peak line and the chart come
// from the same read.
struct ShownTip {
    int Slot = 0;       // the LED whose tip is up, 0 when none
    VolumeFacts Facts;  // asked once when the tip opened
    char Decimal[4];    // the user's decimal separator, asked then too
    bool Chart = false; // a chart below the text
    DriveMinute Minute;
};
ShownTip gShown;

// As Explorer writes sizes: the separator of the user's own settings, "." where none is set.
void AskDecimalSeparator(char (&decimal)[4]) {
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal) < 2)
        lstrcpynA(decimal, ".", sizeof decimal);
}

VolumeFacts AskVolumeFacts(int slot) {
    VolumeFacts facts;
    const std::string& root = AppState.DriveRoots[slot];
    facts.DriveType = static_cast<int>(GetDriveTypeA(root.c_str()));
    if (facts.DriveType <= DRIVE_NO_ROOT_DIR) return facts;
    // A removable or optical drive without media must not bring up the system's error box.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    wchar_t label[MAX_PATH + 1] = {}, fileSystem[MAX_PATH + 1] = {};
    const std::wstring wideRoot = WidePathFromUtf8(root);
    if (GetVolumeInformationW(wideRoot.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                              fileSystem, MAX_PATH + 1)) {
        facts.Label = Utf8FromWidePath(label);
        facts.FileSystem = Utf8FromWidePath(fileSystem);
    }
    SetErrorMode(previous);
    return facts;
}

// The chart of the 96-dpi design: a column of 2 pixels per second, 40 high (read up from the
// middle, write down from it), inside a one-pixel frame, 4 pixels from the tip's edges.
constexpr int kColumn = 2, kChartHeight = 40, kChartPad = 4;

// The chart at the bar's scale.
struct ChartPlace {
    RECT Inner; // inside the frame
    int Column;
    int Half;
    int Pad;
};

ChartPlace PlaceChart(const RECT& client) {
    const int dpi = AppState.Dpi;
    const int column = ScaleForDpi(kColumn, dpi), half = ScaleForDpi(kChartHeight, dpi) / 2;
    const int pad = ScaleForDpi(kChartPad, dpi);
    const int left = client.left + pad + 1, bottom = client.bottom - pad - 1;
    return {RECT{left, bottom - 2 * half, left + column * MinuteSeconds, bottom}, column, half,
            pad};
}

// Room below the text, and beside it when the text is narrower than the chart: the chart with its
// frame and pads.
RECT ChartMargin(HWND tips, const char* text) {
    const ChartPlace c = PlaceChart(RECT{});
    const int width = c.Inner.right - c.Inner.left + 2 + 2 * c.Pad;
    WindowDc dc(tips);
    RECT measured{0, 0, 0, 0};
    if (dc.get()) {
        SelectGuard font(dc.get(), reinterpret_cast<HFONT>(SendMessageA(tips, WM_GETFONT, 0, 0)));
        DrawTextA(dc.get(), text, -1, &measured, DT_CALCRECT | DT_NOPREFIX);
    }
    const int extra = width - measured.right;
    return RECT{0, 0, extra > 0 ? extra : 0, c.Inner.bottom - c.Inner.top + 2 + 2 * c.Pad};
}

void Fill(HDC dc, const RECT& area, const RgbColor& color) {
    SetDCBrushColor(dc, static_cast<COLORREF>(PackColor(color)));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// On the background colour in a frame of the tip's own text colour: a second the drive was asked
// shows a line of the LED text colour in the middle, its reads above in the read colour, its writes
// below in the write colour, all to the scale of the minute's largest second; a second before it
// was asked shows nothing.
void DrawChart(HDC dc, const RECT& client, const DriveMinute& minute) {
    const ChartPlace c = PlaceChart(client);
    const RECT frame{c.Inner.left - 1, c.Inner.top - 1, c.Inner.right + 1, c.Inner.bottom + 1};
    SetDCBrushColor(dc, GetSysColor(COLOR_INFOTEXT));
    FillRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    Fill(dc, c.Inner, AppState.BackRgb);
    const uint64_t peak = MinutePeak(minute);
    const int middle = c.Inner.top + c.Half;
    for (int i = 0; i < MinuteSeconds; ++i) {
        const HistorySecond& s = minute.Seconds[i];
        if (!s.Known) continue;
        const int x = c.Inner.left + i * c.Column;
        Fill(dc, RECT{x, middle, x + c.Column, middle + 1}, AppState.TextRgb);
        if (const int up = ColumnHeight(s.ReadBytes, peak, c.Half))
            Fill(dc, RECT{x, middle - up, x + c.Column, middle}, AppState.ReadRgb);
        if (const int down = ColumnHeight(s.WriteBytes, peak, c.Half))
            Fill(dc, RECT{x, middle, x + c.Column, middle + down}, AppState.WriteRgb);
    }
}

// The text of the shown tip now; reads the rates, and the minute where a chart goes below.
std::string ShownTipText() {
    const int slot = gShown.Slot;
    const DriveRates rates = ReadDriveRates(slot);
    gShown.Chart = TipHasChart(gShown.Facts, rates);
    if (gShown.Chart) gShown.Minute = ReadDriveMinute(slot);
    return FormatDriveTip(AppState.DriveLetters[slot - 1], gShown.Facts, rates,
                          gShown.Chart ? MinutePeak(gShown.Minute) : 0, gShown.Decimal);
}

// The tooltip's own procedure, and ours in front of it: the chart goes on top of what the tip
// painted, in the margin below its text. (Custom draw would tell the tip's parent, and these tips
// have none: an owned topmost window would keep the bar from being made topmost again.)
WNDPROC gTipsProc = nullptr;

// The tip and its chart are painted off the screen and copied onto it at once: no erase shows
// between the tip's paint and the chart's, also on a desktop that nothing composes. (Without memory
// for the copy, straight onto the screen.)
void PaintTipWithChart(HWND tips) {
    PAINTSTRUCT paint;
    const HDC screen = BeginPaint(tips, &paint);
    if (!screen) return;
    RECT client{};
    GetClientRect(tips, &client);
    UniqueDc memory(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(memory ? CreateCompatibleBitmap(screen, client.right, client.bottom)
                               : nullptr);
    const HDC target = bitmap ? memory.get() : screen;
    {
        SelectGuard select(bitmap ? memory.get() : nullptr, bitmap.get());
        // The tip's own paint and the chart over it, through ChartingTipProc.
        SendMessageA(tips, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target),
                     PRF_CLIENT | PRF_ERASEBKGND);
        if (bitmap) BitBlt(screen, 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
    }
    EndPaint(tips, &paint);
}

LRESULT CALLBACK ChartingTipProc(HWND tips, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool chart = gShown.Chart && gShown.Slot;
    if (message == WM_PAINT && chart) {
        PaintTipWithChart(tips);
        return 0;
    }
    const LRESULT result = CallWindowProcA(gTipsProc, tips, message, wParam, lParam);
    if (message == WM_PRINTCLIENT && chart) {
        RECT client{};
        GetClientRect(tips, &client);
        DrawChart(reinterpret_cast<HDC>(wParam), client, gShown.Minute);
    }
    return result;
}

// The margin that makes room for the chart, or none, before the tip takes its size from the text.
void MakeRoomForChart(const char* text) {
    RECT margin{0, 0, 0, 0};
    if (gShown.Chart) margin = ChartMargin(gTips, text);
    SendMessageA(gTips, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
}

void CopyText(const std::string& text) {
    lstrcpynA(gText, text.c_str(), sizeof gText);
}

int SlotOfTool(UINT_PTR tool) {
    const int slot = GetDlgCtrlID(reinterpret_cast<HWND>(tool));
    return slot >= Num::FirstDriveSlot && slot <= Num::LastDriveSlot ? slot : 0;
}

} // namespace

std::string DriveTipText(int slot) {
    if (slot < Num::FirstDriveSlot || slot > Num::LastDriveSlot) return std::string();
    char decimal[4];
    AskDecimalSeparator(decimal);
    const VolumeFacts facts = AskVolumeFacts(slot);
    const DriveRates rates = ReadDriveRates(slot);
    const uint64_t peak = TipHasChart(facts, rates) ? MinutePeak(ReadDriveMinute(slot)) : 0;
    return FormatDriveTip(AppState.DriveLetters[slot - 1], facts, rates, peak, decimal);
}

void CreateDriveTips() {
    HWND bar = AppState.WindowHandle;
    // Not owned by the bar, like the button's tooltip: an owned topmost window would keep the bar
    // from being made topmost again.
    // Neither faded nor slid in: the chart is drawn after the tip's own paint.
    gTips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_NOANIMATE | TTS_NOFADE,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    gTipsProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(gTips, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChartingTipProc)));
    SendMessageA(gTips, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, AppState.Dpi)); // several lines
    // Shown as long as Windows allows while the pointer rests: a minute's chart is read at leisure
    // (by default the tip would close after about five seconds).
    SendMessageA(gTips, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(SHRT_MAX, 0));
    ApplyTooltipFont(gTips);
    for (int slot = Num::FirstLedControl; slot <= Num::LastLedControl; ++slot) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        // No TTF_SUBCLASS: the subclass would stand in front of every message to the control, the
        // image switches included, and look up its window property each time. The LED controls'
        // own procedure relays the mouse instead (RelayDriveTipMouse).
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = bar;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(bar, slot));
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(gTips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ApplyDriveTipFont() {
    if (gTips) SendMessageA(gTips, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, AppState.Dpi));
    ApplyTooltipFont(gTips);
}

void RelayDriveTipMouse(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!gTips || message < WM_MOUSEFIRST || message > WM_MOUSELAST) return;
    const DWORD at = GetMessagePos();
    MSG relayed{control,
                message,
                wParam,
                lParam,
                static_cast<DWORD>(GetMessageTime()),
                POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))}};
    SendMessageA(gTips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void DestroyDriveTips() {
    if (gTips) DestroyWindow(gTips);
    gTips = nullptr;
    gShown.Slot = 0;
}

bool HandleDriveTipMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_TIMER && wParam == kRefreshTimer) {
        if (gShown.Slot) {
            const std::string text = ShownTipText();
            if (text.compare(0, sizeof gText - 1, gText) != 0) {
                CopyText(text);
                MakeRoomForChart(gText);
                TOOLINFOA tool{};
                tool.cbSize = TTTOOLINFOA_V1_SIZE;
                tool.hwnd = bar;
                tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(bar, gShown.Slot));
                tool.lpszText = gText;
                SendMessageA(gTips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
            }
            // The chart moves every second, also under a text that did not change, which
            // Windows need not repaint.
            if (gShown.Chart) {
                RECT client{};
                GetClientRect(gTips, &client);
                const RECT chart = PlaceChart(client).Inner;
                InvalidateRect(gTips, &chart, FALSE);
            }
        }
        *result = 0;
        return true;
    }
    if (message != WM_NOTIFY || !gTips) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != gTips) return false;
    const int slot = SlotOfTool(header->idFrom);
    switch (header->code) {
    case TTN_GETDISPINFOA: {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
        if (slot != gShown.Slot) {
            gShown.Facts = slot ? AskVolumeFacts(slot) : VolumeFacts();
            AskDecimalSeparator(gShown.Decimal);
            gShown.Slot = slot;
        }
        gShown.Chart = false;
        CopyText(slot ? ShownTipText() : std::string());
        MakeRoomForChart(gText);
        info->lpszText = gText;
        break;
    }
    case TTN_SHOW:
        SetTimer(bar, kRefreshTimer, 1000, nullptr);
        break;
    case TTN_POP: {
        KillTimer(bar, kRefreshTimer);
        // Back to asking: the next time this tip opens it starts from fresh facts.
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = bar;
        tool.uId = header->idFrom;
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(gTips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
        gShown.Slot = 0;
        break;
    }
    default:
        return false;
    }
    *result = 0;
    return true;
}
