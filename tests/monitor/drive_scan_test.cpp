#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "app/app_state.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_scan.h"
#include "support/native_fakes.h"

namespace {

// The drive types the fake platform reports, by root text.
std::map<std::string, int> gTypes;
int gTypeCalls = 0;
int FakeDriveType(const char* root) {
    ++gTypeCalls;
    const auto found = gTypes.find(root);
    return found == gTypes.end() ? 1 /* DRIVE_NO_ROOT_DIR */ : found->second;
}

// A drive-strings buffer as the platform fills it: "X:\" entries, zero-filled after.
struct RootsBuffer {
    char Bytes[DriveRootsBufferSize + 1] = {};
    explicit RootsBuffer(const std::string& letters) {
        for (size_t i = 0; i < letters.size(); ++i) {
            Bytes[4 * i] = letters[i];
            Bytes[4 * i + 1] = ':';
            Bytes[4 * i + 2] = '\\';
        }
    }
};

uint32_t gNetwork = 0;
uint32_t Scan(const std::string& letters, const std::map<std::string, int>& types) {
    gTypes = types;
    gTypeCalls = 0;
    const RootsBuffer buffer(letters);
    return PresenceBitsFromDriveRoots(buffer.Bytes, FakeDriveType, &gNetwork);
}

constexpr int kRemovable = 2, kFixed = 3, kRemote = 4, kCdRom = 5, kRamDisk = 6;

TEST(DriveScan, OnlyFixedDrivesOfTheSlotLettersCount) {
    // C and E fixed, D a CD-ROM, Z a network drive.
    const uint32_t bits =
        Scan("CDEZ", {{"C:\\", kFixed}, {"D:\\", kCdRom}, {"E:\\", kFixed}, {"Z:\\", kRemote}});
    EXPECT_EQ(PresenceTextFromBits(bits), "101000000000000000000000");
    EXPECT_EQ(PresenceTextFromBits(gNetwork), "000000000000000000000001")
        << "the network drive, which the tick then never opens";
    EXPECT_EQ(gTypeCalls, 4) << "one question per drive: each costs time at start-up";
}

TEST(DriveScan, LettersAAndBAndOtherDriveTypesNeverCount) {
    const uint32_t bits = Scan("ABFGHZ", {{"A:\\", kFixed},
                                          {"B:\\", kFixed},
                                          {"F:\\", kRemovable},
                                          {"G:\\", kRamDisk},
                                          {"H:\\", 0},
                                          {"Z:\\", kFixed}});
    EXPECT_EQ(PresenceTextFromBits(bits), "000000000000000000000001");
}

TEST(DriveScan, EmptyEntriesAndAFailedCallGiveNoDrives) {
    // A failed call leaves the buffer zero-filled; even a fixed answer for "" has no letter.
    EXPECT_EQ(Scan("", {{"", kFixed}}), 0u);
    EXPECT_EQ(PresenceTextFromBits(0), std::string(24, '0'));
}

TEST(DriveScan, LowerCaseLettersAreNotTheSlotLetters) {
    EXPECT_EQ(Scan("c", {{"c:\\", kFixed}}), 0u);
}

class PresentDrivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetFakes();
        ResetAppState();
    }
    void TearDown() override { ClearLedSwitches(); } // every letter asked again
};

TEST_F(PresentDrivesTest, TheFirstScanAlwaysDrawsAndAnUnchangedOneDoesNot) {
    StorePresentDrives(0b101);
    EXPECT_EQ(AppState.PresentDrives, "101000000000000000000000");
    EXPECT_EQ(AppState.PresentDrivesPrev, AppState.PresentDrives);
    EXPECT_EQ(gFake.MarkerDraws, 1);
    StorePresentDrives(0b101);
    EXPECT_EQ(gFake.MarkerDraws, 1);
}

TEST_F(PresentDrivesTest, ADriveThatDisappearsIsRedrawn) {
    StorePresentDrives(0b11);
    StorePresentDrives(0b01);
    EXPECT_EQ(AppState.PresentDrives, "100000000000000000000000");
    EXPECT_EQ(AppState.PresentDrivesPrev, "100000000000000000000000");
    EXPECT_EQ(gFake.MarkerDraws, 2);
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
    StoreExistingDrives(0b1); // the next scan is the last word
    EXPECT_EQ(AskedSlots(), 0b1u);
}

TEST_F(PresentDrivesTest, EvenNoDrivesAtAllDrawOnTheFirstScan) {
    StorePresentDrives(0); // differs from the empty text of start-up
    EXPECT_EQ(gFake.MarkerDraws, 1);
}

} // namespace
