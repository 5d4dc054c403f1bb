// The square finder over the QSO log: rewriting of texts, words and the four passes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/FindBexs.h"
#include "log/QSOLog.h"
#include "platform/Errors.h"
#include "support/TempFolder.h"

namespace {

class FindBexsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.copyData("BEXWWL.dat");
        folder.makeProgramFolder();
    }
    int Row(std::string_view qth, std::string_view remarks, std::string_view wwl = "",
            std::string_view bex = "") {
        int r =
            log.IsEmptyLog() && log.Field(1, kx::colQTH).empty() && !used ? 1 : log.AddEmptyRow();
        used = true;
        log.SetCell(r, kx::colCallsign, "LY1A");
        log.SetCell(r, kx::colQTH, qth);
        log.SetCell(r, kx::colRemarks, remarks);
        log.SetCell(r, kx::colWWL, wwl);
        log.SetCell(r, kx::colBEX, bex);
        return r;
    }
    std::string F(int r, int c) const { return std::string(log.Field(r, c)); }

    kxtest::TempFolder folder;
    kx::QSOLog log{"EN"};
    bool used = false;
};

using V = std::vector<std::string>;

}  // namespace

TEST(FinderRewriting, MarksOwnStationAndSplitsWords) {
    EXPECT_EQ(kx::RewriteQthText("B23/A11"), "B23 *A11");
    EXPECT_EQ(kx::RewriteQthText(" ko24-ab "), "KO24AB");
    EXPECT_EQ(kx::RewriteQthText("VILNIUS_LT,KO24AB"), "VILNIUS LT KO24AB");
    EXPECT_EQ(kx::RewriteQthText("X*KO24AB"), "X *KO24AB");
    EXPECT_EQ(kx::RewriteRemarksText("MY QTH IS KO25CD"), "MY QTH *KO25CD");
    EXPECT_EQ(kx::RewriteRemarksText("WWL=KO24AB."), "WWL KO24AB ");
    EXPECT_EQ(kx::SplitFinderWords("  A  \"B C\" D\tE"), (V{"A", "B C", "D", "E"}));
    EXPECT_TRUE(kx::SplitFinderWords("   ").empty());
}

TEST(FinderRewriting, AQuotedWordEndsAtItsClosingQuote) {
    EXPECT_EQ(kx::SplitFinderWords("\"KAUNAS CITY\"KO24AB"), (V{"KAUNAS CITY", "KO24AB"}));
    EXPECT_EQ(kx::SplitFinderWords("\"K26\"*K27 X"), (V{"K26", "*K27", "X"}));
    EXPECT_EQ(kx::SplitFinderWords("A\"B \"C"), (V{"A\"B", "C"}));  // a quote inside a word is text
}

TEST_F(FindBexsTest, LocatorsAndSquaresFromTheWordsOfQthAndRemarks) {
    const int a = Row("KAUNAS JO30UJ", "");
    const int b = Row("K26/K27", "");
    const int c = Row("", "MY QTH IS KO24PQ");
    const int d = Row("", "QTH IS K26");
    const int e = Row("A45 Z99 ko24pq", "");
    kx::FindBEXs(log);
    EXPECT_EQ(F(a, kx::colWWL), "JO30UJ");
    EXPECT_EQ(F(a, kx::colBEX), "?");  // found in the text and looked up in the same run
    EXPECT_EQ(F(b, kx::colBEX), "K26");
    EXPECT_EQ(F(b, kx::colMyBEX), "K27");
    EXPECT_EQ(F(c, kx::colMyWWL), "KO24PQ");
    EXPECT_EQ(F(c, kx::colMyBEX), "K26");  // pass 4 in the same run
    EXPECT_EQ(F(d, kx::colMyBEX), "K26");
    EXPECT_EQ(F(d, kx::colBEX), "");
    EXPECT_EQ(F(e, kx::colWWL), "KO24PQ");
    EXPECT_EQ(F(e, kx::colBEX), "K26");
}

TEST_F(FindBexsTest, ASquareAlreadyHeldIsKeptUnlessATextWordReplacesIt) {
    const int a = Row("", "", "KO24PQ", "K27");
    const int b = Row("K26", "", "", "K27");
    const int typed = Row("VILNIUS", "", "", "J18");  // typed by hand, no locator
    kx::FindBEXs(log);
    EXPECT_EQ(F(a, kx::colBEX), "K27");
    EXPECT_EQ(F(b, kx::colBEX), "K26");
    EXPECT_EQ(F(typed, kx::colBEX), "J18");
}

// A row whose locator the finder sets or changes ends with the square of that locator:
// never a square left from before, nor a square word that contradicts it.
TEST_F(FindBexsTest, ALocatorFoundInTheTextsDecidesTheSquare) {
    const int moved = Row("KO24PQ", "", "KO14AA", "I20");
    const int same = Row("", "WWL KO24PQ", "KO24PQ", "I20");
    const int word = Row("I20 KO24PQ", "");
    const int later = Row("KO24PQ", "LOC JO30UJ");
    const int outside = Row("", "JO30UJ", "", "K26");
    kx::FindBEXs(log);
    for (int r : {moved, same, word}) {
        EXPECT_EQ(F(r, kx::colWWL), "KO24PQ") << r;
        EXPECT_EQ(F(r, kx::colBEX), "K26") << r;
    }
    EXPECT_EQ(F(later, kx::colWWL), "JO30UJ");  // the Remarks override the QTH
    EXPECT_EQ(F(later, kx::colBEX), "?");
    EXPECT_EQ(F(outside, kx::colBEX), "?");
    // A second run changes nothing.
    const kx::QSOLog once = log;
    kx::FindBEXs(log);
    for (int r = 1; r <= log.DataRowCount(); ++r)
        for (int c = 0; c < kx::kQSOFields; ++c) EXPECT_EQ(log.Cell(r, c), once.Cell(r, c));
}

TEST_F(FindBexsTest, ProgressAndCurrentRowFollowThePasses) {
    Row("", "");
    Row("", "");
    std::vector<int> progress, rows;
    kx::FindBexsHooks hooks;
    hooks.progress = [&](int p) { progress.push_back(p); };
    hooks.currentRow = [&](int r) { rows.push_back(r); };
    kx::FindBEXs(log, hooks);
    EXPECT_EQ(progress, (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(FindBexsTest, AnEmptyLogRunsThroughWithoutChanges) {
    kx::FindBEXs(log);
    EXPECT_TRUE(log.IsEmptyLog());
    for (int c = 0; c < kx::kQSOFields; ++c) EXPECT_EQ(log.Cell(1, c), "");
}

TEST_F(FindBexsTest, AMissingTableEndsTheFinderWithAFileError) {
    Row("", "", "KO24PQ");
    std::remove(folder.file("BEXWWL.dat").c_str());
    EXPECT_THROW(kx::FindBEXs(log), kx::FileOpenError);
}
