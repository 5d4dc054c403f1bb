#include "geo/BexGrid.h"

#include "geo/Extended.h"

namespace kx {

namespace {

constexpr int kRows = 16;
constexpr int kColumns = 40;

// A square code read from a text as the label functions read it: {row, column}.
struct RowColumn {
    int row;
    int column;
};

std::optional<RowColumn> ReadCode(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    if (text.size() != 3) return std::nullopt;
    char r = text[0];
    if (r >= 'a' && r <= 'z') r = static_cast<char>(r - 'a' + 'A');
    if (r < 'A' || r > 'P') return std::nullopt;
    if (text[1] < '0' || text[1] > '3') return std::nullopt;
    if (text[2] < '0' || text[2] > '9') return std::nullopt;
    return RowColumn{r - 'A', (text[1] - '0') * 10 + (text[2] - '0')};
}

// Total minutes of arc of an edge held in 64 bits, rounded to the nearest whole number
// with ties to even.
long long MinutesOf(double degrees) {
    return static_cast<long long>(std::nearbyint(Extended(degrees) * 60));
}

std::string Label(long long minutes, char hemisphere) {
    const long long mm = minutes % 60;
    std::string s = std::to_string(minutes / 60);
    s += '\xB0';
    s += static_cast<char>('0' + mm / 10);
    s += static_cast<char>('0' + mm % 10);
    s += '\'';
    s += hemisphere;
    return s;
}

}  // namespace

std::optional<std::string> GridCodeOf(float latitude, float longitude) {
    const Extended c = TruncExt(((Extended(longitude) - 21) + Extended(1) / 6) * 6);
    const Extended r = TruncExt((Extended(56.5) - Extended(latitude)) * 6);
    // Written so that a NaN fails the tests as well.
    if (!(c >= 0 && c <= kColumns - 1) || !(r >= 0 && r <= kRows - 1)) return std::nullopt;
    const int column = WholeToInt(c);
    const int row = WholeToInt(r);
    std::string code(3, ' ');
    code[0] = static_cast<char>('A' + row);
    code[1] = static_cast<char>('0' + column / 10);
    code[2] = static_cast<char>('0' + column % 10);
    return code;
}

std::optional<std::string> GridCodeOfRadians(float latitude, float longitude) {
    const float lat = ToSingle((Extended(latitude) * 180) / kPiExt);
    const float lon = ToSingle((Extended(longitude) * 180) / kPiExt);
    return GridCodeOf(lat, lon);
}

std::optional<LatLabels> LatBEX(std::string_view text) {
    const auto code = ReadCode(text);
    if (!code) return std::nullopt;
    const double north = static_cast<double>(Extended(56.5) - Extended(code->row) / 6);
    const long long m = MinutesOf(north);
    return LatLabels{Label(m, 'N'), Label(m - 10, 'N')};
}

std::optional<LongLabels> LongBEX(std::string_view text) {
    const auto code = ReadCode(text);
    if (!code) return std::nullopt;
    const double west = static_cast<double>(Extended(code->column) / 6 + Extended(125) / 6);
    const long long m = MinutesOf(west);
    return LongLabels{Label(m, 'E'), Label(m + 10, 'E')};
}

}  // namespace kx
