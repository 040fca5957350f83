// The bar's window layer on the real platform: layout, opacity styles, the menu's check marks and
// the event layer's own window procedure.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <oleacc.h>
#include <servprov.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/event_layer.h"
#include "app/led_accessible_win.h"
#include "app/monitoring.h"
#include "app/newer_windows.h"
#include "app/popup_menu.h"
#include "app/session_watch.h"
#include "app/startup.h"
#include "app/startup_win.h"
#include "app/tray_mode.h"
#include "dialogs/dialogs_win.h"
#include "dialogs/transparency.h"
#include "display/bar_layout_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"
#include "monitor/timer_service.h"
#include "settings/settings_store.h"
#include "support/counting_timers.h"
#include "support/modelled_monitors.h"
#include "support/win_test_window.h"

// Wine's sessions are never remote: the program's own lookup gives way to this one.
bool gRemote = false;
bool InRemoteSession() {
    return gRemote;
}

namespace {

LONG ExStyle() {
    return GetWindowLongA(AppState.WindowHandle, GWL_EXSTYLE);
}

// The settings of a bar of all 24 LEDs at size 1, at (40, 30).
void PrepareBarSettings() {
    ResetAppState();
    ResetEventRecord();
    InitConstantState();
    AppState.Drives = "111111111111111111111111";
    AppState.IconSize = 1;
    AppState.IconPixels = 18;
    AppState.Transparency = 255;
    AppState.WinX = 40;
    AppState.WinY = 30;
    AppState.TextRgb = {255, 255, 255};
}

// The bar's outer width: its 24 LEDs side by side, one pixel narrower, and the button's strip.
int BarWidth(int edge, int button = 0) {
    return 24 * edge - 1 + button;
}

class BarOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        PrepareBarSettings();
        BuildBar(GetModuleHandleA(nullptr));
    }
    void TearDown() override {
        CloseBarWindow();
        DestroyPopupMenu();
    }
};

