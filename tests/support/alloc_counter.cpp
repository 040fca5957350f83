#include "support/alloc_counter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool tCounting = false;
thread_local size_t tCount = 0;
} // namespace

AllocationCounter::AllocationCounter() {
    tCount = 0;
    tCounting = true;
}
AllocationCounter::~AllocationCounter() {
    tCounting = false;
}
size_t AllocationCounter::Count() const {
    return tCount;
}

void* operator new(std::size_t size) {
    if (tCounting) ++tCount;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
