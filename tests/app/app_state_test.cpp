#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/monitoring.h"
#include "app/numbering.h"
#include "monitor/timer_service.h"
#include "support/native_fakes.h"

namespace {

TEST(AppStateStart, EverythingIsZeroOrEmptyBeforeStartUp) {
    ResetAppState();
    EXPECT_EQ(AppState.WinX, 0);
    EXPECT_EQ(AppState.IconSize, 0);
    EXPECT_EQ(AppState.MonitorActive.load(), 0);
    EXPECT_EQ(AppState.WindowHandle, nullptr);
    EXPECT_TRUE(AppState.Drives.empty());
    EXPECT_TRUE(AppState.PresentDrives.empty());
    EXPECT_TRUE(AppState.DriveLetters.empty());
    EXPECT_EQ(AppState.ReadRgb, RgbColor{});
    for (int i = 0; i < 30; ++i) {
        EXPECT_TRUE(AppState.DriveRoots[i].empty());
        EXPECT_EQ(AppState.LedStateNow[i], 0);
        EXPECT_EQ(AppState.LedStateShown[i], 0);
    }
}

TEST(AppStateStart, DriveRootsOneToTwentyFourNameTheLettersCToZ) {
    ResetAppState();
    InitConstantState();
    EXPECT_EQ(AppState.DriveLetters, "CDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(AppState.DriveRoots[1], "C:\\");
    EXPECT_EQ(AppState.DriveRoots[13], "O:\\");
    EXPECT_EQ(AppState.DriveRoots[24], "Z:\\");
    EXPECT_TRUE(AppState.DriveRoots[0].empty());
    for (int i = 25; i < 30; ++i) EXPECT_TRUE(AppState.DriveRoots[i].empty()) << i;
    EXPECT_EQ(AppState.VersionText, "V1.02 - January 2009");
    const std::string tail = "\nCheck the ReadMe_vx.xx.rtf file for more info.";
    ASSERT_GT(AppState.AboutText.size(), tail.size());
    EXPECT_EQ(AppState.AboutText.substr(AppState.AboutText.size() - tail.size()), tail);
}

TEST(RescanPeriod, SecondsBecomeMillisecondsWithoutOverflow) {
    EXPECT_EQ(RescanPeriodMs(10), 10000u);
    EXPECT_EQ(RescanPeriodMs(10000000), 0u) << "ten million seconds do not fit a timer period";
    EXPECT_EQ(RescanPeriodMs(4294967), 4294967000u);
    EXPECT_EQ(RescanPeriodMs(4294968), 0u);
    EXPECT_EQ(RescanPeriodMs(0), 0u);
    EXPECT_EQ(RescanPeriodMs(-5), 0u);
}

// The timers and the fine resolution run only while the bar is monitored and someone can see it:
// monitor, lock, a command that stops and starts while locked, unlock, stop, a lock while stopped.
TEST(Monitoring, TimersAndTheFineResolutionRunOnlyWhileSomeoneCanSeeTheBar) {
    ResetFakes();
    ResetAppState();
    AppState.HddDetectInterval = 10;
    TimerService::Open();
    gFake.TimerLog.clear();
    // What the platform holds now, read from its whole log: the fine resolution raised and not yet
    // restored, and the periods of the timers set and not killed (a kill of a timer that does not
    // run counts too).
    const auto held = [] {
        int raised = 0, strayKills = 0;
        std::map<std::string, std::string> running; // id -> period
        for (const std::string& line : gFake.TimerLog) {
            std::istringstream words(line);
            std::string verb, period, slot, arrow, id;
            words >> verb;
            if (verb == "begin") ++raised;
            if (verb == "end") --raised;
            if (verb == "set" && words >> period >> slot >> slot >> arrow >> id && id != "0")
                running[id] = period;
            if (verb == "kill" && words >> id) strayKills += running.erase(id) == 0;
        }
        std::vector<int> periods;
        for (const auto& [id, period] : running) periods.push_back(std::stoi(period));
        std::sort(periods.begin(), periods.end());
        std::string text = "raised " + std::to_string(raised) + ", timers";
        for (const int period : periods) text += " " + std::to_string(period);
        return text + (strayKills ? ", stray kills " + std::to_string(strayKills) : "");
    };
    const std::string polling = "raised 1, timers 50 10000", idle = "raised 0, timers";
    StartMonitoring();
    EXPECT_EQ(AppState.MonitorActive.load(), 1);
    EXPECT_EQ(held(), polling);
    PauseMonitoring(true);
    EXPECT_EQ(held(), idle) << "locked";
    StopMonitoring();
    StartMonitoring();
    EXPECT_EQ(held(), idle) << "a command while locked starts nothing";
    EXPECT_EQ(AppState.MonitorActive.load(), 1);
    PauseMonitoring(false);
    EXPECT_EQ(held(), polling) << "unlocked";
    StopMonitoring();
    EXPECT_EQ(AppState.MonitorActive.load(), 0);
    EXPECT_EQ(held(), idle) << "stopped";
    PauseMonitoring(true);
    PauseMonitoring(false);
    EXPECT_EQ(held(), idle) << "stopped: the pause only remembered, nothing left to restore";
    gFake.PeriodMin = 100; // the poll's timer refused
    StartMonitoring();
    EXPECT_EQ(held(), "raised 0, timers 10000")
        << "nothing polls: the resolution goes back at once";
    StopMonitoring();
    TimerService::Close();
}

} // namespace