TEST_F(BarOnWine, TheLayoutIsATopmostLayeredToolWindowOfTheRightSize) {
    RECT r{};
    GetWindowRect(AppState.WindowHandle, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, BarWidth(18));
    EXPECT_EQ(r.bottom - r.top, 18);
    EXPECT_TRUE(IsWindowVisible(AppState.WindowHandle));
    EXPECT_EQ(ExStyle() & (WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW),
              WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    BYTE alpha = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(AppState.WindowHandle, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 255) << "layered even when opaque";
}

TEST_F(BarOnWine, EveryLayoutMakesTheBarTopmostAgain) {
    CreateMinimizeButton();
    CreateMinimizeButtonTip(); // a topmost window of its own
    SetWindowPos(AppState.WindowHandle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_FALSE(ExStyle() & WS_EX_TOPMOST);
    LayoutBar();
    EXPECT_TRUE(ExStyle() & WS_EX_TOPMOST);
}

TEST_F(BarOnWine, ApplyTransparencyKeepsOnlyTheLayeredAndToolWindowStyles) {
    SetWindowLongA(AppState.WindowHandle, GWL_EXSTYLE,
                   ExStyle() | WS_EX_CLIENTEDGE | WS_EX_APPWINDOW);
    ApplyTransparency(AppState.WindowHandle, 128);
    EXPECT_EQ(ExStyle() & ~WS_EX_TOPMOST, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    BYTE alpha = 0;
    GetLayeredWindowAttributes(AppState.WindowHandle, nullptr, &alpha, nullptr);
    EXPECT_EQ(alpha, 128);
}

TEST_F(BarOnWine, CheckMarksFollowEveryLayout) {
    AppState.IconSize = 2;
    AppState.Locked = 1;
    AppState.MinimizeButton = 8;
    RenderLedImages();
    LayoutBar();
    const int want[] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0};
    for (int item = 1; item <= 19; ++item)
        EXPECT_EQ(IsMenuItemChecked(item), want[item - 1] == 1) << item;
    SetMenuItemChecked(MenuExit, true);
    EXPECT_TRUE(IsMenuItemChecked(MenuExit));
    SetMenuItemChecked(MenuExit, false);
    EXPECT_FALSE(IsMenuItemChecked(MenuExit));
}

// Windows tells a per-monitor-aware window of a move to a monitor of another scale with
// WM_DPICHANGED; Wine never sends it, so the test does.
TEST_F(BarOnWine, AScreenOfAnotherScaleGetsImagesDrawnForItAndThePlaceWindowsSuggests) {
    AppState.MinimizeButton = 8;
    CreateMinimizeButton();
    LayoutBar();
    const auto scaleTo = [](int dpi, RECT suggested) {
        SendMessageA(AppState.WindowHandle, Newer::WmDpiChanged, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    };
    const auto expectBar = [](int left, int top, int width, int edge, int button) {
        RECT bar{}, led{}, minimize{};
        GetWindowRect(AppState.WindowHandle, &bar);
        GetWindowRect(GetDlgItem(AppState.WindowHandle, 2), &led);
        GetWindowRect(GetDlgItem(AppState.WindowHandle, Num::MinimizeButtonControl), &minimize);
        EXPECT_EQ(bar.left, left);
        EXPECT_EQ(bar.top, top);
        EXPECT_EQ(bar.right - bar.left, width);
        EXPECT_EQ(bar.bottom - bar.top, edge);
        EXPECT_EQ(led.right - led.left, edge);
        EXPECT_EQ(minimize.right - minimize.left, button);
        BITMAP image{};
        GetObjectA(ImageBitmap(LedImageNumber(5, LedReadWrite)), sizeof image, &image);
        EXPECT_EQ(image.bmWidth, edge) << "drawn at the scale, not stretched";
    };
    scaleTo(144, RECT{300, 200, 0, 0});
    expectBar(300, 200, 659, 27, 12); // 24 LEDs of 1.5 x 18, less one, and 1.5 x the button
    scaleTo(96, RECT{40, 30, 0, 0});  // and back, exactly as it was
    expectBar(40, 30, 439, 18, 8);
}

// Two monitors of different scale, side by side or stacked, in either order. Windows sends a
// per-monitor-v2 window WM_DPICHANGED synchronously from inside the SetWindowPos that moves most of
// it onto a monitor of another scale, with a suggested rectangle whose size it first asks the
// window for with WM_GETDPISCALEDSIZE where the window answers ("WM_DPICHANGED",
// "WM_GETDPISCALEDSIZE" and "High DPI Desktop Application Development on Windows", Microsoft
// Learn). Wine has one monitor and sends neither: this hook does, after each WM_WINDOWPOSCHANGED
// of the bar, and the program's monitor lookup answers from the same model.
struct ScaleModel {
    int Dpi = 96;          // the scale Windows holds the bar at
    int Depth = 0;         // WM_DPICHANGED being sent now, one inside another
    bool Runaway = false;  // the changes kept calling themselves
    int NestedChanges = 0; // changes of AppState.Dpi made inside another WM_DPICHANGED
    int SizeAnswers = 0;   // WM_GETDPISCALEDSIZE answered
    int Changes = 0;       // changes of AppState.Dpi seen since the step began
    int SeenDpi = 0;
    bool Dragging = false; // inside the move loop of a drag
    POINT Pointer{};       // where the pointer is while dragging
    // Per-monitor v1 (8.1) decides the monitor from the first rectangle the bar takes in a change,
    // so that one must have the bar's own size for the new scale, not the one Windows suggests.
    bool AwaitPlace = false;
    SIZE WrongPlace{}; // the last first rectangle of a change that was not the bar's own size
};
ScaleModel gModel;
// Windows 10 1703 and later ask the size; 8.1 and 10 before 1703 suggest the present size scaled
// by the ratio of the scales ("WM_DPICHANGED": the suggested rectangle; "WM_GETDPISCALEDSIZE":
// Windows 10 1703).
bool gAsksSize = true;

void ModelMonitors(RECT first, int firstDpi, RECT second, int secondDpi) {
    gModelledMonitors = ModelledMonitors{2, {first, second}, {firstDpi, secondDpi}};
}

int MonitorDpiHoldingMost(const RECT& r) {
    return gModelledMonitors.Dpi[ModelledMonitorHolding(r)];
}

void NoteScale() {
    if (gModel.SeenDpi && AppState.Dpi != gModel.SeenDpi) ++gModel.Changes;
    gModel.SeenDpi = AppState.Dpi;
}

LRESULT CALLBACK SendDpiLikeWindows(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGED &&
        sent->hwnd == AppState.WindowHandle) {
        RECT r{};
        GetWindowRect(sent->hwnd, &r);
        if (gModel.AwaitPlace) {
            gModel.AwaitPlace = false;
            const auto own = [](int length) { return (length * gModel.Dpi + 48) / 96; };
            const SIZE placed{r.right - r.left, r.bottom - r.top};
            if (placed.cx != BarWidth(own(18), own(AppState.MinimizeButton)) ||
                placed.cy != own(18))
                gModel.WrongPlace = placed;
        }
        const int dpi = MonitorDpiHoldingMost(r);
        if (!gModel.SeenDpi) gModel.SeenDpi = AppState.Dpi; // what start-up took
        if (dpi != gModel.Dpi && gModel.Depth >= 8) gModel.Runaway = true;
        if (dpi != gModel.Dpi && gModel.Depth < 8) {
            SIZE size{MulDiv(r.right - r.left, dpi, gModel.Dpi),
                      MulDiv(r.bottom - r.top, dpi, gModel.Dpi)};
            if (gAsksSize && SendMessageA(sent->hwnd, Newer::WmGetDpiScaledSize, dpi,
                                          reinterpret_cast<LPARAM>(&size)))
                ++gModel.SizeAnswers;
            RECT suggested{r.left, r.top, r.left + size.cx, r.top + size.cy};
            if (gModel.Dragging) { // the pointer keeps its spot on the bar
                const POINT p = gModel.Pointer;
                const int left = p.x - MulDiv(p.x - r.left, size.cx, r.right - r.left);
                const int top = p.y - MulDiv(p.y - r.top, size.cy, r.bottom - r.top);
                suggested = RECT{left, top, left + size.cx, top + size.cy};
            }
            gModel.Dpi = dpi;
            const int before = AppState.Dpi;
            ++gModel.Depth;
            gModel.AwaitPlace = true; // a change put off until later is not looked at
            SendMessageA(sent->hwnd, Newer::WmDpiChanged, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            gModel.AwaitPlace = false;
            --gModel.Depth;
            if (gModel.Depth > 0 && AppState.Dpi != before) ++gModel.NestedChanges;
            NoteScale();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// After each step, and ten waits for events after it, the bar has changed its scale at most once
// and rests at one scale, the one of the monitor holding most of it.
constexpr UINT kPosted = WM_APP + 0x51; // nobody's message: the bar's procedure passes it on
void ExpectOneScale(const char* step, int dpi, int edge, int button) {
    SCOPED_TRACE(step);
    for (int wait = 0; wait < 10; ++wait) {
        // What came inside the step runs before the next event; a program that keeps changing
        // would change again in each of these waits.
        PostMessageA(AppState.WindowHandle, kPosted, 0, 0);
        WaitEvent();
        NoteScale();
    }
    // And what was posted to the bar comes back (each wait reads one message, the step's own
    // paints and moves among them): the program reads its queue again.
    MSG left{};
    for (int wait = 0;
         wait < 40 && PeekMessageA(&left, AppState.WindowHandle, kPosted, kPosted, PM_NOREMOVE);
         ++wait)
        WaitEvent();
    EXPECT_FALSE(PeekMessageA(&left, AppState.WindowHandle, kPosted, kPosted, PM_NOREMOVE))
        << "a posted message never came back";
    EXPECT_LE(gModel.Changes, 1) << "one change of scale, then the program rests";
    gModel.Changes = 0;
    EXPECT_FALSE(gModel.Runaway);
    EXPECT_EQ(gModel.NestedChanges, 0);
    EXPECT_EQ(gModel.WrongPlace.cx, 0) << "a change placed the bar at " << gModel.WrongPlace.cx
                                       << " x " << gModel.WrongPlace.cy << ", not its own size";
    gModel.WrongPlace = SIZE{};
    RECT bar{}, led{}, minimize{};
    GetWindowRect(AppState.WindowHandle, &bar);
    EXPECT_EQ(MonitorDpiHoldingMost(bar), dpi);
    EXPECT_EQ(AppState.Dpi, dpi);
    EXPECT_EQ(gModel.Dpi, dpi);
    EXPECT_EQ(bar.right - bar.left, BarWidth(edge, button));
    GetWindowRect(GetDlgItem(AppState.WindowHandle, 24), &led);
    EXPECT_EQ(led.right - led.left, edge);
    EXPECT_EQ(bar.bottom - bar.top, edge);
    BITMAP image{};
    GetObjectA(ImageBitmap(LedImageNumber(24, LedIdle)), sizeof image, &image);
    EXPECT_EQ(image.bmWidth, edge);
    if (HWND b = GetDlgItem(AppState.WindowHandle, Num::MinimizeButtonControl);
        b && IsWindowVisible(b)) {
        GetWindowRect(b, &minimize);
        EXPECT_EQ(minimize.right - minimize.left, button);
        EXPECT_EQ(minimize.right, bar.right);
    }
}

// The bar built at (x, y) under the model: Windows makes a window at the scale of the monitor it
// opens on, and the program asks for that scale.
HHOOK StartModel(int x, int y) {
    PrepareBarSettings();
    AppState.WinX = x;
    AppState.WinY = y;
    gModel = ScaleModel();
    gModel.Dpi = MonitorDpiHoldingMost(RECT{x, y, x + 8, y + 18});
    HHOOK hook =
        SetWindowsHookExA(WH_CALLWNDPROCRET, SendDpiLikeWindows, nullptr, GetCurrentThreadId());
    BuildBar(GetModuleHandleA(nullptr));
    return hook;
}

void EndModel(HHOOK hook) {
    if (hook) UnhookWindowsHookEx(hook);
    CloseBarWindow();
    DestroyPopupMenu();
    gModelledMonitors = ModelledMonitors();
}

void MoveBar(int x, int y) {
    SetWindowPos(AppState.WindowHandle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// A drag as Windows runs it: WM_NCLBUTTONDOWN on the caption enters a modal move loop of its own
// (WM_ENTERSIZEMOVE to WM_EXITSIZEMOVE, "WM_ENTERSIZEMOVE", Microsoft Learn) that moves the bar
// with the pointer and dispatches what comes meanwhile: the program's WaitEvent runs again only
// after the drop. The pointer keeps its spot on the bar, in proportion where the bar changes size
// ("WM_GETDPISCALEDSIZE": the window keeps its position relative to the cursor).
// At every move: at most one change of scale, and the bar still under the pointer.
void DragBar(POINT from, std::initializer_list<POINT> path, const char* what) {
    SCOPED_TRACE(what);
    HWND bar = AppState.WindowHandle;
    SendMessageA(bar, WM_ENTERSIZEMOVE, 0, 0);
    RECT r{};
    GetWindowRect(bar, &r);
    const POINT grip{from.x - r.left, from.y - r.top};
    const SIZE start{r.right - r.left, r.bottom - r.top};
    gModel.Dragging = true;
    POINT leg = from;
    for (const POINT to : path) {
        for (int step = 1; step <= 12; ++step) {
            const POINT p{leg.x + (to.x - leg.x) * step / 12, leg.y + (to.y - leg.y) * step / 12};
            gModel.Pointer = p;
            GetWindowRect(bar, &r);
            const int changes = gModel.Changes;
            SetWindowPos(bar, nullptr, p.x - MulDiv(grip.x, r.right - r.left, start.cx),
                         p.y - MulDiv(grip.y, r.bottom - r.top, start.cy), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
            MSG message{};
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            NoteScale();
            GetWindowRect(bar, &r);
            EXPECT_LE(gModel.Changes - changes, 1) << "changes of scale in one move, at x " << p.x;
            EXPECT_TRUE(PtInRect(&r, p))
                << "the bar left the pointer at x " << p.x << ": " << r.left << ".." << r.right;
        }
        leg = to;
    }
    gModel.Dragging = false;
    gModel.Changes = 0; // the drop's own are counted by ExpectOneScale
    SendMessageA(bar, WM_EXITSIZEMOVE, 0, 0);
}

// Built across the seam, dragged over and back, the button shown: 96 dpi left of x = 1024.
TEST(TwoMonitorsOfDifferentScale, TheBarSettlesAtOneScaleWhereverItGoes) {
    for (const bool asks : {true, false}) {
        SCOPED_TRACE(asks ? "Windows asks the size" : "Windows 8.1: no size asked");
        gAsksSize = asks;
        ModelMonitors({0, 0, 1024, 768}, 96, {1024, 0, 2048, 768}, 144);
        HHOOK hook = StartModel(824, 30); // 200 of its 431 pixels on the left: most on the right
        ASSERT_TRUE(hook);
        ExpectOneScale("a saved place across the seam", 144, 27, 0);
        EXPECT_EQ(gModel.SizeAnswers > 0, asks) << "the exact size told before each change";
        MoveBar(100, 30);
        ExpectOneScale("dragged onto the left monitor", 96, 18, 0);
        MoveBar(824, 30);
        ExpectOneScale("dragged back across the seam", 144, 27, 0);
        CreateMinimizeButton();
        AppState.MinimizeButton = 8; // as "Show Minimize Button" does
        LayoutBar();
        ExpectOneScale("the button shown", 144, 27, 12);
        DragBar({824 + 329, 40}, {{300, 40}}, "dragged by its middle onto the left monitor");
        ExpectOneScale("dropped there", 96, 18, 8);
        EndModel(hook);

        ModelMonitors({0, 0, 1024, 768}, 96, {0, 768, 1024, 1536}, 144);
        hook = StartModel(100, 768 - 8); // 8 of its 18 rows above: most below
        ASSERT_TRUE(hook);
        ExpectOneScale("stacked: built across the seam", 144, 27, 0);
        DragBar({110, 768 + 13}, {{110, 300}}, "dragged up");
        ExpectOneScale("dropped on the upper monitor", 96, 18, 0);
        EndModel(hook);

        // At 120 dpi the bar's own size (LEDs of 23, 551 wide) is not 1.25 times its 96-dpi one
        // (539), which is what Windows 8.1 suggests.
        ModelMonitors({0, 0, 1024, 768}, 96, {1024, 0, 2048, 768}, 120);
        hook = StartModel(100, 30);
        ASSERT_TRUE(hook);
        MoveBar(1124, 30);
        ExpectOneScale("onto the 120-dpi monitor", 120, 23, 0);
        MoveBar(100, 30);
        ExpectOneScale("and back", 96, 18, 0);
        EndModel(hook);
    }
    gAsksSize = true;
}

// Moved the shortest way onto the monitor of its scale: most of the bar there, and one pixel
// less of it would not be most.
void ExpectJustMost(int there, int whole, const char* what) {
    EXPECT_GT(there * 2, whole) << there << " of " << whole << " " << what;
    EXPECT_LE((there - 1) * 2, whole) << "moved further than needed: " << there << " of " << whole;
}

// The laptop at 150 % on the left, or above: at neither scale would most of a bar dropped across
// the seam stay on the monitor of that scale where it stands, so the bar moves onto it.
TEST(TwoMonitorsOfDifferentScale, NoScaleFitsWhereTheBarStandsSoItMovesOntoItsMonitor) {
    for (const bool asks : {true, false}) {
        SCOPED_TRACE(asks ? "Windows asks the size" : "Windows 8.1: no size asked");
        gAsksSize = asks;
        ModelMonitors({0, 0, 1024, 768}, 144, {1024, 0, 2048, 768}, 96);
        HHOOK hook = StartModel(774, 30); // opens on the left; laid out at 150 %, 250 of 647 there
        ASSERT_TRUE(hook);
        ExpectOneScale("the laptop on the left: built across the seam", 96, 18, 0);
        RECT bar{};
        GetWindowRect(AppState.WindowHandle, &bar);
        ExpectJustMost(bar.right - 1024, bar.right - bar.left, "columns on the right");
        MoveBar(1024 - 300, 30); // 300 of 431 on the left; at 150 %, 300 of 647
        ExpectOneScale("dragged to the left", 144, 27, 0);
        MoveBar(1024 - 240, 30);
        ExpectOneScale("and back", 96, 18, 0);
        // By its left end into the seam, where no scale fits, and back onto the laptop: the change
        // that could not run inside the drag runs at the drop, where the bar was dropped.
        MoveBar(100, 30);
        ExpectOneScale("on the laptop", 144, 27, 0);
        DragBar({110, 40}, {{760, 40}, {110, 40}}, "by its end into the seam and back");
        ExpectOneScale("dropped on the laptop", 144, 27, 0);
        GetWindowRect(AppState.WindowHandle, &bar);
        EXPECT_TRUE(PtInRect(&bar, POINT{110, 40})) << "moved from the drop to " << bar.left;
        // Dropped with its left end 270 pixels left of the seam: a change that waited inside
        // another must not outrun Windows' last word, nor the bar take any size but its own.
        MoveBar(100, 30);
        DragBar({110, 40}, {{1024 - 270 + 10, 40}}, "to 270 left of the seam");
        ExpectOneScale("dropped there", 144, 27, 0);
        EndModel(hook);

        ModelMonitors({0, 0, 1024, 768}, 144, {0, 768, 1024, 1536}, 96);
        hook = StartModel(100, 768 - 10); // opens above; laid out at 150 %, 10 of 27 rows there
        ASSERT_TRUE(hook);
        ExpectOneScale("the laptop above: built across the seam", 96, 18, 0);
        GetWindowRect(AppState.WindowHandle, &bar);
        ExpectJustMost(bar.bottom - 768, bar.bottom - bar.top, "rows below");
        MoveBar(100, 768 - 13); // 13 of 18 rows above; at 150 %, 13 of 27
        ExpectOneScale("dragged up", 144, 27, 0);
        GetWindowRect(AppState.WindowHandle, &bar);
        ExpectJustMost(768 - bar.top, bar.bottom - bar.top, "rows above");
        EndModel(hook);
    }
    gAsksSize = true;
}

// Back from the notification area on a monitor of another scale, though Windows sent no message
// while the bar was hidden (the monitors changed meanwhile): the bar takes that monitor's scale.
void CALLBACK MonitorsChangeInTray(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    ModelMonitors({0, 0, 1024, 768}, 144, {1024, 0, 2048, 768}, 144);
    PostMessageA(AppState.WindowHandle, MsgControlClick, 1, DoubleClickLeft); // as the icon's
}

TEST(TwoMonitorsOfDifferentScale, BackFromTheTrayTheBarTakesItsMonitorsScaleUnasked) {
    PrepareBarSettings();
    BuildBar(GetModuleHandleA(nullptr));
    ASSERT_EQ(AppState.Dpi, 96);
    SetTimer(nullptr, 0, 50, MonitorsChangeInTray);
    EnterTrayMode();
    RECT bar{};
    GetWindowRect(AppState.WindowHandle, &bar);
    EXPECT_EQ(AppState.Dpi, 144);
    EXPECT_EQ(bar.right - bar.left, BarWidth(27));
    EndModel(nullptr);
}

// A day of the bar on a laptop, through the program's own message handlers: monitored, locked,
// unlocked, sent to the notification area while Windows changes its scale, back, a dialog open
// while the scale changes again, ended.
// - The fine timer resolution wakes the whole machine up to a thousand times a second: it is held
//   only while the poll runs for a bar someone can see, and no timer runs while nobody can.
// - The hidden bar stays hidden and comes back at the new scale; the open dialog's controls keep
//   a live font, and its frame is the one Windows 10 draws at the bar's scale.
struct WhileAway {
    TimerCalls InTray;
    bool BarVisible = true;
    bool DialogFontAlive = false;
    bool DialogKeptFocus = false;
    int FrameHeight = 0;
    DWORD Style = 0, ExStyle = 0;
};
WhileAway gAway;

void CALLBACK ScaleInTray(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    gAway.InTray = CountedTimerCalls();
    RECT place{60, 50, 0, 0};
    SendMessageA(AppState.WindowHandle, Newer::WmDpiChanged, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&place));
    gAway.BarVisible = IsWindowVisible(AppState.WindowHandle) != FALSE;
    PostMessageA(AppState.WindowHandle, MsgControlClick, 1, DoubleClickLeft); // as the icon's
}

void CALLBACK ScaleWithDialogOpen(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindWindowA(nullptr, "Adjust Window Transparency");
    if (!dialog) return; // not up yet: the timer comes again
    KillTimer(nullptr, id);
    RECT outer{};
    GetWindowRect(dialog, &outer);
    // What the program asked for: the client area of 150 % and a frame around it. (Wine itself
    // draws every frame at the system's scale, so the client area it leaves is not looked at.)
    gAway.FrameHeight = (outer.bottom - outer.top) - 75; // 50 at 150 %
    gAway.Style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    gAway.ExStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    HWND label = GetDlgItem(dialog, Num::FirstTransparencyLabel);
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0));
    SetFocus(GetDlgItem(dialog, Num::TransparencySlider));
    SendMessageA(AppState.WindowHandle, Newer::WmDpiChanged, MAKEWPARAM(96, 96), 0);
    gAway.DialogFontAlive = font && GetObjectType(font) == OBJ_FONT;
    gAway.DialogKeptFocus =
        GetActiveWindow() == dialog && GetFocus() == GetDlgItem(dialog, Num::TransparencySlider);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

TEST_F(BarOnWine, ALaptopDayHoldsTheTimerOnlyForASeenBarAndTakesEveryScaleChange) {
    TimerService::Open();
    WatchSession(AppState.WindowHandle);
    const TimerCalls atStart = CountedTimerCalls();
    const auto since = [&atStart] {
        const TimerCalls now = CountedTimerCalls();
        return std::to_string(now.Raised - atStart.Raised) + " raised, " +
               std::to_string(now.Restored - atStart.Restored) + " restored";
    };
    const auto ticksOver = [](DWORD ms) {
        const long before = CountedTicks();
        PumpMessagesFor(ms);
        return CountedTicks() - before;
    };
    StartMonitoring();
    EXPECT_EQ(since(), "1 raised, 0 restored");
    EXPECT_GT(ticksOver(300), 2) << "monitoring";
    SendMessageA(AppState.WindowHandle, Newer::WmWtsSessionChange, 7 /* locked */, 0);
    EXPECT_EQ(since(), "1 raised, 1 restored") << "locked";
    EXPECT_EQ(ticksOver(300), 0) << "a tick while locked";
    SendMessageA(AppState.WindowHandle, Newer::WmWtsSessionChange, 8 /* unlocked */, 0);
    EXPECT_EQ(since(), "2 raised, 1 restored") << "unlocked";

    gAway = WhileAway();
    SetTimer(nullptr, 0, 300, ScaleInTray); // the tray ends on the double-click it posts
    EnterTrayMode();
    EXPECT_EQ(gAway.InTray.Raised - gAway.InTray.Restored, 0) << "raised in the notification area";
    EXPECT_FALSE(gAway.BarVisible) << "shown while in the notification area";
    RECT bar{};
    GetWindowRect(AppState.WindowHandle, &bar);
    EXPECT_EQ(AppState.Dpi, 144);
    EXPECT_EQ(bar.left, 60);
    EXPECT_EQ(bar.right - bar.left, BarWidth(27));
    EXPECT_EQ(since(), "3 raised, 2 restored") << "back from the tray";

    SetTimer(nullptr, 0, 50, ScaleWithDialogOpen);
    TransparencyDialog();
    EXPECT_TRUE(gAway.DialogFontAlive) << "the open dialog's font was deleted";
    EXPECT_TRUE(gAway.DialogKeptFocus) << "the layout took the activation from the dialog";
    RECT frame{0, 0, 100, 100};
    const auto forDpi =
        reinterpret_cast<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    ASSERT_TRUE(forDpi && forDpi(&frame, gAway.Style, FALSE, gAway.ExStyle, 144));
    EXPECT_EQ(gAway.FrameHeight, frame.bottom - frame.top - 100);

    ReleaseProgramResources(); // the end of the program
    // The change of scale with the dialog open stopped and started monitoring once more.
    EXPECT_EQ(since(), "4 raised, 4 restored") << "at the end";
}

// Waits (at most 200 events) for an event with the given code.
bool WaitFor(int code) {
    for (int i = 0; i < 200; ++i) {
        if (WaitEvent() == code) return true;
    }
    return false;
}

TEST_F(BarOnWine, ACloseRequestQueuesAnEventAndLeavesTheBar) {
    ResetEventRecord();
    SendMessageA(AppState.WindowHandle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(AppState.WindowHandle));
    EXPECT_TRUE(IsWindowVisible(AppState.WindowHandle));
    EXPECT_EQ(WaitEvent(), EventCloseRequest);
    EXPECT_EQ(gEvents.Window, 0);
    // A click reported by an LED control comes back as a control event with its number.
    PostMessageA(AppState.WindowHandle, MsgControlClick, 5, DoubleClickLeft);
    ASSERT_TRUE(WaitFor(EventControl));
    EXPECT_EQ(EventObject(), 5);
    EXPECT_EQ(EventClickType(), DoubleClickLeft);
}

// While a message box is open every other window of the thread is disabled, except the
// foreground window; afterwards exactly those are enabled again.
struct BoxSeen {
    bool Open = false;
    bool BarEnabled = true;
    bool OtherEnabled = true;
};
BoxSeen gSeen;
HWND gOther = nullptr, gDisabledBefore = nullptr, gForeground = nullptr;

BOOL CALLBACK FindBox(HWND w, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") || !IsWindowVisible(w)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

void CALLBACK LookAtTheBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return; // not up yet: the timer comes again
    KillTimer(nullptr, id);
    gSeen = {true, IsWindowEnabled(AppState.WindowHandle) != FALSE,
             IsWindowEnabled(gOther) != FALSE};
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(BarOnWine, AMessageBoxDisablesTheOtherWindowsAndEnablesExactlyThoseAgain) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    gOther = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 100, 50, 20, nullptr,
                             nullptr, instance, nullptr);
    gDisabledBefore = CreateWindowExA(0, "STATIC", "off", WS_POPUP | WS_VISIBLE | WS_DISABLED, 0,
                                      130, 50, 20, nullptr, nullptr, instance, nullptr);
    gForeground = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 160, 50, 20,
                                  nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(gForeground);
    ASSERT_EQ(GetForegroundWindow(), gForeground) << "premise";
    gSeen = BoxSeen();
    SetTimer(nullptr, 0, 50, LookAtTheBox);
    EXPECT_EQ(ShowMessageBox("Blinkbar", "test", 0), IDOK);
    ASSERT_TRUE(gSeen.Open);
    EXPECT_FALSE(gSeen.BarEnabled);
    EXPECT_FALSE(gSeen.OtherEnabled);
    EXPECT_TRUE(IsWindowEnabled(gForeground)) << "the owner, which the box itself disabled";
    EXPECT_TRUE(IsWindowEnabled(AppState.WindowHandle));
    EXPECT_TRUE(IsWindowEnabled(gOther));
    EXPECT_FALSE(IsWindowEnabled(gDisabledBefore)) << "what was disabled before stays so";
    for (HWND w : {gOther, gDisabledBefore, gForeground}) DestroyWindow(w);
}

// Start-up and the end, seen from the controls: an LED control never exists without its image,
// and the fonts and images outlive every window that uses them.
int gControlsSeen = 0, gControlsMadeWithoutImages = 0;
LRESULT CALLBACK WatchControlCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (create->lpszClass && !IS_INTRESOURCE(create->lpszClass) &&
            !lstrcmpiA(create->lpszClass, "STATIC") &&
            create->hwndParent == AppState.WindowHandle) {
            ++gControlsSeen;
            for (int image = Num::FirstLedImage; image <= Num::LastLedImage; ++image) {
                if (!ImageBitmap(image)) {
                    ++gControlsMadeWithoutImages;
                    break;
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool gFontAliveAtDestroy = false;
WNDPROC gButtonProc = nullptr;
LRESULT CALLBACK WatchButtonDestroy(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        const auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(w, WM_GETFONT, 0, 0));
        gFontAliveAtDestroy = font && GetObjectType(font) == OBJ_FONT;
    }
    return CallWindowProcA(gButtonProc, w, message, wParam, lParam);
}

TEST(StartAndEnd, ControlsComeAfterTheirImagesAndWindowsGoBeforeTheirFonts) {
    PrepareBarSettings();
    ReleaseImagesAndFonts(); // as a new process has none
    gControlsSeen = gControlsMadeWithoutImages = 0;
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchControlCreation, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    BuildBar(GetModuleHandleA(nullptr));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(gControlsSeen, 24) << "the hook saw the LED controls made";
    EXPECT_EQ(gControlsMadeWithoutImages, 0) << "LED controls made before the 96 images";

    CreateMinimizeButton();
    HWND button = GetDlgItem(AppState.WindowHandle, Num::MinimizeButtonControl);
    ASSERT_TRUE(button);
    gButtonProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchButtonDestroy)));
    gFontAliveAtDestroy = false;
    ReleaseProgramResources();
    EXPECT_TRUE(gFontAliveAtDestroy) << "the button's font was freed while it still used it";
}

// Every interface a screen reader's client may ask an LED's object for is that LED: asked back
// for IUnknown it gives the same object ("QueryInterface: the rules", Microsoft Learn), and for
// IAccessible the LED's own name, never the plain window's. No IServiceProvider: through it UI
// Automation would take the object for oleacc's own proxy and read the bare window instead.
TEST_F(BarOnWine, AScreenReaderAskingTheLedForAnyInterfaceGetsTheLedItself) {
    HWND led = GetDlgItem(AppState.WindowHandle, 1);
    IAccessible* object = NewLedAccessible(led);
    ASSERT_TRUE(object) << "oleacc";
    IUnknown* self = nullptr;
    object->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&self));
    const IID asked[] = {__uuidof(IUnknown),   __uuidof(IDispatch),    __uuidof(IAccessible),
                         __uuidof(IOleWindow), __uuidof(IEnumVARIANT), __uuidof(IServiceProvider)};
    int answered = 0;
    for (const IID& iid : asked) {
        IUnknown* given = nullptr;
        if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&given)))) continue;
        ++answered;
        IUnknown* back = nullptr;
        IAccessible* accessible = nullptr;
        given->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&back));
        given->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
        EXPECT_EQ(back, self) << "another object behind interface " << answered;
        BSTR name = nullptr;
        VARIANT child{};
        child.vt = VT_I4;
        if (accessible) accessible->get_accName(child, &name);
        EXPECT_TRUE(name && name[0] == L'C' && name[1] == L':') << "interface " << answered;
        SysFreeString(name);
        HWND found = led;
        if (iid == __uuidof(IOleWindow)) reinterpret_cast<IOleWindow*>(given)->GetWindow(&found);
        EXPECT_EQ(found, led) << "a client finds the LED's window from the object";
        for (IUnknown* u : {given, back, static_cast<IUnknown*>(accessible)})
            if (u) u->Release();
    }
    EXPECT_EQ(answered, 4) << "IUnknown, IDispatch, IAccessible and IOleWindow";
    self->Release();
    EXPECT_EQ(object->Release(), 0u) << "every reference given back";
}

