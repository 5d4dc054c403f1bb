#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "log/QSOLog.h"

using namespace kx;

TEST(LocatorFieldTest, AcceptsSixCapitalsAndDigitsInLocatorOrder) {
    EXPECT_TRUE(fTestWWL("KO24OT"));
    EXPECT_TRUE(fTestWWL("  KO24OT "));
    EXPECT_TRUE(fTestWWL("ZZ99ZZ"));  // no table and no A-R limit
    EXPECT_FALSE(fTestWWL("ko24ot"));
    EXPECT_FALSE(fTestWWL("KO24"));
    EXPECT_FALSE(fTestWWL("KO24OTX"));
    EXPECT_FALSE(fTestWWL("K024OT"));
    EXPECT_FALSE(fTestWWL("*KO24OT"));
}

TEST(LocatorFieldTest, OwnLocatorNeedsTheStar) {
    EXPECT_TRUE(fTestMyWWL("*KO24OT"));
    EXPECT_TRUE(fTestMyWWL(" *KO24OT "));
    EXPECT_FALSE(fTestMyWWL("KO24OT"));
    EXPECT_FALSE(fTestMyWWL("* KO24OT"));
    EXPECT_FALSE(fTestMyWWL("*ko24ot"));
}

class SquareFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.makeProgramFolder();
        kxtest::WriteSmallSquareTable(folder);
    }
    kxtest::TempFolder folder;
};

TEST_F(SquareFieldTest, AcceptsACodeOfTheTable) {
    EXPECT_TRUE(fTestBEX("K26"));
    EXPECT_TRUE(fTestBEX(" B23 "));
    EXPECT_TRUE(fTestMyBEX("*A11"));
}

TEST_F(SquareFieldTest, RejectsCodesOfTheWrongShapeOrNotInTheTable) {
    EXPECT_FALSE(fTestBEX("k26"));
    EXPECT_FALSE(fTestBEX("K27"));  // well formed, not in the table
    EXPECT_FALSE(fTestBEX("A45"));  // second digit above 3
    EXPECT_FALSE(fTestBEX("Q01"));  // row letter beyond P
    EXPECT_FALSE(fTestBEX("K2"));
    EXPECT_FALSE(fTestBEX("?"));
    EXPECT_FALSE(fTestBEX("*K26"));
    EXPECT_FALSE(fTestMyBEX("K26"));
    EXPECT_FALSE(fTestMyBEX("*K27"));
}

TEST_F(SquareFieldTest, SeesTheTableAsItIsNowAndFailsWithoutIt) {
    EXPECT_TRUE(fTestBEX("K26"));
    folder.write("BEXWWL.dat", "[BEX]\r\nB23=KO15AA\r\n");
    EXPECT_FALSE(fTestBEX("K26"));
    std::remove(folder.file("BEXWWL.dat").c_str());
    EXPECT_FALSE(fTestBEX("B23"));
    EXPECT_FALSE(fTestMyBEX("*B23"));
}

TEST_F(SquareFieldTest, ReadsTheTableAsKeyedEntries) {
    folder.write("BEXWWL.dat",
                 "[bex]\r\n"
                 " k26 = KO24OT,KO24PT\r\n"
                 "B23=\r\n"
                 "A11=KO14AA\r\n"
                 "A11=\r\n"
                 "[OTHER]\r\n"
                 "C05=KO11AA\r\n");
    EXPECT_TRUE(fTestBEX("K26"));     // key names are case-blind, blanks around them ignored
    EXPECT_FALSE(fTestBEX("B23"));    // an empty entry names no square
    EXPECT_TRUE(fTestMyBEX("*A11"));  // the first of two equal keys counts
    EXPECT_FALSE(fTestBEX("C05"));    // only the section of the squares counts
}
