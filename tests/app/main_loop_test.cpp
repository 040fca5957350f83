#include <gtest/gtest.h>

#include <utility>

#include "app/event_layer.h"
#include "app/main_loop.h"
#include "app/popup_menu.h"
#include "app/quiet_errors.h"
#include "app/session_watch.h"
#include "app/startup.h"
#include "dialogs/transparency.h"

namespace {

TEST(MainLoop, ADoubleClickOpensOnlyAShownDrive) {
    const std::string drives = "101";
    EXPECT_TRUE(IsDriveDoubleClick(0x203, 1, drives));
    EXPECT_FALSE(IsDriveDoubleClick(0x203, 2, drives)) << "hidden";
    EXPECT_TRUE(IsDriveDoubleClick(0x203, 3, drives));
    EXPECT_FALSE(IsDriveDoubleClick(0x203, 4, drives)) << "past the end";
    EXPECT_TRUE(IsDriveDoubleClick(0x203, 0, drives)) << "0 counts as 1";
    EXPECT_TRUE(IsDriveDoubleClick(0x203, -7, drives));
    EXPECT_FALSE(IsDriveDoubleClick(EventControl, 1, drives));
    EXPECT_FALSE(IsDriveDoubleClick(0x203, 1, "5")) << "only a \"1\" opens";
    // Enter, Space or a screen reader's default action: the same rule for the same drive.
    EXPECT_TRUE(IsDriveOpenRequest(EventControl, OpenRequested, 3, drives));
    EXPECT_FALSE(IsDriveOpenRequest(EventControl, OpenRequested, 2, drives)) << "hidden";
    EXPECT_FALSE(IsDriveOpenRequest(EventControl, DoubleClickLeft, 1, drives))
        << "a double-click is one request: the LED's own report of it opens nothing more";
    EXPECT_EQ(DriveRootParameter(3, "CDEFGHIJKLMNOPQRSTUVWXYZ"), "E:\\");
    EXPECT_EQ(DriveRootParameter(24, "CDEFGHIJKLMNOPQRSTUVWXYZ"), "Z:\\");
    EXPECT_EQ(LaunchCommandLine("explorer.exe", DriveRootParameter(3, "CDEFGHIJKLMNOPQRSTUVWXYZ")),
              "\"explorer.exe\" E:\\");
}

TEST(MainLoop, ADragIsRequestedOnlyForAnUnlockedBarWhileTheButtonIsHeld) {
    EXPECT_TRUE(ShouldRequestDrag(0, 5, true, false));
    EXPECT_FALSE(ShouldRequestDrag(0, 5, false, false)) << "a finished click must not glue the bar";
    EXPECT_FALSE(ShouldRequestDrag(1, 5, true, false));
    EXPECT_FALSE(ShouldRequestDrag(5, 5, true, false)) << "any non-zero lock";
    EXPECT_FALSE(ShouldRequestDrag(0, 0, true, false)) << "no control or menu event yet";
    EXPECT_FALSE(ShouldRequestDrag(0, 5, true, true)) << "a press on the minimize button";
}

TEST(MainLoop, TheOtherSteps) {
    EXPECT_TRUE(IsRightPress(0x204));
    EXPECT_TRUE(IsMinimizeButtonClick(EventControl, 5000));
    EXPECT_FALSE(IsMinimizeButtonClick(EventControl, 24));
    EXPECT_FALSE(IsMinimizeButtonClick(0x203, 5000));
    EXPECT_TRUE(IsWheel(0x20A));
    EXPECT_TRUE(IsMenuCommand(EventMenuCommand));
    EXPECT_FALSE(IsMenuCommand(EventControl));
}

TEST(MainLoop, TheWheelTurnsTheOpacityByTenPerNotch) {
    const auto wheel = [](int distance) { return static_cast<uint32_t>(distance) << 16; };
    EXPECT_EQ(WheelTransparency(100, wheel(120)), 110);
    EXPECT_EQ(WheelTransparency(100, wheel(-240)), 80);
    EXPECT_EQ(WheelTransparency(100, wheel(60)), 100) << "a fine step is not a notch";
    EXPECT_EQ(WheelTransparency(100, wheel(-60)), 100);
    EXPECT_EQ(WheelTransparency(100, wheel(-180)), 90) << "truncated toward zero";
    EXPECT_EQ(WheelTransparency(250, wheel(120)), 255);
    EXPECT_EQ(WheelTransparency(45, wheel(-120)), 40);
    EXPECT_EQ(WheelTransparency(255, wheel(120) | 0x0008), 255) << "key states in the low word";
}

TEST(LaunchProgram, CommandLineAndFolder) {
    EXPECT_EQ(LaunchCommandLine("a b.exe", ""), "\"a b.exe\"");
    EXPECT_EQ(LaunchCommandLine("\"C:\\p\\unins000.exe\"", " /NORESTART /SILENT"),
              "\"C:\\p\\unins000.exe\"  /NORESTART /SILENT")
        << "two spaces: the switches begin with one";
    EXPECT_EQ(LaunchFolder("\"C:\\p\\unins000.exe\"", ""), "C:\\p\\");
    EXPECT_EQ(LaunchFolder("explorer.exe", ""), "");
    EXPECT_EQ(LaunchFolder("C:\\x\\y.exe", "D:\\"), "D:\\");
    EXPECT_EQ(UnquotedFile("\"C:\\p\\u.exe\""), "C:\\p\\u.exe");
}

TEST(OsVersion, EveryRowOfTheTableTheGateAndWhereTheControlsLibraryComesFirst) {
    // First: Windows loads no library for a class its activation context redirects (XP, 2003),
    // so the program loads comctl32 before its first control or box; Vista and later do it
    // themselves, 2000 and 9x redirect nothing.
    const struct {
        OsVersionInfo Info;
        int Code;
        bool Runs, First;
    } rows[] = {
        {{true, 1, 4, 0}, 10, false, false},          {{true, 1, 4, 10}, 30, false, false},
        {{true, 1, 4, 90}, 40, false, false},         {{true, 1, 4, 3}, 100, true, false},
        {{true, 2, 3, 51}, 5, false, false},          {{true, 2, 4, 0}, 20, false, false},
        {{true, 2, 5, 0}, 50, true, false},           {{true, 2, 5, 1}, 60, true, true},
        {{true, 2, 5, 2}, 65, false, true},           {{true, 2, 5, 3}, 100, true, false},
        {{true, 2, 6, 1, true, 1}, 70, true, false},  {{true, 2, 6, 3, true, 3}, 75, false, false},
        {{true, 2, 6, 0, false, 0}, 70, true, false}, {{true, 2, 10, 0, true, 1}, 100, true, false},
        {{true, 3, 5, 1}, 100, true, false},          {{false}, 100, true, false},
    };
    for (const auto& row : rows) {
        const int code = OsVersionCodeFrom(row.Info);
        EXPECT_EQ(code, row.Code) << row.Info.PlatformId << " " << row.Info.Major << "."
                                  << row.Info.Minor;
        EXPECT_EQ(OsVersionAdmitted(code), row.Runs) << code;
        EXPECT_EQ(LoadsControlsLibraryFirst(code), row.First) << code;
    }
}

// Two quiet spans on XP or Vista (two drives asked at once, each on a thread of its own)
// overlapping: quiet while either is open, and the mode the process had before
// back after the last, never the quiet one (each span saving and restoring it left it quiet).
TEST(QuietErrors, OverlappingSpansShareTheProcesssModeAndGiveItBackOnce) {
    constexpr unsigned kLoud = 0, kQuiet = 3;
    unsigned mode = kLoud;
    const auto set = [&mode](unsigned m) { return std::exchange(mode, m); };
    SharedQuietMode shared;
    BeginSharedQuiet(shared, kQuiet, set);
    BeginSharedQuiet(shared, kQuiet, set);
    EndSharedQuiet(shared, set);
    EXPECT_EQ(mode, kQuiet) << "the other span still open";
    EndSharedQuiet(shared, set);
    EXPECT_EQ(mode, kLoud) << "both ended";
}

TEST(PopupMenu, NineteenItemsAndFiveSeparatorsWithTheirTexts) {
    MenuRow rows[MenuRowCount];
    PopupMenuRows("V1.02 - January 2009", rows);
    EXPECT_EQ(rows[0].Text, "About Blinkbar V1.02 - January 2009");
    int items = 0, separators = 0, expected = 1;
    for (const MenuRow& row : rows) {
        if (row.Number == 0) {
            ++separators;
            continue;
        }
        EXPECT_EQ(row.Number, expected++) << "in number order";
        ++items;
    }
    EXPECT_EQ(items, 19);
    EXPECT_EQ(separators, 5);
    EXPECT_EQ(rows[23].Text, "Uninstall Blinkbar");
    EXPECT_EQ(rows[1].Number, 0);
    EXPECT_EQ(rows[22].Number, 0);
    EXPECT_EQ(rows[12].Text, "Show Minimize Button");
    EXPECT_EQ(rows[13].Number, 0);
}

TEST(PopupMenu, CheckMarksFollowTheSettings) {
    MenuChecks c = MenuChecksFor(0, 0, 2);
    EXPECT_EQ(c.Lock, 0);
    EXPECT_EQ(c.MinimizeButton, 0);
    EXPECT_EQ(c.Size[0], 0);
    EXPECT_EQ(c.Size[1], 1);
    EXPECT_EQ(c.Size[2], 0);
    c = MenuChecksFor(5, 8, 7);
    EXPECT_EQ(c.Lock, 0) << "a hand-edited 5 locks the bar but shows no mark";
    EXPECT_EQ(c.MinimizeButton, 1);
    EXPECT_EQ(c.Size[0], -1) << "an unknown size leaves the marks alone";
    EXPECT_EQ(MenuChecksFor(1, 0, 1).Lock, 1);
}

// Locked, then disconnected, then the screen off: monitoring goes on only once every reason is
// gone, whatever order they go in.
TEST(SessionWatch, MonitoringPausesWhileAnyReasonHolds) {
    int reasons = PauseReasonsAfterSessionChange(0, 7);   // locked
    reasons = PauseReasonsAfterSessionChange(reasons, 4); // remote disconnect
    reasons = PauseReasonsAfterDisplayState(reasons, 0);  // screen off
    reasons = PauseReasonsAfterSessionChange(reasons, 5); // a logon changes nothing
    reasons = PauseReasonsAfterSessionChange(reasons, 8); // unlocked
    reasons = PauseReasonsAfterSessionChange(reasons, 1); // console connect
    EXPECT_EQ(reasons, PauseDisplayOff);
    EXPECT_EQ(PauseReasonsAfterDisplayState(reasons, 1), 0);
    // Vista and 7: the console's screen went off, then the session moved to Remote Desktop.
    EXPECT_EQ(PauseReasonsAfterSessionChange(reasons, 3), 0) << "remote connect";
    EXPECT_EQ(PauseReasonsAfterDisplayState(0, 0, false), 0) << "the console's screen, not ours";
}

// This session's screen where Windows reports it (8 and later), not the console's, which a Remote
// Desktop user does not see; Vista and 7 report only the monitors' power.
TEST(SessionWatch, TheScreenWatchedIsThisSessionsFromWindows8On) {
    EXPECT_EQ(DisplayNoticeFor(6, 1), DisplayNotice::MonitorPower);
    EXPECT_EQ(DisplayNoticeFor(6, 2), DisplayNotice::SessionDisplay);
}

} // namespace
