#include "HeapPeak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};

// AddressSanitizer keeps its own heap and tells operator new from malloc, which mixed
// library code defeats: under it nothing is counted and the peak reads as 0.
#ifndef __SANITIZE_ADDRESS__
void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const std::size_t now = held += malloc_usable_size(p);
    std::size_t top = peak.load();
    while (now > top && !peak.compare_exchange_weak(top, now)) {
    }
    return p;
}

void Release(void* p) noexcept {
    if (!p) return;
    held -= malloc_usable_size(p);
    std::free(p);
}

#endif

}  // namespace

#ifndef __SANITIZE_ADDRESS__

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

#endif

namespace kxtest {

std::size_t HeapPeakDuring(const std::function<void()>& fn) {
    const std::size_t start = held.load();
    peak = start;
    fn();
    return peak.load() - start;
}

}  // namespace kxtest
