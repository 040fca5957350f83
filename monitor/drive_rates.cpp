#include "monitor/drive_rates.h"

#include <atomic>

#include "app/numbering.h"
#include "monitor/published_whole.h"

namespace {

constexpr int kFields = 6; // status, the four rates, busy

struct PublishedRates {
    std::atomic<uint32_t> Sequence{0};
    std::atomic<uint32_t> Fields[kFields] = {};
};
PublishedRates gPublished[Num::LastDriveSlot + 1];

uint32_t PerSecond(uint64_t delta, int ticks, int tickMs) {
    const uint64_t perSecond = delta * 1000 / (static_cast<uint64_t>(ticks) * tickMs);
    return perSecond > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(perSecond);
}

// A 32-bit count's difference; more than half the range back means it restarted, not wrapped.
bool CountDelta(uint32_t now, uint32_t before, uint64_t* delta) {
    const uint32_t d = now - before;
    *delta = d;
    return d <= UINT32_MAX / 2;
}

// The share of the window with work in flight: 1 - idle / elapsed, from the clock the query itself
// reports. Unknown where the drive reports no idle time or either clock went backwards.
uint32_t BusyShare(const DiskCounters& base, const DiskCounters& now) {
    if (now.IdleTime == 0 || now.QueryTime <= base.QueryTime || now.IdleTime < base.IdleTime)
        return BusyUnknown;
    const uint64_t elapsed = now.QueryTime - base.QueryTime;
    const uint64_t idle =
        now.IdleTime - base.IdleTime < elapsed ? now.IdleTime - base.IdleTime : elapsed;
    return static_cast<uint32_t>(((elapsed - idle) * 100 + elapsed / 2) / elapsed);
}

} // namespace

bool SampleRates(RateSampler& sampler, const ProbeReading& reading, int windowTicks, int tickMs,
                 DriveRates* rates) {
    if (reading.Outcome != VolumeQuery::Answered) {
        const RateStatus status = reading.Outcome == VolumeQuery::NotOpened
                                      ? RateStatus::NoDrive
                                      : RateStatus::NotAvailable;
        sampler.HasBase = false;
        if (sampler.Status == status) return false;
        sampler.Status = status;
        *rates = DriveRates{status};
        return true;
    }
    const DiskCounters& now = reading.Counters;
    if (!sampler.HasBase) {
        sampler = RateSampler{now, 0, true, RateStatus::Measuring};
        *rates = DriveRates{RateStatus::Measuring};
        return true;
    }
    if (++sampler.Ticks < windowTicks) return false;
    const DiskCounters& base = sampler.Base;
    uint64_t reads = 0, writes = 0;
    const bool sane = now.BytesRead >= base.BytesRead && now.BytesWritten >= base.BytesWritten &&
                      CountDelta(now.ReadCount, base.ReadCount, &reads) &&
                      CountDelta(now.WriteCount, base.WriteCount, &writes);
    *rates = DriveRates{RateStatus::Known};
    rates->Counted = sane;
    if (sane) {
        rates->ReadBytes = PerSecond(now.BytesRead - base.BytesRead, sampler.Ticks, tickMs);
        rates->WriteBytes = PerSecond(now.BytesWritten - base.BytesWritten, sampler.Ticks, tickMs);
        rates->Reads = PerSecond(reads, sampler.Ticks, tickMs);
        rates->Writes = PerSecond(writes, sampler.Ticks, tickMs);
        rates->Busy = BusyShare(base, now);
    }
    sampler.Base = now;
    sampler.Ticks = 0;
    sampler.Status = RateStatus::Known;
    return true;
}

void PublishDriveRates(int slot, const DriveRates& rates) {
    if (slot < Num::FirstDriveSlot || slot > Num::LastDriveSlot) return;
    PublishedRates& p = gPublished[slot];
    const uint32_t values[kFields] = {static_cast<uint32_t>(rates.Status),
                                      rates.ReadBytes,
                                      rates.WriteBytes,
                                      rates.Reads,
                                      rates.Writes,
                                      rates.Busy};
    PublishWhole(p.Sequence, [&] {
        for (int i = 0; i < kFields; ++i) p.Fields[i].store(values[i], std::memory_order_relaxed);
    });
}

DriveRates ReadDriveRates(int slot) {
    if (slot < Num::FirstDriveSlot || slot > Num::LastDriveSlot) return DriveRates{};
    const PublishedRates& p = gPublished[slot];
    uint32_t v[kFields];
    ReadWhole(p.Sequence, [&] {
        for (int i = 0; i < kFields; ++i) v[i] = p.Fields[i].load(std::memory_order_relaxed);
    });
    return DriveRates{static_cast<RateStatus>(v[0]), v[1], v[2], v[3], v[4], v[5]};
}

std::string FormatByteRate(uint32_t bytesPerSecond) {
    if (bytesPerSecond < 1024) return std::to_string(bytesPerSecond) + " B/s";
    // Tenths, rounded, in whole numbers: no floating point and no printf in the program.
    const uint64_t unit = bytesPerSecond < 1024u * 1024u ? 1024 : 1024 * 1024;
    const uint64_t tenths = (uint64_t{bytesPerSecond} * 10 + unit / 2) / unit;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) +
           (unit == 1024 ? " KB/s" : " MB/s");
}

bool TipHasChart(const VolumeFacts& facts, const DriveRates& rates) {
    return facts.DriveType != 1 &&
           (rates.Status == RateStatus::Known || rates.Status == RateStatus::Measuring);
}

std::string FormatDriveTip(char letter, const VolumeFacts& facts, const DriveRates& rates,
                           uint32_t chartPeak) {
    std::string tip(1, letter);
    tip += ":";
    if (facts.DriveType == 1) return tip + " no drive"; // the system knows no such root
    if (!facts.Label.empty()) tip += " " + facts.Label;
    if (!facts.FileSystem.empty()) tip += " (" + facts.FileSystem + ")";
    static const char* const kKinds[] = {
        "unknown drive", "",        "removable drive", "fixed drive", "network drive",
        "optical drive", "RAM disk"};
    const int kind = facts.DriveType >= 0 && facts.DriveType <= 6 ? facts.DriveType : 0;
    tip += "\n";
    tip += kKinds[kind];
    switch (rates.Status) {
    case RateStatus::Known:
        tip += "\nRead: " + FormatByteRate(rates.ReadBytes) + ", " + std::to_string(rates.Reads) +
               " ops/s";
        tip += "\nWrite: " + FormatByteRate(rates.WriteBytes) + ", " +
               std::to_string(rates.Writes) + " ops/s";
        if (rates.Busy <= 100) tip += "\nBusy " + std::to_string(rates.Busy) + " %";
        break;
    case RateStatus::Measuring:
        tip += "\nmeasuring...";
        break;
    default:
        tip += "\nactivity not available";
        break;
    }
    if (chartPeak > 0) tip += "\npeak " + FormatByteRate(chartPeak);
    return tip;
}
