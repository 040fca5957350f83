#include <gtest/gtest.h>

#include "monitor/drive_rates.h"

namespace {

ProbeReading Answered(uint32_t reads, uint32_t writes, uint64_t bytesRead, uint64_t bytesWritten) {
    return ProbeReading{VolumeQuery::Answered,
                        DiskCounters{reads, writes, bytesRead, bytesWritten}};
}

// Runs `ticks` ticks of 50 ms (windows of 20) in which each tick adds the given amounts, and
// returns the rates published last.
struct SamplerRun {
    RateSampler Sampler;
    DiskCounters Now;
    DriveRates Last;
    int Published = 0;
    void Ticks(int ticks, uint32_t reads, uint32_t writes, uint64_t bytesRead, uint64_t written) {
        for (int i = 0; i < ticks; ++i) {
            Now.ReadCount += reads;
            Now.WriteCount += writes;
            Now.BytesRead += bytesRead;
            Now.BytesWritten += written;
            Tick(ProbeReading{VolumeQuery::Answered, Now});
        }
    }
    void Tick(const ProbeReading& reading) {
        DriveRates rates;
        if (SampleRates(Sampler, reading, 20, 50, &rates)) {
            Last = rates;
            ++Published;
        }
    }
};

TEST(DriveRates, AveragedOverOneSecondAndPublishedOncePerSecond) {
    SamplerRun run;
    run.Ticks(1, 0, 0, 0, 0);
    EXPECT_EQ(run.Last.Status, RateStatus::Measuring) << "the first answer only starts the clock";
    run.Ticks(19, 1, 2, 4096, 52429);
    EXPECT_EQ(run.Published, 1) << "nothing new until the second is over";
    run.Ticks(1, 1, 2, 4096, 52429);
    EXPECT_EQ(run.Published, 2);
    EXPECT_EQ(run.Last, (DriveRates{RateStatus::Known, 81920, 1048580, 20, 40}));
    run.Ticks(20, 0, 0, 0, 0);
    EXPECT_EQ(run.Last, (DriveRates{RateStatus::Known, 0, 0, 0, 0})) << "a quiet second is 0";
    EXPECT_EQ(run.Published, 3);
}

TEST(DriveRates, WrapVanishAndReturnNeverGiveAbsurdFigures) {
    SamplerRun run;
    run.Now = DiskCounters{UINT32_MAX - 5, UINT32_MAX, 0, 0};
    run.Ticks(1, 0, 0, 0, 0);
    run.Ticks(20, 1, 1, 512, 512); // the operation counts wrap through zero
    EXPECT_EQ(run.Last, (DriveRates{RateStatus::Known, 10240, 10240, 20, 20}));

    run.Tick(ProbeReading{VolumeQuery::NotOpened, {}});
    EXPECT_EQ(run.Last.Status, RateStatus::NoDrive) << "a vanished volume";
    run.Tick(ProbeReading{VolumeQuery::NotOpened, {}});
    EXPECT_EQ(run.Published, 3) << "told once";
    run.Now = DiskCounters{}; // back, with its counters restarted
    run.Ticks(1, 0, 0, 0, 0);
    EXPECT_EQ(run.Last.Status, RateStatus::Measuring);
    run.Ticks(20, 3, 0, 1024, 0);
    EXPECT_EQ(run.Last, (DriveRates{RateStatus::Known, 20480, 0, 60, 0}));

    // Counters that go backwards within a second (restarted under us) give 0, not 2^64 - x.
    run.Now.BytesRead = 5;
    run.Now.ReadCount = 1;
    run.Ticks(20, 0, 0, 0, 0);
    EXPECT_EQ(run.Last, (DriveRates{RateStatus::Known, 0, 0, 0, 0, BusyUnknown, false}))
        << "zeros, marked as no measurement";

    SamplerRun refused;
    refused.Tick(ProbeReading{VolumeQuery::QueryFailed, {}});
    EXPECT_EQ(refused.Last.Status, RateStatus::NotAvailable);
    EXPECT_EQ(refused.Published, 1);
    EXPECT_EQ(Answered(1, 2, 3, 4).Counters.BytesWritten, 4u);
}

// The share of a second with work in flight, from the idle time and the query's own clock (100 ns
// units): what task managers show as "active time". Unknown where it cannot be trusted.
TEST(DriveRates, BusyIsTheShareOfTheSecondNotIdle) {
    const struct {
        uint64_t IdleBefore, IdleAfter, ClockBefore, ClockAfter;
        uint32_t Reads, Queue;
        uint32_t Busy;
    } rows[] = {
        {1000, 1000 + 6300000, 5000, 5000 + 10000000, 1, 0, 37}, // 0.63 s idle in 1 s
        {1000, 1000, 5000, 5000 + 10000000, 1, 0, 100},          // never idle, working
        {1000, 1000, 5000, 5000 + 10000000, 0, 1, 100},          // a request that stalls
        {1000, 1000, 5000, 5000 + 10000000, 0, 0, BusyUnknown},  // an idle time that never moves
        {1000, 1000 + 12000000, 5000, 5000 + 10000000, 0, 0, 0}, // idle beyond the clock
        {0, 0, 5000, 5000 + 10000000, 1, 0, BusyUnknown},        // no idle time reported
        {9000, 1000, 5000, 5000 + 10000000, 1, 0, BusyUnknown},  // idle time went backwards
    };
    for (const auto& row : rows) {
        RateSampler sampler;
        DriveRates rates;
        DiskCounters now;
        now.IdleTime = row.IdleBefore;
        now.QueryTime = row.ClockBefore;
        SampleRates(sampler, ProbeReading{VolumeQuery::Answered, now}, 1, 1000, &rates);
        now.IdleTime = row.IdleAfter;
        now.QueryTime = row.ClockAfter;
        now.ReadCount = row.Reads;
        now.QueueDepth = row.Queue;
        ASSERT_TRUE(
            SampleRates(sampler, ProbeReading{VolumeQuery::Answered, now}, 1, 1000, &rates));
        EXPECT_EQ(rates.Busy, row.Busy)
            << row.IdleAfter << " " << row.ClockAfter << " " << row.Reads << " " << row.Queue;
    }
}

// How long an operation took and how many waited, from the summed response times (100 ns units)
// over one second of the drive's clock; unknown rather than made up.
TEST(DriveRates, ResponseTimesAndQueueComeFromTheSummedTimes) {
    constexpr uint32_t U = FigureUnknown;
    const struct {
        uint64_t ReadTimeBefore, ReadTimeAfter, WriteTime;
        uint32_t Reads, Writes;
        uint64_t Clock;
        uint32_t Read, Write, Queue;
    } rows[] = {
        {7, 7 + 5000000, 24000000, 20, 20, 10000000, 250000, 1200000, 29}, // a slow disk
        {7, 7, 1000000, 0, 10, 10000000, U, 100000, 1},                    // no read completed
        {7, 7 + 25000000, 0, 1, 0, 10000000, 25000000, U, 25},             // one that hung
        {0, 0, 0, 5, 5, 10000000, U, U, U},                                // no times reported
        {9000000, 1000000, 0, 5, 0, 10000000, U, U, U},                    // read time restarted
        {7, 7 + 500000, 0, 1, 0, 0, 500000, U, U},                         // no clock: no queue
    };
    for (const auto& row : rows) {
        RateSampler sampler;
        DriveRates rates;
        DiskCounters now;
        now.ReadTime = row.ReadTimeBefore;
        now.WriteTime = row.WriteTime ? 3 : 0;
        now.QueryTime = row.Clock ? 5000 : 0;
        SampleRates(sampler, ProbeReading{VolumeQuery::Answered, now}, 1, 1000, &rates);
        now.ReadTime = row.ReadTimeAfter;
        now.WriteTime += row.WriteTime;
        now.ReadCount = row.Reads;
        now.WriteCount = row.Writes;
        now.QueryTime += row.Clock;
        ASSERT_TRUE(
            SampleRates(sampler, ProbeReading{VolumeQuery::Answered, now}, 1, 1000, &rates));
        EXPECT_EQ(rates.ReadResponse, row.Read) << row.ReadTimeAfter << " " << row.Reads;
        EXPECT_EQ(rates.WriteResponse, row.Write) << row.WriteTime << " " << row.Writes;
        EXPECT_EQ(rates.QueueTenths, row.Queue) << row.ReadTimeAfter << " " << row.WriteTime;
    }
}

TEST(DriveRates, PublishedRatesReadBackWhole) {
    DriveRates rates{RateStatus::Known, 1, 9ull << 32 | 2, 3, 4, 37};
    rates.ReadResponse = 5;
    rates.WriteResponse = 6;
    rates.QueueTenths = 7;
    PublishDriveRates(7, rates);
    EXPECT_EQ(ReadDriveRates(7), rates);
    EXPECT_EQ(ReadDriveRates(0), DriveRates{}) << "no slot 0";
    PublishDriveRates(25, rates); // ignored
    EXPECT_EQ(ReadDriveRates(25), DriveRates{});
}

} // namespace
