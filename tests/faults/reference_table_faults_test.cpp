// The reference tables "BEXWWL.dat", "CityBEX.dat" and "LY-BEX.dat" empty, cut off,
// binary or with a folder in their place: every lookup gives its documented empty answer
// or error, never anything else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/Errors.h"
#include "support/TempFolder.h"
#include "tables/CallTable.h"
#include "tables/CityTable.h"
#include "tables/WwlTable.h"

using namespace kx;

namespace {

// Bytes no text editor wrote: every byte value, NULs and lone CRs among them.
std::string BinaryJunk(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

std::string ShippedFile(const std::string& name) {
    kxtest::TempFolder scratch;
    scratch.copyData(name);
    return scratch.read(name);
}

class DamagedTables : public ::testing::Test {
protected:
    void SetUp() override { folder.makeProgramFolder(); }
    kxtest::TempFolder folder;
};

// ---- BEXWWL.dat ----------------------------------------------------------------------

TEST_F(DamagedTables, EmptyWwlTableKnowsNoSquareAndIsReportedLikeAMissingOne) {
    folder.write("BEXWWL.dat", "");
    EXPECT_EQ(SquareEntry("K26"), "");
    EXPECT_FALSE(FindWWLfromBEX("K26"));
    EXPECT_EQ(fWWLtoBEX("KO24PQ"), "");
    EXPECT_EQ(CalcBEX(54.68611f, 25.28333f), "?");
    // Not "?" for every locator in silence: the table is reported as unusable.
    EXPECT_THROW(FindBEXfromWWL("KO24PQ"), FileOpenError);
    EXPECT_THROW(RequireWwlTable(), FileOpenError);
}

TEST_F(DamagedTables, WwlTableCutOffMidEntryKeepsTheEntriesBeforeTheCut) {
    const std::string full = ShippedFile("BEXWWL.dat");
    const std::size_t cut = full.find("K26=") + 4 + 13;  // "KO24OT,KO24PT" left
    folder.write("BEXWWL.dat", full.substr(0, cut));
    // Before the cut: whole.
    EXPECT_EQ(fWWLtoBEX("KO24MT"), "K25");
    EXPECT_EQ(FindBEXfromWWL("KO24NQ"), "K25");
    EXPECT_TRUE(FindWWLfromBEX("K25"));
    // The cut entry: the index error at its first missing locator.
    try {
        FindWWLfromBEX("K26");
        FAIL() << "no error";
    } catch (const IndexError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (2)");
    }
    // After the cut: no such square.
    EXPECT_EQ(SquareEntry("K27"), "");
    EXPECT_EQ(SquareEntry("P39"), "");
    EXPECT_EQ(FindBEXfromWWL("KO24PQ"), "?");
}

TEST_F(DamagedTables, BinaryWwlTableKnowsNoSquareAndIsReportedLikeAMissingOne) {
    folder.write("BEXWWL.dat", BinaryJunk(64 * 1024));
    EXPECT_EQ(SquareEntry("K26"), "");
    EXPECT_FALSE(FindWWLfromBEX("K26"));
    EXPECT_EQ(fWWLtoBEX("KO24PQ"), "");
    EXPECT_EQ(CalcBEX(54.68611f, 25.28333f), "?");
    try {
        FindBEXfromWWL("KO24PQ");
        FAIL() << "no error";
    } catch (const FileOpenError& e) {
        EXPECT_EQ(e.path(), folder.file("BEXWWL.dat"));
    }
}

TEST_F(DamagedTables, FolderInPlaceOfTheWwlTableIsUnreadable) {
    std::filesystem::create_directory(folder.file("BEXWWL.dat"));
    EXPECT_EQ(SquareEntry("K26"), "");
    EXPECT_EQ(fWWLtoBEX("KO24PQ"), "");
    try {
        FindBEXfromWWL("KO24PQ");
        FAIL() << "no error";
    } catch (const FileOpenError& e) {
        EXPECT_EQ(e.path(), folder.file("BEXWWL.dat"));
    }
}

// ---- CityBEX.dat ---------------------------------------------------------------------

TEST_F(DamagedTables, EmptyCityTableHasNoNamesAndNoError) {
    folder.write("CityBEX.dat", "");
    EXPECT_TRUE(CityNames::Load().Search("Vi").empty());
    EXPECT_EQ(CityEntry("Vilnius"), "");
}

TEST_F(DamagedTables, CityTableCutOffKeepsTheNamesBeforeTheCut) {
    const std::string full = ShippedFile("CityBEX.dat");
    const std::size_t cut = full.size() / 2;
    folder.write("CityBEX.dat", full.substr(0, cut));
    // The last name of the file, now gone.
    std::string last = full.substr(0, full.find_last_not_of("\r\n") + 1);
    last = last.substr(last.find_last_of('\n') + 1);
    last = last.substr(0, last.find('='));
    ASSERT_FALSE(last.empty());
    const CityNames names = CityNames::Load();
    EXPECT_EQ(names.Search("Abak"), std::vector<std::string>{"Abakai"});
    EXPECT_EQ(CityEntry("Abakai"), "D03");
    const auto found = names.Search(last.substr(0, 2));
    EXPECT_EQ(std::find(found.begin(), found.end(), last), found.end()) << last;
    EXPECT_EQ(CityEntry(last), "");
}

TEST_F(DamagedTables, BinaryCityTableFindsNothing) {
    folder.write("CityBEX.dat", BinaryJunk(64 * 1024));
    const CityNames names = CityNames::Load();
    EXPECT_TRUE(names.Search("Vilnius").empty());
    EXPECT_EQ(CityEntry("Vilnius"), "");
}

TEST_F(DamagedTables, FolderInPlaceOfTheCityTableIsReportedByName) {
    std::filesystem::create_directory(folder.file("CityBEX.dat"));
    try {
        CityNames::Load();
        FAIL() << "no error";
    } catch (const FileOpenError& e) {
        EXPECT_EQ(e.path(), folder.file("CityBEX.dat"));
    }
    EXPECT_EQ(CityEntry("Vilnius"), "");
}

// ---- LY-BEX.dat ----------------------------------------------------------------------

TEST_F(DamagedTables, CallSignTableEmptyBinaryOrAFolderFindsNothingSilently) {
    folder.write("LY-BEX.dat", "");
    EXPECT_EQ(CallSignSquares("LY1AB"), "");
    folder.write("LY-BEX.dat", BinaryJunk(16 * 1024));
    EXPECT_EQ(CallSignSquares("LY1AB"), "");
    std::filesystem::remove(folder.file("LY-BEX.dat"));
    std::filesystem::create_directory(folder.file("LY-BEX.dat"));
    EXPECT_NO_THROW(EXPECT_EQ(CallSignSquares("LY1AB"), ""));
}

TEST_F(DamagedTables, CallSignTableCutOffMidValueGivesWhatIsLeft) {
    folder.write("LY-BEX.dat", "[BEX]\r\nLY1AB=K26\r\nLY2XY=J1");
    EXPECT_EQ(CallSignSquares("LY1AB"), "K26");
    EXPECT_EQ(CallSignSquares("LY2XY"), "J1");
}

}  // namespace
