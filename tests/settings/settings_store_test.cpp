#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "settings/settings_store.h"

namespace {

// A monitor layout for the position checks: rectangles as left, top, right, bottom.
struct MonitorRect {
    int Left, Top, Right, Bottom;
};
std::vector<MonitorRect> gMonitors{{0, 0, 1024, 768}};

bool TouchesTestMonitors(int left, int top, int right, int bottom) {
    for (const MonitorRect& m : gMonitors) {
        if (left < m.Right && m.Left < right && top < m.Bottom && m.Top < bottom) return true;
    }
    return false;
}

const ScreenBounds kOneMonitor{1024, 768, TouchesTestMonitors};

// Loads AppState from the text of a settings file, as start-up does.
void LoadFrom(const std::string& text, const ScreenBounds& screen = kOneMonitor) {
    ResetAppState();
    InitConstantState();
    SettingsDocument doc;
    doc.HasFile = true;
    ParseSettingsText(text.data(), text.size(), doc);
    SettingsSelectGroup(doc, kSettingsGroup);
    ReadSettingsFields(doc, screen);
}

void LoadKey(const std::string& line) {
    LoadFrom("[Settings]\r\n" + line + "\r\n");
}

std::string SaveText(int left, int top) {
    SettingsDocument doc;
    doc.HasFile = true;
    WriteSettingsFields(doc, left, top);
    return ComposeSettingsText(doc);
}

TEST(ToNumber, DecimalHexAndBinaryWithSignsAndBlanks) {
    EXPECT_EQ(ToNumber("200"), 200);
    EXPECT_EQ(ToNumber(" \t-5x"), -5);
    EXPECT_EQ(ToNumber("+12"), 12);
    EXPECT_EQ(ToNumber("$80"), 128);
    EXPECT_EQ(ToNumber("$fFz"), 255);
    EXPECT_EQ(ToNumber("%101"), 5);
    EXPECT_EQ(ToNumber("%102"), 2);
    EXPECT_EQ(ToNumber("-$10"), -16);
    EXPECT_EQ(ToNumber(""), 0);
    EXPECT_EQ(ToNumber("$"), 0);
    EXPECT_EQ(ToNumber("abc"), 0);
    EXPECT_EQ(ToNumber("4294967297"), 1) << "wraps like 32-bit arithmetic";
}

TEST(LoadSettings, NoFileGivesEveryDefault) {
    LoadFrom("");
    EXPECT_EQ(AppState.WinX, 400);
    EXPECT_EQ(AppState.WinY, 10);
    EXPECT_EQ(AppState.Locked, 0);
    EXPECT_EQ(AppState.Drives, "111111111111111111111111");
    EXPECT_EQ(AppState.ReadColor, "00D800");
    EXPECT_EQ(AppState.WriteColor, "FF2626");
    EXPECT_EQ(AppState.BackColor, "000000");
    EXPECT_EQ(AppState.TextColor, "FFFFFF");
    EXPECT_EQ(AppState.ReadRgb, (RgbColor{0, 216, 0}));
    EXPECT_EQ(AppState.WriteRgb, (RgbColor{255, 38, 38}));
    EXPECT_EQ(AppState.TextRgb, (RgbColor{255, 255, 255}));
    EXPECT_EQ(AppState.IconSize, 1);
    EXPECT_EQ(AppState.IconPixels, 18);
    EXPECT_EQ(AppState.LetterFontSize, 8);
    EXPECT_EQ(AppState.LetterTop, 2);
    EXPECT_EQ(AppState.MarkSize, 0) << "left to the render";
    EXPECT_EQ(AppState.Transparency, 255);
    EXPECT_EQ(AppState.HddDetectInterval, 10);
    EXPECT_EQ(AppState.MinimizeButton, 0);
}

TEST(LoadSettings, AFileWithoutTheSettingsGroupGivesDefaultsToo) {
    LoadFrom("WinX=5\r\n[Other]\r\nWinX=6\r\n");
    EXPECT_EQ(AppState.WinX, 400);
}

TEST(LoadSettings, PositionsBeyondTheScreenComeBack) {
    LoadKey("WinX=1025");
    EXPECT_EQ(AppState.WinX, 512);
    LoadKey("WinX=1024");
    EXPECT_EQ(AppState.WinX, 1024);
    LoadKey("WinX=-300");
    EXPECT_EQ(AppState.WinX, -300);
    LoadKey("WinY=769");
    EXPECT_EQ(AppState.WinY, 384);
    LoadKey("WinX=");
    EXPECT_EQ(AppState.WinX, 0);
    LoadKey("WinX=$10");
    EXPECT_EQ(AppState.WinX, 0) << "positions are read like atoi, without prefixes";
}

TEST(LoadSettings, ABarStaysWhereItShowsOnSomeMonitorAndComesBackFromTheGaps) {
    // Primary 1024 x 768 at the origin, a taller 1280 x 1024 monitor to its right: below the
    // primary there is a gap that the bounding rectangle of both covers but no monitor shows.
    gMonitors = {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}};
    const struct {
        const char* Where;
        int X, Y, WantX, WantY;
    } cases[] = {
        {"on the primary", 10, 10, 10, 10},
        {"on the second", 1500, 900, 1500, 900},
        {"in the gap below the primary", 100, 900, 100, 384},
        {"off both", 2400, 1100, 512, 384},
        {"partly on the primary", 900, 760, 900, 760},
        {"reaching the second from the gap", 700, 900, 700, 900},
        {"reaching the primary from the left", -300, 10, -300, 10},
        {"wholly left of everything", -5000, 10, 512, 10},
        {"wholly above everything", 100, -400, 100, 384},
        {"wholly up and left", -2000, -2000, 512, 384},
    };
    for (const auto& c : cases) {
        LoadFrom("[Settings]\r\nWinX=" + std::to_string(c.X) + "\r\nWinY=" + std::to_string(c.Y) +
                     "\r\n",
                 kOneMonitor);
        EXPECT_EQ(AppState.WinX, c.WantX) << c.Where;
        EXPECT_EQ(AppState.WinY, c.WantY) << c.Where;
    }
    // The bar's own width counts: three 18-pixel LEDs are 53 pixels wide.
    LoadFrom("[Settings]\r\nWinX=960\r\nWinY=900\r\nDrives=111\r\n", kOneMonitor);
    EXPECT_EQ(AppState.WinY, 384) << "53 pixels from 960 end before the second monitor";
    LoadFrom("[Settings]\r\nWinX=980\r\nWinY=900\r\nDrives=111\r\n", kOneMonitor);
    EXPECT_EQ(AppState.WinY, 900);
    // Near the end of the number range nothing overflows.
    LoadFrom("[Settings]\r\nWinX=2147483647\r\nWinY=2147483647\r\n", kOneMonitor);
    EXPECT_EQ(AppState.WinX, 512);
    EXPECT_EQ(AppState.WinY, 384);
    gMonitors = {{0, 0, 1024, 768}};
}

