// The ADIF import into the QSO log: which records are taken, how their fields arrive,
// duplicates, bad files, and the file written afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/AdifImport.h"
#include "log/QSOLog.h"
#include "platform/Cp1257.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "support/TempFolder.h"

namespace {

// One record in ADI form from name/value pairs (lengths in bytes). A record without a
// QSO_DATE is given one, as every logger writes it.
std::string Rec(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string out;
    bool dated = false;
    for (const auto& [name, value] : fields) {
        out += "<" + name + ":" + std::to_string(value.size()) + ">" + value + " ";
        dated = dated || name == "QSO_DATE";
    }
    return out + (dated ? "" : "<QSO_DATE:8>20240101 ") + "<EOR>\n";
}

const std::string kDated = "<QSO_DATE:8>20240101<EOR>";

const std::string kHeader = "Exported by a logger\n<ADIF_VER:5>3.1.4 <EOH>\n";

class AdifImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.copyData("BEXWWL.dat");
        folder.makeProgramFolder();
        kx::Language = "EN";
    }

    kx::AdifImportResult Import(const std::string& text) {
        folder.write("log.adi", text);
        return kx::ImportAdifFile(log, folder.file("log.adi"), folder.file("QSO.dat"), hooks);
    }

    // The data rows that hold a call sign, as "Callsign|field".
    std::vector<std::string> Column(int col) const {
        std::vector<std::string> out;
        for (int r = 1; r < log.RowCount(); ++r)
            if (!log.Field(r, kx::colCallsign).empty())
                out.push_back(std::string(log.Field(r, kx::colCallsign)) + "|" +
                              std::string(log.Field(r, col)));
        return out;
    }

    kxtest::TempFolder folder;
    kx::QSOLog log{"EN"};
    kx::AdifImportHooks hooks;
};

using V = std::vector<std::string>;

}  // namespace

TEST_F(AdifImportTest, TakesTheNewLYRecordsAndCountsThem) {
    log.SetCell(1, kx::colDate, "2009-05-12");
    log.SetCell(1, kx::colSUTC, "12:30");
    log.SetCell(1, kx::colCallsign, "LY2AA");
    log.SetCell(1, kx::colBand, "20M");
    log.SetCell(1, kx::colMode, "SSB");
    std::vector<int> counter;
    hooks.counter = [&](int n) { counter.push_back(n); };

    const auto r =
        Import(kHeader + Rec({{"CALL", "LY1AA"}, {"QSO_DATE", "20090511"}, {"BAND", "40M"}}) +
               Rec({{"CALL", "LY2AA"},
                    {"QSO_DATE", "20090512"},
                    {"TIME_ON", "1230"},
                    {"BAND", "20M"},
                    {"MODE", "SSB"}}) +
               Rec({{"CALL", "LY3AA"}, {"QSO_DATE", "20090513"}}));
    EXPECT_EQ(r.status, kx::AdifImportStatus::Imported);
    EXPECT_EQ(r.taken, 2);
    EXPECT_EQ(r.duplicates, 1);
    EXPECT_EQ(counter, (std::vector<int>{1, 2}));
    EXPECT_EQ(Column(kx::colDate), (V{"LY2AA|2009-05-12", "LY1AA|2009-05-11", "LY3AA|2009-05-13"}));
}

TEST_F(AdifImportTest, OnlyCallSignsBeginningWithLYAndOfFourCharactersAreTaken) {
    std::string text = kHeader;
    for (const char* call : {"ly1abc", "OH1AA", "LY1", "LY/OH1AA", "OH1AA/LY", " LY2XY "})
        text += Rec({{"CALL", call}, {"QSO_DATE", "20240101"}});
    Import(text);
    EXPECT_EQ(Column(kx::colCallsign), (V{"LY1ABC|LY1ABC", "LY/OH1AA|LY/OH1AA", "LY2XY|LY2XY"}));
}

