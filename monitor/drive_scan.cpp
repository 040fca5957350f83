#include "monitor/drive_scan.h"

#include "app/app_state.h"
#include "app/numbering.h"
#include "display/bar_layout.h"
#include "display/led_images.h"
#include "monitor/activity_poller.h"

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
uint32_t gNetworkSlots = 0;
} // namespace

void RefreshAskedSlots() {
    uint32_t shown = 0;
    for (int slot = Num::FirstDriveSlot; slot <= Num::LastDriveSlot; ++slot) {
        if (SlotShown(AppState.Drives, slot)) shown |= 1u << (slot - 1);
    }
    SetAskedSlots(gExistingSlots & ~gNetworkSlots & shown);
}

void StoreExistingDrives(uint32_t slots) {
    gExistingSlots = slots;
    RefreshAskedSlots();
}

void StoreNetworkDrives(uint32_t slots) {
    if (slots == gNetworkSlots) return;
    gNetworkSlots = slots;
    RefreshAskedSlots();
}

void NoteVolumesArrived(uint32_t slots) {
    StoreExistingDrives(gExistingSlots | slots);
}

void NoteVolumesRemoved(uint32_t slots) {
    StoreExistingDrives(gExistingSlots & ~slots);
}
