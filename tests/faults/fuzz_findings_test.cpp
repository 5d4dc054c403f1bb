// Inputs the fuzz targets of fuzz/ found to break something, each kept here with the
// behaviour it now has.
#include <gtest/gtest.h>

#include "platform/Ini.h"
#include "support/TempFolder.h"

namespace {

// fuzz_ini_reader: a new key added to a section whose last line ended in a bare CR was
// glued onto that line, so the write succeeded but the key could not be read back.
TEST(FuzzFindings, KeyAddedAfterALastLineEndingInABareCrReadsBack) {
    kxtest::TempFolder folder;
    folder.write("Kvadrix.ini", "[BEX]\nK25=dS  \ra\tbm\r\r\r");
    kx::IniFile ini(folder.file("Kvadrix.ini"));
    ini.WriteString("BEX", "K26", "x");
    EXPECT_EQ(ini.ReadString("BEX", "K26", "none"), "x");
    EXPECT_EQ(ini.ReadString("BEX", "K25", "none"), "dS  \ra\tbm");
    EXPECT_EQ(folder.read("Kvadrix.ini"), "[BEX]\nK25=dS  \ra\tbm\r\r\r\nK26=x\n");
}

}  // namespace
