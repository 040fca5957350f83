#include "dialogs/dialog_layout.h"

PixelRect DriveCheckBoxRect(int slot) {
    return {10 + 40 * ((slot - 1) / 6), 10 + 20 * ((slot - 1) % 6), 40, 20};
}

PixelRect SaveChangesRect() {
    return {10, 135, 150, 20};
}

std::string MaskFromChecks(const bool (&ticked)[24]) {
    std::string mask(24, '0');
    for (int i = 0; i < 24; ++i) mask[i] = ticked[i] ? '1' : '0';
    return mask;
}

bool MustTickAgain(const std::string& mask, int eventObject) {
    return mask == std::string(24, '0') && eventObject >= 251 && eventObject <= 274;
}

DialogPlace PlaceDialog(const PixelRect& bar, int dialogWidth) {
    // Centred first, then moved down: only the left edge of the centring survives.
    DialogPlace place;
    place.Left = bar.X + (bar.W - dialogWidth) / 2;
    if (place.Left < 0) place.Left = 0;
    place.Top = bar.Y + 50;
    return place;
}

PixelRect ScaleRectForDpi(const PixelRect& r, int dpi) {
    return PixelRect{ScaleForDpi(r.X, dpi), ScaleForDpi(r.Y, dpi), ScaleForDpi(r.W, dpi),
                     ScaleForDpi(r.H, dpi)};
}
