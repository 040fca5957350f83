#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/app_state.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_facts.h"
#include "monitor/drive_scan.h"
#include "support/native_fakes.h"

namespace {

constexpr int kNoRoot = 1, kFixed = 3, kRemote = 4;

VolumeFacts Said(int type, const char* label = "", bool room = false) {
    VolumeFacts said;
    said.DriveType = type;
    std::strcpy(said.Label, label);
    std::strcpy(said.FileSystem, type == kFixed ? "NTFS" : "");
    said.SpaceKnown = room;
    said.FreeBytes = 1ull << 30;
    said.TotalBytes = 4ull << 30;
    return said;
}

std::string Tip(const DriveFactsSlot& slot, uint32_t now) {
    return FormatDriveTip('Q', FactsShown(slot, now), DriveRates());
}

// A drive's facts along a user's path: the scan asks its type, a tip the rest, a reader asks
// while that question still hangs, the answer comes late, then the label changes.
TEST(DriveFacts, OneQuestionAtATimeNotAnsweringWhileItHangsAndFilledInAfter) {
    DriveFactsSlot q{};
    EXPECT_EQ(FactsToAsk(q, 0, 0, FactsNeverAgain, FactsNeverAgain), unsigned{AllFacts})
        << "never heard from: the scan asks everything";
    ASSERT_TRUE(BeginFactsQuestion(q, FactType, 100));
    EXPECT_FALSE(BeginFactsQuestion(q, FactLabel | FactRoom, 200)) << "one question at a time";
    EXPECT_EQ(Tip(q, 100 + FactsPatienceMs - 1), "Q:\nunknown drive\nactivity not available");
    EXPECT_EQ(Tip(q, 100 + FactsPatienceMs), "Q:\nnot answering\nactivity not available");

    // The answer comes: the type changed, and with it the reader's name; the rest still wanted.
    EXPECT_EQ(TakeFactsAnswer(q, Said(kFixed), 7000), unsigned{FactType | FactLabel});
    EXPECT_EQ(Tip(q, 7000), "Q:\nfixed drive\nactivity not available");
    ASSERT_TRUE(BeginFactsQuestion(q, q.Wanted, 7000));
    EXPECT_EQ(q.Asking, unsigned{AllFacts}) << "what was wanted meanwhile, asked now";
    EXPECT_EQ(TakeFactsAnswer(q, Said(kFixed, "Data", true), 7010), unsigned{FactLabel});
    EXPECT_EQ(Tip(q, 7010), "Q: Data (NTFS)\nfixed drive\nactivity not available\n"
                            "1.00 GB free of 4.00 GB");
    EXPECT_EQ(FactsToAsk(q, 7010 + FactsFreshMs - 1, FactsFreshMs, FactsFreshMs, FactsFreshMs), 0u)
        << "a reader asking again within seconds asks nothing";
    EXPECT_EQ(FactsToAsk(q, 7010 + FactsFreshMs, FactsFreshMs, FactsFreshMs, 0),
              unsigned{AllFacts});
    EXPECT_EQ(FactsToAsk(q, 7020, 0, FactsNeverAgain, FactsNeverAgain), unsigned{FactType})
        << "a rescan asks only the type of a drive that told the rest";

    // Known before, hanging now: its kind stays, with "not answering"; the same label again is
    // no news for the reader; a room that cannot be read is no line.
    ASSERT_TRUE(BeginFactsQuestion(q, FactRoom, 8000));
    EXPECT_EQ(TipPart(Tip(q, 9000), TipKind), "fixed drive, not answering");
    EXPECT_EQ(TakeFactsAnswer(q, Said(kFixed, "Other"), 9500), 0u) << "only the room was asked";
    EXPECT_EQ(Tip(q, 9500), "Q: Data (NTFS)\nfixed drive\nactivity not available");
}

TEST(DriveFacts, ARootThatIsGoneForgetsItsLabelAndRoomAndTheTypesGiveTheDrivesShown) {
    DriveFactsSlot slots[24]{};
    for (int i : {0, 5, 23}) {
        ASSERT_TRUE(BeginFactsQuestion(slots[i], AllFacts, 0));
        TakeFactsAnswer(slots[i], Said(i == 5 ? kRemote : kFixed, "Disk", true), 0);
    }
    uint32_t fixed = 0, network = 0;
    DriveTypeBits(slots, &fixed, &network);
    EXPECT_EQ(PresenceTextFromBits(fixed), "100000000000000000000001");
    EXPECT_EQ(PresenceTextFromBits(network), "000001000000000000000000");

    // C removed: its scan question (type only) answers "no root".
    ForgetFacts(slots[0]);
    ASSERT_TRUE(BeginFactsQuestion(slots[0], FactType, 10));
    EXPECT_EQ(TakeFactsAnswer(slots[0], Said(kNoRoot), 20), unsigned{FactType | FactLabel});
    EXPECT_EQ(FormatDriveTip('C', FactsShown(slots[0], 20), DriveRates()), "C: no drive");
    EXPECT_FALSE(FactsShown(slots[0], 20).SpaceKnown);
    EXPECT_EQ(FactsToAsk(slots[0], 30, FactsFreshMs, FactsFreshMs, FactsFreshMs), 0u)
        << "a missing root has nothing more to tell";
    DriveTypeBits(slots, &fixed, &network);
    EXPECT_EQ(PresenceTextFromBits(fixed), "000000000000000000000001");
}

class PresentDrivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakes();
        ResetAppState();
    }
    void TearDown() override { ClearLedSwitches(); } // every letter asked again
};

TEST_F(PresentDrivesTest, TheMarkersAreDrawnOnTheFirstScanAndThenOnlyForAChange) {
    StorePresentDrives(0); // even no drives at all differ from the empty text of start-up
    EXPECT_EQ(gFake.MarkerDraws, 1);
    StorePresentDrives(0b11);
    StorePresentDrives(0b11);
    EXPECT_EQ(gFake.MarkerDraws, 2) << "an unchanged scan draws nothing";
    StorePresentDrives(0b01); // D went
    EXPECT_EQ(AppState.PresentDrives, "100000000000000000000000");
    EXPECT_EQ(AppState.PresentDrivesPrev, AppState.PresentDrives);
    EXPECT_EQ(gFake.MarkerDraws, 3);
}

TEST_F(PresentDrivesTest, TheTickAsksTheLettersThatExistAndAreShown) {
    AppState.Drives = "110100000000000000000000"; // C, D and F shown
    StoreExistingDrives(0b11110);                 // D, E, F and G exist
    EXPECT_EQ(AskedSlots(), 0b01010u);
    NoteVolumesArrived(0b1); // C arrives between two scans
    EXPECT_EQ(AskedSlots(), 0b01011u);
    NoteVolumesRemoved(0b10);
    EXPECT_EQ(AskedSlots(), 0b01001u);
    AppState.Drives = "111111111111111111111111";
    RefreshAskedSlots();
    EXPECT_EQ(AskedSlots(), 0b11101u);
    StoreNetworkDrives(0b100); // E turned out a network drive: never opened by the tick
    EXPECT_EQ(AskedSlots(), 0b11001u);
    StoreNetworkDrives(0);
    StoreExistingDrives(0b1); // the next scan is the last word
    EXPECT_EQ(AskedSlots(), 0b1u);
}

} // namespace
