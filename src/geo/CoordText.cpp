#include "geo/CoordText.h"

#include <cstdint>

#include "platform/Errors.h"
#include "platform/Messages.h"

namespace kx {

static_assert(sizeof(long double) > sizeof(double), "80-bit long double expected");

namespace {

// Characters pos .. pos+len-1 of s (1-based, like the field positions); shorter or
// empty where s ends earlier.
std::string_view Part(std::string_view s, std::size_t pos, std::size_t len) {
    if (pos < 1 || pos > s.size()) return {};
    return s.substr(pos - 1, len);
}

// Characters pos .. the one before the last (1-based).
std::string_view PartToBeforeLast(std::string_view s, std::size_t pos) {
    if (s.empty() || pos > s.size() - 1) return {};
    return s.substr(pos - 1, s.size() - pos);
}

// A whole number: an optional sign and one or more digits, nothing else.
std::optional<long long> ReadWhole(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size() || s.size() - i > 18) return std::nullopt;
    long long n = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        n = n * 10 + (s[i] - '0');
    }
    return negative ? -n : n;
}

// A decimal number with "," as the decimal sign: an optional sign, digits, optionally a
// comma and more digits; at least one digit in all.
std::optional<long double> ReadDecimal(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long double whole = 0, fraction = 0, scale = 1;
    int digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
        whole = whole * 10 + (s[i] - '0');
    }
    if (i < s.size() && s[i] == kDecimalSign) {
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
            if (scale < 1e30L) {
                fraction = fraction * 10 + (s[i] - '0');
                scale *= 10;
            }
        }
    }
    if (i != s.size() || digits == 0 || digits > 30) return std::nullopt;
    long double v = whole + fraction / scale;
    return negative ? -v : v;
}

// The text without the bytes 0-32 at either end.
std::string TrimText(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    return std::string(text.substr(b, e - b));
}

// The strict readings: a text that is not a number ends the run with an error report.
long double StrictWhole(std::string_view s) {
    if (auto n = ReadWhole(s)) return static_cast<long double>(*n);
    throw ConvertError(CpMessage(Msg::NotAnInteger, {s}));
}

long double StrictDecimal(std::string_view s) {
    if (auto v = ReadDecimal(s)) return *v;
    throw ConvertError(CpMessage(Msg::NotANumber, {s}));
}

// Read, else a default (the lenient readings of the minutes and seconds while typing).
long double WholeOr(std::string_view s, long double fallback) {
    if (auto n = ReadWhole(s)) return static_cast<long double>(*n);
    return fallback;
}

// Read, or -1 when the characters are not a whole number (the evaluation's reading).
long double WholeOrMinusOne(std::string_view s) {
    return WholeOr(s, -1);
}

float To32(long double v) {
    return static_cast<float>(v);
}

// A formatter run under construction.
class Run {
public:
    explicit Run(std::string_view text) { r_.text = TrimText(text); }

    const std::string& text() const { return r_.text; }
    std::size_t length() const { return r_.text.size(); }

    void append(char c) { r_.text.push_back(c); }
    void insertAt(std::size_t pos, char c) {  // c becomes character pos (1-based)
        r_.text.insert(std::min(pos - 1, r_.text.size()), 1, c);
    }
    void setText(std::string t) { r_.text = std::move(t); }
    void caret(std::size_t n) { r_.caret = static_cast<int>(n); }
    void caretAtEnd() { caret(length()); }
    void caretBeforeLast() { caret(length() - 1); }
    void black() { r_.colour = TextColour::Black; }
    void maxLength(int n) { r_.maxLength = n; }
    void value(long double v) { value_ = v; }

    // A failed test: red, nothing stored.
    CoordFormatResult fail() {
        r_.colour = TextColour::Red;
        r_.value.reset();
        return r_;
    }
    // The run stops before any row: nothing stored.
    CoordFormatResult stop() { return r_; }
    // The run ended normally: the last computed value, or 0, is stored.
    CoordFormatResult finish(bool west = false) {
        long double v = value_.value_or(0);
        r_.value = To32(west ? 360 - v : v);
        return r_;
    }

private:
    CoordFormatResult r_;
    std::optional<long double> value_;
};

// "DD°d" -> "DD,d°" (degrees of `digits` characters): the degree sign removed, the
// decimal sign after the degrees and the degree sign appended.
std::string DecimalDegreesText(std::string_view text, std::size_t digits) {
    std::string s(text);
    if (auto p = s.find(kDegreeSign); p != std::string::npos) s.erase(p, 1);
    s.insert(std::min(digits, s.size()), 1, kDecimalSign);
    s.push_back(kDegreeSign);
    return s;
}

}  // namespace

int CoordMaxLength(CoordField field, const CoordSettings& s) {
    int extra = (field == CoordField::Longitude && s.west) ? 1 : 0;
    switch (s.format) {
        case 1:
            return 9 + extra;
        case 2:
        case 3:
            return 12 + extra;
        default:
            return kCoordInitialMaxLength;
    }
}

