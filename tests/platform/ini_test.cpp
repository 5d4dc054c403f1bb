#include "platform/Ini.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Cp1257.h"
#include "platform/FileIO.h"
#include "platform/Settings.h"
#include "support/TempFolder.h"

namespace {

struct IniFixture : ::testing::Test {
    kxtest::TempFolder folder;
    kx::IniFile ini{folder.file("Kvadrix.ini")};
    void file(const std::string& bytes) { folder.write("Kvadrix.ini", bytes); }
    std::string file() const { return folder.read("Kvadrix.ini"); }
};

}  // namespace

using IniReading = IniFixture;

TEST_F(IniReading, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ini.ReadString("SETUP", "Name", "none"), "none");
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "X3", 100), 100);
    file("[WINDOWS]\r\nX2=5\r\n");
    EXPECT_EQ(ini.ReadInteger("SETUP", "X2", 7), 7);
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "Y2", 200), 200);
    EXPECT_FALSE(std::filesystem::exists(folder.file("other.ini")));
}

TEST_F(IniReading, NamesAreCaseBlindAndBlanksAroundKeysAndValuesAreIgnored) {
    file("[windows]\r\n  x3 =  250  \r\n[ Kvadrix ]\r\nLanguage =LT\r\nVersion=Kvadrix v. 1\r\n");
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "X3", 100), 250);
    EXPECT_EQ(ini.ReadString("WINDOWS", "x3", ""), "250");
    EXPECT_EQ(ini.ReadString("Kvadrix", "Language ", "EN"), "LT");
    EXPECT_EQ(ini.ReadString("KVADRIX", "Version ", ""), "Kvadrix v. 1");
}

TEST_F(IniReading, TheFirstOfTwoEqualKeysOrSectionsCounts) {
    file("[SETUP]\nCall=LY1A\nCALL=LY2B\n[setup]\nCall=LY3C\nName=Jonas\n");
    EXPECT_EQ(ini.ReadString("SETUP", "Call", ""), "LY1A");
    EXPECT_EQ(ini.ReadString("SETUP", "Name", "-"), "-");  // only in the second section
}

TEST_F(IniReading, PresentEmptyValueIsEmptyTextButJunkIntegerIsTheDefault) {
    file("[SETUP]\nName=\nKoordFormat=\n");
    EXPECT_EQ(ini.ReadString("SETUP", "Name", "x"), "");
    EXPECT_EQ(ini.ReadInteger("SETUP", "KoordFormat", 1), 1);
}

TEST_F(IniReading, CommentsHeaderlessLinesAndLinesWithoutEqualsAreNoKeys) {
    file("Call=LY9Z\n[SETUP]\n;Call=LY1A\nCall\nCall=LY2B\n");
    EXPECT_EQ(ini.ReadString("SETUP", "Call", ""), "LY2B");
}

TEST_F(IniReading, ValuesAreCutAt2047Bytes) {
    file("[SETUP]\nAddr=" + std::string(3000, 'a') + "\n");
    EXPECT_EQ(ini.ReadString("SETUP", "Addr", "").size(), 2047u);
}

TEST(IniIntegers, DecimalHexAndJunk) {
    int v = -1;
    EXPECT_TRUE(kx::ParseIniInteger("0x64", v));
    EXPECT_EQ(v, 100);
    EXPECT_TRUE(kx::ParseIniInteger("0XfF", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(kx::ParseIniInteger("-12", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(kx::ParseIniInteger("+7", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(kx::ParseIniInteger("2147483647", v));
    EXPECT_TRUE(kx::ParseIniInteger("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    for (const char* junk : {"abc", "", "0x", "0xg1", "12abc", "2147483648", "1 2", "-", "$64",
                             "0x123456789", "99999999999999999999"})
        EXPECT_FALSE(kx::ParseIniInteger(junk, v)) << junk;
}

TEST_F(IniReading, StoredX3OfAbcOr0x64AndWestLongOf2) {
    file("[WINDOWS]\r\nX3=abc\r\nY3=0x64\r\n[SETUP]\r\nWestLong=2\r\nKoordFormat=0\r\n");
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "X3", 100), 100);
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "Y3", 7), 100);
    EXPECT_TRUE(ini.ReadBool("SETUP", "WestLong", false));
    EXPECT_FALSE(ini.ReadBool("SETUP", "KoordFormat", true));
    EXPECT_TRUE(ini.ReadBool("SETUP", "Missing", true));
}

using IniWriting = IniFixture;

TEST_F(IniWriting, TheFirstWriteCreatesTheFileAndEveryValueReadsBack) {
    ini.WriteString("Kvadrix", "Version ", "Kvadrix v. 1.0.0.1");
    ini.WriteString("Kvadrix", "Language ", "EN");
    EXPECT_EQ(file(), "[Kvadrix]\r\nVersion =Kvadrix v. 1.0.0.1\r\nLanguage =EN\r\n");
    ini.WriteInteger("WINDOWS", "X3", -40);
    ini.WriteBool("SETUP", "WestLong", true);
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "X3", 0), -40);
    EXPECT_TRUE(ini.ReadBool("SETUP", "WestLong", false));
    EXPECT_EQ(ini.ReadString("SETUP", "WestLong", ""), "1");
}