TEST(LoadSettings, NumbersAreClamped) {
    const struct {
        const char* line;
        int AppStateRecord::*field;
        int expected;
    } cases[] = {
        {"Transparency=10", &AppStateRecord::Transparency, 40},
        {"Transparency=300", &AppStateRecord::Transparency, 255},
        {"Transparency=$80", &AppStateRecord::Transparency, 128},
        {"Transparency=", &AppStateRecord::Transparency, 40},
        {"IconSize=0", &AppStateRecord::IconSize, 1},
        {"IconSize=7", &AppStateRecord::IconSize, 3},
        {"IconSize=", &AppStateRecord::IconSize, 1},
        {"IconSize=%10", &AppStateRecord::IconSize, 2},
        {"HDD Detect Interval=0", &AppStateRecord::HddDetectInterval, 10},
        {"HDD Detect Interval=", &AppStateRecord::HddDetectInterval, 10},
        {"HDD Detect Interval=10000000", &AppStateRecord::HddDetectInterval, 10000000},
        {"HDD Detect Interval=10000001", &AppStateRecord::HddDetectInterval, 10},
        {"HDD Detect Interval=-5", &AppStateRecord::HddDetectInterval, -5},
        {"Minimize Button=1", &AppStateRecord::MinimizeButton, 8},
        {"Minimize Button=9", &AppStateRecord::MinimizeButton, 8},
        {"Minimize Button=0", &AppStateRecord::MinimizeButton, 0},
        {"Minimize Button=2", &AppStateRecord::MinimizeButton, 0},
        {"Minimize Button=8", &AppStateRecord::MinimizeButton, 0},
        {"Minimize Button=-1", &AppStateRecord::MinimizeButton, 0},
        {"Locked=7", &AppStateRecord::Locked, 7},
    };
    for (const auto& c : cases) {
        LoadKey(c.line);
        EXPECT_EQ(AppState.*(c.field), c.expected) << c.line;
    }
}

TEST(LoadSettings, IconSizeSetsTheMetricsTheWindowNeeds) {
    LoadKey("IconSize=3");
    EXPECT_EQ(AppState.IconPixels, 30);
    EXPECT_EQ(AppState.LetterFontSize, 16);
    EXPECT_EQ(AppState.LetterTop, 2);
}

TEST(LoadSettings, DriveMasksAreCutTo24AndNeverEmpty) {
    LoadKey("Drives=" + std::string(30, '0'));
    EXPECT_EQ(AppState.Drives, std::string(24, '0'));
    LoadKey("Drives=");
    EXPECT_EQ(AppState.Drives, "111111111111111111111111");
    LoadKey("Drives=10201");
    EXPECT_EQ(AppState.Drives, "10201") << "short masks and other characters pass unchanged";
}