CoordFormatResult FormatLatitude(std::string_view input, int format) {
    Run run(input);
    if (run.length() < 2) return run.stop();
    if (run.length() == 2) {
        if (WholeOr(run.text(), 91) > 90) return run.fail();
        run.black();
        run.append(kDegreeSign);
        run.caret(3);
    }
    if (format >= 1 && format <= 3) run.maxLength(CoordMaxLength(CoordField::Latitude, {format}));
    const std::string& t = run.text();
    switch (format) {
        case 1: {
            if (run.length() == 3) {
                long double d = StrictWhole(Part(t, 1, 2));
                if (d > 90) return run.fail();
                run.black();
                run.caretAtEnd();
                run.value(d);
            }
            if (run.length() == 5) {
                long double m = WholeOr(Part(t, 4, 2), 60);
                if (m >= 60) return run.fail();
                long double v = StrictWhole(Part(t, 1, 2)) + m / 60;
                if (v > 90) return run.fail();
                run.black();
                run.append(kMinutesSign);
                run.caret(6);
                run.value(v);
            }
            if (run.length() == 8) {
                long double s = WholeOr(Part(t, 7, 2), 60);
                if (s >= 60) return run.fail();
                long double v =
                    StrictWhole(Part(t, 1, 2)) + StrictWhole(Part(t, 4, 2)) / 60 + s / 3600;
                if (v > 90) return run.fail();
                run.black();
                run.append(kSecondsSign);
                run.caret(9);
                run.value(v);
            }
            break;
        }
        case 2: {
            if (run.length() == 5) {
                long double m = WholeOr(Part(t, 4, 2), 60);
                if (m >= 60) return run.fail();
                run.black();
                run.append(kMinutesSign);
                run.caret(5);
                run.value(m);
            }
            if (run.length() == 7) {
                run.insertAt(6, kDecimalSign);
                run.caret(7);
                long double v =
                    StrictWhole(Part(t, 1, 2)) + StrictDecimal(PartToBeforeLast(t, 4)) / 60;
                if (v > 90) return run.fail();
                run.black();
                run.value(v);
            }
            if (run.length() >= 9) {
                long double v =
                    StrictWhole(Part(t, 1, 2)) + StrictDecimal(PartToBeforeLast(t, 4)) / 60;
                if (v > 90) return run.fail();
                run.black();
                run.caretBeforeLast();
                run.value(v);
            }
            break;
        }
        case 3: {
            if (run.length() == 4) {
                std::string next = DecimalDegreesText(t, 2);
                long double v = StrictDecimal(std::string_view(next).substr(0, next.size() - 1));
                if (!(v < 90)) return run.fail();
                run.black();
                run.setText(std::move(next));
                run.caret(4);
                run.value(v);
            }
            if (run.length() >= 6) {
                long double v = StrictDecimal(std::string_view(t).substr(0, t.size() - 1));
                if (!(v < 90)) return run.fail();
                run.black();
                run.caretBeforeLast();
                run.value(v);
            }
            break;
        }
        default:
            break;
    }
    return run.finish();
}

namespace {

// The longitude rows, east or west. East degrees have two digits; west degrees three, and
// every later position moves one place to the right. The two differ otherwise only in the
// range test of the degrees (west alone has one), in the colour of the decimal-degrees
// rows (west makes the field black, east leaves the colour as it is) and in the value
// stored at the end (west: 360 minus the typed value).
CoordFormatResult FormatLongitudeRows(std::string_view input, int format, bool west) {
    const std::size_t digits = west ? 3 : 2;
    const std::size_t k = digits - 2;  // shift of every position after the degrees
    Run run(input);
    if (run.length() < digits) return run.stop();
    if (run.length() == digits) {
        if (west && WholeOr(run.text(), 360) >= 360) return run.fail();
        run.black();
        run.append(kDegreeSign);
        run.caret(digits + 1);
    }
    if (format >= 1 && format <= 3) {
        run.maxLength(CoordMaxLength(CoordField::Longitude, {format, west}));
    }
    const std::string& t = run.text();
    auto degrees = [&] { return StrictWhole(Part(t, 1, digits)); };
    switch (format) {
        case 1: {
            if (run.length() == 5 + k) {
                long double m = WholeOr(Part(t, 4 + k, 2), 60);
                if (m >= 60) return run.fail();
                run.black();
                long double v = degrees() + m / 60;
                run.append(kMinutesSign);
                run.caret(6 + k);
                run.value(v);
            }
            if (run.length() == 8 + k) {
                long double s = WholeOr(Part(t, 7 + k, 2), 60);
                if (s >= 60) return run.fail();
                run.black();
                long double v = degrees() + StrictWhole(Part(t, 4 + k, 2)) / 60 + s / 3600;
                run.append(kSecondsSign);
                run.caret(9 + k);
                run.value(v);
            }
            break;
        }
        case 2: {
            if (run.length() == 5 + k) {
                long double m = WholeOr(Part(t, 4 + k, 2), 60);
                if (m >= 60) return run.fail();
                run.black();
                run.append(kMinutesSign);
                run.caret(5 + k);
                run.value(m);
            }
            if (run.length() == 7 + k) {
                run.insertAt(6 + k, kDecimalSign);
                run.caret(7 + k);
                run.value(degrees() + StrictDecimal(PartToBeforeLast(t, 4 + k)) / 60);
            }
            if (run.length() >= 9 + k) {
                run.value(degrees() + StrictDecimal(PartToBeforeLast(t, 4 + k)) / 60);
                run.caretBeforeLast();
            }
            break;
        }
        case 3: {
            if (run.length() == 4 + k) {
                std::string next = DecimalDegreesText(t, digits);
                long double v = StrictDecimal(std::string_view(next).substr(0, next.size() - 1));
                run.setText(std::move(next));
                run.caret(4 + k);
                if (west) run.black();
                run.value(v);
            }
            if (run.length() >= 6 + k) {
                run.value(StrictDecimal(std::string_view(t).substr(0, t.size() - 1)));
                run.caretBeforeLast();
                if (west) run.black();
            }
            break;
        }
        default:
            break;
    }
    return run.finish(west);
}

}  // namespace