TEST_F(AdifImportTest, DatesAndTimesTakeTheLogsForms) {
    Import(kHeader +
           Rec({{"CALL", "LY1A"},
                {"QSO_DATE", "20090512"},
                {"TIME_ON", "123045"},
                {"TIME_OFF", "1315"}}) +
           "<CALL:4>LY2A <QSO_DATE:8:D>20100101 <TIME_ON:2>12 <EOR>\n" +
           "<CALL:4>LY3A<QSO_DATE:8:d>20110203<TIME_ON:6:T>000102<EOR>");
    EXPECT_EQ(Column(kx::colDate), (V{"LY1A|2009-05-12", "LY2A|2010-01-01", "LY3A|2011-02-03"}));
    EXPECT_EQ(Column(kx::colSUTC), (V{"LY1A|12:30", "LY2A|", "LY3A|00:01"}));
    EXPECT_EQ(Column(kx::colEUTC), (V{"LY1A|13:15", "LY2A|", "LY3A|"}));
}

TEST_F(AdifImportTest, AFieldWithoutTypeIndicatorWinsOverTheTypedOne) {
    Import(kHeader + "<CALL:4>LY1A<QSO_DATE:8:D>20100101<QSO_DATE:8>20090512<EOR>\n" +
           "<CALL:4>LY2A<QSO_DATE:8>20090512<QSO_DATE:8:D>20100101<QSO_DATE:8>20110101<EOR>\n" +
           "<CALL:4>LY3A<QSO_DATE:8:D>20100101<QSO_DATE:8:D>20110101<EOR>");
    EXPECT_EQ(Column(kx::colDate), (V{"LY1A|2009-05-12", "LY2A|2009-05-12", "LY3A|2010-01-01"}));
}

TEST_F(AdifImportTest, TextFieldsArriveInCapitalsWithCommasAsUnderscores) {
    Import(kHeader +
           Rec({{"CALL", "LY1A"},
                {"NAME", "Jonas"},
                {"QTH", "Vilnius, LT"},
                {"BAND", "70cm"},
                {"MODE", "psk31"},
                {"NOTES", "QTH Kaunas"},
                {"COMMENT", "tnx"},
                {"WL_REMARKS", "73"}}) +
           Rec({{"CALL", "LY2A"}, {"NAME", "Hiram Percy Maxim"}, {"COMMENT", "only"}}));
    EXPECT_EQ(Column(kx::colName), (V{"LY1A|JONAS", "LY2A|HIRAM PERCY MAXIM"}));
    EXPECT_EQ(Column(kx::colQTH), (V{"LY1A|VILNIUS_ LT", "LY2A|"}));
    EXPECT_EQ(Column(kx::colBand), (V{"LY1A|70CM", "LY2A|"}));
    EXPECT_EQ(Column(kx::colMode), (V{"LY1A|PSK31", "LY2A|"}));
    EXPECT_EQ(log.Cell(1, kx::colRemarks), " QTH KAUNAS TNX 73");
    EXPECT_EQ(log.Cell(2, kx::colRemarks), " ONLY");
}

TEST_F(AdifImportTest, GridSquareOfSixOrMoreCharactersGivesLocatorAndSquare) {
    Import(kHeader + Rec({{"CALL", "LY1A"}, {"GRIDSQUARE", "KO24PQ"}}) +
           Rec({{"CALL", "LY2A"}, {"GRIDSQUARE", "KO24"}}) +
           Rec({{"CALL", "LY3A"}, {"GRIDSQUARE", "ko24pq45"}}) +
           Rec({{"CALL", "LY4A"}, {"GRIDSQUARE", "KO24PQ45AB"}}) +
           Rec({{"CALL", "LY5A"}, {"GRIDSQUARE", "JO30UJ"}}));
    EXPECT_EQ(Column(kx::colWWL),
              (V{"LY1A|KO24PQ", "LY2A|", "LY3A|KO24PQ", "LY4A|KO24PQ", "LY5A|JO30UJ"}));
    EXPECT_EQ(Column(kx::colBEX), (V{"LY1A|K26", "LY2A|", "LY3A|K26", "LY4A|K26", "LY5A|"}));
}

