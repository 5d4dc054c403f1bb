#include "geo/Locator.h"

#include "geo/Extended.h"

namespace kx {

namespace {

// The character base + n for a whole number n held in extended precision.
char CharOf(char base, Extended n) {
    if (!std::isfinite(n) || n < -255 || n > 255) return '?';
    return static_cast<char>(static_cast<unsigned char>(base + WholeToInt(n)));
}

int Byte(std::string_view s, size_t i) {
    return static_cast<unsigned char>(s[i]);
}

}  // namespace

std::string CalcWWL(float latitude, float longitude) {
    std::string wwl(6, ' ');

    const float lat1 = ToSingle(Extended(latitude) + 90);
    const Extended a = TruncExt(Extended(lat1) / 10);
    wwl[1] = CharOf('A', a);
    const float rho = ToSingle(Extended(lat1) - 10 * a);
    const Extended rhoWhole = TruncExt(Extended(rho));
    wwl[3] = CharOf('0', rhoWhole);
    wwl[5] = CharOf('A', TruncExt(((Extended(lat1) - 10 * a) - rhoWhole) * 24));

    const float long1 = ToSingle(Extended(longitude) + 180);
    const Extended b = TruncExt(Extended(long1) / 20);
    wwl[0] = CharOf('A', b);
    const float rho2 = ToSingle((Extended(long1) - 20 * b) / 2);
    const Extended rho2Whole = TruncExt(Extended(rho2));
    wwl[2] = CharOf('0', rho2Whole);
    wwl[4] = CharOf('A', TruncExt(((Extended(long1) - 20 * b) - 2 * rho2Whole) * 12));
    return wwl;
}

float fLong(std::string_view locator) {
    if (locator.size() < 5) return 0;
    const int c1 = Byte(locator, 0), c3 = Byte(locator, 2), c5 = Byte(locator, 4);
    // The western edge of the subsquare plus half its width, held in 64 bits.
    double lambda = static_cast<double>(Extended((c1 - 65) * 20 - 180 + (c3 - 48) * 2) +
                                        Extended(c5 - 65) / 12 + Extended(1) / 24);
    if (lambda >= 360) lambda -= 360;
    return ToSingle(kPiExt * Extended(lambda) / 180);
}

float fLat(std::string_view locator) {
    if (locator.size() < 6) return 0;
    const int c2 = Byte(locator, 1), c4 = Byte(locator, 3), c6 = Byte(locator, 5);
    // The southern edge of the subsquare plus half its height, held in 64 bits.
    double phi = static_cast<double>(Extended((c2 - 65) * 10 - 90 + (c4 - 48)) +
                                     Extended(c6 - 65) / 24 + Extended(1) / 48);
    if (phi >= 180) phi -= 180;
    return ToSingle(kPiExt * Extended(phi) / 180);
}

std::optional<std::string_view> LocatorOfSix(std::string_view typed) {
    if (typed.size() != 6 && typed.size() != 8 && typed.size() != 10) return std::nullopt;
    return typed.substr(0, 6);
}

}  // namespace kx
