// The ADIF export: field forms, the band table, the header and the records.
#include "award/AdifExport.h"

#include <cstdio>
#include <ctime>

#include "award/AwardGroups.h"
#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "platform/Cp1257.h"
#include "platform/FileIO.h"
#include "platform/Messages.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

namespace kx {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// ---- dates ------------------------------------------------------------------------

struct Number {
    int value;
    std::size_t digits;
};

std::string DateOf(int year, int month, int day) {
    if (!IsAdifDay(year, month, day)) return {};
    char buf[40];  // room for any int, so that the compiler sees no truncation
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
    return buf;
}

int FullYear(const Number& n) {
    if (n.digits != 2) return n.value;
    return n.value < 70 ? 2000 + n.value : 1900 + n.value;
}

// Day and month of two numbers before a year: a number above 12 can only be the day.
std::string DayMonthYear(const Number& a, const Number& b, const Number& year, DateOrder order) {
    const bool monthFirst = a.value <= 12 && (b.value > 12 || order == DateOrder::MDY);
    return monthFirst ? DateOf(FullYear(year), a.value, b.value)
                      : DateOf(FullYear(year), b.value, a.value);
}

// ---- bands ------------------------------------------------------------------------

// The bands of the ADIF enumeration, as it spells them.
constexpr std::string_view kBands[] = {
    "2190m", "630m", "560m", "160m", "80m",    "60m", "40m", "30m",   "20m",  "17m",  "15m",
    "12m",   "10m",  "8m",   "6m",   "5m",     "4m",  "2m",  "1.25m", "70cm", "33cm", "23cm",
    "13cm",  "9cm",  "6cm",  "3cm",  "1.25cm", "6mm", "4mm", "2.5mm", "2mm",  "1mm",  "submm"};

// ---- writing ----------------------------------------------------------------------

// Appends "<NAME:chars>value" and the separator for a Windows-1257 value; an empty value
// gives nothing unless `always` (then "<NAME:0>").
void Put(std::string& out, std::string_view name, std::string_view value,
         std::string_view separator = " ", bool always = false) {
    const std::string utf8 = Cp1257ToUtf8(TrimField(value));
    if (utf8.empty() && !always) return;
    std::size_t chars = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(chars);
    out += '>';
    out += utf8;
    out += separator;
}

// The square the import gives a locator.
std::string ExportWwlToBex(std::string_view locator) {
    return fWWLtoBEX(locator);
}

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d %H%M%S", &utc);
    return buf;
}

void PutRecord(std::string& out, const std::vector<std::string_view>& row, DateOrder order,
               AdifExportResult& result) {
    const std::size_t start = out.size();
    auto field = [&](int col) { return TrimField(row[static_cast<std::size_t>(col)]); };
    Put(out, "CALL", field(colCallsign));
    const std::string date = AdifDate(field(colDate), order);
    if (date.empty()) ++result.withoutDate;
    Put(out, "QSO_DATE", date);
    Put(out, "TIME_ON", AdifTime(field(colSUTC)));
    Put(out, "TIME_OFF", AdifTime(field(colEUTC)));
    Put(out, "BAND", AdifBand(field(colBand)));
    const auto [mode, submode] = AdifModeOf(field(colMode));
    Put(out, "MODE", mode);
    Put(out, "SUBMODE", submode);
    Put(out, "NAME", field(colName));
    Put(out, "QTH", field(colQTH));
    if (fTestWWL(field(colWWL))) Put(out, "GRIDSQUARE", field(colWWL));
    if (fTestWWL(field(colMyWWL))) Put(out, "MY_GRIDSQUARE", field(colMyWWL));
    Put(out, "COMMENT", field(colRemarks));
    if (fTestBEX(field(colBEX))) {
        Put(out, "SIG", "BEX");
        Put(out, "SIG_INFO", field(colBEX));
    }
    if (fTestBEX(field(colMyBEX))) {
        Put(out, "MY_SIG", "BEX");
        Put(out, "MY_SIG_INFO", field(colMyBEX));
    }
    // What Kvadrix's import will read of the record; each field it would not bring back as
    // the log holds it goes into the file once more, in Kvadrix's own field.
    const AdifQSO back = ReadAdifQSO(std::string_view(out).substr(start), true,
                                     AdifCodePage::Windows1257, ExportWwlToBex, true);
    for (int c = 0; c < kQSOFields; ++c)
        if (TrimField(back.fields[c]) != field(c))
            Put(out, AdifOwnFieldName(c), field(c), " ", true);
    out += "<EOR>\r\n";
    ++result.qsos;
}

}  // namespace

