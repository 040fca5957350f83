#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <thread>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/monitoring.h"
#include "monitor/activity_poller.h"
#include "monitor/activity_probe.h"
#include "monitor/drive_history.h"
#include "monitor/drive_rates.h"
#include <cstdio>

#include "support/alloc_counter.h"
#include "support/native_fakes.h"

namespace {

using Shown = std::vector<std::pair<int, int>>;

class ActivityPollerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakes();
        ResetAppState();
        InitConstantState();
        ClearLedSwitches();
        std::memset(&gProbeHistory, 0, sizeof gProbeHistory);
        // Every letter answers with zero counters, so a first tick is quiet.
        for (char letter = 'C'; letter <= 'Z'; ++letter) {
            FakeVolumeFor(letter) = FakeVolume{VolumeQuery::Answered, {}};
        }
        AppState.MonitorActive = 1;
    }
    // One tick, then whatever the window's thread would apply.
    static Shown TickAndApply() {
        gFake.ShownImages.clear();
        PollActivity();
        ApplyLedSwitches();
        return gFake.ShownImages;
    }
    static void Read(char letter) { ++FakeVolumeFor(letter).Counters.ReadCount; }
    static void Write(char letter) { ++FakeVolumeFor(letter).Counters.WriteCount; }
};

TEST(LedImageNumbers, SlotPlusTwentyFourTimesTheState) {
    EXPECT_EQ(LedImageNumber(1, LedIdle), 1);
    EXPECT_EQ(LedImageNumber(1, LedWrite), 49);
    EXPECT_EQ(LedImageNumber(24, LedRead), 48);
    EXPECT_EQ(LedImageNumber(24, LedReadWrite), 96);
    EXPECT_EQ(LedImageNumber(3, 4), 0);
    EXPECT_EQ(LedImageNumber(3, ProbeOutOfRange), 0);
}

TEST_F(ActivityPollerTest, ProbesEveryLetterThroughItsVolumePath) {
    FakeVolumeFor('Z').Counters.WriteCount = 4;
    EXPECT_EQ(TickAndApply(), (Shown{{24, 24 + 48}}));
    EXPECT_EQ(gFake.QueryCalls, 24);
    EXPECT_EQ(AppState.LedStateNow[24], LedWrite);
}

TEST_F(ActivityPollerTest, EachTickShowsWhatMovedSwitchingOnlyOnAChange) {
    std::vector<Shown> seen;
    for (int tick = 0; tick < 3; ++tick) { // reading all along: one switch, then none
        Read('C');
        seen.push_back(TickAndApply());
    }
    Read('C');
    Write('C');
    seen.push_back(TickAndApply());
    Write('C');
    seen.push_back(TickAndApply());
    seen.push_back(TickAndApply());
    EXPECT_EQ(seen, (std::vector<Shown>{{{1, 25}}, {}, {}, {{1, 73}}, {{1, 49}}, {{1, 1}}}));
    EXPECT_EQ(AppState.LedStateShown[1], LedIdle);
}

TEST_F(ActivityPollerTest, StoppedMonitoringProbesNothingAndChangesNothing) {
    AppState.MonitorActive = 0;
    Read('C');
    EXPECT_TRUE(TickAndApply().empty());
    EXPECT_EQ(gFake.QueryCalls, 0);
    EXPECT_EQ(AppState.LedStateNow[1], 0);
    EXPECT_EQ(gProbeHistory.PrevReadCount[1], 0u);

    // Activity while stopped shows on the first tick after the restart.
    AppState.MonitorActive = 1;
    EXPECT_EQ(TickAndApply(), (Shown{{1, 25}}));
}

TEST_F(ActivityPollerTest, ALetterWithoutADriveNeverSwitchesAndARemovedOneGoesIdle) {
    FakeVolumeFor('Q').Outcome = VolumeQuery::NotOpened;
    Write('F');
    EXPECT_EQ(TickAndApply(), (Shown{{4, 52}}));
    FakeVolumeFor('F').Outcome = VolumeQuery::NotOpened;
    EXPECT_EQ(TickAndApply(), (Shown{{4, 4}}));
    EXPECT_TRUE(TickAndApply().empty());
    EXPECT_EQ(AppState.LedStateNow[15], LedIdle);
}

