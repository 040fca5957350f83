#include "monitor/activity_poller.h"

#include <atomic>

#include "app/app_state.h"
#include "app/numbering.h"
#include "monitor/activity_probe.h"
#include "monitor/drive_history.h"
#include "monitor/drive_rates.h"

namespace {

// The image each slot should show next, 0 for nothing new. The tick overwrites; the window's
// thread takes. A stalled window thread therefore sees only the latest wish per slot.
std::atomic<int> gWantedImage[Num::LastDriveSlot + 1];
// True from the tick's request until the window's thread starts applying: one request at a time.
std::atomic<bool> gSwitchRequested{false};
// Set when the controls may disagree with LedStateShown; taken by the next active tick.
std::atomic<bool> gResyncRequested{false};
// Timer thread only: the start of each slot's current second of rates.
RateSampler gSamplers[Num::LastDriveSlot + 1];
// Set by the window's thread while nobody can see the bar; the tick then asks no volume at all.
std::atomic<bool> gPaused{false};
// Set by a pause (and by a tick skipped for one): the next tick that asks takes a new base.
std::atomic<bool> gRebase{false};
// Set when monitoring stopped: the next active tick starts the rates from a new base.
std::atomic<bool> gRestartRates{false};
constexpr uint32_t kAllSlots = (1u << Num::DriveSlotCount) - 1;
// The letters worth asking (set by the window's thread), and those the last tick asked.
std::atomic<uint32_t> gAskedSlots{kAllSlots};
uint32_t gAskedBefore = kAllSlots;
// Letters whose volume did not open or did not answer the counter query: the tick opens them no
// more (the answer would not change, and each open may go far: a drive spinning up, a driver)
// until the asked letters are set again (a scan, a device change). Their reading stays the last.
std::atomic<uint32_t> gSilentSlots{0};
VolumeQuery gSilentOutcome[Num::LastDriveSlot + 1]; // the asking thread only
// The round and the letter being asked, (round << 8) | slot, 0 in the low byte between queries.
// Only a query in progress can be given up, by the one exchange that also starts the next round.
std::atomic<uint32_t> gProbing{0};
// Letters whose query was given up and has not returned: their asking thread still owns them.
std::atomic<uint32_t> gHungSlots{0};
constexpr int kTicksPerSecond = 1000 / static_cast<int>(Num::PollPeriodMs);

void BuildVolumePath(int slot, char (&path)[8]) {
    // "\\.\" and the letter with its colon: the volume device, not the root folder.
    path[0] = '\\';
    path[1] = '\\';
    path[2] = '.';
    path[3] = '\\';
    const std::string& root = AppState.DriveRoots[slot];
    path[4] = root.size() > 0 ? root[0] : '\0';
    path[5] = root.size() > 1 ? root[1] : '\0';
    path[6] = '\0';
    path[7] = '\0';
}

} // namespace

int LedImageNumber(int slot, int state) {
    if (state < LedIdle || state > LedReadWrite) return 0;
    return slot + Num::DriveSlotCount * state;
}

void SetPollingPaused(bool paused) {
    // Before the pause shows: a tick that sees it running again must also see the rebase.
    if (paused) gRebase.store(true);
    gPaused.store(paused);
}

void RestartRates() {
    gRestartRates.store(true);
}

bool PollingPaused() {
    return gPaused.load();
}

uint32_t ProbeRound() {
    return gProbing.load() >> 8;
}

bool AbandonProbeRound() {
    uint32_t probing = gProbing.load();
    const uint32_t slot = probing & 0xFF;
    if (slot == 0 || !gProbing.compare_exchange_strong(probing, ((probing >> 8) + 1) << 8))
        return false;
    gHungSlots.fetch_or(1u << (slot - 1));
    return true;
}

void SetAskedSlots(uint32_t slots) {
    gAskedSlots.store(slots & kAllSlots);
    gSilentSlots.store(0);
}

uint32_t AskedSlots() {
    return gAskedSlots.load();
}

