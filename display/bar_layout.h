#pragma once
// Where each LED, the bar and the minimize button go: the arithmetic of a bar layout.

#include <string>

#include "app/numbering.h"

// Slot 1..24 has an LED on the bar when its DriveMask character reads as a number other than 0:
// any digit 1..9. A '0', any other character, or none at all (a short mask) hides it.
bool SlotShown(const std::string& drives, int slot);

struct BarGeometry {
    int LedX[Num::LastDriveSlot + 1] =
        {}; // by slot; a hidden LED stands where the next shown one goes
    bool Shown[Num::LastDriveSlot + 1] = {};
    int ShownCount = 0;
    int ClientWidth = 0; // one pixel narrower than the LEDs, plus the button's strip
    int ClientHeight = 0;
    int ButtonX = 0; // meaningful when the button is shown
};

// The minimize button's tooltip.
inline constexpr const char* kMinimizeButtonTip = "Click to minimize to tray";

// With no LED and no button the bar would be -1 pixels wide, which no window can be: it keeps the
// width of one LED instead, so that there is still something to right-click.
BarGeometry ComputeBarLayout(const std::string& drives, int iconPixels, int minimizeButton);

// A rectangle of the screen, in pixels.
struct ScreenArea {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const ScreenArea&) const = default;
};

// Where the corner of a bar at `bar` goes so that more than half of it lies on `monitor` along
// each axis: moved the shortest way where it does not already, else left where it is. After a
// change of scale the bar belongs to the monitor whose scale it took; grown or shrunk from its
// corner it may otherwise lie mostly on the other one, which would ask for the old scale back.
void KeepMostOn(const ScreenArea& bar, const ScreenArea& monitor, int* x, int* y);
