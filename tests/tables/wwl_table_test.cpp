#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>

#include "geo/BexGrid.h"
#include "geo/Locator.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "support/TempFolder.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

using namespace kx;

namespace {

const std::string kK26 = "KO24OT,KO24PT,KO24OS,KO24PS,KO24OR,KO24PR,KO24OQ,KO24PQ";

std::string ShippedTable() {
    return ReadFileBytes(std::string(KX_DATA_DIR) + "/BEXWWL.dat");
}

struct Square {
    std::string code;
    std::vector<std::string> locators;
    int row() const { return code[0] - 'A'; }
    int col() const { return std::stoi(code.substr(1)); }
    double north() const { return 56.5 - row() / 6.0; }
    double west() const { return 125.0 / 6 + col() / 6.0; }
};

std::vector<Square> ShippedSquares() {
    std::vector<Square> squares;
    for (const std::string& line : SplitLines(ShippedTable())) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        squares.push_back({line.substr(0, eq), SplitCommaList(line.substr(eq + 1))});
    }
    return squares;
}

double Degrees(float radians) {
    return radians * 180.0 / std::numbers::pi;
}
float Radians(double degrees) {
    return static_cast<float>(degrees * std::numbers::pi / 180);
}

// The first line containing the text, found the slow way, for comparison with the index.
std::string NaiveFind(const std::string& bytes, const std::string& text) {
    const std::string folded = UpperCp1257(text);
    if (folded.empty()) return "?";
    for (const std::string& line : SplitLines(bytes))
        if (UpperCp1257(line).find(folded) != std::string::npos) {
            const size_t eq = line.find('=');
            return eq == std::string::npos ? std::string() : line.substr(0, eq);
        }
    return "?";
}

// The shipped table as the program's table.
class ShippedWwlTable : public ::testing::Test {
protected:
    void SetUp() override { kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/"); }
};

// A table written by the test into a temporary program folder.
class WwlTableFile : public ::testing::Test {
protected:
    void SetUp() override { folder.makeProgramFolder(); }
    void table(const std::string& body) { folder.write("BEXWWL.dat", "[BEX]\r\n" + body); }
    kxtest::TempFolder folder;
};

}  // namespace

TEST_F(ShippedWwlTable, FileLayout) {
    const std::string bytes = ShippedTable();
    ASSERT_EQ(bytes.substr(0, 7), "[BEX]\r\n");
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    size_t crlf = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_EQ(bytes[i - 1], '\r') << i;
        }
        if (bytes[i] == '\r') {
            ASSERT_EQ(bytes[i + 1], '\n') << i;
            ++crlf;
        }
    }
    const auto squares = ShippedSquares();
    EXPECT_EQ(crlf, squares.size() + 1);  // the header and one line per square
    EXPECT_EQ(squares.size(), 394u);
    for (size_t i = 1; i < squares.size(); ++i)
        EXPECT_LT(squares[i - 1].code, squares[i].code);  // row then column
    for (const Square& sq : squares) EXPECT_EQ(sq.locators.size(), 8u) << sq.code;
}

TEST_F(ShippedWwlTable, KnownSquares) {
    EXPECT_EQ(SquareEntry("K26"), kK26);
    EXPECT_EQ(SquareEntry("k26"), kK26);
    for (const char* code : {"J18", "H01", "H00", "G00", "E32", "B04", "E02", "I06"})
        EXPECT_NE(SquareEntry(code), "") << code;
    // Sea off Klaipeda, the Russian part of the Curonian Spit, Kaliningrad, Latvia,
    // Belarus, Poland.
    for (const char* code : {"E00", "I01", "I03", "M10", "A03", "A25", "K31", "P25", "O12"})
        EXPECT_EQ(SquareEntry(code), "") << code;
}

TEST_F(ShippedWwlTable, EveryLocatorMapsBackToItsSquare) {
    for (const Square& sq : ShippedSquares())
        for (const std::string& wwl : sq.locators) {
            ASSERT_EQ(fWWLtoBEX(wwl), sq.code) << wwl;
            ASSERT_EQ(FindBEXfromWWL(wwl), sq.code) << wwl;
        }
}

TEST_F(ShippedWwlTable, CentreOfEverySquareGivesTheSquare) {
    for (const Square& sq : ShippedSquares()) {
        const double lat = sq.north() - 1.0 / 12, lon = sq.west() + 1.0 / 12;
        EXPECT_EQ(CalcBEX(static_cast<float>(lat), static_cast<float>(lon)), sq.code);
        EXPECT_EQ(fBEX(Radians(lat), Radians(lon)), sq.code);
    }
}

