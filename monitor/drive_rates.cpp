#include "monitor/drive_rates.h"

#include <atomic>

#include "app/numbering.h"
#include "monitor/published_whole.h"

namespace {

// Status, the byte rates in two halves each, the operation rates, busy, the response times and
// the queue.
constexpr int kFields = 11;

struct PublishedRates {
    std::atomic<uint32_t> Sequence{0};
    std::atomic<uint32_t> Fields[kFields] = {};
};
PublishedRates gPublished[Num::LastDriveSlot + 1];

// `delta` over `elapsed` clock units, per second. Divides first where the product would not fit,
// which only a figure far beyond any drive needs.
uint64_t PerSecond(uint64_t delta, uint64_t elapsed) {
    if (elapsed == 0) return 0;
    if (delta <= UINT64_MAX / ClockSecond) return delta * ClockSecond / elapsed;
    return delta / elapsed * ClockSecond;
}

uint32_t Clamp32(uint64_t value) {
    return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
}

// A 32-bit count's difference; more than half the range back means it restarted, not wrapped.
bool CountDelta(uint32_t now, uint32_t before, uint64_t* delta) {
    const uint32_t d = now - before;
    *delta = d;
    return d <= UINT32_MAX / 2;
}

// The share of the window with work in flight: 1 - idle / elapsed, from the clock the query itself
// reports. Unknown where the drive reports no idle time or either clock went backwards; where the
// clock and the ticks disagree by half or more (the system time was set inside the window: a tick
// held up by a busy machine rarely loses half a second's ticks);
// and where the idle time stood still while no request completed or waited (a drive that never
// counts its idle time would otherwise read 100 % for ever).
uint32_t BusyShare(const DiskCounters& base, const DiskCounters& now, uint64_t tickClock,
                   uint64_t operations) {
    if (now.IdleTime == 0 || now.QueryTime <= base.QueryTime || now.IdleTime < base.IdleTime)
        return BusyUnknown;
    const uint64_t elapsed = now.QueryTime - base.QueryTime;
    if (elapsed * 2 < tickClock || elapsed > tickClock * 2) return BusyUnknown;
    const uint64_t idleDelta = now.IdleTime - base.IdleTime;
    if (idleDelta == 0 && operations == 0 && now.QueueDepth == 0) return BusyUnknown;
    const uint64_t idle = idleDelta < elapsed ? idleDelta : elapsed;
    return static_cast<uint32_t>(((elapsed - idle) * 100 + elapsed / 2) / elapsed);
}

// A figure's 32 bits, short of the value that says "unknown".
uint32_t Figure32(uint64_t value) {
    return value >= FigureUnknown ? FigureUnknown - 1 : static_cast<uint32_t>(value);
}

// The average response time of `operations` that took `time` in all: unknown where none
// completed, where the drive reports no times, or where the summed time went back (a restart).
uint32_t ResponseTime(uint64_t before, uint64_t now, uint64_t operations) {
    if (operations == 0 || now == 0 || now < before) return FigureUnknown;
    return Figure32((now - before + operations / 2) / operations);
}

// The average number of requests in flight over `elapsed`, in tenths: the response times of the
// requests that completed, summed over the span (Little's law, as Windows' "Avg. Disk Queue
// Length" is counted), so the tick carries nothing more than the two time counters.
uint32_t QueueTenths(const DiskCounters& base, const DiskCounters& now, uint64_t elapsed,
                     uint64_t operations) {
    if (operations == 0 || elapsed == 0 || (now.ReadTime == 0 && now.WriteTime == 0) ||
        now.ReadTime < base.ReadTime || now.WriteTime < base.WriteTime)
        return FigureUnknown;
    const uint64_t time = (now.ReadTime - base.ReadTime) + (now.WriteTime - base.WriteTime);
    if (time > UINT64_MAX / 10) return FigureUnknown;
    return Figure32((time * 10 + elapsed / 2) / elapsed);
}

// The seconds of the drive's clock from the start of the unfinished second to `now`, for the
// minute to leave empty; -1 where no clock tells.
int SecondsSince(const DiskCounters& base, const DiskCounters& now) {
    if (base.QueryTime == 0 || now.QueryTime < base.QueryTime) return -1;
    const uint64_t seconds = (now.QueryTime - base.QueryTime) / ClockSecond;
    return seconds > 60 ? 60 : static_cast<int>(seconds);
}

} // namespace

