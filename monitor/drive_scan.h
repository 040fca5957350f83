#pragma once
// Which of the letters C..Z are fixed drives right now, shown as the LEDs' presence markers.

#include <cstdint>
#include <string>

inline constexpr int DriveRootsBufferSize = 255;
inline constexpr int DriveTypeFixed = 3;
inline constexpr int DriveTypeNetwork = 4;

// 24 characters, '1' for a set bit, slot 1 first.
std::string PresenceTextFromBits(uint32_t bits);

// Window thread: keeps the new set in AppState.PresentDrives and redraws the markers only when
// it differs from the set they were last drawn for.
void StorePresentDrives(uint32_t bits);

// Window thread: the letters that name a drive (as the last scan found them, and what Windows
// announced since: volume arrival and removal, bit s-1 for slot s) and, of those, the network
// drives (which no counter query answers, and whose every open goes to the file server). The
// tick asks the others whose LED is shown; RefreshAskedSlots applies a change of the shown LEDs.
void StoreExistingDrives(uint32_t slots);
void StoreNetworkDrives(uint32_t slots);
void NoteVolumesArrived(uint32_t slots);
void NoteVolumesRemoved(uint32_t slots);
void RefreshAskedSlots();

// Scans the drives (any thread): the window's thread asks each drive's type on a thread of the
// drive's own, and the fixed drives show as the answers come (ScanDrivesNow).
void ScanFixedDrives();
// Platform: the letters C..Z that name a drive of any kind, bit s-1 for slot s. Test builds
// link a source of their own.
uint32_t ExistingDriveSlots();
