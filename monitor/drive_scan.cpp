#include "monitor/drive_scan.h"

#include "app/app_state.h"
#include "app/numbering.h"
#include "display/bar_layout.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"

uint32_t PresenceBitsFromDriveRoots(const char* buffer, DriveTypeQuery driveType,
                                    uint32_t* network) {
    uint32_t bits = 0;
    *network = 0;
    for (int k = 0; k < 26; ++k) {
        const char* entry = buffer + 4 * k;
        // An empty entry has no letter to count, and asking its type would ask about the
        // current folder's drive instead: the question is left out.
        if (!entry[0]) continue;
        const char letter = entry[0];
        // Only the upper-case letters of the slots count, as the drive strings spell them.
        if (letter < 'C' || letter > 'Z') continue;
        const int type = driveType(entry);
        if (type == DriveTypeFixed) bits |= 1u << (letter - 'C');
        if (type == DriveTypeNetwork) *network |= 1u << (letter - 'C');
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

namespace {
// Until the first scan every letter may exist.
uint32_t gExistingSlots = (1u << Num::DriveSlotCount) - 1;
} // namespace

void RefreshAskedSlots() {
    uint32_t shown = 0;
    for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
        if (SlotShown(AppState.Drives, slot)) shown |= 1u << (slot - 1);
    }
    SetAskedSlots(gExistingSlots & shown);
}

void StoreExistingDrives(uint32_t slots) {
    gExistingSlots = slots;
    RefreshAskedSlots();
}

void NoteVolumesArrived(uint32_t slots) {
    StoreExistingDrives(gExistingSlots | slots);
}

void NoteVolumesRemoved(uint32_t slots) {
    StoreExistingDrives(gExistingSlots & ~slots);
}