// Only a value with the shape of a locator (after cutting 8 or 10 characters to 6) is
// stored: junk never reaches the WWL, nor an own locator the MyWWL.
TEST_F(AdifImportTest, GridSquareWithoutTheShapeOfALocatorIsNotStored) {
    Import(kHeader + Rec({{"CALL", "LY1A"}, {"GRIDSQUARE", "123456"}}) +
           Rec({{"CALL", "LY2A"}, {"GRIDSQUARE", "KO2XPQ"}, {"MY_GRIDSQUARE", "------"}}) +
           Rec({{"CALL", "LY3A"}, {"GRIDSQUARE", "KO24P5AB"}, {"MY_GRIDSQUARE", "KO24PQ"}}) +
           Rec({{"CALL", "LY4A"}, {"GRIDSQUARE", "KO 4PQ"}, {"MY_GRIDSQUARE", "KO24PQ"}}));
    EXPECT_EQ(Column(kx::colWWL), (V{"LY1A|", "LY2A|", "LY3A|", "LY4A|"}));
    EXPECT_EQ(Column(kx::colBEX), (V{"LY1A|", "LY2A|", "LY3A|", "LY4A|"}));
    EXPECT_EQ(Column(kx::colMyWWL), (V{"LY1A|", "LY2A|", "LY3A|KO24PQ", "LY4A|KO24PQ"}));
}

TEST_F(AdifImportTest, OwnGridSquareFillsOnlyTheOwnStationColumns) {
    Import(kHeader + Rec({{"CALL", "LY1A"}, {"MY_GRIDSQUARE", "KO24PQ"}}) +
           Rec({{"CALL", "LY2A"}, {"MY_GRIDSQUARE", "KO24"}, {"GRIDSQUARE", "KO24OT"}}));
    EXPECT_EQ(Column(kx::colMyWWL), (V{"LY1A|KO24PQ", "LY2A|"}));
    EXPECT_EQ(Column(kx::colMyBEX), (V{"LY1A|K26", "LY2A|"}));
    EXPECT_EQ(Column(kx::colWWL), (V{"LY1A|", "LY2A|KO24OT"}));
    EXPECT_EQ(Column(kx::colBEX), (V{"LY1A|", "LY2A|K26"}));
}

TEST_F(AdifImportTest, ImportingTheSameFileTwiceAddsNothingTheSecondTime) {
    const std::string text =
        kHeader + Rec({{"CALL", "LY1A"}, {"QSO_DATE", "20240101"}, {"TIME_ON", "0101"}}) +
        Rec({{"CALL", "LY1A"}, {"QSO_DATE", "20240101"}, {"TIME_ON", "0101"}}) +
        Rec({{"CALL", "LY1A"}, {"QSO_DATE", "20240101"}, {"TIME_ON", "0102"}});
    EXPECT_EQ(Import(text).taken, 2);
    const auto again = Import(text);
    EXPECT_EQ(again.taken, 0);
    EXPECT_EQ(again.duplicates, 3);
    EXPECT_EQ(log.DataRowCount(), 2);
}

TEST_F(AdifImportTest, TheLogIsWrittenUnsortedInFileOrder) {
    Import(kHeader + Rec({{"CALL", "LY9Z"}, {"QSO_DATE", "20240102"}}) +
           Rec({{"CALL", "LY1A"}, {"QSO_DATE", "20240101"}}));
    kx::QSOLog back("EN");
    back.ReadFromBytes(folder.read("QSO.dat"));
    ASSERT_EQ(back.DataRowCount(), 2);
    EXPECT_EQ(back.Cell(1, kx::colCallsign), "LY9Z");
    EXPECT_EQ(back.Cell(2, kx::colCallsign), "LY1A");
}

