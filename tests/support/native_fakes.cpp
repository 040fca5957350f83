#include "support/native_fakes.h"

#include "display/led_images.h"
#include "monitor/activity_poller.h"
#include "monitor/timer_service.h"

FakePlatform gFake;

void ResetFakes() {
    gFake = FakePlatform();
}

FakeVolume& FakeVolumeFor(char letter) {
    return gFake.Volumes[letter - 'A'];
}

// Must not allocate: the poller's allocation test runs through it.
VolumeQuery QueryVolumeCounters(const char* path, DiskCounters* counters) {
    ++gFake.QueryCalls;
    if (path[0] != '\\' || path[1] != '\\' || path[2] != '.' || path[3] != '\\' || path[4] < 'A' ||
        path[4] > 'Z' || path[5] != ':' || path[6] != '\0') {
        return VolumeQuery::NotOpened;
    }
    if (gFake.DuringQuery) gFake.DuringQuery(path[4]);
    const FakeVolume& volume = gFake.Volumes[path[4] - 'A'];
    if (volume.Outcome == VolumeQuery::Answered) *counters = volume.Counters;
    return volume.Outcome;
}

void TimerPlatformGetCaps(TimerCaps* caps) {
    caps->PeriodMin = gFake.PeriodMin;
    caps->PeriodMax = gFake.PeriodMax;
}

void TimerPlatformBeginPeriod(uint32_t periodMs) {
    gFake.TimerLog.push_back("begin " + std::to_string(periodMs));
}

void TimerPlatformEndPeriod(uint32_t periodMs) {
    gFake.TimerLog.push_back("end " + std::to_string(periodMs));
}

uint32_t TimerPlatformSetPeriodic(uint32_t periodMs, uint32_t slot) {
    const bool refused = periodMs < gFake.PeriodMin || periodMs > gFake.PeriodMax;
    const uint32_t id = refused ? 0 : gFake.NextTimerId++;
    gFake.TimerLog.push_back("set " + std::to_string(periodMs) + " slot " + std::to_string(slot) +
                             " -> " + std::to_string(id));
    return id;
}

void TimerPlatformKill(uint32_t timerId) {
    gFake.TimerLog.push_back("kill " + std::to_string(timerId));
}

void TimerPlatformYield() {}

// The tick's questions on the timer thread itself: the tests step it tick by tick.
void ProbeTick() {
    PollActivity();
}

void FinishProbeRound() {}

bool RequestLedSwitches() {
    ++gFake.SwitchRequests;
    return gFake.RequestsDelivered;
}

void ShowLedImage(int control, int image) {
    gFake.ShownImages.emplace_back(control, image);
}

void BeginLedImages() {}
void EndLedImages() {}

void DrawPresenceMarkers() {
    ++gFake.MarkerDraws;
}

void ScanFixedDrives() {} // the platform scan; its logic is tested through StorePresentDrives
