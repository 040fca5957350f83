#pragma once
// Stand-ins for the platform half in native tests. Each test resets them with ResetFakes().

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "monitor/activity_probe.h"

struct FakeVolume {
    VolumeQuery Outcome = VolumeQuery::NotOpened;
    DiskCounters Counters;
};

struct FakePlatform {
    FakeVolume Volumes[26]; // by letter A..Z; reached through "\\.\X:" paths only
    int QueryCalls = 0;
    void (*DuringQuery)(char letter) = nullptr; // inside each query, after it is counted

    // Timers.
    std::vector<std::string> TimerLog; // "begin 1", "set 50 slot 0 -> 7", "kill 7", "end 1"
    uint32_t NextTimerId = 1;
    uint32_t PeriodMin = 1;
    uint32_t PeriodMax = 1000000;

    // Hand-over to the window's thread.
    int SwitchRequests = 0;
    bool RequestsDelivered = true;
    std::vector<std::pair<int, int>> ShownImages; // (control, image)
    int MarkerDraws = 0;
};

extern FakePlatform gFake;

void ResetFakes();
FakeVolume& FakeVolumeFor(char letter);
