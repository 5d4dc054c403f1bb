// The ADIF export: each field's ADIF form, the file's layout, lengths in characters, and
// the way back through the import (the round trip and the squares of the SIG fields).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "award/AdifExport.h"
#include "log/AdifImport.h"
#include "log/FindBexs.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Cp1257.h"
#include "platform/Globals.h"
#include "support/TempFolder.h"

using kx::DateOrder;

namespace {

kx::QSORow Row(std::vector<std::string> fields) {
    fields.resize(kx::kQSOFields);
    for (auto& f : fields) f = kx::Cp1257(f);
    return fields;
}

kx::QSOLog LogOf(const std::vector<kx::QSORow>& rows) {
    kx::QSOLog log("EN");
    log.ReplaceDataRows(rows);
    return log;
}

class AdifExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.copyData("BEXWWL.dat");
        folder.makeProgramFolder();
        kx::Language = "EN";
        options.created = "20261208 153000";
    }

    std::string Export(const kx::QSOLog& log) {
        result = kx::ExportAdifFile(log, folder.file("out.adi"), options);
        return folder.read("out.adi");
    }

    kxtest::TempFolder folder;
    kx::AdifExportOptions options;
    kx::AdifExportResult result;
};

}  // namespace

TEST(AdifExportFields, DatesOfEveryFormTheLogHolds) {
    struct Case {
        const char* field;
        DateOrder order;
        const char* adif;
    } cases[] = {
        {"2009-05-12", DateOrder::MDY, "20090512"},  // the import's form, whatever the order
        {" 2009.05.12. ", DateOrder::DMY, "20090512"},
        {"2009 05 12", DateOrder::YMD, "20090512"},
        {"20090512", DateOrder::DMY, "20090512"},  // typed without separators
        {"12052009", DateOrder::DMY, "20090512"},
        {"090512", DateOrder::YMD, "20090512"},
        {"120509", DateOrder::DMY, "20090512"},
        {"12.05.2009", DateOrder::MDY, "20090512"},  // full stops: day first
        {"05/12/2009", DateOrder::MDY, "20090512"},  // slashes: the user's order decides
        {"12/05/2009", DateOrder::DMY, "20090512"},
        {"13/05/2009", DateOrder::MDY, "20090513"},  // 13 can only be the day
        {"5/13/09", DateOrder::DMY, "20090513"},
        {"1/2/99", DateOrder::MDY, "19990102"},
        {"2012-02-29", DateOrder::YMD, "20120229"},
        // Unreadable: no date, impossible dates, before 1930, wrong shapes.
        {"", DateOrder::YMD, ""},
        {"2009-02-29", DateOrder::YMD, ""},
        {"2009-13-01", DateOrder::YMD, ""},
        {"1929-12-31", DateOrder::YMD, ""},
        {"2009-05", DateOrder::YMD, ""},
        {"2009-05-12-01", DateOrder::YMD, ""},
        {"12345", DateOrder::YMD, ""},
        {"20090512123", DateOrder::YMD, ""},
        {"12 May 2009", DateOrder::DMY, ""},
        {"2009-005-12", DateOrder::YMD, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kx::AdifDate(c.field, c.order), c.adif) << "\"" << c.field << "\"";
}

TEST(AdifExportFields, TimesAsHoursAndMinutes) {
    const std::pair<const char*, const char*> cases[] = {
        {"12:30", "1230"}, {"9:30", "0930"},   {"12:30:45", "1230"}, {"12", "1200"},
        {"1230", "1230"},  {"123045", "1230"}, {" 9 : 05 ", "0905"}, {"00:00", "0000"},
        {"930", ""},       {"25:00", ""},      {"12:60", ""},        {"12:30:60", ""},
        {"1:2:3:4", ""},   {"12:", ""},        {"ab", ""},           {"", ""},
    };
    for (const auto& [field, adif] : cases)
        EXPECT_EQ(kx::AdifTime(field), adif) << "\"" << field << "\"";
}

TEST(AdifExportFields, BandsAndModesAsTheEnumerationsSpellThem) {
    EXPECT_EQ(kx::AdifBand("20M"), "20m");
    EXPECT_EQ(kx::AdifBand(" 70CM "), "70cm");
    EXPECT_EQ(kx::AdifBand("1.25M"), "1.25m");
    EXPECT_EQ(kx::AdifBand("2190M"), "2190m");
    EXPECT_EQ(kx::AdifBand("144MHZ"), "144MHZ");  // not in the enumeration: as it stands

    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(kx::AdifModeOf("USB"), (P{"SSB", "USB"}));
    EXPECT_EQ(kx::AdifModeOf("lsb"), (P{"SSB", "LSB"}));
    EXPECT_EQ(kx::AdifModeOf("FT4"), (P{"MFSK", "FT4"}));
    EXPECT_EQ(kx::AdifModeOf("JS8"), (P{"MFSK", "JS8"}));
    EXPECT_EQ(kx::AdifModeOf("PSK31"), (P{"PSK", "PSK31"}));
    EXPECT_EQ(kx::AdifModeOf("OLIVIA 8/250"), (P{"OLIVIA", "OLIVIA 8/250"}));
    EXPECT_EQ(kx::AdifModeOf("SSB"), (P{"SSB", ""}));  // modes stay modes
    EXPECT_EQ(kx::AdifModeOf("FT8"), (P{"FT8", ""}));
    EXPECT_EQ(kx::AdifModeOf(" cw "), (P{"CW", ""}));
    EXPECT_EQ(kx::AdifModeOf("BPSK31"), (P{"PSK", "PSK31"}));  // a log's name for PSK31
    EXPECT_EQ(kx::AdifModeOf("DIGITAL"), (P{"DIGITAL", ""}));  // unknown: as it stands
}

TEST_F(AdifExportTest, HeaderThenOneRecordPerQsoWithCrLf) {
    const std::string text =
        Export(LogOf({Row({"2009-05-12", "12:30", "12:45", "LY2AA", "20M", "USB", "Kaunas", "Jonas",
                           "KO24PQ", "K26", "KO24AB", "O19", "TNX"}),
                      Row({"", "", "", "", "40M"}),  // no call sign: not a QSO
                      Row({"2009-05-13", "08:00", "", "LY3BB", "40M", "CW"})}));
    EXPECT_EQ(text,
              "Kvadrix ADIF export of the LY log\r\n"
              "<ADIF_VER:5>3.1.4\r\n"
              "<PROGRAMID:7>Kvadrix\r\n"
              "<PROGRAMVERSION:" +
                  std::to_string(std::string(KVADRIX_VERSION_STRING).size()) +
                  ">" KVADRIX_VERSION_STRING
                  "\r\n"
                  "<CREATED_TIMESTAMP:15>20261208 153000\r\n"
                  "<EOH>\r\n"
                  "<CALL:5>LY2AA <QSO_DATE:8>20090512 <TIME_ON:4>1230 <TIME_OFF:4>1245 "
                  "<BAND:3>20m <MODE:3>SSB <SUBMODE:3>USB <NAME:5>Jonas <QTH:6>Kaunas "
                  "<GRIDSQUARE:6>KO24PQ <MY_GRIDSQUARE:6>KO24AB <COMMENT:3>TNX <SIG:3>BEX "
                  "<SIG_INFO:3>K26 <MY_SIG:3>BEX <MY_SIG_INFO:3>O19 <EOR>\r\n"
                  "<CALL:5>LY3BB <QSO_DATE:8>20090513 <TIME_ON:4>0800 <BAND:3>40m <MODE:2>CW "
                  "<EOR>\r\n");
    EXPECT_EQ(result.qsos, 2);
    EXPECT_EQ(result.withoutDate, 0);
}

TEST_F(AdifExportTest, LengthsCountCharactersOfTheUtf8Text) {
    const std::string text =
        Export(LogOf({Row({"2009-05-12", "12:30", "", "LY2AA", "20M", "CW", "Šiauliai",
                           "Jonas Šimkus", "", "", "", "", "ąčęėįšųūž 73"})}));
    EXPECT_NE(text.find("<NAME:12>Jonas Šimkus "), std::string::npos) << text;
    EXPECT_NE(text.find("<QTH:8>Šiauliai "), std::string::npos) << text;
    EXPECT_NE(text.find("<COMMENT:12>ąčęėįšųūž 73 "), std::string::npos) << text;
}

TEST_F(AdifExportTest, NoSquareAndNoLocatorWhereTheLogHoldsNone) {
    // "?" and a code outside the award area are no squares; a malformed locator is none.
    const std::string text = Export(LogOf({Row(
        {"2009-05-12", "12:30", "", "LY2AA", "20M", "CW", "", "", "KO24", "?", "XX", "A45"})}));
    for (const char* field : {"GRIDSQUARE", "SIG", "MY_SIG"})
        EXPECT_EQ(text.find(field), std::string::npos) << field;
}

TEST_F(AdifExportTest, AQsoWithoutReadableDateIsWrittenWithoutDateAndCounted) {
    const std::string text =
        Export(LogOf({Row({"", "12:30", "", "LY2AA", "20M", "CW"}),
                      Row({"2009-02-30", "12:30", "", "LY3BB", "20M", "CW"}),
                      Row({"2009-05-12", "12:30", "", "LY4CC", "20M", "CW"})}));
    EXPECT_NE(text.find("<CALL:5>LY2AA <TIME_ON:4>1230 "), std::string::npos);
    EXPECT_NE(text.find("<CALL:5>LY3BB <TIME_ON:4>1230 "), std::string::npos);
    EXPECT_EQ(result.qsos, 3);
    EXPECT_EQ(result.withoutDate, 2);
    EXPECT_EQ(kx::AdifExportedMessage("log.adi", result),
              "QSOs exported: 3.\nFile: log.adi\n"
              "Without a readable date (written without QSO_DATE): 2.");
    kx::Language = "LT";
    EXPECT_EQ(kx::Cp1257ToUtf8(kx::AdifExportedMessage("log.adi", result)),
              "Eksportuota QSO: 3.\nFailas: log.adi\n"
              "Be atpažįstamos datos (įrašyti be QSO_DATE): 2.");
}

TEST_F(AdifExportTest, RoundTripGivesEveryFieldAsTheLogHeldIt) {
    options.dateOrder = DateOrder::DMY;
    const kx::QSOLog log = LogOf({
        Row({"2009-05-12", "12:30", "12:45", "LY2AA", "20M", "USB", "Kaunas", "Jonas", "KO24PQ",
             "K26", "KO24AB", "O19", "TNX"}),
        // Texts as typed: a date and times in the short forms, a place with a comma, names
        // and remarks in small letters, a mode by another program's name, an own locator
        // and square kept apart from each other.
        Row({"24.12.2026", "9:30", "1005", "LY3BB", "70CM", "BPSK31", "Kaliningrad, RU", "Ąžuolas",
             "", "K26", "", "O19", " QSL via buro, 73 "}),
        // A locator outside the award area with no square, a square without a locator.
        Row({"31/01/2026", "23:59", "", "LY5DD/P", "2M", "FM", "", "", "KO04AA", "", "", "",
             "Kaliningrad"}),
        Row({"2026-01-31", "00:00", "", "LY6EE", "40m", "DIGITAL", "", "", "", "?", "", "K26"}),
        // A date that reads as no date at all is not lost.
        Row({"12052026", "", "", "LY7FF", "", "", "", "", "KO24PQ", ""}),
    });
    Export(log);

    kxtest::TempFolder other;
    other.copyData("BEXWWL.dat");
    other.makeProgramFolder();
    kx::QSOLog back("EN");
    const kx::AdifImportResult r =
        kx::ImportAdifFile(back, folder.file("out.adi"), other.file("QSO.dat"));
    ASSERT_EQ(r.taken, 5);
    EXPECT_TRUE(r.ownFile);
    // The square finder leaves the file's rows as they came, and the log is sorted.
    kx::FindBexsHooks hooks;
    hooks.keepFrom = r.firstRow;
    kx::FindBEXs(back, hooks);
    kx::SaveBase(back, kx::SortKey::Callsign, other.file("QSO.dat"));
    ASSERT_EQ(back.DataRowCount(), 5);
    for (int row = 1; row <= 5; ++row)
        for (int col = 0; col < kx::kQSOFields; ++col)
            EXPECT_EQ(kx::TrimField(back.Cell(row, col)), kx::TrimField(log.Cell(row, col)))
                << "row " << row << ", column " << col;
    EXPECT_EQ(kx::Cp1257ToUtf8(back.Field(2, kx::colName)), "Ąžuolas");

    // The file brought in again adds nothing, typed dates included.
    EXPECT_EQ(kx::ImportAdifFile(back, folder.file("out.adi"), other.file("QSO.dat")).taken, 0);

    // Other programs read ADIF's fields; only fields that need it are written twice.
    const std::string file = folder.read("out.adi");
    EXPECT_NE(file.find("<QSO_DATE:8>20261224 <TIME_ON:4>0930 <TIME_OFF:4>1005"),
              std::string::npos);
    EXPECT_NE(file.find("<QTH:15>Kaliningrad, RU "), std::string::npos);
    EXPECT_EQ(file.find("APP_KVADRIX_QTH"), std::string::npos);
    EXPECT_NE(file.find("<APP_KVADRIX_DATE:10>24.12.2026"), std::string::npos);
    EXPECT_NE(file.find("<APP_KVADRIX_MODE:6>BPSK31"), std::string::npos);
    EXPECT_EQ(file.find("<APP_KVADRIX_DATE:10>2009"), std::string::npos);
    EXPECT_NE(file.find("<APP_KVADRIX_BEX:0>"), std::string::npos);  // LY7FF: no square
}

TEST_F(AdifExportTest, AnotherProgramsFileIsReadAsAlwaysAndItsKvadrixFieldsAreNotTaken) {
    Export(LogOf({Row({"24.12.2026", "9:30", "", "LY3BB", "70CM", "BPSK31", "Kaliningrad, RU",
                       "Jonas", "", "", "", "", "tnx"})}));
    std::string file = folder.read("out.adi");
    file.replace(file.find("<PROGRAMID:7>Kvadrix"), 20, "<PROGRAMID:7>Another");
    folder.write("other.adi", file);
    kx::QSOLog back("EN");
    const kx::AdifImportResult r =
        kx::ImportAdifFile(back, folder.file("other.adi"), folder.file("QSO.dat"));
    EXPECT_FALSE(r.ownFile);
    EXPECT_EQ(back.Field(1, kx::colDate), "2026-12-24");
    EXPECT_EQ(back.Field(1, kx::colMode), "PSK31");
    EXPECT_EQ(back.Field(1, kx::colQTH), "KALININGRAD_ RU");
    EXPECT_EQ(back.Cell(1, kx::colRemarks), " TNX");
}

TEST_F(AdifExportTest, ImportTakesTheSquareOfTheSigFieldsWhenTheLocatorGivesNone) {
    auto import = [&](const std::string& fields) {
        folder.write("in.adi", "<ADIF_VER:5>3.1.4 <EOH>\n<CALL:5>LY2AA <QSO_DATE:8>20090512 " +
                                   fields + " <EOR>\n");
        kx::QSOLog log("EN");
        kx::ImportAdifFile(log, folder.file("in.adi"), folder.file("QSO.dat"));
        return std::string(log.Field(1, kx::colBEX)) + "|" +
               std::string(log.Field(1, kx::colMyBEX));
    };
    EXPECT_EQ(import("<SIG:3>BEX <SIG_INFO:3>K26"), "K26|");
    EXPECT_EQ(import("<sig:3>bex <sig_info:3>k26 <MY_SIG:3>Bex <MY_SIG_INFO:3>O19"), "K26|O19");
    // The locator's square wins; a locator outside the area gives none, so SIG does.
    EXPECT_EQ(import("<GRIDSQUARE:6>KO24AB <SIG:3>BEX <SIG_INFO:3>K26"), "O19|");
    EXPECT_EQ(import("<MY_GRIDSQUARE:6>KO24PQ <MY_SIG:3>BEX <MY_SIG_INFO:3>O19"), "|K26");
    EXPECT_EQ(import("<GRIDSQUARE:6>JO01AA <SIG:3>BEX <SIG_INFO:3>K26"), "K26|");
    // Another award's reference, or a code outside the award area, is no square.
    EXPECT_EQ(import("<SIG:3>WAB <SIG_INFO:3>K26"), "|");
    EXPECT_EQ(import("<SIG:3>BEX <SIG_INFO:3>A45 <MY_SIG:3>BEX <MY_SIG_INFO:4>K26X"), "|");
}

TEST_F(AdifExportTest, EveryFileGivesTheSubmodeTheOperatorUsedAsTheMode) {
    auto mode = [&](const std::string& header, const std::string& fields) {
        folder.write("in.adi",
                     header + "<CALL:5>LY2AA <QSO_DATE:8>20090512 " + fields + " <EOR>\n");
        kx::QSOLog log("EN");
        kx::ImportAdifFile(log, folder.file("in.adi"), folder.file("QSO.dat"));
        return std::string(log.Field(1, kx::colMode));
    };
    const std::string usb = "<MODE:3>SSB <SUBMODE:3>USB";
    EXPECT_EQ(mode("<PROGRAMID:7>kvadrix <EOH>\n", usb), "USB");
    EXPECT_EQ(mode("<PROGRAMID:4>QLog <EOH>\n", usb), "USB");
    EXPECT_EQ(mode("", usb), "USB");
    const std::string wsjtx = "WSJT-X ADIF Export<eoh>\n";
    EXPECT_EQ(mode(wsjtx, "<mode:4>MFSK <submode:3>FT4"), "FT4");
    EXPECT_EQ(mode(wsjtx, "<mode:3>PSK <submode:5>psk31"), "PSK31");
    EXPECT_EQ(mode(wsjtx, "<mode:3>FT8"), "FT8");
    // A submode newer than the mode table is still what the operator used.
    EXPECT_EQ(mode(wsjtx, "<mode:4>MFSK <submode:3>FT9"), "FT9");
}

TEST_F(AdifExportTest, AQsoLoggedUnderItsModeBeforeSubmodesWereKeptIsNoNewQso) {
    // What an earlier import stored of MODE MFSK SUBMODE FT4 and of MODE SSB SUBMODE USB.
    kx::QSOLog log = LogOf({Row({"2009-05-12", "12:30", "", "LY2AA", "20M", "MFSK"}),
                            Row({"2009-05-12", "12:40", "", "LY2AA", "20M", "SSB"})});
    folder.write("in.adi",
                 "<EOH>\n<CALL:5>LY2AA <QSO_DATE:8>20090512 <TIME_ON:4>1230 <BAND:3>20m "
                 "<MODE:4>MFSK <SUBMODE:3>FT4 <EOR>\n"
                 "<CALL:5>LY2AA <QSO_DATE:8>20090512 <TIME_ON:4>1240 <BAND:3>20m "
                 "<MODE:3>SSB <SUBMODE:3>USB <EOR>\n"
                 "<CALL:5>LY2AA <QSO_DATE:8>20090512 <TIME_ON:4>1250 <BAND:3>20m "
                 "<MODE:3>SSB <SUBMODE:3>LSB <EOR>\n");
    const kx::AdifImportResult r =
        kx::ImportAdifFile(log, folder.file("in.adi"), folder.file("QSO.dat"));
    EXPECT_EQ(r.duplicates, 2);
    ASSERT_EQ(r.taken, 1);
    EXPECT_EQ(log.Field(3, kx::colMode), "LSB");
}
