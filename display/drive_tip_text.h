#pragma once
// The text of an LED's tooltip: what the drive is, its rates and how busy it is.

#include <cstdint>
#include <string>

#include "monitor/drive_rates.h"

// "512 B/s", "1.5 KB/s", "12.0 MB/s", "7.1 GB/s" (1 KB = 1024 bytes), tenths rounded half up and
// written with the user's decimal separator; a figure that rounds to 1024 of a unit is the next
// unit's 1.0.
std::string FormatByteRate(uint64_t bytesPerSecond, const std::string& decimal = ".");

// An operation's average response time from 100 ns units: tenths of a millisecond below 10 ms
// ("0,4 ms", "< 0,1 ms"), whole milliseconds below a second ("120 ms"), then tenths of a second
// ("2,5 s", a drive that hangs); rounded half up.
std::string FormatResponseTime(uint32_t units, const std::string& decimal = ".");

// What the system says of a drive's root, as last answered. Plain data, without the heap: a
// drive question's thread writes it, and the 24 kept take no room in the program file.
struct VolumeFacts {
    int DriveType = 0; // GetDriveType's numbers: 0 unknown, 1 no root, 2 removable, 3 fixed, ...
    char Label[3 * 33] = {};  // UTF-8: a label has at most 32 characters
    char FileSystem[48] = {}; // "NTFS", "FAT32", a network provider's name
    bool SpaceKnown = false;  // the room on it was read (not for a drive that is not ready)
    uint64_t FreeBytes = 0;   // free to this user
    uint64_t TotalBytes = 0;
    bool NotAnswering = false; // a question of these has gone unanswered for a while
};

// A size as Explorer writes it, three figures at most, cut rather than rounded so that a nearly
// full unit never shows as a thousand: "512 bytes", "1.50 KB", "12.3 GB", "476 GB", "0.97 TB"
// (1 KB = 1024 bytes), with the user's decimal separator.
std::string FormatSize(uint64_t bytes, const std::string& decimal = ".");

// The tooltip of an LED: the letter, label and file system, the drive's kind (and "not answering"
// while its questions go unanswered), its rates and how
// busy it was, the room on it ("12.3 GB free of 476 GB") where that was read, and the scale of the
// chart below (`chartPeak`, for a tip that has a chart; left out when 0); only "no drive" where the
// system knows no such root.
std::string FormatDriveTip(char letter, const VolumeFacts& facts, const DriveRates& rates,
                           uint64_t chartPeak = 0, const std::string& decimal = ".");
// Whether the tooltip of a drive in this state has the minute's chart below its text.
bool TipHasChart(const VolumeFacts& facts, const DriveRates& rates);

// What a screen reader hears of an LED, cut from its tip: the name (the first line without the
// file system: "C: System"), the kind ("fixed drive"), and the figures (the lines below, joined
// by "; "). A part the tip does not have is empty.
enum TipPartNumber : int { TipName = 0, TipKind = 1, TipFigures = 2 };
std::string TipPart(const std::string& tip, int part);