NOTIFYICONDATAA gWatchedIcon{};
int gIconAtDestroy = -1;
LRESULT CALLBACK LookForIconAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_DESTROY && sent->hwnd == gWatchedIcon.hWnd)
        gIconAtDestroy = Shell_NotifyIconA(NIM_MODIFY, &gWatchedIcon) ? 1 : 0;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A busy shell can answer an add with a failure and show the icon all the same: leaving tray mode
// must take it away whatever the add said.
TEST_F(BarOnWine, TheTrayIconGoesEvenWhenItsAddSeemedToFail) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = AppState.WindowHandle;
    icon.uID = Num::TrayIcon;
    icon.uFlags = NIF_ICON;
    icon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &icon)) << "the shell takes no icons";
    RemoveTrayIcon(); // the program itself never saw an add succeed
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &icon)) << "the icon is still there";
    // Every ending closes the bar's window (Exit, Uninstall, the end of a session in the tray).
    // Windows' shell keeps the icon of a window that is gone until the pointer passes over it
    // ("Shell_NotifyIcon": an icon is removed with NIM_DELETE); Wine drops it with the window. So
    // the icon is looked for as the window is destroyed: it must be gone by then.
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &icon));
    gWatchedIcon = icon;
    gIconAtDestroy = -1;
    HHOOK hook =
        SetWindowsHookExA(WH_CALLWNDPROC, LookForIconAtDestroy, nullptr, GetCurrentThreadId());
    CloseBarWindow();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(gIconAtDestroy, 0) << "1: the window went with its icon still there";
    Shell_NotifyIconA(NIM_DELETE, &icon);
}