TEST_F(ShippedWwlTable, EightLocatorsAreTheSubsquaresInsideTheEdges) {
    for (const Square& sq : ShippedSquares()) {
        ASSERT_EQ(sq.locators.size(), 8u);
        for (int k = 0; k < 4; ++k)        // northern row first
            for (int m = 0; m < 2; ++m) {  // west before east
                const double lat = sq.north() - (k + 0.5) * 2.5 / 60;
                const double lon = sq.west() + (m + 0.5) * 5.0 / 60;
                const std::string& wwl = sq.locators[static_cast<size_t>(2 * k + m)];
                EXPECT_EQ(CalcWWL(static_cast<float>(lat), static_cast<float>(lon)), wwl)
                    << sq.code;
                // and the locator's own centre lies inside the square's edges
                EXPECT_NEAR(Degrees(fLat(wwl)), lat, 1e-5) << wwl;
                EXPECT_NEAR(Degrees(fLong(wwl)), lon, 1e-5) << wwl;
            }
    }
}

TEST_F(ShippedWwlTable, PointsOutsideTheAreaHaveNoSquare) {
    EXPECT_EQ(CalcBEX(55.75f, 20.9f), "?");  // E00, the sea: a grid square without entry
    EXPECT_EQ(fBEX(Radians(55.75), Radians(20.9)), "");
    for (auto [lat, lon] : {std::pair{13.75f, 23.0f},
                            {51.1f, 21.0f},
                            {60.0f, 30.0f},
                            {56.4f, 64.3333f},
                            {56.67f, 25.0f},
                            {53.8f, 27.5f}}) {
        EXPECT_EQ(CalcBEX(lat, lon), "?");
        EXPECT_EQ(fBEX(Radians(lat), Radians(lon)), "");
    }
    EXPECT_EQ(fBEX(NAN, 1e30f), "");
    EXPECT_EQ(CalcBEX(54.68611f, 25.28333f), "K26");
    EXPECT_EQ(fBEX(Radians(54.6875), Radians(25.2916666666667)), "K26");
}

TEST_F(ShippedWwlTable, LocatorSearchIsCaseBlindAndTakesAnySubstring) {
    EXPECT_EQ(FindBEXfromWWL("ko24pq"), "K26");
    EXPECT_EQ(FindBEXfromWWL("KO24PQ"), "K26");
    EXPECT_EQ(FindBEXfromWWL("KO24"), NaiveFind(ShippedTable(), "KO24"));
    EXPECT_EQ(FindBEXfromWWL("JO99AA"), "?");
    EXPECT_EQ(FindBEXfromWWL(""), "?");
    EXPECT_EQ(FindBEXfromWWL(" KO24PQ"), "?");  // not trimmed
    EXPECT_EQ(FindBEXfromWWL("[bex]"), "");     // the header line matches and has no "="
    EXPECT_EQ(FindBEXfromWWL("k26=ko24ot,KO24PT"), "K26");
}

