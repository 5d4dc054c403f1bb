// The city and call-sign tables: the names list, its prefix search and the keyed lookups.
#include <gtest/gtest.h>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "support/TempFolder.h"
#include "tables/CallTable.h"
#include "tables/CityTable.h"

using namespace kx;

namespace {

std::string T(const char* utf8) {
    return Cp1257(utf8);
}

class CityTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.makeProgramFolder();
        dir.write("CityBEX.dat", T("[City]\r\nVilnius=K26,K27\r\nVilkaviškis=L14\r\n"
                                   "Šiauliai=E14\r\nsiauliu k.=E15\r\nViekšniai=D09\r\n"
                                   "Kaunas = J18 \r\nvilnius=Z99\r\n"));
    }
    kxtest::TempFolder dir;
};

}  // namespace

TEST_F(CityTableTest, NamesListHasOneEntryPerLineInFileOrder) {
    CityNames names = CityNames::Load();
    ASSERT_EQ(names.entries().size(), 8u);
    EXPECT_EQ(names.entries()[0], "") << "the section header has no '='";
    EXPECT_EQ(names.entries()[1], "Vilnius");
    EXPECT_EQ(names.entries()[6], "Kaunas ") << "the text before '=' is kept unchanged";
}

TEST_F(CityTableTest, PrefixSearchIgnoresTheCaseOfEveryLetter) {
    CityNames names = CityNames::Load();
    EXPECT_EQ(names.Search("vi"),
              (std::vector<std::string>{"Vilnius", T("Vilkaviškis"), T("Viekšniai"), "vilnius"}));
    EXPECT_EQ(names.Search("VILN"), (std::vector<std::string>{"Vilnius", "vilnius"}));
    EXPECT_EQ(names.Search("SI"), (std::vector<std::string>{T("Šiauliai"), T("siauliu k.")}))
        << "typed without its Lithuanian letters a name is found";
    EXPECT_EQ(names.Search(T("š")), (std::vector<std::string>{T("Šiauliai")}));
    EXPECT_EQ(names.Search("viekSn"), (std::vector<std::string>{T("Viekšniai")}));
    EXPECT_EQ(names.Search(T("VIEKŠ")), (std::vector<std::string>{T("Viekšniai")}));
    EXPECT_TRUE(names.Search("Vilniusas").empty());
    EXPECT_TRUE(names.Search("").empty());
}

TEST_F(CityTableTest, KeyedLookupFollowsTheProfileReader) {
    EXPECT_EQ(CityEntry("Vilnius"), "K26,K27");
    EXPECT_EQ(CityEntry("VILNIUS"), "K26,K27") << "case ignored; the first key counts";
    EXPECT_EQ(CityEntry("Kaunas"), "J18") << "blanks around key and value ignored";
    EXPECT_EQ(CityEntry(T("Šiauliai")), "E14");
    EXPECT_EQ(CityEntry(T("šIAULIAI")), "E14");
    EXPECT_EQ(CityEntry(T("VILKAVIŠKIS")), "L14");
    EXPECT_EQ(CityEntry("Vil"), "") << "a beginning of a name is no name";
}

// Every place of a name gives its squares, the plain name's first; a name typed without
// its Lithuanian letters finds them; a whole key gives its own place.
TEST_F(CityTableTest, ANameGivesTheSquaresOfEveryPlaceOfThatName) {
    dir.write("CityBEX.dat", T("[City]\r\nRaudondvaris (Pagėgių sav.)=I07\r\n"
                               "Raudondvaris=J17\r\nRaudondvaris (Kalvarijos sav.)=M13,J17\r\n"
                               "Šiauliai=D14,D15\r\nŠiauliai (Jurbarko r.)=H14\r\n"
                               "Ukmergė=H23\r\nUkmerge (Molėtų r.)=H26\r\n"
                               "Pakalniškiai (Kretingos r.)=C03\r\n"
                               "Pakalniškiai (Kretingos r., C04)=C04\r\n"));
    EXPECT_EQ(CityEntry("Raudondvaris"), "J17,I07,M13");
    EXPECT_EQ(CityEntry(T("Raudondvaris (Pagėgių sav.)")), "I07");
    EXPECT_EQ(CityEntry("Siauliai"), "D14,D15,H14");
    EXPECT_EQ(CityEntry(T("ŠIAULIAI")), "D14,D15,H14");
    EXPECT_EQ(CityEntry("ukmerge"), "H23,H26");
    EXPECT_EQ(CityEntry("Pakalniskiai"), "C03,C04") << "no plain key: every place";
    EXPECT_EQ(CityEntry("Pakalniskiai (Kretingos r.)"), "C03");
    EXPECT_EQ(CityEntry("Raudond"), "");
    EXPECT_EQ(CityEntry(""), "");
}

TEST_F(CityTableTest, ChangedFileIsSeenAtTheNextLookup) {
    EXPECT_EQ(CityEntry("Vilnius"), "K26,K27");
    dir.write("CityBEX.dat", "[City]\r\nVilnius=K25\r\n");
    EXPECT_EQ(CityEntry("Vilnius"), "K25");
}

TEST(CityTableMissing, LoadingNamesReportsTheFileAndLookupsFindNothing) {
    kxtest::TempFolder dir;
    dir.makeProgramFolder();
    try {
        CityNames::Load();
        FAIL() << "expected a file error";
    } catch (const FileOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("CityBEX.dat"), std::string::npos) << e.what();
    }
    EXPECT_EQ(CityEntry("Vilnius"), "");
}

TEST(CallSignTable, LooksUpTheTrimmedWholeCallSign) {
    kxtest::TempFolder dir;
    dir.makeProgramFolder();
    dir.write("LY-BEX.dat", "[BEX]\r\nLY1AB=K26\r\nLY2XY=J18,J19\r\nLY=A01\r\n");
    EXPECT_EQ(CallSignSquares("LY1AB"), "K26");
    EXPECT_EQ(CallSignSquares("  ly2xy "), "J18,J19");
    EXPECT_EQ(CallSignSquares("LY"), "") << "two characters are not looked up";
    EXPECT_EQ(CallSignSquares(" LY "), "");
    EXPECT_EQ(CallSignSquares("LY1AB/P"), "") << "no portable designator is split off";
    EXPECT_EQ(CallSignSquares("LY9ZZ"), "");
    dir.write("LY-BEX.dat", "[BEX]\r\nLY9ZZ=P39\r\n");
    EXPECT_EQ(CallSignSquares("LY9ZZ"), "P39") << "edits take effect at the next look-up";
}

TEST(CallSignTable, MissingFileFindsNothing) {
    kxtest::TempFolder dir;
    dir.makeProgramFolder();
    EXPECT_EQ(CallSignSquares("LY1AB"), "");
}
