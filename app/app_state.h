#pragma once
// The one process-wide record of settings and run-time state.

#include <array>
#include <atomic>
#include <string>

#include "display/color_text.h"

struct HWND__; // the bar's window handle, without pulling the platform headers in here

struct AppStateRecord {
    // Persistent settings, named after their keys in "Blinkbar.ini".
    int WinX = 0;
    int WinY = 0;
    int Locked = 0;
    std::string Drives;
    std::string ReadColor;
    std::string WriteColor;
    std::string BackColor;
    std::string TextColor;
    int IconSize = 0;
    int Transparency = 0;
    int HddDetectInterval = 0;
    int MinimizeButton = 0; // 0 or 8: the width reserved for the minimize button

    // Derived from the settings.
    RgbColor ReadRgb;
    RgbColor WriteRgb;
    RgbColor BackRgb;
    RgbColor TextRgb;
    int IconPixels = 0;
    int LetterFontSize = 0;
    int LetterTop = 0;
    int MarkSize = 0;
    int SeparatorPixels = 1;
    int Dpi = 96;             // the bar's screen: every length of the design is scaled by Dpi / 96
    std::string SettingsPath; // UTF-8, so that no folder name is lost to the code page

    // Run time.
    HWND__* WindowHandle = nullptr;
    std::atomic<int> MonitorActive{0}; // written by the window's thread, read by the timer thread
    std::string DriveLetters;
    std::array<std::string, 30> DriveRoots;
    std::array<int, 30> LedStateNow{};   // timer thread only
    std::array<int, 30> LedStateShown{}; // timer thread only
    std::string PresentDrives;
    std::string PresentDrivesPrev;
    std::string VersionText;
    std::string AboutText;
};

extern AppStateRecord AppState;

inline constexpr const char* kDriveLetters = "CDEFGHIJKLMNOPQRSTUVWXYZ";

// Puts AppState back to its zero-filled start (tests start each case from it).
void ResetAppState();

// Sets the constant texts: drive letters, drive roots, version and about text.
void InitConstantState();
