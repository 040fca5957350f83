#include <gtest/gtest.h>

#include <cstring>

#include "app/numbering.h"
#include "monitor/activity_probe.h"
#include "support/native_fakes.h"

namespace {

class ActivityProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakes();
        std::memset(&gProbeHistory, 0, sizeof gProbeHistory);
    }
    static void Counts(char letter, uint32_t reads, uint32_t writes) {
        FakeVolumeFor(letter) = FakeVolume{VolumeQuery::Answered, DiskCounters{reads, writes}};
    }
};

TEST_F(ActivityProbeTest, IndexOutsideTheTablesAnswers255WithoutOpeningAnything) {
    Counts('C', 5, 5);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 128), ProbeOutOfRange);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", -1), ProbeOutOfRange);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", INT32_MIN), ProbeOutOfRange);
    EXPECT_EQ(gFake.QueryCalls, 0);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 127), LedReadWrite); // the last index is a real one
    EXPECT_EQ(gProbeHistory.PrevReadCount[127], 5u);
}

TEST_F(ActivityProbeTest, FirstSampleReportsEveryNonZeroCounter) {
    Counts('C', 10, 20);
    Counts('D', 10, 0);
    Counts('E', 0, 0);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedReadWrite);
    EXPECT_EQ(ActivityProbe("\\\\.\\D:", 2), LedRead);
    EXPECT_EQ(ActivityProbe("\\\\.\\E:", 3), LedIdle);
}

TEST_F(ActivityProbeTest, ReportsWhichCountersMovedSinceTheLastLook) {
    Counts('C', 10, 20);
    ActivityProbe("\\\\.\\C:", 1);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedIdle) << "no traffic";
    Counts('C', 10, 21);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedWrite);
    Counts('C', 11, 21);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedRead);
    Counts('C', 15, 30);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedReadWrite);
    EXPECT_EQ(gProbeHistory.LastResult[1], LedReadWrite);
    EXPECT_EQ(gProbeHistory.PrevWriteCount[1], 30u);
}

TEST_F(ActivityProbeTest, AWrappedOrRestartedCounterCountsAsMovedOnce) {
    Counts('C', 0xFFFFFFFFu, 7);
    ActivityProbe("\\\\.\\C:", 1);
    Counts('C', 0, 7);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedRead);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedIdle);
    Counts('C', 0, 3); // re-enumerated volume starting low
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedWrite);
}

TEST_F(ActivityProbeTest, AVolumeThatCannotBeOpenedOrQueriedLeavesTheHistoryAlone) {
    Counts('G', 100, 200);
    ActivityProbe("\\\\.\\G:", 5);
    const ProbeHistory before = gProbeHistory;

    FakeVolumeFor('G').Outcome = VolumeQuery::NotOpened; // drive removed
    FakeVolumeFor('G').Counters = DiskCounters{1, 1};
    EXPECT_EQ(ActivityProbe("\\\\.\\G:", 5), LedIdle);
    FakeVolumeFor('G').Outcome = VolumeQuery::QueryFailed; // opened, but the record is garbage
    EXPECT_EQ(ActivityProbe("\\\\.\\G:", 5), LedIdle);
    EXPECT_EQ(std::memcmp(&before, &gProbeHistory, sizeof before), 0);

    // Back again: compared with the counts from before it vanished.
    Counts('G', 130, 200);
    EXPECT_EQ(ActivityProbe("\\\\.\\G:", 5), LedRead);
    EXPECT_EQ(ActivityProbe("\\\\.\\G:", 5), LedIdle);
}

TEST_F(ActivityProbeTest, EachIndexKeepsItsOwnHistory) {
    Counts('C', 1, 1);
    ActivityProbe("\\\\.\\C:", 1);
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 2), LedReadWrite) << "a fresh index has seen nothing yet";
    EXPECT_EQ(ActivityProbe("\\\\.\\C:", 1), LedIdle);
}

TEST(DiskPerformanceRecord, CountersAreReadLittleEndianAtTheirOffsets) {
    unsigned char record[DiskPerformanceSize];
    std::memset(record, 0xAA, sizeof record);
    const unsigned char reads[4] = {0x78, 0x56, 0x34, 0x12};
    const unsigned char writes[4] = {0x01, 0x00, 0x00, 0x80};
    std::memcpy(record + 40, reads, 4);
    std::memcpy(record + 44, writes, 4);
    const unsigned char bytesRead[8] = {1, 2, 3, 4, 5, 6, 7, 0x88};
    const unsigned char bytesWritten[8] = {0xFF, 0, 0, 0, 1, 0, 0, 0};
    std::memcpy(record + 0, bytesRead, 8);
    std::memcpy(record + 8, bytesWritten, 8);
    const unsigned char idle[8] = {0x10, 0, 0, 0, 0, 0, 0, 0x01};
    const unsigned char clock[8] = {0x20, 0, 0, 0, 0, 0, 0, 0x02};
    std::memcpy(record + 32, idle, 8);
    std::memcpy(record + 56, clock, 8);
    const unsigned char queue[4] = {3, 0, 0, 0};
    std::memcpy(record + 48, queue, 4);
    const unsigned char readTime[8] = {0x30, 0, 0, 0, 0, 0, 0, 0x03};
    const unsigned char writeTime[8] = {0x40, 0, 0, 0, 0, 0, 0, 0x04};
    std::memcpy(record + 16, readTime, 8);
    std::memcpy(record + 24, writeTime, 8);
    const DiskCounters counters = CountersFromDiskPerformance(record);
    EXPECT_EQ(counters.ReadTime, 0x0300000000000030u);
    EXPECT_EQ(counters.WriteTime, 0x0400000000000040u);
    EXPECT_EQ(counters.IdleTime, 0x0100000000000010u);
    EXPECT_EQ(counters.QueryTime, 0x0200000000000020u);
    EXPECT_EQ(counters.ReadCount, 0x12345678u);
    EXPECT_EQ(counters.WriteCount, 0x80000001u);
    EXPECT_EQ(counters.BytesRead, 0x8807060504030201u);
    EXPECT_EQ(counters.BytesWritten, 0x1000000FFu);
    EXPECT_EQ(counters.QueueDepth, 3u);
}

} // namespace
