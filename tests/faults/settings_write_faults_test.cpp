// The settings file on a failing disk: a write that cannot complete raises "Unable to
// write to <full path>" and leaves the old file whole, with no temporary behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "FaultSupport.h"
#include "platform/Ini.h"
#include "support/TempFolder.h"

namespace {

const std::string kOld = "[SETUP]\r\nName=Old\r\n[WINDOWS]\r\nX3=100\r\n";

TEST(SettingsOnAFullDisk, WriteRaisesUnableToWriteAndKeepsTheOldFile) {
    kxtest::TempFolder folder;
    folder.write("Kvadrix.ini", kOld);
    kx::IniFile ini(folder.file("Kvadrix.ini"));
    try {
        kxtest::FileSizeLimit full(kOld.size() + 4);
        ini.WriteString("SETUP", "Addr", std::string(500, 'a'));
        FAIL() << "the write did not fail";
    } catch (const kx::IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + folder.file("Kvadrix.ini"));
    }
    EXPECT_EQ(folder.read("Kvadrix.ini"), kOld);
    EXPECT_EQ(kxtest::NamesIn(folder.dir()), std::vector<std::string>{"Kvadrix.ini"});
    EXPECT_EQ(ini.ReadString("SETUP", "Addr", "none"), "none");
    EXPECT_EQ(ini.ReadString("SETUP", "Name", ""), "Old");
}

TEST(SettingsOnAFullDisk, AFileThatCannotBeCreatedRaisesToo) {
    kxtest::TempFolder folder;
    kx::IniFile ini(folder.file("Kvadrix.ini"));
    {
        kxtest::FileSizeLimit full(0);
        EXPECT_THROW(ini.WriteString("Kvadrix", "Language ", "EN"), kx::IniWriteError);
    }
    EXPECT_TRUE(kxtest::NamesIn(folder.dir()).empty());
}

TEST(SettingsWriteFailure, TheMessageNamesTheFullPathOfARelativeName) {
    kxtest::TempFolder folder;
    std::filesystem::create_directory(folder.file("Kvadrix.ini"));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(folder.dir());
    std::string message;
    try {
        kx::IniFile("Kvadrix.ini").WriteInteger("WINDOWS", "X2", 1);
    } catch (const kx::IniWriteError& e) {
        message = e.what();
    }
    std::filesystem::current_path(cwd);
    EXPECT_EQ(message, "Unable to write to " + folder.file("Kvadrix.ini"));
}

}  // namespace