TEST_F(ShippedWwlTable, LocatorSearchAgreesWithAPlainScanOfTheLines) {
    const std::string bytes = ShippedTable();
    const auto lines = SplitLines(bytes);
    std::mt19937 rng(4);
    for (int i = 0; i < 3000; ++i) {
        const std::string& line = lines[rng() % lines.size()];
        const size_t pos = rng() % line.size();
        std::string text = line.substr(pos, 1 + rng() % 14);
        if (rng() % 3 == 0) text[rng() % text.size()] = "AKOX0359,=q"[rng() % 11];
        if (rng() % 2 == 0) text = UpperCp1257(text);
        for (char& c : text)
            if (rng() % 4 == 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        ASSERT_EQ(FindBEXfromWWL(text), NaiveFind(bytes, text)) << text;
    }
}

TEST_F(ShippedWwlTable, LocatorToSquareByArithmetic) {
    EXPECT_EQ(fWWLtoBEX("KO24PQ"), "K26");
    EXPECT_EQ(fWWLtoBEX("  KO24PQ \t"), "K26");
    EXPECT_EQ(fWWLtoBEX("KO24P"), "");
    EXPECT_EQ(fWWLtoBEX("KO24PQA"), "");
    EXPECT_EQ(fWWLtoBEX(""), "");
    EXPECT_EQ(fWWLtoBEX("KO05AA"), "");  // in the grid's reach, no entry: empty, not "?"
    EXPECT_EQ(fWWLtoBEX("JO99XX"), "");
    EXPECT_EQ(fWWLtoBEX("\xFF\xFF\xFF\xFF\xFF\xFF"), "");
}

TEST_F(ShippedWwlTable, LocatorsOfASquare) {
    const auto wwl = FindWWLfromBEX("K26");
    ASSERT_TRUE(wwl);
    EXPECT_EQ((*wwl)[0], "KO24OT");
    EXPECT_EQ((*wwl)[7], "KO24PQ");
    EXPECT_FALSE(FindWWLfromBEX("E00"));
    EXPECT_FALSE(FindWWLfromBEX("?"));
    int calls = 0;
    EXPECT_FALSE(FindWWLfromBEX("Q01", [&](int, const std::string&) { ++calls; }));
    EXPECT_EQ(calls, 0);
}

TEST_F(WwlTableFile, EntryWithMoreThanEightItemsUsesTheFirstEight) {
    table("K26=" + kK26 + ",KO24AA,KO24BB\r\n");
    const auto wwl = FindWWLfromBEX("K26");
    ASSERT_TRUE(wwl);
    EXPECT_EQ((*wwl)[7], "KO24PQ");
}

TEST_F(WwlTableFile, EntryWithFewerThanEightItemsRaisesAnIndexErrorAfterThePresentOnes) {
    table("K26=KO24OT,KO24PT,KO24OS,KO24PS,KO24OR\r\n");
    std::vector<std::string> placed;
    try {
        FindWWLfromBEX("K26", [&](int, const std::string& wwl) { placed.push_back(wwl); });
        FAIL() << "no error";
    } catch (const IndexError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_EQ(placed.size(), 5u);
    EXPECT_THROW(FindWWLfromBEX("K26"), IndexError);
}

TEST_F(WwlTableFile, MissingFile) {
    EXPECT_EQ(SquareEntry("K26"), "");
    EXPECT_EQ(CalcBEX(54.68611f, 25.28333f), "?");
    EXPECT_EQ(fBEX(Radians(54.6875), Radians(25.2916666666667)), "");
    EXPECT_EQ(fWWLtoBEX("KO24PQ"), "");
    EXPECT_FALSE(FindWWLfromBEX("K26"));
    try {
        FindBEXfromWWL("KO24PQ");
        FAIL() << "no error";
    } catch (const FileOpenError& e) {
        EXPECT_EQ(e.path(), folder.file("BEXWWL.dat"));
        EXPECT_NE(std::string(e.what()).find(folder.file("BEXWWL.dat")), std::string::npos);
    }
    EXPECT_THROW(FindBEXfromWWL(""), FileOpenError);  // the file is opened first
}

TEST_F(WwlTableFile, FileEditedBetweenLookupsIsSeen) {
    table("K26=" + kK26 + "\r\n");
    EXPECT_EQ(FindBEXfromWWL("KO24PQ"), "K26");
    EXPECT_EQ(CalcBEX(54.68611f, 25.28333f), "K26");
    // Same length, same inode, within the same clock tick.
    table("K27=" + kK26 + "\r\n");
    EXPECT_EQ(FindBEXfromWWL("KO24PQ"), "K27");
    EXPECT_EQ(CalcBEX(54.68611f, 25.28333f), "?");
    EXPECT_EQ(SquareEntry("K27"), kK26);
    std::filesystem::remove(folder.file("BEXWWL.dat"));
    EXPECT_EQ(SquareEntry("K27"), "");
    EXPECT_THROW(FindBEXfromWWL("KO24PQ"), FileOpenError);
    table("K26=" + kK26 + "\r\n");
    EXPECT_EQ(fWWLtoBEX("KO24PQ"), "K26");
}

TEST_F(WwlTableFile, KeyedReadingFollowsTheProfileReader) {
    folder.write("BEXWWL.dat",
                 "[bex]\nK26 = first, x\nk26=second\n[Other]\nJ18=KO24AA\n  J18\t=KO24PQ\n");
    EXPECT_EQ(SquareEntry("K26"), "first, x");
    EXPECT_EQ(SquareEntry("J18"), "");  // other section
    // The line scan reads every line, whatever its section.
    EXPECT_EQ(FindBEXfromWWL("KO24PQ"), "  J18\t");
    EXPECT_EQ(FindBEXfromWWL("KO24AA"), "J18");
}
