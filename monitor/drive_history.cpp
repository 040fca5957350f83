#include "monitor/drive_history.h"

#include <atomic>

#include "app/numbering.h"
#include "monitor/published_whole.h"

namespace {

struct PublishedMinute {
    std::atomic<uint32_t> Sequence{0};
    std::atomic<uint32_t> Next{0}; // where the next second goes: the oldest
    std::atomic<uint32_t> Known[MinuteSeconds] = {};
    // The byte rates in two halves each.
    std::atomic<uint32_t> Read[MinuteSeconds][2] = {};
    std::atomic<uint32_t> Write[MinuteSeconds][2] = {};
};
PublishedMinute gMinutes[Num::LastDriveSlot + 1];

bool InRange(int slot) {
    return slot >= Num::FirstDriveSlot && slot <= Num::LastDriveSlot;
}

void Store64(std::atomic<uint32_t> (&halves)[2], uint64_t value) {
    halves[0].store(static_cast<uint32_t>(value), std::memory_order_relaxed);
    halves[1].store(static_cast<uint32_t>(value >> 32), std::memory_order_relaxed);
}

uint64_t Load64(const std::atomic<uint32_t> (&halves)[2]) {
    return halves[0].load(std::memory_order_relaxed) |
           uint64_t{halves[1].load(std::memory_order_relaxed)} << 32;
}

// Writes the next `count` seconds, the oldest going, inside one publication.
void Append(PublishedMinute& m, int count, bool known, uint64_t read, uint64_t write) {
    uint32_t at = m.Next.load(std::memory_order_relaxed);
    for (int i = 0; i < count; ++i) {
        m.Known[at].store(known ? 1 : 0, std::memory_order_relaxed);
        Store64(m.Read[at], read);
        Store64(m.Write[at], write);
        at = (at + 1) % MinuteSeconds;
    }
    m.Next.store(at, std::memory_order_relaxed);
}

} // namespace

void RecordSecond(int slot, const DriveRates& finished) {
    if (!InRange(slot)) return;
    PublishedMinute& m = gMinutes[slot];
    const bool known = finished.Counted;
    PublishWhole(m.Sequence, [&] {
        Append(m, 1, known, known ? finished.ReadBytes : 0, known ? finished.WriteBytes : 0);
    });
}

void RecordMissedSeconds(int slot, int seconds) {
    if (!InRange(slot) || seconds <= 0) return;
    PublishedMinute& m = gMinutes[slot];
    const int count = seconds < MinuteSeconds ? seconds : MinuteSeconds;
    PublishWhole(m.Sequence, [&] { Append(m, count, false, 0, 0); });
}

void ForgetMinute(int slot) {
    if (!InRange(slot)) return;
    PublishedMinute& m = gMinutes[slot];
    PublishWhole(m.Sequence, [&] {
        for (auto& known : m.Known) known.store(0, std::memory_order_relaxed);
    });
}

DriveMinute ReadDriveMinute(int slot) {
    DriveMinute minute;
    if (!InRange(slot)) return minute;
    const PublishedMinute& m = gMinutes[slot];
    ReadWhole(m.Sequence, [&] {
        const uint32_t next = m.Next.load(std::memory_order_relaxed) % MinuteSeconds;
        for (int i = 0; i < MinuteSeconds; ++i) {
            const uint32_t at = (next + static_cast<uint32_t>(i)) % MinuteSeconds;
            minute.Seconds[i] = HistorySecond{m.Known[at].load(std::memory_order_relaxed) != 0,
                                              Load64(m.Read[at]), Load64(m.Write[at])};
        }
    });
    return minute;
}

uint64_t MinutePeak(const DriveMinute& minute) {
    uint64_t peak = 0;
    for (const HistorySecond& s : minute.Seconds) {
        if (!s.Known) continue;
        if (s.ReadBytes > peak) peak = s.ReadBytes;
        if (s.WriteBytes > peak) peak = s.WriteBytes;
    }
    return peak;
}
