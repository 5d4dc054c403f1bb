// libFuzzer target: the coordinate entry formatter driven by random key sequences, the
// way the calculator's two fields run it.
//
// The field model follows a line edit: a typed character enters at the caret only while
// the text is shorter than the field's limit; Backspace removes the character before the
// caret; setting the text is itself a change and runs the formatter again; a failed
// conversion leaves the text as it is. Enter completes a bare degrees text and, when the
// other field is filled, runs the calculation.
//
// Input: the first byte picks the format (0-3) and east or west; every later byte is one
// key: a digit, Backspace, Enter, a letter (discarded), a caret move, a switch to the
// other field, or a menu choice (format, east/west), which clears the fields.
//
// Invariants: a field's text never exceeds its length limit; every value the formatter
// or the calculation stores is finite; the formatter settles after at most a few runs.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "geo/CoordText.h"
#include "platform/Errors.h"

using kxfuzz::Check;

namespace {

struct Field {
    explicit Field(kx::CoordField w) : which(w) {}
    kx::CoordField which;
    std::string text;
    std::size_t caret = 0;
    int maxLength = kx::kCoordInitialMaxLength;
};

struct Calculator {
    kx::CoordSettings settings;
    bool keyTyped = false;
    Field lon{kx::CoordField::Longitude};
    Field lat{kx::CoordField::Latitude};
    float latValue = 0, longValue = 0;

    void SetText(Field& f, const std::string& text, int depth) {
        if (text == f.text) return;
        f.text = text.substr(0, static_cast<std::size_t>(std::max(f.maxLength, 0)));
        f.caret = f.text.size();
        Changed(f, depth);
    }

    void Changed(Field& f, int depth) {
        if (!keyTyped) return;
        Check(depth < 4, "the formatter settles");
        kx::CoordFormatResult r;
        try {
            r = kx::FormatCoordinate(f.which, f.text, settings);
        } catch (const kx::ConvertError&) {
            return;  // reported; the field keeps its text
        }
        if (r.maxLength) {
            Check(*r.maxLength > 0, "a field's limit is positive");
            f.maxLength = *r.maxLength;
        }
        Check(r.text.size() <= static_cast<std::size_t>(f.maxLength),
              "the text never exceeds its limit");
        if (r.value) {
            Check(std::isfinite(*r.value), "the stored value is finite");
            (f.which == kx::CoordField::Latitude ? latValue : longValue) = *r.value;
        }
        SetText(f, r.text, depth + 1);
        if (r.caret) {
            Check(*r.caret >= 0 && static_cast<std::size_t>(*r.caret) <= f.text.size(),
                  "the caret lies inside the text");
            f.caret = static_cast<std::size_t>(*r.caret);
        }
    }

    void Type(Field& f, char c) {
        keyTyped = kx::KeyTypedAfter(c);
        if (!kx::CoordKeyAllowed(c)) return;
        if (c == '\b') {
            if (f.caret == 0) return;
            f.text.erase(f.caret - 1, 1);
            --f.caret;
            Changed(f, 0);
        } else if (c == '\r') {
            Enter(f);
        } else if (f.text.size() < static_cast<std::size_t>(f.maxLength)) {
            f.text.insert(f.caret, 1, c);
            ++f.caret;
            Changed(f, 0);
        }
        Check(f.text.size() <= static_cast<std::size_t>(f.maxLength),
              "the text never exceeds its limit");
    }

    void Enter(Field& f) {
        Field& other = &f == &lat ? lon : lat;
        if (f.which == kx::CoordField::Latitude) {
            std::size_t b = f.text.find_first_not_of(' '), e = f.text.find_last_not_of(' ');
            if (b == std::string::npos || e - b + 1 < 3) return;
        }
        if (auto done = kx::CompleteCoordinate(f.which, f.text, settings)) SetText(f, *done, 0);
        if (other.text.size() >= 7) {
            kx::CoordValues values{latValue, longValue};
            kx::CalculateCoordinates(lon.text, lat.text, settings, values);
            Check(std::isfinite(values.lat) && std::isfinite(values.lon),
                  "calculated values are finite");
            latValue = values.lat;
            longValue = values.lon;
        }
    }

    void Clear(Field& f) {
        f.text.clear();
        f.caret = 0;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 512) return 0;
    Calculator calc;
    calc.settings.format = data[0] & 3;
    calc.settings.west = (data[0] & 4) != 0;
    Field* field = &calc.lat;
    for (std::size_t i = 1; i < size; ++i) {
        const int key = data[i] % 20;
        if (key <= 9) {
            calc.Type(*field, static_cast<char>('0' + key));
        } else if (key == 10) {
            calc.Type(*field, '\b');
        } else if (key == 11) {
            calc.Type(*field, '\r');
        } else if (key == 12) {
            calc.Type(*field, static_cast<char>('a' + data[i] / 20 % 26));
        } else if (key == 13) {
            if (field->caret > 0) --field->caret;
        } else if (key == 14) {
            field->caret = std::min(field->caret + 1, field->text.size());
        } else if (key == 15) {
            field->caret = 0;
        } else if (key == 16) {
            field->caret = field->text.size();
        } else if (key == 17) {
            field = field == &calc.lat ? &calc.lon : &calc.lat;
        } else if (key == 18) {
            calc.settings.format = 1 + data[i] / 20 % 3;
            calc.Clear(calc.lon);
            calc.Clear(calc.lat);
        } else {
            calc.settings.west = !calc.settings.west;
            calc.Clear(calc.lon);
        }
    }
    return 0;
}
