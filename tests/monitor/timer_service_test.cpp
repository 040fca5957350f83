#include <gtest/gtest.h>

#include "monitor/timer_service.h"
#include "support/native_fakes.h"

namespace {

int gCallsA = 0;
int gCallsB = 0;
void ProcA() {
    ++gCallsA;
}
void ProcB() {
    ++gCallsB;
}

class TimerServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakes();
        gFake.PeriodMin = 1;
        TimerService::Open();
        gFake.TimerLog.clear();
        gCallsA = gCallsB = 0;
    }
    void TearDown() override { TimerService::Close(); }
};

// A raised resolution costs the whole machine: one raise, one restore of exactly that period.
TEST_F(TimerServiceTest, TheResolutionIsRaisedOnceToTheDevicesMinimumAndRestoredOnce) {
    ResetFakes();
    gFake.PeriodMin = 3;
    TimerService::Open();
    EXPECT_TRUE(gFake.TimerLog.empty()) << "nothing raised until asked";
    TimerService::RaiseResolution();
    TimerService::RaiseResolution();
    TimerService::RestoreResolution();
    TimerService::RestoreResolution();
    TimerService::RaiseResolution();
    TimerService::Close();
    TimerService::Close();
    const std::vector<std::string> expected = {"begin 3", "end 3", "begin 3", "end 3"};
    EXPECT_EQ(gFake.TimerLog, expected);
}

TEST_F(TimerServiceTest, SlotsOutsideZeroToFifteenAreRefusedAndChangeNothing) {
    EXPECT_EQ(TimerService::Start(16, 50, ProcA), 0u);
    EXPECT_EQ(TimerService::Start(static_cast<uint32_t>(-1), 50, ProcA), 0u);
    EXPECT_EQ(TimerService::Stop(16), 0);
    EXPECT_TRUE(gFake.TimerLog.empty());
    TimerService::Tick(16); // a stray tick does nothing either
    EXPECT_NE(TimerService::Start(15, 50, ProcA), 0u);
}

TEST_F(TimerServiceTest, StartingABusySlotKillsTheOldTimerBeforeTheNewOneIsMade) {
    const uint32_t first = TimerService::Start(0, 50, ProcA);
    const uint32_t second = TimerService::Start(0, 70, ProcB);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    const std::vector<std::string> expected = {"set 50 slot 0 -> " + std::to_string(first),
                                               "kill " + std::to_string(first),
                                               "set 70 slot 0 -> " + std::to_string(second)};
    EXPECT_EQ(gFake.TimerLog, expected);
    TimerService::Tick(0);
    EXPECT_EQ(gCallsA, 0);
    EXPECT_EQ(gCallsB, 1) << "the tick calls the procedure stored now";
}

TEST_F(TimerServiceTest, StopAnswersOneForALiveTimerThenZero) {
    EXPECT_EQ(TimerService::Stop(3), 0);
    const uint32_t id = TimerService::Start(3, 50, ProcA);
    EXPECT_EQ(TimerService::Stop(3), 1);
    EXPECT_EQ(gFake.TimerLog.back(), "kill " + std::to_string(id));
    EXPECT_EQ(TimerService::Stop(3), 0);
    EXPECT_EQ(TimerService::TimerIdOf(3), 0u);
    // A tick that Windows had under way as the kill returned (2000 cannot kill synchronously).
    TimerService::Tick(3);
    EXPECT_EQ(gCallsA, 0) << "a stopped slot's late tick ran its procedure";
}

TEST_F(TimerServiceTest, ARefusedPeriodLeavesTheSlotIdle) {
    EXPECT_EQ(TimerService::Start(1, 0, ProcA), 0u);
    EXPECT_EQ(TimerService::Start(1, gFake.PeriodMax + 1, ProcA), 0u);
    EXPECT_EQ(TimerService::TimerIdOf(1), 0u);
    EXPECT_EQ(TimerService::Stop(1), 0) << "nothing is live to stop";
}

TEST_F(TimerServiceTest, CloseRestoresTheResolutionFirstThenKillsEveryLiveTimer) {
    TimerService::RaiseResolution();
    const uint32_t a = TimerService::Start(0, 50, ProcA);
    const uint32_t b = TimerService::Start(1, 10000, ProcB);
    gFake.TimerLog.clear();
    TimerService::Close();
    const std::vector<std::string> expected = {"end 1", "kill " + std::to_string(a),
                                               "kill " + std::to_string(b)};
    EXPECT_EQ(gFake.TimerLog, expected);
    EXPECT_EQ(TimerService::TimerIdOf(0), 0u);
    EXPECT_EQ(TimerService::TimerIdOf(1), 0u);
}

} // namespace