bool SampleRates(RateSampler& sampler, const ProbeReading& reading, int windowTicks, int tickMs,
                 DriveRates* rates) {
    if (reading.Outcome != VolumeQuery::Answered) {
        const RateStatus status = reading.Outcome == VolumeQuery::NotOpened ? RateStatus::NoDrive
                                  : reading.Outcome == VolumeQuery::NotAnswering
                                      ? RateStatus::NotAnswering
                                      : RateStatus::NotAvailable;
        sampler.HasBase = false;
        if (sampler.Status == status) return false;
        sampler.Status = status;
        *rates = DriveRates{status};
        return true;
    }
    const DiskCounters& now = reading.Counters;
    const bool clocked = now.QueryTime != 0 && sampler.LastClock != 0;
    const bool gap = clocked && (now.QueryTime < sampler.LastClock ||
                                 now.QueryTime - sampler.LastClock > ClockGap);
    // Whatever the drive did since the last reading was not watched tick by tick: it belongs to
    // no second, and the next second is measured from here.
    const auto startAfresh = [&] {
        int missed = sampler.HasBase ? SecondsSince(sampler.Base, now) : -1;
        // The clock set back past the second's start tells nothing of the time that went by, but
        // the drive is the same: its minute stays, and the ticks since the base count the seconds.
        if (missed < 0 && sampler.HasBase && sampler.Base.QueryTime != 0 && now.QueryTime != 0)
            missed = (sampler.Ticks + 1) * tickMs / 1000;
        sampler = RateSampler{now, now.QueryTime, 0, true, false, RateStatus::Measuring};
        *rates = DriveRates{RateStatus::Measuring};
        rates->MissedSeconds = missed;
        return true;
    };
    if (!sampler.HasBase || sampler.Restart || gap) return startAfresh();
    sampler.LastClock = now.QueryTime;
    ++sampler.Ticks;
    const DiskCounters& base = sampler.Base;
    const uint64_t tickClock = static_cast<uint64_t>(sampler.Ticks) * tickMs * 10000;
    const bool clockSecond =
        now.QueryTime != 0 && base.QueryTime != 0 && now.QueryTime >= base.QueryTime;
    const uint64_t elapsed = clockSecond ? now.QueryTime - base.QueryTime : tickClock;
    // A clock that stands still must not hold the second open for ever.
    if (clockSecond ? elapsed < ClockSecond && sampler.Ticks < 2 * windowTicks
                    : sampler.Ticks < windowTicks)
        return false;
    // The system time set inside the second (a step shorter than a gap): the clock and the ticks
    // disagree by half or more, and the counts were not taken over the time the clock says.
    // Unknown, as the busy share is then: the next second starts from here.
    if (clockSecond && elapsed != 0 && (elapsed * 2 < tickClock || elapsed > tickClock * 2))
        return startAfresh();
    uint64_t reads = 0, writes = 0;
    const bool sane = now.BytesRead >= base.BytesRead && now.BytesWritten >= base.BytesWritten &&
                      CountDelta(now.ReadCount, base.ReadCount, &reads) &&
                      CountDelta(now.WriteCount, base.WriteCount, &writes);
    const uint64_t divisor = elapsed != 0 ? elapsed : tickClock;
    *rates = DriveRates{RateStatus::Known};
    rates->Counted = sane;
    if (sane) {
        rates->ReadBytes = PerSecond(now.BytesRead - base.BytesRead, divisor);
        rates->WriteBytes = PerSecond(now.BytesWritten - base.BytesWritten, divisor);
        rates->Reads = Clamp32(PerSecond(reads, divisor));
        rates->Writes = Clamp32(PerSecond(writes, divisor));
        rates->Busy = BusyShare(base, now, tickClock, reads + writes);
        rates->ReadResponse = ResponseTime(base.ReadTime, now.ReadTime, reads);
        rates->WriteResponse = ResponseTime(base.WriteTime, now.WriteTime, writes);
        if (clockSecond) rates->QueueTenths = QueueTenths(base, now, elapsed, reads + writes);
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
                                      static_cast<uint32_t>(rates.ReadBytes),
                                      static_cast<uint32_t>(rates.ReadBytes >> 32),
                                      static_cast<uint32_t>(rates.WriteBytes),
                                      static_cast<uint32_t>(rates.WriteBytes >> 32),
                                      rates.Reads,
                                      rates.Writes,
                                      rates.Busy,
                                      rates.ReadResponse,
                                      rates.WriteResponse,
                                      rates.QueueTenths};
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
    DriveRates rates{static_cast<RateStatus>(v[0]),
                     v[1] | uint64_t{v[2]} << 32,
                     v[3] | uint64_t{v[4]} << 32,
                     v[5],
                     v[6],
                     v[7]};
    rates.ReadResponse = v[8];
    rates.WriteResponse = v[9];
    rates.QueueTenths = v[10];
    return rates;
}
