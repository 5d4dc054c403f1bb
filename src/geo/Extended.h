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

// std::trunc in extended precision.
inline Extended TruncExt(Extended x) {
    return std::trunc(x);
}

}  // namespace kx
