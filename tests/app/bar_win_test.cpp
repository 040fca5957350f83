// The bar's window layer on the real platform: layout, opacity styles, the menu's check marks and
// the event layer's own window procedure.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/app_state.h"
#include "app/event_layer.h"
#include "app/popup_menu.h"
#include "app/startup_win.h"
#include "dialogs/transparency.h"
#include "display/bar_layout_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"
#include "settings/settings_store.h"

namespace {

LONG ExStyle() {
    return GetWindowLongA(AppState.WindowHandle, GWL_EXSTYLE);
}

class BarOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
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
        AppState.WindowHandle = CreateBarWindow(GetModuleHandleA(nullptr));
        BuildPopupMenu();
        RenderLedImages();
        LayoutBar();
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
    EXPECT_EQ(r.right - r.left, 431);
    EXPECT_EQ(r.bottom - r.top, 18);
    EXPECT_TRUE(IsWindowVisible(AppState.WindowHandle));
    EXPECT_EQ(ExStyle() & (WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW),
              WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    BYTE alpha = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(AppState.WindowHandle, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 255) << "layered even when opaque";
}

TEST_F(BarOnWine, EveryLayoutMakesTheBarTopmostAgain) {
    CreateMinimizeButton(); // with its tooltip, a topmost window of its own
    SetWindowPos(AppState.WindowHandle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_FALSE(ExStyle() & WS_EX_TOPMOST);
    LayoutBar();
    EXPECT_TRUE(ExStyle() & WS_EX_TOPMOST);
}

TEST_F(BarOnWine, ApplyTransparencyKeepsOnlyTheLayeredAndToolWindowStyles) {
    SetWindowLongA(AppState.WindowHandle, GWL_EXSTYLE, ExStyle() | WS_EX_CLIENTEDGE | WS_EX_APPWINDOW);
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
    for (int item = 1; item <= 19; ++item) EXPECT_EQ(IsMenuItemChecked(item), want[item - 1] == 1) << item;
    SetMenuItemChecked(MenuExit, true);
    EXPECT_TRUE(IsMenuItemChecked(MenuExit));
    SetMenuItemChecked(MenuExit, false);
    EXPECT_FALSE(IsMenuItemChecked(MenuExit));
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

} // namespace
