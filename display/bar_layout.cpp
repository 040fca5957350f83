#include "display/bar_layout.h"

#include <algorithm>

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

namespace {

// One axis: the bar's new start.
int KeepMostOnAxis(int start, int end, int monitorStart, int monitorEnd) {
    const int length = end - start;
    const int overlap = std::max(0, std::min(end, monitorEnd) - std::max(start, monitorStart));
    if (overlap * 2 > length) return start;
    const int need = length / 2 + 1;
    // Off to the monitor's left (or top): in from its start; else in from its end.
    return start + end < monitorStart + monitorEnd ? monitorStart + need - length
                                                   : monitorEnd - need;
}

} // namespace

void KeepMostOn(const ScreenArea& bar, const ScreenArea& monitor, int* x, int* y) {
    *x = KeepMostOnAxis(bar.Left, bar.Right, monitor.Left, monitor.Right);
    *y = KeepMostOnAxis(bar.Top, bar.Bottom, monitor.Top, monitor.Bottom);
}
