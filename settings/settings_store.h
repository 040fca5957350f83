#pragma once
// Which settings Blinkbar keeps, their defaults and clamps, and the exact text of a save.

#include <cstdint>
#include <string>

#include "settings/settings_file.h"

inline constexpr const char* kSettingsFileName = "Blinkbar.ini";
inline constexpr const char* kSettingsGroup = "Settings";
inline constexpr const char* kAllDrives = "111111111111111111111111";
inline constexpr const char* kDefaultReadColor = "00D800";
inline constexpr const char* kDefaultWriteColor = "FF2626";
inline constexpr const char* kDefaultBackColor = "000000";
inline constexpr const char* kDefaultTextColor = "FFFFFF";

// Text to number for settings read as text: blanks, a sign, then "$" hex, "%" binary or decimal
// digits up to the first character that is not one; wraps like 32-bit arithmetic.
int32_t ToNumber(const std::string& text);

// Colour texts are kept upper case: ASCII a..z and the bytes 224..255 move down by 32.
std::string UpperColorText(const std::string& text);

// Whether any part of the rectangle [left, right) x [top, bottom) lies on a monitor.
using MonitorQuery = bool (*)(int left, int top, int right, int bottom);

// Where a saved position may lie: the monitors, and the primary screen that brings back a bar
// that would stand on none of them.
struct ScreenBounds {
    int PrimaryWidth = 0;
    int PrimaryHeight = 0;
    MonitorQuery TouchesAMonitor = nullptr;
};

// Where a bar of the given size with its top-left corner at (*x, *y) belongs: where it is while any
// part of it lies on a monitor, else back by the rule of the primary screen. At start-up and
// whenever the monitors change.
void PlaceOnScreen(int* x, int* y, int width, int height, const ScreenBounds& screen);

// Fills every settings field of AppState (and the colours and metrics derived from them) from a
// document whose "Settings" group has been selected.
void ReadSettingsFields(const SettingsDocument& doc, const ScreenBounds& screen);

// Writes the complete save into a freshly created document: three comments, the group, twelve keys.
// The position is the bar's current top-left corner.
void WriteSettingsFields(SettingsDocument& doc, int barLeft, int barTop);

// The values the "Restore Blinkbar defaults" command puts back.
void RestoreDefaults();

// Platform side.
std::string ProgramDirectory(); // UTF-8, ending with its separator
ScreenBounds CurrentScreenBounds();
void LoadSettings();
void SaveSettings();
