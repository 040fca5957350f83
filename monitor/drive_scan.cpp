#include "monitor/drive_scan.h"

#include "app/app_state.h"
#include "app/numbering.h"
#include "display/led_images.h"

uint32_t PresenceBitsFromDriveRoots(const char* buffer, DriveTypeQuery driveType) {
    uint32_t bits = 0;
    for (int k = 0; k < 26; ++k) {
        const char* entry = buffer + 4 * k;
        if (driveType(entry) != DriveTypeFixed) continue;
        const char letter = entry[0];
        // Only the upper-case letters of the slots count, as the drive strings spell them.
        if (letter >= 'C' && letter <= 'Z') bits |= 1u << (letter - 'C');
    }
    return bits;
}

std::string PresenceTextFromBits(uint32_t bits) {
    std::string text(Num::DriveSlotCount, '0');
    for (int i = 0; i < Num::DriveSlotCount; ++i) {
        if (bits & (1u << i)) text[i] = '1';
    }
    return text;
}

void StorePresentDrives(uint32_t bits) {
    AppState.PresentDrives = PresenceTextFromBits(bits);
    if (AppState.PresentDrives == AppState.PresentDrivesPrev) return;
    AppState.PresentDrivesPrev = AppState.PresentDrives;
    DrawPresenceMarkers();
}
