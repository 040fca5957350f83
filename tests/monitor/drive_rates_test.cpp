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

TEST(DriveRates, PublishedRatesReadBackWhole) {
    const DriveRates rates{RateStatus::Known, 1, 9ull << 32 | 2, 3, 4, 37};
    PublishDriveRates(7, rates);
    EXPECT_EQ(ReadDriveRates(7), rates);
    EXPECT_EQ(ReadDriveRates(0), DriveRates{}) << "no slot 0";
    PublishDriveRates(25, rates); // ignored
    EXPECT_EQ(ReadDriveRates(25), DriveRates{});
}

TEST(DriveTips, UnitsAndTexts) {
    EXPECT_EQ(FormatByteRate(0), "0 B/s");
    EXPECT_EQ(FormatByteRate(1023), "1023 B/s");
    EXPECT_EQ(FormatByteRate(1536), "1.5 KB/s");
    EXPECT_EQ(FormatByteRate(1048580), "1.0 MB/s");
    EXPECT_EQ(FormatByteRate(1075), "1.0 KB/s") << "1.0498 down";
    EXPECT_EQ(FormatByteRate(1076), "1.1 KB/s") << "1.0508: a half and more rounds up";
    EXPECT_EQ(FormatByteRate(1048575), "1.0 MB/s") << "not 1024.0 KB/s";
    EXPECT_EQ(FormatByteRate(1073689396), "1.0 GB/s") << "1023.95 MB/s";
    EXPECT_EQ(FormatByteRate(UINT32_MAX), "4.0 GB/s");
    EXPECT_EQ(FormatByteRate(7623566950ull, ","), "7,1 GB/s") << "the user's separator";
    EXPECT_EQ(FormatByteRate(UINT64_MAX), "17179869184.0 GB/s");

    const VolumeFacts system{3, "System", "NTFS"};
    EXPECT_EQ(FormatDriveTip('C', system, DriveRates{RateStatus::Known, 0, 1048580, 0, 40}),
              "C: System (NTFS)\nfixed drive\nRead: 0 B/s, 0 ops/s\nWrite: 1.0 MB/s, 40 ops/s");
    EXPECT_EQ(
        FormatDriveTip('C', system, DriveRates{RateStatus::Known, 0, 1048580, 0, 40, 37}, 1048580),
        "C: System (NTFS)\nfixed drive\nRead: 0 B/s, 0 ops/s\nWrite: 1.0 MB/s, 40 ops/s\n"
        "Busy 37 %\npeak 1.0 MB/s");
    EXPECT_EQ(FormatDriveTip('Q', VolumeFacts{1, "", ""}, DriveRates{}, 4096), "Q: no drive");
    EXPECT_EQ(FormatDriveTip('Q', VolumeFacts{1, "", ""}, DriveRates{RateStatus::Known}),
              "Q: no drive");
    EXPECT_EQ(FormatDriveTip('N', VolumeFacts{0, "", ""}, DriveRates{RateStatus::NotAvailable}),
              "N:\nunknown drive\nactivity not available");
    EXPECT_EQ(FormatDriveTip('Z', VolumeFacts{3, "", "ext4"}, DriveRates{RateStatus::NotAvailable}),
              "Z: (ext4)\nfixed drive\nactivity not available");
    EXPECT_EQ(FormatDriveTip('E', VolumeFacts{5, "", ""}, DriveRates{RateStatus::NoDrive}),
              "E:\noptical drive\nactivity not available")
        << "an optical drive without media";
    EXPECT_EQ(FormatDriveTip('R', VolumeFacts{6, "Temp", "FAT"}, DriveRates{RateStatus::Measuring}),
              "R: Temp (FAT)\nRAM disk\nmeasuring...");
    EXPECT_EQ(FormatDriveTip('R', VolumeFacts{6, "", ""},
                             DriveRates{RateStatus::Known, 1536, 8ull << 30, 1, 20}, 8ull << 30,
                             ","),
              "R:\nRAM disk\nRead: 1,5 KB/s, 1 ops/s\nWrite: 8,0 GB/s, 20 ops/s\npeak 8,0 GB/s");
}

} // namespace