TEST_F(ActivityPollerTest, OnlyAskedLettersAreOpenedAndALetterThatJoinsStartsFromABase) {
    SetAskedSlots(0b101); // C and E: D is hidden or names no drive
    Read('D');
    Read('E');
    EXPECT_EQ(TickAndApply(), (Shown{{3, 3 + 24}}));
    EXPECT_EQ(gFake.QueryCalls, 2);
    EXPECT_EQ(AppState.LedStateNow[2], LedIdle);
    EXPECT_EQ(ReadDriveRates(2).Status, RateStatus::NoDrive); // its tooltip says "no drive"

    SetAskedSlots(0b111); // D joins with counters that moved long ago: no activity shown
    Read('D');
    EXPECT_EQ(TickAndApply(), (Shown{{3, 3}}));
    EXPECT_EQ(gFake.QueryCalls, 5);
    Read('D');
    EXPECT_EQ(TickAndApply(), (Shown{{2, 2 + 24}}));

    SetAskedSlots(0b101); // D leaves while busy: idle at once
    Read('D');
    EXPECT_EQ(TickAndApply(), (Shown{{2, 2}}));
}

// A letter that does not answer the counter query (a card reader, a driver without the query,
// every drive under Wine) or does not open is asked once: its answer would not change, and each
// open may go far. The asked letters set again (a scan, a device change) ask it once more.
TEST_F(ActivityPollerTest, ALetterThatCannotLightIsAskedOnceUntilTheLettersAreSetAgain) {
    FakeVolumeFor('D').Outcome = VolumeQuery::QueryFailed;
    FakeVolumeFor('F').Outcome = VolumeQuery::NotOpened;
    TickAndApply();
    EXPECT_EQ(gFake.QueryCalls, 24);
    for (int tick = 0; tick < 3; ++tick) TickAndApply();
    EXPECT_EQ(gFake.QueryCalls, 24 + 3 * 22) << "D and F no more";
    EXPECT_EQ(ReadDriveRates(2).Status, RateStatus::NotAvailable) << "D's tip as it was";
    EXPECT_EQ(ReadDriveRates(4).Status, RateStatus::NoDrive) << "F's tip as it was";

    FakeVolumeFor('D') = FakeVolume{VolumeQuery::Answered, {}};
    SetAskedSlots(AskedSlots()); // the next scan: the same letters, each asked again
    TickAndApply();
    Read('D');
    EXPECT_EQ(TickAndApply(), (Shown{{2, 2 + 24}})) << "D answers again and lights";
}

// A query that does not return (a driver that stopped answering), on a thread of its own as the
// program asks: once its round is given up, the next round asks every other letter and shows the
// held one "not answering"; the held thread, released, changes nothing but lets its letter be
// asked again.
std::atomic<bool> gHolding{false}, gHeld{false};
void HoldD(char letter) {
    if (letter != 'D') return;
    gHolding.store(true);
    while (gHeld.load()) std::this_thread::yield();
}

TEST_F(ActivityPollerTest, AQueryThatDoesNotReturnHoldsUpNoOtherLetter) {
    gFake.DuringQuery = HoldD;
    gHeld.store(true);
    std::thread held(PollActivity);
    while (!gHolding.load()) std::this_thread::yield();
    const int before = gFake.QueryCalls;
    EXPECT_EQ(before, 2) << "C, then D, which holds";
    ASSERT_TRUE(AbandonProbeRound());
    EXPECT_FALSE(AbandonProbeRound()) << "given up once";

    gFake.DuringQuery = nullptr;
    Read('C');
    EXPECT_EQ(TickAndApply(), (Shown{{1, 25}})) << "C lights on the next round";
    EXPECT_EQ(gFake.QueryCalls, before + 23) << "every letter but D";
    EXPECT_EQ(ReadDriveRates(2).Status, RateStatus::NotAnswering);

    const int asked = gFake.QueryCalls;
    gHeld.store(false); // D answers at last
    held.join();
    EXPECT_EQ(gFake.QueryCalls, asked) << "the given-up round asked nothing after D";
    Write('D');
    TickAndApply();
    EXPECT_EQ(AppState.LedStateNow[2], LedWrite) << "D asked again, and lights";
}