TEST_F(AdifImportTest, DatesWithSeparatorsAreReadAndRecordsWithoutADateAreRefused) {
    const auto result = Import(kHeader + "<CALL:4>LY1A<QSO_DATE:10>2020-03-04<EOR>\n" +
                               "<CALL:4>LY2A<QSO_DATE:10:D>2020/03/05<EOR>\n" +
                               "<CALL:4>LY3A<QSO_DATE:10>2020.03.06<EOR>\n" +
                               "<CALL:4>LY4A<BAND:3>20M<EOR>\n" +           // no date
                               "<CALL:4>LY5A<QSO_DATE:6>200307<EOR>\n" +    // too few digits
                               "<CALL:4>LY6A<QSO_DATE:8>2020031X<EOR>\n" +  // not a date
                               "<CALL:4>DL1A<EOR>\n");
    EXPECT_EQ(Column(kx::colDate), (V{"LY1A|2020-03-04", "LY2A|2020-03-05", "LY3A|2020-03-06"}));
    EXPECT_EQ(result.taken, 3);
    EXPECT_EQ(result.noDate, 3);
    EXPECT_EQ(folder.read("QSO.dat").find("LY4A"), std::string::npos);
    EXPECT_EQ(kx::AdifNoDateMessage(3), "Records not imported because they have no QSO date: 3.");
    kx::Language = "LT";
    EXPECT_EQ(kx::AdifNoDateMessage(3), kx::Cp1257("Neimportuota įrašų be QSO datos: 3."));
    kx::Language = "EN";
}

TEST_F(AdifImportTest, DatesAndStartTimesThatDoNotExistAreRefusedAndCounted) {
    const auto result =
        Import(kHeader + Rec({{"CALL", "LY1A"}, {"QSO_DATE", "20201340"}}) +  // month 13
               Rec({{"CALL", "LY2A"}, {"QSO_DATE", "20230229"}}) +            // not a leap year
               Rec({{"CALL", "LY3A"}, {"QSO_DATE", "19291231"}}) +            // before ADIF's 1930
               Rec({{"CALL", "LY4A"}, {"TIME_ON", "2561"}}) +                 // 25:61
               Rec({{"CALL", "LY5A"}, {"TIME_ON", "120075"}}) +               // 75 seconds
               Rec({{"CALL", "LY6A"}, {"TIME_ON", "ab12"}}) +                 // no time
               Rec({{"CALL", "LY7A"}, {"QSO_DATE", "20240229"}, {"TIME_ON", "2359"}}) +
               Rec({{"CALL", "LY8A"}, {"TIME_ON", "0000"}, {"TIME_OFF", "9999"}}) +
               Rec({{"CALL", "LY9A"}, {"TIME_ON", "12:30"}}));
    // An end time that is no time costs the QSO only its end time.
    EXPECT_EQ(Column(kx::colSUTC), (V{"LY7A|23:59", "LY8A|00:00", "LY9A|12:30"}));
    EXPECT_EQ(Column(kx::colEUTC), (V{"LY7A|", "LY8A|", "LY9A|"}));
    EXPECT_EQ(result.taken, 3);
    EXPECT_EQ(result.badDateTime, 6);
    EXPECT_EQ(result.noDate, 0);
    EXPECT_EQ(kx::AdifBadDateTimeMessage(0), "");
    EXPECT_EQ(kx::AdifBadDateTimeMessage(6),
              "Records not imported because their QSO date or start time does not exist "
              "(such as 2020-13-40 or 25:61): 6.");
}

TEST_F(AdifImportTest, MissingFileAndCancelChangeNothing) {
    const auto r = kx::ImportAdifFile(log, "", folder.file("QSO.dat"), hooks);
    EXPECT_EQ(r.status, kx::AdifImportStatus::MissingFile);
    EXPECT_EQ(kx::ImportAdifFile(log, folder.file("none.adi"), folder.file("QSO.dat")).status,
              kx::AdifImportStatus::MissingFile);
    EXPECT_TRUE(log.IsEmptyLog());
    EXPECT_FALSE(kx::FileExists(folder.file("QSO.dat")));
    EXPECT_EQ(kx::AdifMissingFileMessage("", "EN"), "File \"\" no exists");
    EXPECT_EQ(kx::AdifMissingFileMessage("/home/u/a.adi", "LT"),
              "Failas \"/home/u/a.adi\" nerastas");
}

