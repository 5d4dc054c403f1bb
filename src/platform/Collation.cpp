#include "platform/Collation.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/Cp1257.h"

namespace kx {

namespace {

// Weight bands: everything that is neither digit nor letter in byte order, then the ten
// digits, then the letters in 16 steps per base letter.
constexpr std::uint16_t kDigitBase = 0x200;
constexpr std::uint16_t kLetterBase = 0x300;

struct AccentedLetters {
    char base;
    const char* upper;  // UTF-8, in their order after the base letter
};

// Lithuanian letters first after their base, then the other letters of the code page.
constexpr AccentedLetters kAccented[] = {
    {'A', "ĄĀÄÅÆ"}, {'C', "ČĆ"},  {'E', "ĘĖĒÉ"}, {'G', "Ģ"},     {'I', "ĮĪ"},
    {'K', "Ķ"},     {'L', "ĻŁ"},  {'N', "ŃŅ"},   {'O', "ÓŌÕÖØ"}, {'R', "Ŗ"},
    {'S', "ŠŚ"},    {'U', "ŲŪÜ"}, {'Z', "ŽŹŻ"},
};

std::array<std::uint16_t, 256> BuildWeights() {
    std::array<std::uint16_t, 256> w{};
    for (int b = 0; b < 256; ++b) w[b] = static_cast<std::uint16_t>(b + 1);
    for (int d = 0; d < 10; ++d) w['0' + d] = static_cast<std::uint16_t>(kDigitBase + d);
    for (int l = 0; l < 26; ++l) w['A' + l] = static_cast<std::uint16_t>(kLetterBase + l * 16);
    for (const auto& group : kAccented) {
        const std::string upper = Cp1257(group.upper);
        for (std::size_t i = 0; i < upper.size(); ++i)
            w[static_cast<unsigned char>(upper[i])] =
                static_cast<std::uint16_t>(kLetterBase + (group.base - 'A') * 16 + i + 1);
    }
    // Sharp s has no capital: it sorts after the other letters of S.
    w[static_cast<unsigned char>(Cp1257("ß")[0])] =
        static_cast<std::uint16_t>(kLetterBase + ('S' - 'A') * 16 + 3);
    // The two letters of a case pair weigh the same.
    for (int b = 0; b < 256; ++b)
        w[b] = w[static_cast<unsigned char>(Cp1257Upper(static_cast<char>(b)))];
    return w;
}

const std::array<std::uint16_t, 256>& Weights() {
    static const std::array<std::uint16_t, 256> weights = BuildWeights();
    return weights;
}

}  // namespace

std::uint16_t CollationWeight(unsigned char byte) noexcept {
    return Weights()[byte];
}

std::string BaseLetters(std::string_view text) {
    const auto& w = Weights();
    std::string out(text);
    for (char& c : out) {
        const std::uint16_t weight = w[static_cast<unsigned char>(c)];
        c = weight >= kLetterBase && weight < kLetterBase + 26 * 16
                ? static_cast<char>('A' + (weight - kLetterBase) / 16)
                : Cp1257Upper(c);
    }
    return out;
}

int CollateCompare(std::string_view a, std::string_view b) noexcept {
    const auto& w = Weights();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t wa = w[static_cast<unsigned char>(a[i])];
        const std::uint16_t wb = w[static_cast<unsigned char>(b[i])];
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace kx