TEST_F(ActivityPollerTest, SwitchesCoalesceIntoOneRequestUntilTheWindowThreadApplies) {
    Read('C');
    Write('D');
    PollActivity();
    EXPECT_EQ(gFake.SwitchRequests, 1) << "two switches, one notification";
    Write('C');
    Read('D');
    PollActivity(); // the window's thread is stalled: no second request, the wish is replaced
    EXPECT_EQ(gFake.SwitchRequests, 1);
    ApplyLedSwitches();
    EXPECT_EQ(gFake.ShownImages, (Shown{{1, 49}, {2, 26}}));
    Read('C');
    PollActivity();
    EXPECT_EQ(gFake.SwitchRequests, 2) << "after applying, the next switch asks again";
}

TEST_F(ActivityPollerTest, SwitchesArrivingAfterAStopAreDropped) {
    Read('C');
    PollActivity();
    AppState.MonitorActive = 0; // stopped for a re-render before the window thread got to it
    ApplyLedSwitches();
    EXPECT_TRUE(gFake.ShownImages.empty());
}

// The image each control ends up with after the given switches, by control.
std::map<int, int> LastImages(const Shown& shown) {
    std::map<int, int> last;
    for (const auto& [control, image] : shown) last[control] = image;
    return last;
}

TEST_F(ActivityPollerTest, AStopWithASwitchInFlightThenAQuietStartLeavesTheLedIdle) {
    Write('C');
    EXPECT_EQ(TickAndApply(), (Shown{{1, 49}}));
    gFake.ShownImages.clear();
    PollActivity(); // C is quiet again: the switch back to idle is recorded...
    StopMonitoring();
    ApplyLedSwitches(); // ...and dropped, because a dialog runs the messages while stopped
    EXPECT_TRUE(gFake.ShownImages.empty());
    StartMonitoring();
    const auto last = LastImages(TickAndApply());
    ASSERT_EQ(last.count(1), 1u) << "the first tick after the start resends C";
    EXPECT_EQ(last.at(1), 1) << "idle";
    EXPECT_EQ(last.size(), 24u) << "every control learns its current image";
    EXPECT_TRUE(TickAndApply().empty()) << "and then only changes are sent again";
}

TEST_F(ActivityPollerTest, AfterTheControlsWereResetABusyDriveLightsAgainOnTheNextTick) {
    Write('D');
    EXPECT_EQ(TickAndApply(), (Shown{{2, 50}}));
    ResyncLedSwitches(); // a layout or a marker redraw put every control on its idle image
    Write('D');
    const auto last = LastImages(TickAndApply());
    EXPECT_EQ(last.at(2), 50) << "D still writing";
    EXPECT_EQ(last.at(1), 1);
    AppState.MonitorActive = 0;
    ResyncLedSwitches();
    EXPECT_TRUE(TickAndApply().empty()) << "a stopped tick does nothing, resync or not";
}

TEST_F(ActivityPollerTest, AnUndeliveredRequestIsAskedForAgainByTheNextSwitch) {
    gFake.RequestsDelivered = false;
    Read('C');
    PollActivity();
    gFake.RequestsDelivered = true;
    Write('C');
    PollActivity();
    EXPECT_EQ(gFake.SwitchRequests, 2);
}

