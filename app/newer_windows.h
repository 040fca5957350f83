#pragma once
// Messages and flags of Windows after XP, which the headers for XP leave out: named once here, for
// the program and its tests.

namespace Newer {

inline constexpr unsigned WmWtsSessionChange = 0x02B1;    // WM_WTSSESSION_CHANGE, XP and later
inline constexpr unsigned WmDpiChanged = 0x02E0;          // WM_DPICHANGED, Windows 8.1
inline constexpr unsigned WmGetDpiScaledSize = 0x02E4;    // WM_GETDPISCALEDSIZE, Windows 10 1703
inline constexpr unsigned PbtPowerSettingChange = 0x8013; // PBT_POWERSETTINGCHANGE, Vista
// LOAD_LIBRARY_SEARCH_SYSTEM32: Windows 8, and 7 and Vista with KB2533623.
inline constexpr unsigned LoadLibrarySearchSystem32 = 0x00000800;

} // namespace Newer