// The screen going off, as Windows reports it (the monitors and the lock are seen end to end).
// Windows sends WM_POWERBROADCAST only for the settings a window registered; per "Power Setting
// GUIDs" (Microsoft Learn) the session's own display is GUID_SESSION_DISPLAY_STATUS from
// Windows 8, the monitors' power GUID_MONITOR_POWER_ON on Vista and 7, and
// GUID_CONSOLE_DISPLAY_STATE the physical console's, whoever looks at it.
TEST_F(BarOnWine, ThePollPausesWhileThisSessionsScreenIsOff) {
    constexpr GUID console = {
        0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    constexpr GUID session = {
        0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
    constexpr GUID monitors = {
        0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    const bool eightOrLater = version.dwMajorVersion * 100 + version.dwMinorVersion >= 602;
    WatchSession(AppState.WindowHandle);
    struct {
        GUID Setting;
        DWORD DataLength;
        DWORD State;
    } display = {console, sizeof(DWORD), 0};
    const auto power = [&display](const GUID& setting, DWORD state) {
        display = {setting, sizeof(DWORD), state};
        SendMessageA(AppState.WindowHandle, WM_POWERBROADCAST, Newer::PbtPowerSettingChange,
                     reinterpret_cast<LPARAM>(&display));
        return PollingPaused();
    };
    EXPECT_FALSE(power(console, 0)) << "the console's screen off, seen by a remote session";
    if (!eightOrLater) { // where the monitors' power is all there is to go by
        gRemote = true;
        EXPECT_FALSE(power(monitors, 0)) << "a Remote Desktop session is shown elsewhere";
        gRemote = false;
        EXPECT_TRUE(power(monitors, 0)) << "the positive control: the console's own session";
        EXPECT_FALSE(power(monitors, 1));
    }
    AppState.HddDetectInterval = 3600; // no timed scan comes in between
    StartMonitoring();
    EXPECT_TRUE(power(eightOrLater ? session : monitors, 0)) << "off";
    AppState.PresentDrives.assign(24, '0'); // as if the drives had changed while nothing looked
    EXPECT_FALSE(power(eightOrLater ? session : monitors, eightOrLater ? 2 : 1)) << "dimmed or on";
    EXPECT_EQ(AppState.PresentDrives.substr(0, 1), "1") << "C: not scanned again at the end";
    StopMonitoring(); // a dialog opens, the screen goes off and comes back before it closes
    EXPECT_TRUE(power(eightOrLater ? session : monitors, 0));
    AppState.PresentDrives.assign(24, '0');
    EXPECT_FALSE(power(eightOrLater ? session : monitors, 1));
    EXPECT_EQ(AppState.PresentDrives.substr(0, 1), "0") << "nothing runs while stopped";
    StartMonitoring();
    EXPECT_EQ(AppState.PresentDrives.substr(0, 1), "1") << "C: not scanned when the dialog closed";
    StopMonitoring();
    StopWatchingSession(AppState.WindowHandle);
}

} // namespace
