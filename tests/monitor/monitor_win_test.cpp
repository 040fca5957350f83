// The monitoring layer on the real platform: volume queries, winmm timers, the drive scan.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <set>

#include "app/app_state.h"
#include "display/led_images.h"
#include "app/numbering.h"
#include "monitor/activity_probe.h"
#include "monitor/drive_scan.h"
#include "monitor/timer_service.h"
#include "support/counting_timers.h"
#include "support/win_test_window.h"

namespace {

TEST(ActivityProbeOnWine, TheVolumeOpensButRefusesThePerformanceQuery) {
    std::memset(&gProbeHistory, 0, sizeof gProbeHistory);
    DiskCounters counters{7, 7};
    // Wine does not implement IOCTL_DISK_PERFORMANCE: the open works, the query fails.
    EXPECT_EQ(QueryVolumeCounters("\\\\.\\C:", &counters), VolumeQuery::QueryFailed);
    gProbeHistory.PrevReadCount[1] = 11;
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedIdle);
    EXPECT_EQ(gProbeHistory.PrevReadCount[1], 11u) << "an unanswered query leaves the history";
    EXPECT_EQ(gProbeHistory.LastResult[1], 0);
}

TEST(ActivityProbeOnWine, MissingLettersAndBadIndexes) {
    DiskCounters counters;
    EXPECT_EQ(QueryVolumeCounters("\\\\.\\Q:", &counters), VolumeQuery::NotOpened);
    EXPECT_EQ(ActivityProbe("\\\\.\\Q:", 15), LedIdle);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 128), ProbeOutOfRange);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", -1), ProbeOutOfRange);
}

// Tick bookkeeping shared with the timer thread.
std::atomic<int> gTicksA{0};
std::atomic<int> gTicksB{0};
std::atomic<DWORD> gThreadA{0};
std::atomic<DWORD> gThreadB{0};
std::atomic<bool> gMixedThreads{false};
void NoteThread(std::atomic<DWORD>& slot) {
    const DWORD self = GetCurrentThreadId();
    DWORD seen = 0;
    if (!slot.compare_exchange_strong(seen, self) && seen != self) gMixedThreads = true;
}
void TickA() {
    NoteThread(gThreadA);
    ++gTicksA;
}
void TickB() {
    NoteThread(gThreadB);
    ++gTicksB;
}

class TimerServiceOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        gTicksA = gTicksB = 0;
        gThreadA = gThreadB = 0;
        gMixedThreads = false;
        TimerService::Open();
    }
    void TearDown() override { TimerService::Close(); }
};

TEST_F(TimerServiceOnWine, APeriodicTimerTicksUntilStoppedAndNotAfter) {
    ASSERT_NE(TimerService::Start(0, 10, TickA), 0u);
    Sleep(300);
    EXPECT_EQ(TimerService::Stop(0), 1);
    const int atStop = gTicksA.load();
    EXPECT_GE(atStop, 5) << "about 30 ticks are due in 300 ms";
    Sleep(150);
    EXPECT_EQ(gTicksA.load(), atStop) << "no tick after Stop returned";
    EXPECT_EQ(TimerService::Stop(0), 0);
}

std::atomic<bool> gInsideTick{false};
void LongTick() {
    gInsideTick = true;
    Sleep(50);
    gInsideTick = false;
}

// Also as on Windows 2000, where the timers are made without TIME_KILL_SYNCHRONOUS and the
// service waits out a tick itself (a late tick of a stopped slot: timer_service_test).
TEST_F(TimerServiceOnWine, StopWaitsForATickInProgress) {
    for (const bool windows2000 : {false, true}) {
        SCOPED_TRACE(windows2000 ? "without a synchronous kill" : "with a synchronous kill");
        RefuseSynchronousKill(windows2000);
        ASSERT_NE(TimerService::Start(0, 10, LongTick), 0u);
        for (int round = 0; round < 5; ++round) {
            while (!gInsideTick.load()) Sleep(1);
            Sleep(10); // well inside the 50 ms tick
            TimerService::Stop(0);
            EXPECT_FALSE(gInsideTick.load()) << "Stop returned while a tick was still running";
            TimerService::Start(0, 10, LongTick);
        }
        TimerService::Stop(0);
    }
    RefuseSynchronousKill(false);
}

