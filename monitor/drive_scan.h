#pragma once
// Which of the letters C..Z are fixed drives right now, shown as the LEDs' presence markers.

#include <cstdint>
#include <string>

inline constexpr int DriveRootsBufferSize = 255;
inline constexpr int DriveTypeFixed = 3;

using DriveTypeQuery = int (*)(const char* root);

// Walks the 26 four-byte entries of a drive-strings buffer (at least 256 bytes, zero-filled past
// what the platform wrote), asks the type of each, and sets bit s-1 for every fixed drive whose
// letter is the one of slot s. Letters A and B and empty entries never count.
uint32_t PresenceBitsFromDriveRoots(const char* buffer, DriveTypeQuery driveType);

// 24 characters, '1' for a set bit, slot 1 first.
std::string PresenceTextFromBits(uint32_t bits);

// Window thread: keeps the new set in AppState.PresentDrives and redraws the markers only when
// it differs from the set they were last drawn for.
void StorePresentDrives(uint32_t bits);

// Scans the drives (any thread) and hands the set to the window's thread without waiting.
void ScanFixedDrives();
