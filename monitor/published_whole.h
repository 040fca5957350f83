#pragma once
// Numbers the timer thread writes and the window's thread reads as one consistent copy: a sequence
// number, odd while the writer is at work, tells a reader to copy again. One writer only; what it
// guards is atomic and read and written relaxed.

#include <atomic>
#include <cstdint>

template <typename Write> void PublishWhole(std::atomic<uint32_t>& sequence, Write write) {
    const uint32_t before = sequence.load(std::memory_order_relaxed);
    sequence.store(before + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    write();
    sequence.store(before + 2, std::memory_order_release);
}

template <typename Read> void ReadWhole(const std::atomic<uint32_t>& sequence, Read read) {
    for (;;) {
        const uint32_t before = sequence.load(std::memory_order_acquire);
        read();
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1) == 0 && sequence.load(std::memory_order_relaxed) == before) return;
    }
}
