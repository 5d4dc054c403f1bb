// The most heap memory the process held at once while a piece of code ran, counted by the
// replacement of the global operator new and delete in HeapPeak.cpp.
#pragma once

#include <cstddef>
#include <functional>

namespace kxtest {

// Bytes allocated through operator new above what was held when fn started, at the peak
// (0 under AddressSanitizer, which counts nothing here).
std::size_t HeapPeakDuring(const std::function<void()>& fn);

}  // namespace kxtest