TEST_F(AdifImportTest, BadFilesAreReportedAndChangeNothing) {
    bool started = false;
    hooks.started = [&] { started = true; };
    EXPECT_EQ(Import("Header text only\n<CALL:4>LY1A<EOR>\n").status,
              kx::AdifImportStatus::BadFormat);
    EXPECT_EQ(Import(kHeader + "<CALL:4>LY1A\n").status, kx::AdifImportStatus::BadFormat);
    EXPECT_EQ(Import("").status, kx::AdifImportStatus::BadFormat);
    EXPECT_FALSE(started);
    EXPECT_TRUE(log.IsEmptyLog());
    EXPECT_FALSE(kx::FileExists(folder.file("QSO.dat")));
    EXPECT_EQ(kx::AdifBadFormatMessage("/home/u/my log.adi", "EN"),
              "ADIF file my log.adi format is bad.");
    EXPECT_EQ(kx::AdifBadFormatMessage("/home/u/a.adi", "LT"), "Blogas ADIF failo a.adi formatas.");
    EXPECT_EQ(kx::AdifProgressTitle("LT"), kx::Cp1257("ADIF failo analizė"));
    EXPECT_EQ(kx::AdifProgressTitle("EN"), "Analysing ADIF file");
}

TEST_F(AdifImportTest, AFileWithoutHeaderIsReadFromItsFirstRecord) {
    EXPECT_EQ(Import("<CALL:4>LY1A " + kDated + "\n<CALL:4>LY2A " + kDated + "\n").taken, 2);
}

TEST_F(AdifImportTest, SeveralRecordsOnOneLineAreAllTaken) {
    EXPECT_EQ(Import(kHeader + "<CALL:4>LY1A" + kDated + "<CALL:4>LY2A" + kDated + "<CALL:4>LY3A" +
                     kDated)
                  .taken,
              3);
}

TEST_F(AdifImportTest, ALastRecordWithoutEorIsNotLost) {
    EXPECT_EQ(
        Import(kHeader + "<CALL:4>LY1A" + kDated + "\n<CALL:4>LY2A <QSO_DATE:8>20240101\n").taken,
        2);
}

TEST_F(AdifImportTest, ControlCharactersInValuesBecomeBlanks) {
    Import(kHeader + Rec({{"CALL", "LY1A"}, {"QTH", "A\tB\r\nC"}, {"NOTES", "line 1\nline 2"}}));
    EXPECT_EQ(log.Cell(1, kx::colQTH), "A B  C");
    EXPECT_EQ(log.Cell(1, kx::colRemarks), " LINE 1 LINE 2");
    EXPECT_EQ(folder.read("QSO.dat").find("A\tB"), std::string::npos);
}

TEST_F(AdifImportTest, Utf8NamesArriveAsWindows1257Letters) {
    Import(kHeader + "<CALL:5>LY5AB <QTH:9>Šiauliai <NAME:8>Žydrūnas " + kDated + "\n" +
           "<CALL:5>LY6AB <NAME:10>Žydrūnas <COMMENT:4>Niño " + kDated + "\n");
    EXPECT_EQ(log.Cell(1, kx::colQTH), kx::Cp1257("ŠIAULIAI"));
    EXPECT_EQ(log.Cell(1, kx::colName), kx::Cp1257("ŽYDRŪNAS"));
    EXPECT_EQ(log.Cell(2, kx::colName), kx::Cp1257("ŽYDRŪNAS"));
    EXPECT_EQ(log.Cell(2, kx::colRemarks), " NINO");
}

TEST_F(AdifImportTest, Windows1257FilesArriveInTheirOwnLetters) {
    const std::string qth = kx::Cp1257("Marijampolė");
    Import(kHeader + "<CALL:5>LY5AB <QTH:" + std::to_string(qth.size()) + ">" + qth + kDated);
    EXPECT_EQ(log.Cell(1, kx::colQTH), kx::Cp1257("MARIJAMPOLĖ"));
}

TEST_F(AdifImportTest, ProgressRisesToTheShareOfRecordsHandled) {
    std::string text = kHeader;
    for (int i = 0; i < 10; ++i)
        text +=
            Rec({{"CALL", i % 2 ? "LY1A" : "OH1A"}, {"QSO_DATE", "2024010" + std::to_string(i)}});
    std::vector<int> seen;
    hooks.progress = [&](int p) { seen.push_back(p); };
    Import(text);
    EXPECT_EQ(seen, (std::vector<int>{10, 30, 50, 70, 90}));
}
