#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// A fake environment: only the variables given are set.
kx::Paths::Environment Env(std::map<std::string, std::string> vars) {
    return [vars = std::move(vars)](const char* name) -> const char* {
        auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
}

// PREFIX/bin and PREFIX/share/kvadrix/ with the tables, as a package installs them.
struct Prefix : kxtest::TempFolder {
    Prefix() {
        fs::create_directories(file("usr/bin"));
        fs::create_directories(file("usr/share/kvadrix"));
        write("usr/share/kvadrix/BEXWWL.dat", "x");
        write("usr/share/kvadrix/LY-BEX.dat", "[BEX]\r\n");
        write("usr/share/kvadrix/BEXApplication.rtf", "{\\rtf1}");
    }
    std::string bin() const { return file("usr/bin"); }
    std::string share() const { return file("usr/share/kvadrix/"); }
    std::string home() const { return file("home/"); }
};

}  // namespace

TEST(PathsDetection, ExecutableFolderWithTheTablesIsPortable) {
    Prefix p;
    p.write("usr/bin/BEXWWL.dat", "x");  // a portable copy wins even inside a prefix
    for (const std::string& exe : {p.bin(), p.bin() + "/", p.bin() + "//"}) {
        const kx::Paths paths = kx::Paths::Detect(exe, Env({{"HOME", p.home()}}));
        EXPECT_EQ(paths.layout(), kx::Layout::Portable) << exe;
        EXPECT_EQ(paths.ShippedFolder(), p.bin() + "/");
        EXPECT_EQ(paths.ConfigFolder(), p.bin() + "/");
        EXPECT_EQ(paths.File("QSO.dat"), p.bin() + "/QSO.dat");
        EXPECT_EQ(paths.File("Kvadrix.ini"), p.bin() + "/Kvadrix.ini");
        EXPECT_EQ(paths.File("LY-BEX.dat"), p.bin() + "/LY-BEX.dat");
    }
}

TEST(PathsDetection, BinBesideShareIsInstalledWithXdgFolders) {
    Prefix p;
    const kx::Paths defaults = kx::Paths::Detect(p.bin(), Env({{"HOME", p.home()}}));
    EXPECT_EQ(defaults.layout(), kx::Layout::Installed);
    EXPECT_EQ(defaults.ShippedFolder(), p.share());
    EXPECT_EQ(defaults.ConfigFolder(), p.home() + ".config/kvadrix/");
    EXPECT_EQ(defaults.UserFolder(), p.home() + ".local/share/kvadrix/");

    const kx::Paths xdg = kx::Paths::Detect(
        p.bin(), Env({{"HOME", p.home()}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/d/"}}));
    EXPECT_EQ(xdg.ConfigFolder(), "/cfg/kvadrix/");
    EXPECT_EQ(xdg.UserFolder(), "/d/kvadrix/");

    // Relative or empty XDG values are ignored, as the base-directory rules ask.
    const kx::Paths relative = kx::Paths::Detect(
        p.bin(), Env({{"HOME", p.home()}, {"XDG_CONFIG_HOME", "cfg"}, {"XDG_DATA_HOME", ""}}));
    EXPECT_EQ(relative.ConfigFolder(), p.home() + ".config/kvadrix/");
    EXPECT_EQ(relative.UserFolder(), p.home() + ".local/share/kvadrix/");
}

TEST(PathsDetection, WithoutTablesAnywhereTheExecutableFolderStaysTheProgramFolder) {
    Prefix p;
    fs::remove(p.share() + "BEXWWL.dat");
    EXPECT_EQ(kx::Paths::Detect(p.bin(), Env({})).layout(), kx::Layout::Portable);
    // Tables in share/kvadrix count only beside a bin folder.
    fs::create_directories(p.file("usr/lib/share/kvadrix"));
    p.write("usr/lib/share/kvadrix/BEXWWL.dat", "x");
    const kx::Paths lib = kx::Paths::Detect(p.file("usr/lib"), Env({}));
    EXPECT_EQ(lib.layout(), kx::Layout::Portable);
    EXPECT_EQ(lib.File("QSO.dat"), p.file("usr/lib/QSO.dat"));
}

TEST(PathsLookup, InstalledFilesLieWhereTheirKindBelongs) {
    Prefix p;
    const kx::Paths paths = kx::Paths::Installed(p.share(), "/c/", "/u");
    for (const char* shipped :
         {"BEXWWL.dat", "CityBEX.dat", "BorderLT.dat", "KXInfo.dat", "KXInfoLT.dat", "AboutBEX.htm",
          "ApieBEX.htm", "LY-BEX.dat", "BEXApplication.rtf", "BEXApplicationLT.rtf"})
        EXPECT_EQ(paths.File(shipped), p.share() + shipped) << shipped;
    EXPECT_EQ(paths.File("Kvadrix.ini"), "/c/Kvadrix.ini");
    // Whatever the program keeps goes to the user folder, never under the prefix.
    for (const char* kept : {"QSO.dat", "QSO.lock", "backups/QSO-20261208-101500.dat", "x.tmp"})
        EXPECT_EQ(paths.File(kept), std::string("/u/") + kept) << kept;
}

TEST(PathsLookup, UsersCopyOfAnEditableFileWinsAtOnceButNotOfATable) {
    Prefix p;
    kxtest::TempFolder user;
    const kx::Paths paths = kx::Paths::Installed(p.share(), "/c/", user.dir());
    EXPECT_EQ(paths.File("LY-BEX.dat"), p.share() + "LY-BEX.dat");
    user.write("LY-BEX.dat", "[BEX]\r\nLY1AB=K26\r\n");
    user.write("BEXApplicationLT.rtf", "{\\rtf1}");
    user.write("BEXWWL.dat", "damaged");
    EXPECT_EQ(paths.File("LY-BEX.dat"), user.file("LY-BEX.dat"));
    EXPECT_EQ(paths.File("BEXApplicationLT.rtf"), user.file("BEXApplicationLT.rtf"));
    EXPECT_EQ(paths.File("BEXApplication.rtf"), p.share() + "BEXApplication.rtf");
    EXPECT_EQ(paths.File("BEXWWL.dat"), p.share() + "BEXWWL.dat");
    // A folder of that name is no copy.
    fs::create_directory(user.file("BEXApplication.rtf"));
    EXPECT_EQ(paths.File("BEXApplication.rtf"), p.share() + "BEXApplication.rtf");
}

TEST(PathsFolders, InstalledFoldersAreMadeAndPortableOnesNever) {
    kxtest::TempFolder t;
    const kx::Paths installed =
        kx::Paths::Installed(t.file("share"), t.file("cfg/kvadrix"), t.file("data/kvadrix/"));
    std::string reason;
    EXPECT_TRUE(installed.MakeFolders(&reason)) << reason;
    EXPECT_TRUE(fs::is_directory(t.file("cfg/kvadrix")));
    EXPECT_TRUE(fs::is_directory(t.file("data/kvadrix")));
    EXPECT_FALSE(fs::exists(t.file("share")));
    EXPECT_TRUE(installed.MakeFolders());  // twice is harmless

    EXPECT_TRUE(kx::Paths::Portable(t.file("gone")).MakeFolders());
    EXPECT_FALSE(fs::exists(t.file("gone")));

    t.write("plain", "x");
    const kx::Paths blocked = kx::Paths::Installed(t.file("share"), t.file("plain/cfg"), "/u");
    EXPECT_FALSE(blocked.MakeFolders(&reason));
    EXPECT_NE(reason.find("plain"), std::string::npos) << reason;
}