TEST_F(ActivityPollerTest, ATickAllocatesNothing) {
    Read('C');
    Write('K');
    PollActivity();                  // warm up
    gFake.ShownImages.reserve(1000); // the fake's own bookkeeping stays out of the count
    size_t allocations = 0;
    {
        AllocationCounter counter;
        for (int tick = 0; tick < 20; ++tick) {
            Read('C');
            if (tick % 2) Write('K');
            PollActivity();
            ApplyLedSwitches();
        }
        allocations = counter.Count();
    }
    std::printf("heap allocations in 20 ticks: %zu\n", allocations); // a figure for bench.sh
    EXPECT_EQ(allocations, 0u);
}

// The minute the tooltip draws, kept by the tick: seconds before the drive was first asked are
// empty, each finished second joins, the largest second scales the chart until it leaves the
// minute, a counter that went backwards leaves its second empty, and a pause starts afresh.
TEST_F(ActivityPollerTest, TheTooltipsMinuteKeepsWhatTheTickSaw) {
    const auto second = [](uint32_t written) {
        for (int tick = 0; tick < 20; ++tick) {
            FakeVolumeFor('C').Counters.BytesWritten += written / 20;
            PollActivity();
        }
    };
    const auto newest = [](int back) {
        return ReadDriveMinute(1).Seconds[MinuteSeconds - 1 - back];
    };
    SetPollingPaused(true); // whatever earlier cases left: start from a new base
    SetPollingPaused(false);
    PollActivity(); // the first answer: the base
    EXPECT_EQ(MinutePeak(ReadDriveMinute(1)), 0u);
    EXPECT_FALSE(newest(0).Known);
    second(20000);
    EXPECT_TRUE(newest(0).Known);
    EXPECT_EQ(newest(0).WriteBytes, 20000u);
    EXPECT_EQ(newest(0).ReadBytes, 0u);
    EXPECT_FALSE(newest(1).Known) << "before the first answer: empty, not zero";
    second(0);
    EXPECT_EQ(MinutePeak(ReadDriveMinute(1)), 20000u) << "the largest second of the minute";
    FakeVolumeFor('C').Counters.BytesWritten = 7; // restarted under us
    second(0);
    EXPECT_FALSE(newest(0).Known) << "a counter that went backwards";
    EXPECT_TRUE(newest(1).Known);
    for (int s = 0; s < MinuteSeconds - 2; ++s) second(0);
    EXPECT_EQ(newest(MinuteSeconds - 1).WriteBytes, 0u);
    EXPECT_EQ(MinutePeak(ReadDriveMinute(1)), 0u) << "the busy second has left the minute";
    SetPollingPaused(true);
    SetPollingPaused(false);
    PollActivity();
    EXPECT_FALSE(newest(0).Known) << "after a pause the minute starts afresh";
}

// The rates and the minute against the drive's own clock, along a user's afternoon: C writes 8
// GB/s; the bar goes to the tray for a minute in which C writes a gigabyte; back, then a timer held
// up for five seconds with no notice; a step of the system clock; a drive whose idle time stands.
constexpr uint64_t kTick = 500000, kGiB = 1ull << 30; // a tick: 50 ms of the drive's clock

