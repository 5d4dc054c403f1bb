// Installs the built programs into a temporary prefix as a package would, and checks the
// installed tree: its file list, the desktop entry and metainfo validators, and the
// programs' terminal answers without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

int Shell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

bool Have(const std::string& program) {
    return Shell("command -v " + program + " >/dev/null 2>&1") == 0;
}

// One installation for every test of this program.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new kxtest::TempFolder;
        ok_ = Shell(std::string("'") + KX_CMAKE_COMMAND + "' --install '" + KX_BUILD_DIR +
                    "' --prefix '" + root_->file("usr") + "' >'" + root_->file("install.log") +
                    "' 2>&1") == 0;
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(ok_) << root_->read("install.log"); }
    static std::string usr(const std::string& rest = "") { return root_->file("usr/" + rest); }
    static std::string out() { return root_->file("out.txt"); }
    static std::string output() { return root_->read("out.txt"); }

    static inline kxtest::TempFolder* root_ = nullptr;
    static inline bool ok_ = false;
};

}  // namespace

TEST_F(Installed, EveryFileGoesToItsPlace) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(usr()))
        if (!e.is_directory()) files.insert(fs::relative(e.path(), usr()).string());
    std::set<std::string> expected = {
        "bin/kvadrix",
        "bin/kvadrix-tool",
        "libexec/kvadrix/kvadrix-tool-qt",
        "share/applications/" KX_APP_ID ".desktop",
        "share/metainfo/" KX_APP_ID ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/kvadrix.svg",
        "share/man/man1/kvadrix.1.gz",
        "share/man/man1/kvadrix-tool.1.gz",
        "share/doc/kvadrix/LICENSE",
        "share/doc/kvadrix/copyright",
        "share/doc/kvadrix/credits",
        "share/doc/kvadrix/changelog.gz",
        "share/doc/kvadrix/user-guide.md",
        "share/bash-completion/completions/kvadrix-tool",
    };
    for (const auto& e : fs::directory_iterator(std::string(KX_SOURCE_DIR) + "/docs"))
        if (e.path().extension() == ".png")
            expected.insert("share/doc/kvadrix/" + e.path().filename().string());
    for (const char* size : {"48x48", "64x64", "128x128", "256x256"})
        expected.insert(std::string("share/icons/hicolor/") + size + "/apps/kvadrix.png");
    for (const auto& e : fs::directory_iterator(KX_DATA_DIR))
        expected.insert("share/kvadrix/" + e.path().filename().string());
    EXPECT_EQ(files, expected);
}

TEST_F(Installed, DesktopEntryAndMetainfoPassTheirValidators) {
    if (!Have("desktop-file-validate") || !Have("appstreamcli"))
        GTEST_SKIP() << "desktop-file-validate or appstreamcli is missing (scripts/test installs "
                        "desktop-file-utils and appstream)";
    EXPECT_EQ(Shell("desktop-file-validate '" + usr("share/applications/" KX_APP_ID ".desktop") +
                    "' >'" + out() + "' 2>&1"),
              0)
        << output();
    EXPECT_EQ(output().find("error"), std::string::npos) << output();
    EXPECT_EQ(Shell("appstreamcli validate --no-net '" +
                    usr("share/metainfo/" KX_APP_ID ".metainfo.xml") + "' >'" + out() + "' 2>&1"),
              0)
        << output();
}

TEST_F(Installed, ProgramsAnswerVersionAndHelpWithoutADisplay) {
    const std::string bare = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    ASSERT_EQ(Shell(bare + "'" + usr("bin/kvadrix") + "' --version >'" + out() + "' 2>&1"), 0)
        << output();
    EXPECT_EQ(output(), "Kvadrix " KVADRIX_VERSION_STRING "\n");
    ASSERT_EQ(Shell(bare + "'" + usr("bin/kvadrix") + "' --help >'" + out() + "' 2>&1"), 0)
        << output();
    EXPECT_NE(output().find("~/.local/share/kvadrix"), std::string::npos) << output();
    ASSERT_EQ(Shell(bare + "'" + usr("bin/kvadrix-tool") + "' --version >'" + out() + "' 2>&1"), 0);
    EXPECT_EQ(output(), "kvadrix-tool " KVADRIX_VERSION_STRING "\n");
}

TEST_F(Installed, ToolHandsItsQtCommandToItsQtHalf) {
    // The application command runs in libexec/kvadrix/kvadrix-tool-qt: its own check of
    // the arguments answers, not a message that the half is missing.
    EXPECT_EQ(Shell("env LANG=C LC_ALL= LANGUAGE= '" + usr("bin/kvadrix-tool") +
                    "' application >'" + out() + "' 2>&1"),
              2);
    EXPECT_EQ(output(), "kvadrix-tool: application: --out FILE.rtf or FILE.pdf is needed\n");
}

