#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/Errors.h"
#include "support/TempFolder.h"
#include "tables/TableFile.h"

using kx::IniData;

TEST(IniLayout, SectionAndKeyNamesAreCaseBlindByTheLetterPairs) {
    const auto ini = IniData::Parse("[City]\r\nVilnius=K26\r\n\xC5\xA0iauliai=D16\r\n");
    EXPECT_EQ(ini.value("CITY", "vilnius"), "K26");
    EXPECT_EQ(ini.value("city", "VILNIUS"), "K26");
    EXPECT_EQ(ini.value("City", "\xC5\xA0iauliai"), "D16");
    EXPECT_EQ(ini.value("City", "\xC5\x80iauliai"), "");  // other bytes are compared as they are
    const auto lt = IniData::Parse(kx::Cp1257("[Miestai]\r\nŠiauliai=D16\r\n"));
    EXPECT_EQ(lt.value("MIESTAI", kx::Cp1257("šIAULIAI")), "D16");
}

TEST(IniLayout, BlanksAroundKeysValuesAndNamesAreIgnored) {
    const auto ini = IniData::Parse("  [ BEX ]  \n  K26 \t=  a, b  \nJ18=x\n");
    EXPECT_EQ(ini.value("BEX", "K26"), "a, b");
    EXPECT_EQ(ini.value(" bex ", "  k26 "), "a, b");
    EXPECT_EQ(ini.value("BEX", "J18"), "x");
}

TEST(IniLayout, FirstOfTwoEqualKeysAndFirstSectionCount) {
    const auto ini = IniData::Parse("[A]\nk=1\nK=2\n[B]\nk=3\n[a]\nk=4\nz=5\n");
    EXPECT_EQ(ini.value("A", "k"), "1");
    EXPECT_EQ(ini.value("B", "k"), "3");
    EXPECT_EQ(ini.value("A", "z"), "");
}

TEST(IniLayout, MissingItemsReadEmpty) {
    const auto ini = IniData::Parse("k=outside\n[S]\nnoequals\nk=v=w\n");
    EXPECT_EQ(ini.value("S", "k"), "v=w");
    EXPECT_EQ(ini.value("S", "noequals"), "");
    EXPECT_EQ(ini.value("T", "k"), "");
    EXPECT_EQ(ini.value("", "k"), "");
}

TEST(IniLayout, LineEndsCrLfAndBareCrOrLf) {
    const auto ini = IniData::Parse("[S]\ra=1\nb=2\r\nc=3");
    EXPECT_EQ(ini.value("S", "a"), "1");
    EXPECT_EQ(ini.value("S", "b"), "2");
    EXPECT_EQ(ini.value("S", "c"), "3");
    EXPECT_EQ(kx::SplitLines("x\r\ny\n\nz\r"), (std::vector<std::string>{"x", "y", "", "z"}));
}

class TableFileCache : public ::testing::Test {
protected:
    void SetUp() override { folder.makeProgramFolder(); }
    kxtest::TempFolder folder;
};

TEST_F(TableFileCache, EveryLookupSeesTheFileAsItIsNow) {
    folder.write("T.dat", "[S]\nk=one\n");
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
    folder.write("T.dat", "[S]\nk=two\n");  // same size, same inode, same second
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "two");
    std::filesystem::remove(folder.file("T.dat"));
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "");
    folder.write("T.dat", "[S]\nk=three\n");
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "three");
}

TEST_F(TableFileCache, UnchangedFileKeepsItsParsedCopy) {
    folder.write("T.dat", "[S]\nk=v\n");
    const auto first = kx::TableTextOf("T.dat");
    const auto second = kx::TableTextOf("T.dat");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
}

TEST_F(TableFileCache, FollowsTheProgramFolder) {
    folder.write("T.dat", "[S]\nk=here\n");
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "here");
    kxtest::TempFolder other;
    other.write("T.dat", "[S]\nk=there\n");
    other.makeProgramFolder();
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "there");
}

TEST_F(TableFileCache, RequireRaisesTheOpenErrorWithThePath) {
    kx::CachedTable<kx::TableText> cache(&kx::TableText::FromBytes);
    EXPECT_EQ(cache.get(folder.file("none.dat")), nullptr);
    try {
        cache.require(folder.file("none.dat"));
        FAIL() << "no error";
    } catch (const kx::FileOpenError& e) {
        EXPECT_EQ(e.path(), folder.file("none.dat"));
        EXPECT_NE(std::string(e.what()).find(folder.file("none.dat")), std::string::npos);
    }
}

namespace {

// Gives a file a modification time well in the past, so that the cache trusts its identity
// and answers from the open file alone.
void MakeOld(const std::string& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
}

}  // namespace

TEST_F(TableFileCache, OldFileEditedInPlaceIsSeen) {
    folder.write("T.dat", "[S]\nk=one\n");
    MakeOld(folder.file("T.dat"));
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
    folder.write("T.dat", "[S]\nk=two\n");
    MakeOld(folder.file("T.dat"));  // even with the old time put back
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "two");
}

TEST_F(TableFileCache, OldFileReplacedByRenameOrDeletedIsSeen) {
    folder.write("T.dat", "[S]\nk=one\n");
    MakeOld(folder.file("T.dat"));
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
    folder.write("new.dat", "[S]\nk=two\n");
    MakeOld(folder.file("new.dat"));
    std::filesystem::rename(folder.file("new.dat"), folder.file("T.dat"));
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "two");
    kx::WriteFileAtomic(folder.file("T.dat"), "[S]\nk=six\n");
    MakeOld(folder.file("T.dat"));
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "six");
    std::filesystem::remove(folder.file("T.dat"));
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "");
}

TEST_F(TableFileCache, BatchSeesTheTablesAsTheyWereWhenItBegan) {
    folder.write("T.dat", "[S]\nk=one\n");
    {
        kx::TableBatch batch;
        EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
        folder.write("T.dat", "[S]\nk=two\n");
        {
            kx::TableBatch inner;  // nested: still the outer batch
            EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
        }
        EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "one");
    }
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "two");
    {
        kx::TableBatch next;  // a new batch looks at the file again
        std::filesystem::remove(folder.file("T.dat"));
        EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "");
        folder.write("T.dat", "[S]\nk=three\n");
        EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "three");  // a missing file is not kept
    }
}

TEST_F(TableFileCache, BatchFollowsTheProgramFolder) {
    folder.write("T.dat", "[S]\nk=here\n");
    kx::TableBatch batch;
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "here");
    kxtest::TempFolder other;
    other.write("T.dat", "[S]\nk=there\n");
    other.makeProgramFolder();
    EXPECT_EQ(kx::TableValue("T.dat", "S", "k"), "there");
}
