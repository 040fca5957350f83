#include <gtest/gtest.h>

#include "display/drive_tip_text.h"

namespace {

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

    // Sizes as Explorer writes them: three figures, cut, never "1000" of a unit.
    const struct {
        uint64_t Bytes;
        const char* Text;
    } sizes[] = {{999, "999 bytes"},
                 {1000, "0.97 KB"},
                 {1536, "1.50 KB"},
                 {1024 * 1024 - 1, "0.99 MB"},
                 {13207024435ull, "12.2 GB"},
                 {476ull << 30, "476 GB"},
                 {(1000ull << 30) - 1, "999 GB"},
                 {2000ull << 30, "1.95 TB"},
                 {10ull << 30 | 10ull << 20, "10.0 GB"},
                 {UINT64_MAX, "15.9 EB"}};
    for (const auto& s : sizes) EXPECT_EQ(FormatSize(s.Bytes), s.Text) << s.Bytes;
    EXPECT_EQ(FormatSize(1288490188, ","), "1,19 GB");

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
    EXPECT_EQ(FormatDriveTip('S', VolumeFacts{4, "share", "NTFS"}, DriveRates{}),
              "S: share (NTFS)\nnetwork drive\nactivity is not measured for network drives");
    EXPECT_EQ(FormatDriveTip('R', VolumeFacts{6, "Temp", "FAT"}, DriveRates{RateStatus::Measuring}),
              "R: Temp (FAT)\nRAM disk\nmeasuring...");
    VolumeFacts roomy = system;
    roomy.SpaceKnown = true, roomy.FreeBytes = 13207024435ull, roomy.TotalBytes = 476ull << 30;
    EXPECT_EQ(FormatDriveTip('C', roomy, DriveRates{RateStatus::Measuring}, 0, ","),
              "C: System (NTFS)\nfixed drive\nmeasuring...\n12,2 GB free of 476 GB")
        << "the room below the figures";
    // What a screen reader hears: the name without the file system, the kind, the figures.
    const std::string tip =
        FormatDriveTip('C', roomy, DriveRates{RateStatus::Known, 0, 1048580, 0, 40, 37});
    EXPECT_EQ(TipPart(tip, TipName), "C: System");
    EXPECT_EQ(TipPart(tip, TipKind), "fixed drive");
    EXPECT_EQ(TipPart(tip, TipFigures),
              "Read: 0 B/s, 0 ops/s; Write: 1.0 MB/s, 40 ops/s; Busy 37 %; 12.2 GB free of 476 GB");
    EXPECT_EQ(TipPart("C: Data (old) (NTFS)\nfixed drive", TipName), "C: Data (old)");
    EXPECT_EQ(TipPart("Q: no drive", TipName), "Q: no drive");
    EXPECT_EQ(TipPart("Q: no drive", TipKind) + TipPart("Q: no drive", TipFigures), "");
    EXPECT_EQ(FormatDriveTip('R', VolumeFacts{6, "", ""},
                             DriveRates{RateStatus::Known, 1536, 8ull << 30, 1, 20}, 8ull << 30,
                             ","),
              "R:\nRAM disk\nRead: 1,5 KB/s, 1 ops/s\nWrite: 8,0 GB/s, 20 ops/s\npeak 8,0 GB/s");
}

TEST(DriveTips, ResponseTimesAndQueue) {
    const struct {
        uint32_t Units;
        const char* Text;
    } rows[] = {
        {0, "< 0,1 ms"},  {499, "< 0,1 ms"},   {500, "0,1 ms"},    {99499, "9,9 ms"},
        {99500, "10 ms"}, {9994999, "999 ms"}, {9995000, "1,0 s"}, {25000000, "2,5 s"},
    };
    for (const auto& row : rows) EXPECT_EQ(FormatResponseTime(row.Units, ","), row.Text);

    DriveRates slow{RateStatus::Known, 81920, 1048580, 20, 20, 100};
    slow.ReadResponse = 250000;
    slow.WriteResponse = 1200000;
    slow.QueueTenths = 29;
    EXPECT_EQ(FormatDriveTip('D', VolumeFacts{3, "", ""}, slow, 0, ","),
              "D:\nfixed drive\nRead: 80,0 KB/s, 20 ops/s, 25 ms\n"
              "Write: 1,0 MB/s, 20 ops/s, 120 ms\nBusy 100 %, queue 2,9");
    slow.Busy = BusyUnknown;
    slow.ReadResponse = FigureUnknown; // no read completed
    EXPECT_EQ(FormatDriveTip('D', VolumeFacts{3, "", ""}, slow),
              "D:\nfixed drive\nRead: 80.0 KB/s, 20 ops/s\n"
              "Write: 1.0 MB/s, 20 ops/s, 120 ms\nQueue 2.9");
}

} // namespace