TEST_F(Installed, UserGuideHasTheUsersPartsOfTheReadmeAndItsPictures) {
    const std::string guide = root_->read("usr/share/doc/kvadrix/user-guide.md");
    for (const char* part : {"# Kvadrix user guide", "## Where your files live", "**Backups.**",
                             "## The call-sign table LY-BEX.dat", "The squares in other loggers",
                             "## kvadrix-tool", "](start.png)"})
        EXPECT_NE(guide.find(part), std::string::npos) << part;
    for (const char* developers : {"## Checks", "## Benchmarks", "scripts/test    #"})
        EXPECT_EQ(guide.find(developers), std::string::npos) << developers;
}

TEST_F(Installed, ManualPagesRenderWithoutWarningsAndNameTheRealFolders) {
    if (!Have("man")) GTEST_SKIP() << "man (man-db) is missing";
    for (const char* page : {"kvadrix", "kvadrix-tool"}) {
        const std::string file = usr("share/man/man1/") + page + ".1.gz";
        EXPECT_EQ(Shell("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l '" + file + "' 2>&1 >'" +
                        out() + ".page' | tee '" + out() + "' | grep -q ."),
                  1)
            << page << ": " << output();
        const std::string text = root_->read("out.txt.page");
        EXPECT_NE(text.find("/usr/share/kvadrix"), std::string::npos) << page;
        EXPECT_EQ(text.find("PREFIX"), std::string::npos) << page;
        for (const char* section : {"ENVIRONMENT", "FILES", "EXAMPLES", "XDG_DATA_HOME"})
            EXPECT_NE(text.find(section), std::string::npos) << page << " " << section;
    }
    const std::string tool = root_->read("out.txt.page");
    for (const char* word : {"application", "--sort", "--name", "LC_TIME"})
        EXPECT_NE(tool.find(word), std::string::npos) << word;
}

TEST_F(Installed, BashCompletesCommandsOptionsAndValues) {
    const std::string script = usr("share/bash-completion/completions/kvadrix-tool");
    auto complete = [&](const std::string& words, int index) {
        Shell("PATH=\"" + usr("bin") + ":$PATH\" bash -c 'source \"" + script + "\"; COMP_WORDS=(" +
              words + "); COMP_CWORD=" + std::to_string(index) +
              "; _kvadrix_tool; echo \"${COMPREPLY[*]}\"' >'" + out() + "' 2>&1");
        return output();
    };
    EXPECT_EQ(complete("kvadrix-tool aw", 1), "award\n");
    EXPECT_EQ(complete("kvadrix-tool award --", 2), "--band --mode --help\n");
    EXPECT_EQ(complete("kvadrix-tool --folder /tmp application --class t", 5), "trophy\n");
    EXPECT_NE(complete("kvadrix-tool \"\"", 1).find("find-squares"), std::string::npos);
}

// Every commit makes a newer package: the version grows with the commit count, and a tree
// without git (a tarball) has the project's version.
TEST(PackageVersion, GrowsWithEveryCommitAndATarballHasTheProjectsVersion) {
    if (!Have("git") || !Have("dpkg")) GTEST_SKIP() << "git or dpkg is missing";
    kxtest::TempFolder tree;
    const std::string script = std::string(KX_SOURCE_DIR) + "/cmake/PackageVersion.cmake";
    auto version = [&]() {
        Shell("'" + std::string(KX_CMAKE_COMMAND) + "' -DSOURCE_DIR='" + tree.dir() +
              "' -DBASE_VERSION=1.0.0.1 -P '" + script + "' >'" + tree.file("v") + "' 2>&1");
        std::string v = tree.read("v");
        while (!v.empty() && v.back() == '\n') v.pop_back();
        return v;
    };
    EXPECT_EQ(version(), "1.0.0.1");
    const std::string git = "git -C '" + tree.dir() + "' -c user.name=k -c user.email=k@k ";
    ASSERT_EQ(Shell(git + "init -q && " + git + "commit -q --allow-empty -m one"), 0);
    const std::string first = version();
    ASSERT_EQ(Shell(git + "commit -q --allow-empty -m two"), 0);
    const std::string second = version();
    EXPECT_EQ(first, "1.0.0.1+1");
    EXPECT_EQ(second, "1.0.0.1+2");
    EXPECT_EQ(Shell("dpkg --compare-versions '" + second + "' gt '" + first + "'"), 0);
    EXPECT_EQ(Shell("dpkg --compare-versions '" + first + "' gt 1.0.0.1"), 0);  // the old one
}
