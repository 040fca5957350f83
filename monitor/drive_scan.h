#pragma once
// Which of the letters C..Z are fixed drives right now, shown as the LEDs' presence markers.

#include <cstdint>
#include <string>

inline constexpr int DriveRootsBufferSize = 255;
inline constexpr int DriveTypeFixed = 3;
inline constexpr int DriveTypeNetwork = 4;

using DriveTypeQuery = int (*)(const char* root);

// Walks the 26 four-byte entries of a drive-strings buffer (at least 256 bytes, zero-filled past
// what the platform wrote), asks the type of each that is not empty, and sets bit s-1 for every
// fixed drive whose letter is the one of slot s; `network` gets the same for network drives.
// Letters A and B never count.
uint32_t PresenceBitsFromDriveRoots(const char* buffer, DriveTypeQuery driveType,
                                    uint32_t* network);

// 24 characters, '1' for a set bit, slot 1 first.
std::string PresenceTextFromBits(uint32_t bits);

// Window thread: keeps the new set in AppState.PresentDrives and redraws the markers only when
// it differs from the set they were last drawn for.
void StorePresentDrives(uint32_t bits);

// Window thread: the letters that name a drive of any kind but a network drive (which no counter
// query answers, and whose every open goes to the file server), as the last scan found them,
// and what Windows announced since (volume arrival and removal, bit s-1 for slot s). The tick
// asks only those of them whose LED is shown; RefreshAskedSlots applies a change of the shown
// LEDs.
void StoreExistingDrives(uint32_t slots);
void NoteVolumesArrived(uint32_t slots);
void NoteVolumesRemoved(uint32_t slots);
void RefreshAskedSlots();

// Scans the drives (any thread) and hands the sets to the window's thread without waiting.
void ScanFixedDrives();
// Platform: the letters C..Z that name a drive of any kind, bit s-1 for slot s. Test builds
// link a source of their own.
uint32_t ExistingDriveSlots();
