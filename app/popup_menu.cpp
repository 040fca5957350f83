#include "app/popup_menu.h"

void PopupMenuRows(const std::string& versionText, MenuRow (&rows)[MenuRowCount]) {
    int i = 0;
    const auto item = [&](int number, std::string text) { rows[i++] = {number, std::move(text)}; };
    const auto separator = [&] { rows[i++] = {0, std::string()}; };
    item(MenuAbout, "About Blinkbar " + versionText);
    separator();
    item(MenuConfigureDrives, "Configure Drives");
    separator();
    item(MenuReadColor, "Set Read Icon Color");
    item(MenuWriteColor, "Set Write Icon Color");
    item(MenuBackColor, "Set Background Icon Color");
    item(MenuTextColor, "Set Text Icon Color");
    item(MenuIconSize1, "Set Drive Icon Size 1");
    item(MenuIconSize2, "Set Drive Icon Size 2");
    item(MenuIconSize3, "Set Drive Icon Size 3");
    item(MenuTransparency, "Adjust Window Transparency");
    item(MenuMinimizeButton, "Show Minimize Button");
    separator();
    item(MenuWindowOnTop, "Set WindowOnTop");
    item(MenuNotOnTop, "Disable WindowOnTop");
    item(MenuLock, "Lock/Unlock Window Position");
    item(MenuSavePosition, "Save Window Position");
    item(MenuToTray, "Minimize To Tray");
    separator();
    item(MenuRestoreDefaults, "Restore Blinkbar defaults");
    item(MenuExit, "Exit");
    separator();
    item(MenuUninstall, "Uninstall Blinkbar");
}

MenuChecks MenuChecksFor(int locked, int minimizeButton, int iconSize) {
    MenuChecks checks;
    checks.Lock = locked == 1; // a hand-edited 5 still locks the bar, but shows no mark
    checks.MinimizeButton = minimizeButton == 8;
    if (iconSize >= 1 && iconSize <= 3) {
        for (int size = 1; size <= 3; ++size) checks.Size[size - 1] = size == iconSize;
    }
    return checks;
}