std::string AdifDate(std::string_view field, DateOrder order) {
    const std::string_view t = TrimField(field);
    Number n[3];
    std::size_t count = 0;
    for (std::size_t i = 0; i < t.size();) {
        const char c = t[i];
        // Dates with full stops put the day first wherever they are written.
        if (c == '.' && order == DateOrder::MDY) order = DateOrder::DMY;
        if (c == ' ' || c == '.' || c == '-' || c == '/') {
            ++i;
            continue;
        }
        if (!IsDigit(c) || count == 3) return {};
        const std::size_t start = i;
        int value = 0;
        while (i < t.size() && IsDigit(t[i]) && i - start < 8) value = value * 10 + (t[i++] - '0');
        if (i < t.size() && IsDigit(t[i])) return {};
        n[count++] = {value, i - start};
    }

    if (count == 1) {
        const int v = n[0].value;
        if (n[0].digits == 8) {
            std::string ymd = DateOf(v / 10000, v / 100 % 100, v % 100);
            if (!ymd.empty() || order == DateOrder::YMD) return ymd;
            return DayMonthYear({v / 1000000, 2}, {v / 10000 % 100, 2}, {v % 10000, 4}, order);
        }
        if (n[0].digits != 6) return {};
        const Number a{v / 10000, 2}, b{v / 100 % 100, 2}, c{v % 100, 2};
        if (order == DateOrder::YMD) return DateOf(FullYear(a), b.value, c.value);
        return DayMonthYear(a, b, c, order);
    }
    if (count != 3 || n[1].digits > 2) return {};
    if (n[0].digits == 4 && n[2].digits <= 2) return DateOf(n[0].value, n[1].value, n[2].value);
    if (n[0].digits > 2 || (n[2].digits != 2 && n[2].digits != 4)) return {};
    if (n[2].digits == 2 && order == DateOrder::YMD)
        return DateOf(FullYear(n[0]), n[1].value, n[2].value);
    return DayMonthYear(n[0], n[1], n[2], order);
}

std::string AdifTime(std::string_view field) {
    const std::string_view t = TrimField(field);
    int parts[3] = {};
    int count = 0;
    bool compact = !t.empty();
    for (char c : t) compact = compact && IsDigit(c);
    if (compact) {
        if (t.size() != 4 && t.size() != 6 && t.size() > 2) return {};
        for (std::size_t i = 0; i < t.size(); i += 2) {
            const std::size_t len = t.size() <= 2 ? t.size() : 2;
            int v = 0;
            for (std::size_t k = i; k < i + len; ++k) v = v * 10 + (t[k] - '0');
            parts[count++] = v;
        }
    } else {
        std::size_t i = 0;
        auto blanks = [&] {
            while (i < t.size() && t[i] == ' ') ++i;
        };
        for (;;) {
            blanks();
            const std::size_t start = i;
            int v = 0;
            while (i < t.size() && IsDigit(t[i]) && i - start < 2) v = v * 10 + (t[i++] - '0');
            if (i == start || count == 3) return {};
            parts[count++] = v;
            blanks();
            if (i == t.size()) break;
            if (t[i] != ':') return {};
            ++i;
        }
    }
    if (count == 0 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return {};
    char buf[32];  // room for any int, so that the compiler sees no truncation
    std::snprintf(buf, sizeof buf, "%02d%02d", parts[0], parts[1]);
    return buf;
}

std::string AdifBand(std::string_view field) {
    const std::string_view t = TrimField(field);
    std::string lower(t);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (std::string_view band : kBands)
        if (lower == band) return lower;
    return std::string(t);
}

std::pair<std::string, std::string> AdifModeOf(std::string_view field) {
    const std::string_view t = TrimField(field);
    const ModeInfo* info = FindMode(t);
    if (!info || info->adifMode.empty()) return {std::string(t), {}};
    return {std::string(info->adifMode), std::string(info->adifSubmode)};
}

std::string AdifExportText(const QSOLog& log, const AdifExportOptions& options,
                           AdifExportResult& result) {
    const TableBatch tables;  // one look at the table file for the whole log
    result = {};
    std::string out = "Kvadrix ADIF export of the LY log\r\n";
    Put(out, "ADIF_VER", "3.1.4", "\r\n");
    Put(out, "PROGRAMID", "Kvadrix", "\r\n");
    Put(out, "PROGRAMVERSION", KVADRIX_VERSION_STRING, "\r\n");
    Put(out, "CREATED_TIMESTAMP", options.created.empty() ? NowUtc() : options.created, "\r\n");
    out += "<EOH>\r\n";
    std::vector<std::string_view> row;
    for (int r = 1; r < log.RowCount(); ++r) {
        SplitLine(log.Line(r), row);
        if (TrimField(row[colCallsign]).empty()) continue;
        PutRecord(out, row, options.dateOrder, result);
    }
    return out;
}

AdifExportResult ExportAdifFile(const QSOLog& log, const std::string& path,
                                const AdifExportOptions& options) {
    AdifExportResult result;
    const std::string bytes = AdifExportText(log, options, result);
    WriteFileAtomic(path, bytes);
    return result;
}

std::string AdifExportFileName(std::string_view yyyymmdd) {
    return "Kvadrix-LY-" + std::string(yyyymmdd) + ".adi";
}

std::string AdifExportedMessage(const std::string& fileName, const AdifExportResult& result) {
    std::string text = CpMessage(Msg::AdifExported, {std::to_string(result.qsos), fileName});
    if (result.withoutDate > 0) {
        text += '\n';
        text += CpMessage(Msg::AdifExportedWithoutDate, {std::to_string(result.withoutDate)});
    }
    return text;
}

}  // namespace kx