void PollActivity() {
    if (gPaused.load()) {
        gRebase.store(true);
        return;
    }
    // After a pause the counters moved while nobody asked: this tick only takes them as the new
    // base, shows every LED idle and starts the rates afresh, so the pause shows as no activity.
    const bool rebase = gRebase.exchange(false);
    // Taken only by a tick that runs: one that a stop cut short leaves it to the next start.
    if (AppState.MonitorActive.load() == 1 && gRestartRates.exchange(false)) {
        for (RateSampler& sampler : gSamplers) sampler.Restart = true;
    }
    const uint32_t round = ProbeRound();
    const uint32_t asked = gAskedSlots.load();
    const uint32_t silent = gSilentSlots.load();
    const uint32_t hung = gHungSlots.load();
    const uint32_t joined = asked & ~gAskedBefore;
    gAskedBefore = asked;
    if (AppState.MonitorActive.load() == 1 && gResyncRequested.exchange(false)) {
        // No state equals -1, so every slot records its current image; that also overwrites
        // any older wish still waiting for the window's thread.
        for (int s = Num::FirstDriveSlot; s <= Num::LastDriveSlot; ++s)
            AppState.LedStateShown[s] = -1;
    }
    for (int s = Num::FirstDriveSlot; s <= Num::LastDriveSlot; ++s) {
        // Read afresh per slot: a stop in mid-tick ends the tick after the slot in progress.
        if (AppState.MonitorActive.load() != 1) continue;
        const uint32_t bit = 1u << (s - 1);
        ProbeReading reading; // not asked: what a letter without a drive gives
        int state = LedIdle;
        if (asked & bit & hung) {
            reading.Outcome = VolumeQuery::NotAnswering;
        } else if (asked & bit & silent) {
            reading.Outcome = gSilentOutcome[s];
        } else if (asked & bit) {
            char path[8];
            BuildVolumePath(s, path);
            const uint32_t asking = round << 8 | static_cast<uint32_t>(s);
            gProbing.store(asking);
            state = ActivityProbe(path, s, &reading);
            if (uint32_t expected = asking;
                !gProbing.compare_exchange_strong(expected, round << 8)) {
                // Given up meanwhile: another thread asks the letters now. This one only lets
                // its letter be asked again.
                gHungSlots.fetch_and(~bit);
                return;
            }
            if (reading.Outcome != VolumeQuery::Answered) {
                gSilentOutcome[s] = reading.Outcome;
                gSilentSlots.fetch_or(bit);
            }
        }
        if (rebase) {
            state = LedIdle;
            gSamplers[s].Restart = true;
        }
        if (joined & bit) {
            state = LedIdle;
            gSamplers[s] = RateSampler();
        }
        DriveRates rates;
        if (SampleRates(gSamplers[s], reading, kTicksPerSecond, static_cast<int>(Num::PollPeriodMs),
                        &rates)) {
            PublishDriveRates(s, rates);
            if (rates.Status == RateStatus::Known)
                RecordSecond(s, rates);
            else if (rates.MissedSeconds >= 0)
                RecordMissedSeconds(s, rates.MissedSeconds); // a stop or a gap: empty columns
            else
                ForgetMinute(s); // a new drive or one gone: the seconds before are not its
        }
        AppState.LedStateNow[s] = state;
        if (AppState.LedStateShown[s] == state) continue;
        AppState.LedStateShown[s] = state;
        const int image = LedImageNumber(s, state);
        if (image == 0) continue;
        gWantedImage[s].store(image);
        if (!gSwitchRequested.exchange(true) && !RequestLedSwitches()) {
            gSwitchRequested.store(false); // nobody will answer; let a later tick ask again
        }
    }
}

void ApplyLedSwitches() {
    // Clear first: a tick that records after this point sends a fresh request.
    gSwitchRequested.store(false);
    BeginLedImages();
    for (int s = Num::FirstDriveSlot; s <= Num::LastDriveSlot; ++s) {
        const int image = gWantedImage[s].exchange(0);
        if (image != 0 && AppState.MonitorActive.load() == 1) ShowLedImage(s, image);
    }
    EndLedImages();
}

void ResyncLedSwitches() {
    gResyncRequested.store(true);
}

void ClearLedSwitches() {
    for (auto& wanted : gWantedImage) wanted.store(0);
    gSwitchRequested.store(false);
    gResyncRequested.store(false);
    gAskedSlots.store(kAllSlots);
    gAskedBefore = kAllSlots;
    gSilentSlots.store(0);
    gRebase.store(false);
    gRestartRates.store(true); // and the rates from new bases
}