TEST_F(ActivityPollerTest, RatesFollowTheDrivesClockAcrossEveryStopAndGap) {
    FakeVolume& c = FakeVolumeFor('C');
    c.Counters.QueryTime = 1000 * ClockSecond;
    c.Counters.IdleTime = 1;
    const auto ticks = [&](int count, uint64_t written, uint64_t clock = kTick) {
        for (int tick = 0; tick < count; ++tick) {
            c.Counters.BytesWritten += written;
            c.Counters.WriteCount += written ? 1 : 0;
            c.Counters.QueryTime += clock;
            c.Counters.IdleTime += clock / 2;
            PollActivity();
        }
    };
    const auto newest = [](int back) {
        return ReadDriveMinute(1).Seconds[MinuteSeconds - 1 - back];
    };
    SetPollingPaused(true); // whatever earlier cases left: start from a new base
    SetPollingPaused(false);
    ticks(1, 0);
    ticks(20, 8 * kGiB / 20);
    EXPECT_EQ(ReadDriveRates(1).WriteBytes, 8 * kGiB / 20 * 20) << "beyond 32 bits";
    EXPECT_EQ(ReadDriveRates(1).Busy, 50u);
    ticks(10, 8 * kGiB / 20); // half of the next second

    StopMonitoring();
    c.Counters.BytesWritten += kGiB;
    c.Counters.WriteCount += 1000;
    c.Counters.QueryTime += 60 * ClockSecond;
    StartMonitoring();
    EXPECT_EQ(LastImages(TickAndApply()).at(1), 49) << "the LED shows the stop's writes once";
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring) << "a new base, not a gigabyte";
    EXPECT_EQ(MinutePeak(ReadDriveMinute(1)), 0u) << "the minute went by unmeasured";
    ticks(20, 52429);
    EXPECT_EQ(ReadDriveRates(1).WriteBytes, 1048580u) << "then true rates";
    EXPECT_TRUE(newest(0).Known);
    EXPECT_FALSE(newest(1).Known);

    StopMonitoring(); // a dialog, open for a second
    c.Counters.QueryTime += ClockSecond;
    StartMonitoring();
    ticks(1, 0);
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring) << "a short stop too";
    ticks(1, 0, 5 * ClockSecond); // the timer held up, no notice
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring);
    ticks(20, 0);
    EXPECT_EQ(newest(7).WriteBytes, 1048580u) << "the measured second, then six empty";
    for (int back = 1; back <= 6; ++back) EXPECT_FALSE(newest(back).Known) << back;
    EXPECT_TRUE(newest(0).Known);

    ticks(10, 0);
    ticks(1, 0, ClockSecond); // the system time set a second on inside the window
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring)
        << "half a second's bytes over a second and a half: rates unknown, as the busy share";
    ticks(20, 0);
    ticks(10, 0);
    c.Counters.QueryTime -= 3 * ClockSecond; // and set back, past the second's start
    PollActivity();
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring);
    ticks(20, 0);
    EXPECT_TRUE(newest(0).Known);
    EXPECT_TRUE(newest(1).Known) << "the minute is kept, not wiped as a new drive's";
    ticks(10, 52429);
    c.Counters.QueryTime -= 2 * kTick; // set back a tenth of a second, inside the second
    PollActivity();
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring)
        << "half a second's bytes over a time the clock no longer tells: unknown";
    EXPECT_TRUE(newest(0).Known) << "no second marked missed";
    ticks(20, 52429);
    EXPECT_EQ(ReadDriveRates(1).WriteBytes, 1048580u) << "then true rates from the step on";
    EXPECT_TRUE(newest(1).Known);

    for (int tick = 0; tick < 20; ++tick) { // the idle time stands, nothing completes
        c.Counters.QueryTime += kTick;
        PollActivity();
    }
    EXPECT_EQ(ReadDriveRates(1).Busy, BusyUnknown) << "not 100 % for ever";
}

// A locked session: no volume is asked while paused, and what the disks did meanwhile is not shown
// as activity afterwards; the next real activity lights as ever.
TEST_F(ActivityPollerTest, APauseAsksNothingAndIsNotShownAsActivityAfterwards) {
    Write('D');
    EXPECT_EQ(TickAndApply(), (Shown{{2, 2 + 48}}));
    SetPollingPaused(true);
    gFake.QueryCalls = 0;
    for (int tick = 0; tick < 5; ++tick) {
        Write('D');
        Read('C');
        EXPECT_EQ(TickAndApply(), Shown{});
    }
    EXPECT_EQ(gFake.QueryCalls, 0);
    SetPollingPaused(false);
    EXPECT_EQ(TickAndApply(), (Shown{{2, 2}})) << "the first tick takes a new base, all idle";
    EXPECT_EQ(gFake.QueryCalls, 24);
    EXPECT_EQ(ReadDriveRates(1).Status, RateStatus::Measuring) << "rates start afresh";
    Read('C');
    EXPECT_EQ(TickAndApply(), (Shown{{1, 1 + 24}}));
}

} // namespace
