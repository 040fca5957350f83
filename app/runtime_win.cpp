// The few pieces of the C++ runtime that the program uses, without exceptions. The library's own
// versions throw, and a throw pulls in the unwinder, type information and the exception classes:
// more than half of the executable for code that never runs. Out of memory, or a string or vector
// asked to grow past its limit, ends the program, as an exception that nothing catches would.
#include <cstdlib>
#include <new>

namespace {
[[noreturn]] void Fail() {
    std::abort();
}
} // namespace

namespace std {
[[noreturn]] void __throw_bad_alloc() {
    Fail();
}
[[noreturn]] void __throw_bad_array_new_length() {
    Fail();
}
[[noreturn]] void __throw_length_error(const char*) {
    Fail();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) {
    Fail();
}
} // namespace std

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    Fail();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
