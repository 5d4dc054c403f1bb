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
        "share/applications/" KX_APP_ID ".desktop",
        "share/metainfo/" KX_APP_ID ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/kvadrix.svg",
        "share/man/man1/kvadrix.1.gz",
        "share/man/man1/kvadrix-tool.1.gz",
        "share/doc/kvadrix/LICENSE",
        "share/doc/kvadrix/copyright",
        "share/doc/kvadrix/credits",
        "share/doc/kvadrix/changelog.gz",
    };
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
