#pragma once
// The fixed numbers by which every part of the program names its windows, menu items, images,
// controls, fonts, timer slots and notification icons.

namespace Num {

// Windows.
inline constexpr int BarWindow = 0;
inline constexpr int DriveDialogWindow = 2;
inline constexpr int TransparencyDialogWindow = 3;

// The right-click menu and its items.
inline constexpr int PopupMenu = 0;
inline constexpr int FirstMenuItem = 1;
inline constexpr int LastMenuItem = 19;

// Drive slots 1..24 stand for the letters C..Z.
inline constexpr int FirstDriveSlot = 1;
inline constexpr int LastDriveSlot = 24;
inline constexpr int DriveSlotCount = 24;

// Images: slot s in LED state t is image s + 24 * t; 200 is the program's icon.
inline constexpr int FirstLedImage = 1;
inline constexpr int LastLedImage = 96;
inline constexpr int LedStateCount = 4;
inline constexpr int ProgramIconImage = 200;
inline constexpr int ImageNumberLimit = 201;

// Controls: LED control n shows slot n.
inline constexpr int FirstLedControl = 1;
inline constexpr int LastLedControl = 24;
inline constexpr int MinimizeButtonControl = 5000;
inline constexpr int DriveCheckBoxBase = 250; // + DriveSlot: 251..274
inline constexpr int SaveChangesButton = 280;
inline constexpr int TransparencySlider = 620;
inline constexpr int FirstTransparencyLabel = 621;
inline constexpr int LastTransparencyLabel = 623;

// Timer slots.
inline constexpr unsigned PollTimerSlot = 0;
inline constexpr unsigned RescanTimerSlot = 1;
inline constexpr unsigned PollPeriodMs = 50;

// The bar's own window timers (SetTimer identifiers).
inline constexpr unsigned TrayRetryTimer = 0x7A1;  // only while adding the tray icon failed
inline constexpr unsigned TipRefreshTimer = 0x7A2; // once a second while an LED's tip shows

// Fonts.
inline constexpr int LetterFont = 1;
inline constexpr int SmallButtonFont = 2;
inline constexpr int DialogFont = 3;
inline constexpr int FontNumberLimit = 4;

// Notification icons.
inline constexpr int TrayIcon = 0;

} // namespace Num

// LED states; also the probe's result bits (1 = read count moved, 2 = write count moved).
enum LedState : int { LedIdle = 0, LedRead = 1, LedWrite = 2, LedReadWrite = 3 };
