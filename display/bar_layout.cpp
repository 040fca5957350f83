#include "display/bar_layout.h"

#include "settings/settings_store.h"

bool SlotShown(const std::string& drives, int slot) {
    if (slot < 1 || static_cast<size_t>(slot) > drives.size()) return false;
    return ToNumber(std::string(1, drives[slot - 1])) != 0;
}

BarGeometry ComputeBarLayout(const std::string& drives, int iconPixels, int minimizeButton) {
    BarGeometry bar;
    int x = 0;
    for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
        bar.LedX[slot] = x;
        bar.Shown[slot] = SlotShown(drives, slot);
        if (bar.Shown[slot]) {
            x += iconPixels;
            ++bar.ShownCount;
        }
    }
    bar.ClientWidth = x + minimizeButton - 1;
    if (bar.ClientWidth < 1) bar.ClientWidth = iconPixels - 1;
    bar.ClientHeight = iconPixels;
    bar.ButtonX = bar.ClientWidth - minimizeButton;
    return bar;
}