TEST_F(TimerServiceOnWine, SlotsOutOfRangeAndRefusedPeriodsStayIdle) {
    EXPECT_EQ(TimerService::Start(16, 10, TickA), 0u);
    EXPECT_EQ(TimerService::Start(static_cast<uint32_t>(-1), 10, TickA), 0u);
    EXPECT_EQ(TimerService::Start(2, 0, TickA), 0u) << "winmm refuses a zero period";
    Sleep(100);
    EXPECT_EQ(gTicksA.load(), 0);
    EXPECT_EQ(TimerService::Stop(2), 0);
}

TEST_F(TimerServiceOnWine, RestartingASlotReplacesItsProcedure) {
    TimerService::Start(0, 10, TickA);
    Sleep(60);
    TimerService::Start(0, 10, TickB);
    const int aAtRestart = gTicksA.load();
    Sleep(150);
    EXPECT_EQ(gTicksA.load(), aAtRestart);
    EXPECT_GE(gTicksB.load(), 3);
}

TEST_F(TimerServiceOnWine, AllSlotsTickOnOneThreadThatIsNotTheCallers) {
    TimerService::Start(0, 10, TickA);
    TimerService::Start(1, 15, TickB);
    Sleep(200);
    TimerService::Stop(0);
    TimerService::Stop(1);
    ASSERT_GT(gTicksA.load(), 0);
    ASSERT_GT(gTicksB.load(), 0);
    EXPECT_FALSE(gMixedThreads.load());
    EXPECT_EQ(gThreadA.load(), gThreadB.load());
    EXPECT_NE(gThreadA.load(), GetCurrentThreadId());
}

TEST_F(TimerServiceOnWine, CloseStopsEveryLiveTimer) {
    TimerService::Start(0, 10, TickA);
    TimerService::Start(5, 10, TickB);
    Sleep(60);
    TimerService::Close();
    const int a = gTicksA.load(), b = gTicksB.load();
    Sleep(120);
    EXPECT_EQ(gTicksA.load(), a);
    EXPECT_EQ(gTicksB.load(), b);
    EXPECT_EQ(TimerService::TimerIdOf(0), 0u);
    EXPECT_EQ(TimerService::TimerIdOf(5), 0u);
}

class DriveScanOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        InitConstantState();
        AppState.IconSize = 1;
        AppState.TextRgb = {255, 255, 255};
        AppState.ReadRgb = {0, 216, 0};
        CreateTestBar();
        RenderLedImages();
    }
    void TearDown() override { DestroyTestBar(); }
};

TEST_F(DriveScanOnWine, FindsTheFixedDrivesCAndZAsTheirQuestionsAnswer) {
    ScanFixedDrives(); // on the window's thread the scan runs at once, the answers come later
    EXPECT_EQ(gTestBar.ScanMessages, 1);
    ASSERT_TRUE(PumpMessagesUntil(
        [] { return AppState.PresentDrives == "100000000000000000000001"; }, 5000))
        << AppState.PresentDrives;
    EXPECT_EQ(AppState.PresentDrivesPrev, AppState.PresentDrives);
    EXPECT_EQ(gTestBar.AnswerThread, GetCurrentThreadId());
    // Drawn: C's idle image carries the marker, D's does not.
    EXPECT_EQ(ReadPixels(ControlImage(1)).At(7, 0), Rgb(255, 255, 255));
    EXPECT_EQ(ReadPixels(ControlImage(2)).At(7, 0), Rgb(0, 0, 0));
}

TEST_F(DriveScanOnWine, ATimerScanIsHandedToTheWindowThreadWithoutQueuedEvents) {
    TimerService::Open();
    ASSERT_NE(TimerService::Start(1, 20, ScanFixedDrives), 0u);
    const bool scanned = PumpMessagesUntil([] { return gTestBar.ScanMessages >= 2; }, 5000);
    TimerService::Close();
    PumpMessagesFor(100); // the last answers
    EXPECT_TRUE(scanned);
    EXPECT_EQ(gTestBar.AnswerThread, GetCurrentThreadId());
    EXPECT_EQ(gTestBar.QueuedMonitorMessages, 0);
    EXPECT_EQ(AppState.PresentDrives, "100000000000000000000001");
}

} // namespace
