#include "monitor/drive_history.h"

#include <atomic>

#include "app/numbering.h"
#include "monitor/published_whole.h"

namespace {

struct PublishedMinute {
    std::atomic<uint32_t> Sequence{0};
    std::atomic<uint32_t> Next{0}; // where the next second goes: the oldest
    std::atomic<uint32_t> Known[MinuteSeconds] = {};
    std::atomic<uint32_t> Read[MinuteSeconds] = {};
    std::atomic<uint32_t> Write[MinuteSeconds] = {};
};
PublishedMinute gMinutes[Num::LastDriveSlot + 1];

bool InRange(int slot) {
    return slot >= Num::FirstDriveSlot && slot <= Num::LastDriveSlot;
}

} // namespace

void RecordSecond(int slot, const DriveRates& finished) {
    if (!InRange(slot)) return;
    PublishedMinute& m = gMinutes[slot];
    const uint32_t at = m.Next.load(std::memory_order_relaxed);
    const bool known = finished.Counted;
    PublishWhole(m.Sequence, [&] {
        m.Known[at].store(known ? 1 : 0, std::memory_order_relaxed);
        m.Read[at].store(known ? finished.ReadBytes : 0, std::memory_order_relaxed);
        m.Write[at].store(known ? finished.WriteBytes : 0, std::memory_order_relaxed);
        m.Next.store((at + 1) % MinuteSeconds, std::memory_order_relaxed);
    });
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
                                              m.Read[at].load(std::memory_order_relaxed),
                                              m.Write[at].load(std::memory_order_relaxed)};
        }
    });
    return minute;
}

uint32_t MinutePeak(const DriveMinute& minute) {
    uint32_t peak = 0;
    for (const HistorySecond& s : minute.Seconds) {
        if (!s.Known) continue;
        if (s.ReadBytes > peak) peak = s.ReadBytes;
        if (s.WriteBytes > peak) peak = s.WriteBytes;
    }
    return peak;
}

int ColumnHeight(uint32_t value, uint32_t peak, int full) {
    if (value == 0 || peak == 0 || full <= 0) return 0;
    const uint64_t height = (uint64_t{value} * static_cast<uint64_t>(full) + peak / 2) / peak;
    return height < 1 ? 1 : height > static_cast<uint64_t>(full) ? full : static_cast<int>(height);
}
