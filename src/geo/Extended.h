// The number widths of the geographic arithmetic: geographic values are stored as 32-bit
// floats and computed in 80-bit extended precision (64-bit significand), whole parts taken
// by truncation toward zero. Results for points exactly on grid lines depend on these
// widths, so they are fixed here and checked at compile time.
#pragma once

#include <cmath>
#include <limits>
#include <numbers>

namespace kx {

using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64,
              "the grid arithmetic needs an 80-bit long double (64-bit significand)");
static_assert(std::numeric_limits<float>::digits == 24 && std::numeric_limits<float>::is_iec559,
              "geographic values are IEEE 754 single precision");

// The extended-precision value nearest to pi.
inline constexpr Extended kPiExt = std::numbers::pi_v<Extended>;

// Rounds an extended value to the nearest 32-bit float.
inline float ToSingle(Extended x) {
    return static_cast<float>(x);
}

// Truncation toward zero in extended precision, as std::trunc gives it. On x86-64 the x87
// conversion to an integer rounds to nearest (the default mode), which avoids switching the
// FPU control word twice per call as a truncating conversion does; the result is then
// stepped back toward zero where rounding went past the value. Exact below 2^62.
inline Extended TruncExt(Extended x) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (std::fabs(x) < 0x1p62L) {
        long long n;
        asm("fistpll %0" : "=m"(n) : "t"(x) : "st");
        Extended r = static_cast<Extended>(n);
        if (x >= 0 && r > x) r -= 1;
        if (x < 0 && r < x) r += 1;
        return r;
    }
#endif
    return std::trunc(x);
}

// The whole number held by an extended value that TruncExt gave, as an int; the caller
// has checked its range.
inline int WholeToInt(Extended whole) {
#if defined(__x86_64__) && defined(__GNUC__)
    long long n;
    asm("fistpll %0" : "=m"(n) : "t"(whole) : "st");
    return static_cast<int>(n);
#else
    return static_cast<int>(whole);
#endif
}

}  // namespace kx
