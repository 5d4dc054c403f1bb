// The import of a file read a piece at a time gives what the import of the whole file
// gives, wherever the pieces are cut: inside a tag's name, its length or its type, inside
// a value and a UTF-8 sequence, between CR and LF, inside the byte-order mark.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "log/QSOLog.h"
#include "platform/FileIO.h"

namespace {

struct Outcome {
    kx::AdifImportStatus status;
    int taken, records, lyRecords, duplicates, noDate, badDateTime, firstRow;
    bool ownFile;
    std::string rows;  // the log's file bytes

    bool operator==(const Outcome&) const = default;
};

kx::AdifImportHooks Hooks() {
    kx::AdifImportHooks hooks;
    // A square from the locator's first characters, without the table.
    hooks.wwlToBex = [](std::string_view wwl) { return "Q" + std::string(wwl.substr(0, 2)); };
    return hooks;
}

Outcome Of(const kx::AdifImportResult& r, const kx::QSOLog& log) {
    return {r.status, r.taken,       r.records,  r.lyRecords, r.duplicates,
            r.noDate, r.badDateTime, r.firstRow, r.ownFile,   log.ToFileBytes()};
}

Outcome Whole(const std::string& bytes) {
    kx::QSOLog log("EN");
    const auto r = kx::ImportAdifBytes(log, bytes, Hooks());
    return Of(r, log);
}

// The bytes handed over in pieces that end at the given offsets (and at the end).
Outcome InPieces(const std::string& bytes, const std::vector<std::size_t>& cuts) {
    kx::QSOLog log("EN");
    const auto r = kx::ImportAdifPieces(
        log,
        [&](const std::function<void(std::string_view)>& piece) {
            std::size_t from = 0;
            for (std::size_t cut : cuts) {
                piece(std::string_view(bytes).substr(from, cut - from));
                from = cut;
            }
            piece(std::string_view(bytes).substr(from));
        },
        Hooks());
    return Of(r, log);
}

// Every cut into two pieces (every step-th), and every byte a piece of its own.
void ExpectSameWhereverCut(const std::string& bytes, std::size_t step = 1, bool bytePieces = true) {
    const Outcome whole = Whole(bytes);
    for (std::size_t cut = 0; cut <= bytes.size(); cut += step)
        ASSERT_EQ(InPieces(bytes, {cut}), whole) << "cut at byte " << cut;
    if (!bytePieces) return;
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < bytes.size(); ++i) everyByte.push_back(i);
    EXPECT_EQ(InPieces(bytes, everyByte), whole);
}

std::string Field(const std::string& name, const std::string& value) {
    return "<" + name + ":" + std::to_string(value.size()) + ">" + value + " ";
}

}  // namespace

TEST(AdifPieces, AFileOfEveryAwkwardShapeReadsAsAWhole) {
    // A header with its program, CR LF line ends, UTF-8 letters, a length that counts
    // characters instead of bytes, a type indicator, a value holding "<EOR>", a length
    // that swallows the next tag, one beyond the end of the file, a duplicate, a record
    // without a date and a last record without its <EOR>.
    std::string f =
        "\xEF\xBB\xBFWritten by a logger\r\n" + Field("PROGRAMID", "Logger") + "<EOH>\r\n";
    f += Field("CALL", "LY2ABC") + "<QSO_DATE:8:D>20240105 " + Field("TIME_ON", "1230") +
         Field("BAND", "20M") + Field("MODE", "CW") + Field("NAME", "Žemaitė") +
         Field("GRIDSQUARE", "KO24OT") + "<EOR>\r\n";
    f += Field("CALL", "LY3XYZ") + Field("QSO_DATE", "20240106") + "<QTH:7>Šiauliai " +
         Field("COMMENT", "x<EOR>y") + Field("BAND", "40M") + Field("MODE", "SSB") + "<EOR>\r\n";
    f += Field("CALL", "LY2ABC") + "<QSO_DATE:8:D>20240105 " + Field("TIME_ON", "1230") +
         Field("BAND", "20M") + Field("MODE", "CW") + "<EOR>\r\n";
    f += Field("CALL", "DL1AA") + Field("QSO_DATE", "20240107") + "<EOR>\r\n";
    f += Field("CALL", "LY4NOD") + "<NOTES:40>short<EOR>\r\n";
    f += Field("CALL", "LY5QQ") + Field("QSO_DATE", "20240108") + "<NAME:9999999>Jonas " +
         Field("SUBMODE", "FT4") + Field("MODE", "MFSK") + Field("MY_GRIDSQUARE", "KO25AB");
    ExpectSameWhereverCut(f);
}

TEST(AdifPieces, LongValuesAndFilesWithoutAHeader) {
    // Values longer than a piece, a file that opens with a record, junk between records.
    std::string f = "  \r\n" + Field("CALL", "LY1LONG") + Field("QSO_DATE", "20240101") +
                    Field("COMMENT", std::string(5000, 'c')) + "<EOR>junk < text\r\n" +
                    Field("CALL", "LY2NEXT") + Field("QSO_DATE", "20240102") + "<EOR>\r\n";
    ExpectSameWhereverCut(f, 37);
    // A Kvadrix file brings its own columns back; Windows-1257 letters are voted on.
    std::string own = Field("PROGRAMID", "Kvadrix") + "<EOH>\n" + Field("CALL", "LY2OWN") +
                      Field("QSO_DATE", "20240103") + Field("APP_KVADRIX_BEX", "X99") +
                      "<NAME:5>\xD0ONAS <EOR>\n";
    ExpectSameWhereverCut(own);
    ExpectSameWhereverCut("No header here\n" + Field("CALL", "LY2BAD") + "<EOR>\n");
    ExpectSameWhereverCut("");
    ExpectSameWhereverCut(Field("CALL", "LY2NOEOR"));
}

TEST(AdifPieces, TheLayoutOfPiecesIsTheLayoutOfTheWhole) {
    for (const std::string& text :
         {std::string("\xEF\xBB\xBF  <CALL:4>LY1A<EOR>"), std::string("\r\n\t Text <EOH>"),
          std::string("<NAME:2>\xC5\xBD<EOR>"), std::string("<NAME:2>\xC5<EOR>\xC5"),
          std::string("\xEF\xBB<EOR>"), std::string("\xF0\x9F\x98\x80\xE2\x82\xAC\xE2\x82")}) {
        const kx::AdifLayout whole = kx::ReadAdifLayout(text);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            for (std::size_t second = cut; second <= text.size(); ++second) {
                kx::AdifLayoutCensus census;
                census.Add(std::string_view(text).substr(0, cut));
                census.Add(std::string_view(text).substr(cut, second - cut));
                census.Add(std::string_view(text).substr(second));
                const kx::AdifLayout pieces = census.Layout();
                EXPECT_EQ(pieces.hasBom, whole.hasBom) << text << " cut " << cut << "," << second;
                EXPECT_EQ(pieces.utf8, whole.utf8) << text << " cut " << cut << "," << second;
                EXPECT_EQ(pieces.hasPreamble, whole.hasPreamble) << text << " cut " << cut;
            }
        }
    }
}

TEST(AdifPieces, RealFilesReadAsAWhole) {
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(KX_FIXTURES_DIR) + "/adif")) {
        if (e.path().extension() != ".adi" || e.file_size() > 1100000) continue;
        const std::string bytes = kx::ReadFileBytes(e.path().string());
        SCOPED_TRACE(e.path().filename().string());
        ExpectSameWhereverCut(bytes, 1 + bytes.size() / 13, bytes.size() < 50000);
    }
}
