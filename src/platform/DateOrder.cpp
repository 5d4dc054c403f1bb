#include "platform/DateOrder.h"

#include <langinfo.h>
#include <locale.h>

#include <cstddef>
#include <string>

namespace kx {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

struct Places {
    std::size_t year = kNone, month = kNone, day = kNone;
    void Note(std::size_t& slot, std::size_t at) {
        if (slot == kNone) slot = at;
    }
};

void ReadStrftime(std::string_view f, Places& p) {
    for (std::size_t i = 0; i + 1 < f.size(); ++i) {
        if (f[i] != '%') continue;
        std::size_t j = i + 1;
        // Flags, a width and the E and O modifiers come before the conversion letter.
        while (j < f.size() && std::string_view("_-0^#EO123456789").find(f[j]) != kNone) ++j;
        if (j >= f.size()) break;
        const std::size_t at = 4 * j;  // room for the three parts of %D and %F
        switch (f[j]) {
            case 'd':
            case 'e':
                p.Note(p.day, at);
                break;
            case 'm':
            case 'b':
            case 'B':
            case 'h':
                p.Note(p.month, at);
                break;
            case 'y':
            case 'Y':
            case 'C':
            case 'g':
            case 'G':
                p.Note(p.year, at);
                break;
            case 'D':  // %m/%d/%y
                p.Note(p.month, at);
                p.Note(p.day, at + 1);
                p.Note(p.year, at + 2);
                break;
            case 'F':  // %Y-%m-%d
                p.Note(p.year, at);
                p.Note(p.month, at + 1);
                p.Note(p.day, at + 2);
                break;
            case '%':
                break;
        }
        i = j;
    }
}

void ReadQtPattern(std::string_view f, Places& p) {
    for (std::size_t i = 0; i < f.size();) {
        const char c = f[i];
        if (c == '\'') {  // quoted text
            const std::size_t end = f.find('\'', i + 1);
            i = end == kNone ? f.size() : end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < f.size() && f[i + run] == c) ++run;
        if (c == 'y')
            p.Note(p.year, i);
        else if (c == 'M')
            p.Note(p.month, i);
        else if (c == 'd' && run <= 2)  // ddd and dddd are the day's name
            p.Note(p.day, i);
        i += run;
    }
}

}  // namespace

DateOrder DateOrderOfFormat(std::string_view format) {
    Places p;
    if (format.find('%') != kNone)
        ReadStrftime(format, p);
    else
        ReadQtPattern(format, p);
    if (p.year != kNone && (p.month == kNone || p.year < p.month)) return DateOrder::YMD;
    if (p.day != kNone && p.day < p.month) return DateOrder::DMY;
    return DateOrder::MDY;
}

DateOrder SystemDateOrder() {
    const locale_t time = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!time) return DateOrder::DMY;
    const char* name = ::nl_langinfo_l(_NL_LOCALE_NAME(LC_TIME), time);
    const std::string_view n = name ? name : "";
    DateOrder order = DateOrder::DMY;
    if (!n.empty() && n != "C" && n != "POSIX" && !n.starts_with("C."))
        order = DateOrderOfFormat(::nl_langinfo_l(D_FMT, time));
    ::freelocale(time);
    return order;
}

}  // namespace kx
