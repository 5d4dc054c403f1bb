// The order of day, month and year in the user's short date form: what decides a date
// such as 05/12/2009, where either of the first two numbers could be the month. The
// window takes it from Qt's locale, kvadrix-tool from the C library's; both read it from
// the form's pattern with DateOrderOfFormat.
#pragma once

#include <string_view>

namespace kx {

enum class DateOrder { YMD, DMY, MDY };

// The order of a date pattern, in Qt's letters ("M/d/yy", "dd.MM.yyyy", "yyyy-MM-dd";
// quoted text and day names "ddd" left aside) or in strftime's conversions ("%m/%d/%y",
// "%d.%m.%Y", "%F", "%D"). The year first when it comes before the month (or no month is
// named), else day before month, else month first.
DateOrder DateOrderOfFormat(std::string_view format);

// The order of the short dates of the environment's LC_TIME locale (LC_ALL, LC_TIME,
// LANG), from the C library's D_FMT. Where the locale is C or POSIX, or one that the C
// library does not have, day, month, year: the order Qt's C locale ("d MMM yyyy") gives the
// window.
DateOrder SystemDateOrder();

}  // namespace kx
