// The poller on real timers and a real window, with scripted disk counters: switches reach the
// LED controls on the window's thread, and stopping never waits on the window.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/app_state.h"
#include "app/monitoring.h"
#include "display/bar_layout_win.h"
#include "display/drive_tip_text_win.h"
#include "display/drive_tips_win.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"
#include "monitor/timer_service.h"
#include "support/scripted_volumes.h"
#include "support/win_test_window.h"

namespace {

class PollerOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        for (auto& traffic : gScriptedTraffic) traffic = 0;
        ResetAppState();
        InitConstantState();
        AppState.IconSize = 1;
        AppState.HddDetectInterval = 10;
        AppState.ReadRgb = {0, 216, 0};
        AppState.WriteRgb = {255, 38, 38};
        AppState.TextRgb = {255, 255, 255};
        ClearLedSwitches();
        CreateTestBar();
        RenderLedImages();
        TimerService::Open();
    }
    void TearDown() override {
        TimerService::Close();
        DestroyTestBar();
    }
};

TEST_F(PollerOnWine, ActivityLightsTheLedAndQuietTurnsItBack) {
    StartMonitoring();
    PumpMessagesFor(200); // first samples settle
    gScriptedTraffic['C' - 'A'] = 1;
    gScriptedTraffic['E' - 'A'] = 3;
    PumpMessagesFor(500);
    EXPECT_EQ(ControlImage(1), ImageBitmap(25)) << "C reading";
    EXPECT_EQ(ControlImage(3), ImageBitmap(75)) << "E reading and writing";
    EXPECT_EQ(ControlImage(2), ImageBitmap(2)) << "D quiet";
    gScriptedTraffic['C' - 'A'] = 2;
    gScriptedTraffic['E' - 'A'] = 0;
    PumpMessagesFor(500);
    EXPECT_EQ(ControlImage(1), ImageBitmap(49));
    EXPECT_EQ(ControlImage(3), ImageBitmap(3));
    StopMonitoring();
    EXPECT_EQ(gTestBar.QueuedMonitorMessages, 0) << "switches never surface as queued events";
}

TEST_F(PollerOnWine, ABusyDriveLightsAgainWithinATickAfterTheControlsWereReset) {
    gScriptedTraffic['D' - 'A'] = 2;
    StartMonitoring();
    PumpMessagesFor(200);
    ASSERT_EQ(ControlImage(2), ImageBitmap(50));
    DrawPresenceMarkers(); // every control back on its idle image, with the timers running
    EXPECT_EQ(ControlImage(2), ImageBitmap(2));
    PumpMessagesFor(120);
    EXPECT_EQ(ControlImage(2), ImageBitmap(50)) << "D is still writing";
    AppState.Drives = "111111111111111111111111";
    AppState.Transparency = 255;
    LayoutBar(); // the same for a layout, as "Show Minimize Button" runs it
    EXPECT_EQ(ControlImage(2), ImageBitmap(2));
    PumpMessagesFor(120);
    EXPECT_EQ(ControlImage(2), ImageBitmap(50)) << "D is still writing after the layout";

    // A stop while the switch back to idle is on its way, then a quiet start.
    gScriptedTraffic['D' - 'A'] = 0;
    Sleep(120); // the tick records idle; this thread does not pump, so nothing is applied yet
    StopMonitoring();
    PumpMessagesFor(50); // as a dialog would: the late switch arrives while stopped
    StartMonitoring();
    PumpMessagesFor(150);
    StopMonitoring();
    EXPECT_EQ(ControlImage(2), ImageBitmap(2)) << "D quiet";
}

TEST_F(PollerOnWine, TheTooltipOfADriveWritingOneMegabyteASecondAndOfAMissingOne) {
    gScriptedTraffic['C' - 'A'] = 2;
    gScriptedTraffic['Q' - 'A'] = -1;
    StartMonitoring();
    PumpMessagesFor(1300); // one whole second after the first answer
    StopMonitoring();
    // The first call asks and answers with what is known; the drives' answers come in the pump.
    std::string c = DriveTipText(1), q = DriveTipText(15);
    EXPECT_TRUE(PumpMessagesUntil(
        [&] { return (c = DriveTipText(1)).find("\nfixed drive\n") != std::string::npos; }, 5000))
        << c;
    EXPECT_EQ(c.rfind("C:", 0), 0u) << c;
    EXPECT_NE(c.find("Write: 1.0 MB/s, 20 ops/s"), std::string::npos) << c;
    EXPECT_NE(c.find("Read: 0 B/s, 0 ops/s"), std::string::npos) << c;
    EXPECT_TRUE(PumpMessagesUntil([&] { return (q = DriveTipText(15)) == "Q: no drive"; }, 5000))
        << q;
}

TEST_F(PollerOnWine, StoppingNeverWaitsForAWindowThreadThatIsNotPumping) {
    for (auto& traffic : gScriptedTraffic) traffic = 3; // every slot switches on every tick...
    for (int round = 0; round < 40; ++round) {
        StartMonitoring();
        Sleep(static_cast<DWORD>(round % 7) * 9); // ...while this thread does not pump at all
        StopMonitoring();                         // would hang if a tick waited for us
    }
    SUCCEED() << "40 stops while ticks were running returned";
    PumpMessagesFor(100);
    EXPECT_EQ(gTestBar.QueuedMonitorMessages, 0);
}

TEST_F(PollerOnWine, SwitchesPendingAcrossARenderNeverShowAReleasedBitmap) {
    for (auto& traffic : gScriptedTraffic) traffic = 1;
    StartMonitoring();
    Sleep(120); // ticks record switches; this thread has not applied them
    StopMonitoring();
    AppState.IconSize = 2;
    RenderLedImages(); // replaces every bitmap
    StartMonitoring();
    PumpMessagesFor(200);
    StopMonitoring();
    for (int control = 1; control <= 24; ++control) {
        const HBITMAP shown = ControlImage(control);
        EXPECT_TRUE(shown == ImageBitmap(control) || shown == ImageBitmap(control + 24)) << control;
        EXPECT_EQ(ReadPixels(shown).Width, 24) << control;
    }
}

} // namespace