CoordFormatResult FormatLongitude(std::string_view text, const CoordSettings& settings) {
    return FormatLongitudeRows(text, settings.format, settings.west);
}

CoordFormatResult FormatCoordinate(CoordField field, std::string_view text,
                                   const CoordSettings& settings) {
    return field == CoordField::Latitude ? FormatLatitude(text, settings.format)
                                         : FormatLongitude(text, settings);
}

std::optional<std::string> CompleteCoordinate(CoordField field, std::string_view text,
                                              const CoordSettings& settings) {
    const std::size_t digits = (field == CoordField::Longitude && settings.west) ? 3 : 2;
    std::string t = TrimText(text);
    if (t.size() != digits + 1) return std::nullopt;
    switch (settings.format) {
        case 1:
            return t + "00" + kMinutesSign + "00" + kSecondsSign;
        case 2:
            return t + "00" + kDecimalSign + "00" + kMinutesSign;
        case 3:
            return t.substr(0, digits) + kDecimalSign + "0000" + kDegreeSign;
        default:
            return std::nullopt;
    }
}

namespace {

// Reads one coordinate text in the chosen format, storing every intermediate result into
// `store`. `digits` is the number of degree digits; `last` the final range test.
bool ReadCoordinate(std::string_view t, int format, std::size_t digits, bool latitude,
                    float& store) {
    const std::size_t k = digits - 2;  // later positions move right for 3-digit degrees
    const long double offset = latitude ? 1.0L / 360.0L : 0.0L;
    auto upper = [&](long double v, bool inclusive360) {
        if (latitude) return v > 90;
        if (digits == 3) return v > 180;  // a west longitude beyond 180 degrees
        return inclusive360 ? v > 360 : v >= 360;
    };
    auto save = [&](long double v) {
        store = To32(v);
        return static_cast<long double>(store);
    };
    long double v;
    switch (format) {
        case 1:
            v = save(WholeOrMinusOne(Part(t, 7 + k, 2)));
            if (v < 0 || v >= 60) return false;
            v = save(WholeOrMinusOne(Part(t, 4 + k, 2)) + v / 60);
            if (v < 0 || v >= 60) return false;
            v = save((WholeOrMinusOne(Part(t, 1, digits)) + v / 60) + offset);
            return !(v < 0 || upper(v, true));
        case 2:
            v = save(WholeOrMinusOne(Part(t, 7 + k, 2)));
            if (v < 0) return false;
            v = save(WholeOrMinusOne(Part(t, 4 + k, 2)) + v / 100);
            if (v < 0 || v >= 60) return false;
            v = save((WholeOrMinusOne(Part(t, 1, digits)) + v / 60) + offset);
            return !(v < 0 || upper(v, false));
        case 3:
            v = save(WholeOrMinusOne(Part(t, 4 + k, 4)));
            if (v < 0) return false;
            v = save((WholeOrMinusOne(Part(t, 1, digits)) + v / 10000) + offset);
            return !(v < 0 || upper(v, false));
        default:
            return false;
    }
}

}  // namespace

CalculateOutcome CalculateCoordinates(std::string_view longText, std::string_view latText,
                                      const CoordSettings& settings, CoordValues& values) {
    const std::string lon = TrimText(longText);
    const std::string lat = TrimText(latText);
    if (!ReadCoordinate(lon, settings.format, settings.west ? 3 : 2, false, values.lon)) {
        return CalculateOutcome::LongitudeFailed;
    }
    if (settings.west) values.lon = -values.lon;
    if (!ReadCoordinate(lat, settings.format, 2, true, values.lat)) {
        return CalculateOutcome::LatitudeFailed;
    }
    return CalculateOutcome::Ok;
}

float LongitudeForLocator(float longValue) {
    if (longValue > 180) return To32(static_cast<long double>(longValue) - 360);
    return longValue;
}

}  // namespace kx
