#pragma once
// The right-click menu: 19 commands and 5 separators, and the rule for its check marks.

#include <string>

#include "app/menu_checks.h"

// Item numbers.
enum MenuItem : int {
    MenuAbout = 1,
    MenuConfigureDrives = 2,
    MenuReadColor = 3,
    MenuWriteColor = 4,
    MenuBackColor = 5,
    MenuTextColor = 6,
    MenuIconSize1 = 7,
    MenuIconSize2 = 8,
    MenuIconSize3 = 9,
    MenuTransparency = 10,
    MenuMinimizeButton = 11,
    MenuWindowOnTop = 12,
    MenuNotOnTop = 13,
    MenuLock = 14,
    MenuSavePosition = 15,
    MenuToTray = 16,
    MenuRestoreDefaults = 17,
    MenuExit = 18,
    MenuUninstall = 19,
};

// One row of the menu in order: an item (Number 1..19 with its text) or a separator (Number 0).
struct MenuRow {
    int Number;
    std::string Text;
};
inline constexpr int MenuRowCount = 24;
// Item 1 carries the version text, so the rows are made from it.
void PopupMenuRows(const std::string& versionText, MenuRow (&rows)[MenuRowCount]);

// The check marks the settings call for. -1 leaves an item's mark as it is (a size outside 1..3).
struct MenuChecks {
    int Lock = 0;
    int MinimizeButton = 0;
    int Size[3] = {-1, -1, -1}; // items 7, 8, 9
};
MenuChecks MenuChecksFor(int locked, int minimizeButton, int iconSize);

// Platform side (the window's thread).
void BuildPopupMenu();
bool IsMenuItemChecked(int item);
void SetMenuItemChecked(int item, bool on);
void ShowPopupMenu(struct HWND__* window);
// The same menu from the keyboard, at the bottom left corner of the focused control (or of the
// bar, where the bar itself has the focus).
void ShowPopupMenuAtFocus(struct HWND__* window);
void DestroyPopupMenu();
