#pragma once
// The two dialogs' rules: where their controls stand, where the window opens, and what the drive
// dialog's check boxes mean.

#include <string>

#include "display/led_images.h" // PixelRect

// Window 2, "Show/Hide Drive": a 170 x 160 client area.
inline constexpr const char* kDriveDialogTitle = "Show/Hide Drive";
inline constexpr int DriveDialogWidth = 170;
inline constexpr int DriveDialogHeight = 160;
inline constexpr const char* kSaveChangesText = "Save Changes";
// Check box 250 + s in four columns of six, filled column by column.
PixelRect DriveCheckBoxRect(int slot);
PixelRect SaveChangesRect();

// The 24 boxes as a mask: "1" ticked, "0" clear, slot 1 first.
std::string MaskFromChecks(const bool (&ticked)[24]);
// The last ticked box cannot be cleared: true when the boxes read all clear and the latest control
// event came from a check box, which is then ticked again.
bool MustTickAgain(const std::string& mask, int eventObject);

// Window 3, "Adjust Window Transparency": a 185 x 50 client area.
inline constexpr const char* kTransparencyDialogTitle = "Adjust Window Transparency";
inline constexpr int TransparencyDialogWidth = 185;
inline constexpr int TransparencyDialogHeight = 50;
struct DialogControl {
    int Number;
    PixelRect Rect;
    const char* Text; // nullptr: the slider; "" for the value label, filled at run time
};
inline constexpr DialogControl kTransparencyControls[] = {
    {620, {30, 10, 125, 20}, nullptr},
    {621, {10, 13, 20, 20}, "40"},
    {622, {160, 13, 30, 20}, "255"},
    {623, {10, 30, 165, 20}, ""},
};

// A dialog opens centred on the bar (never left of or above the screen's origin), then moves to
// 50 pixels below the bar's top edge, keeping its left edge. The width is the outer width.
struct DialogPlace {
    int Left = 0;
    int Top = 0;
};
DialogPlace PlaceDialog(const PixelRect& bar, int dialogWidth);

// A control's place of the 96-dpi tables at the screen's scale, each number rounded on its own.
PixelRect ScaleRectForDpi(const PixelRect& r, int dpi);