TEST(LoadSettings, ColoursAreUpperCasedAndDefaultedWhenEmpty) {
    LoadFrom("[Settings]\r\nReadColor=ff00aa\r\nWriteColor=\r\nBackColor=zz0000\r\n"
             "TextColor=\xE0\xFF\xF7\r\n");
    EXPECT_EQ(AppState.ReadColor, "FF00AA");
    EXPECT_EQ(AppState.ReadRgb, (RgbColor{255, 0, 170}));
    EXPECT_EQ(AppState.WriteColor, "FF2626");
    EXPECT_EQ(AppState.BackColor, "ZZ0000");
    EXPECT_EQ(AppState.BackRgb, (RgbColor{595, 0, 0}));
    EXPECT_EQ(AppState.TextColor, "\xC0\xDF\xD7") << "bytes 224..255 move down by 32 too";
}

TEST(SaveSettings, WritesTheExactTextInTheFixedOrder) {
    LoadFrom("[Settings]\r\nReadColor=ff00aa\r\nMinimize Button=1\r\nHDD Detect Interval=$20\r\n"
             "Drives=0011\r\nLocked=1\r\n");
    AppState.WinX = 1; // the bar's place is what counts, not the start-up fields
    EXPECT_EQ(SaveText(-20, 700), "; Blinkbar V1.02 - January 2009 by the Blinkbar team\r\n"
                                  "; https://blinkbar.example.org\r\n"
                                  "; \r\n"
                                  "[Settings]\r\n"
                                  "WinX = -20\r\n"
                                  "WinY = 700\r\n"
                                  "Locked = 1\r\n"
                                  "Drives = 0011\r\n"
                                  "ReadColor = FF00AA\r\n"
                                  "WriteColor = FF2626\r\n"
                                  "BackColor = 000000\r\n"
                                  "TextColor = FFFFFF\r\n"
                                  "IconSize = 1\r\n"
                                  "Transparency = 255\r\n"
                                  "HDD Detect Interval = 32\r\n"
                                  "Minimize Button = 1\r\n");
}

TEST(SaveSettings, TheMinimizeLineIsZeroOneOrAbsent) {
    LoadFrom("");
    EXPECT_NE(SaveText(0, 0).find("Minimize Button = 0\r\n"), std::string::npos);
    AppState.MinimizeButton = 5; // not a value the program makes; no line rather than a lie
    EXPECT_EQ(SaveText(0, 0).find("Minimize Button"), std::string::npos);
}

TEST(SaveSettings, ASavedFileLoadsBackToTheSameSettings) {
    LoadFrom("[Settings]\r\nWinX=33\r\nWinY=44\r\nIconSize=2\r\nTransparency=99\r\n"
             "TextColor=abcdef\r\nDrives=101\r\nMinimize Button=1\r\n");
    const std::string saved = SaveText(AppState.WinX, AppState.WinY);
    const AppStateRecord& a = AppState;
    const int size = a.IconSize, alpha = a.Transparency, minimize = a.MinimizeButton;
    const std::string text = a.TextColor, drives = a.Drives;
    LoadFrom(saved);
    EXPECT_EQ(AppState.WinX, 33);
    EXPECT_EQ(AppState.WinY, 44);
    EXPECT_EQ(AppState.IconSize, size);
    EXPECT_EQ(AppState.Transparency, alpha);
    EXPECT_EQ(AppState.MinimizeButton, minimize);
    EXPECT_EQ(AppState.TextColor, text);
    EXPECT_EQ(AppState.Drives, drives);
}

TEST(RestoreDefaults, PutsBackEverythingButTheRescanInterval) {
    LoadFrom("[Settings]\r\nLocked=1\r\nDrives=0\r\nReadColor=123456\r\nIconSize=3\r\n"
             "Transparency=50\r\nMinimize Button=1\r\nHDD Detect Interval=30\r\n");
    RestoreDefaults();
    EXPECT_EQ(AppState.Locked, 0);
    EXPECT_EQ(AppState.Drives, "111111111111111111111111");
    EXPECT_EQ(AppState.ReadColor, "00D800");
    EXPECT_EQ(AppState.ReadRgb, (RgbColor{0, 216, 0}));
    EXPECT_EQ(AppState.IconSize, 1);
    EXPECT_EQ(AppState.Transparency, 255);
    EXPECT_EQ(AppState.MinimizeButton, 0);
    EXPECT_EQ(AppState.HddDetectInterval, 30);
    EXPECT_EQ(AppState.IconPixels, 30) << "the render that follows re-derives the metrics";
    EXPECT_NE(SaveText(5, 6).find("HDD Detect Interval = 30\r\n"), std::string::npos);
}

} // namespace