TEST_F(IniWriting, KeyReplacedInPlaceNewKeyAtSectionEndNewSectionAtFileEnd) {
    file("; mine\r\n[WINDOWS]\r\nX2=1\r\nY2=2\r\n\r\n[SETUP]\r\nName=A\r\n");
    ini.WriteInteger("windows", "x2", 10);
    ini.WriteInteger("WINDOWS", "X3", 30);
    ini.WriteString("Kvadrix", "Language ", "LT");
    EXPECT_EQ(file(),
              "; mine\r\n[WINDOWS]\r\nx2=10\r\nY2=2\r\nX3=30\r\n\r\n[SETUP]\r\nName=A\r\n"
              "\r\n[Kvadrix]\r\nLanguage =LT\r\n");
}

TEST_F(IniWriting, KeepsUnixLineEndsAndALastLineWithoutEnd) {
    file("[SETUP]\nName=A");
    ini.WriteString("SETUP", "Call", "LY1A");
    EXPECT_EQ(file(), "[SETUP]\nName=A\nCall=LY1A\n");
}

TEST_F(IniWriting, ValueThatWouldBreakTheLineStaysOneLine) {
    ini.WriteString("SETUP", "Addr", "Vilnius\r\nLithuania\t");
    ini.WriteString("SETUP", "Call", "LY1A");
    EXPECT_EQ(ini.ReadString("SETUP", "Addr", ""), "Vilnius  Lithuania");
    EXPECT_EQ(ini.ReadString("SETUP", "Call", ""), "LY1A");
}

TEST_F(IniWriting, LithuanianApplicantTextsReadBackAsWritten) {
    const std::string name = kx::Cp1257("Žygimantas Čiurlionis, Šiaulių g. 5-ą");
    ini.WriteString("SETUP", "Name", name);
    EXPECT_EQ(ini.ReadString("SETUP", "Name", ""), name);
    EXPECT_NE(file().find(name), std::string::npos);  // bytes, not re-encoded
}

TEST_F(IniWriting, EveryWriteIsOnDiskAtOnceForEveryReader) {
    ini.WriteInteger("SETUP", "KoordFormat", 3);
    kx::IniFile other(folder.file("Kvadrix.ini"));
    EXPECT_EQ(other.ReadInteger("SETUP", "KoordFormat", 1), 3);
    other.WriteInteger("SETUP", "KoordFormat", 1);
    EXPECT_EQ(ini.ReadInteger("SETUP", "KoordFormat", 3), 1);
}

TEST(IniWriteFailure, UnwritablePlaceRaisesUnableToWriteWithTheFullPath) {
    kxtest::TempFolder folder;
    // A folder named like the file: it can be neither read nor replaced.
    std::filesystem::create_directory(folder.file("Kvadrix.ini"));
    kx::IniFile ini(folder.file("Kvadrix.ini"));
    try {
        ini.WriteString("Kvadrix", "Version ", "x");
        FAIL() << "no error";
    } catch (const kx::IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + folder.file("Kvadrix.ini"));
    }
    // A path under a regular file.
    folder.write("plain", "x");
    kx::IniFile under(folder.file("plain/Kvadrix.ini"));
    EXPECT_THROW(under.WriteInteger("WINDOWS", "X2", 1), kx::IniWriteError);
    EXPECT_EQ(under.ReadInteger("WINDOWS", "X2", 200), 200);
}

TEST(IniWriteFailure, FailedReplacementLeavesTheOldFileWhole) {
    kxtest::TempFolder folder;
    folder.write("Kvadrix.ini", "[SETUP]\r\nName=Old\r\n");
    kx::IniFile ini(folder.file("Kvadrix.ini"));
    kx::WriteFaultHook = [](const std::string&) { return false; };
    EXPECT_THROW(ini.WriteString("SETUP", "Name", "New"), kx::IniWriteError);
    kx::WriteFaultHook = nullptr;
    EXPECT_EQ(folder.read("Kvadrix.ini"), "[SETUP]\r\nName=Old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.dir()), {}), 1);
}

// The settings the program keeps are written under the names that files of earlier
// versions hold, so that a user's Kvadrix.ini keeps its language and applicant.
using ProgramSettings = IniFixture;

TEST_F(ProgramSettings, KeepTheNamesOfFilesUsersHave) {
    file("[Kvadrix]\r\nLanguage =LT\r\n[SETUP]\r\nName=Jonas\r\nCall=ly2xx\r\n");
    EXPECT_EQ(kx::settings::ReadLanguage(ini, "EN"), "LT");
    const kx::settings::Applicant read = kx::settings::ReadApplicant(ini);
    EXPECT_EQ(read.name, "Jonas");
    EXPECT_EQ(read.call, "ly2xx");
    EXPECT_EQ(read.address, "");

    kx::settings::WriteLanguage(ini, "EN");
    kx::settings::WriteApplicant(ini, {"Jonas", "LY2XX", "Vilnius", "ly2xx@example.org"});
    EXPECT_EQ(file(),
              "[Kvadrix]\r\nLanguage =EN\r\n[SETUP]\r\nName=Jonas\r\nCall=LY2XX\r\n"
              "Addr=Vilnius\r\nEAddr=ly2xx@example.org\r\n");
    EXPECT_EQ(kx::settings::WindowKey('W', 4), "W4");
}
