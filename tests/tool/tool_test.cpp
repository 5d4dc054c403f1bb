// Runs the built kvadrix-tool as a process on a temporary program folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/FolderLock.h"
#include "support/TempFolder.h"
#include "tables/WwlTable.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command with the standard input; its output is kept in scratch.
ToolRun Shell(const kxtest::TempFolder& folder, const std::string& command,
              const std::string& input = "") {
    folder.write("stdin.txt", input);
    const std::string out = folder.file("stdout.txt"), err = folder.file("stderr.txt");
    const std::string cmd =
        command + " <'" + folder.file("stdin.txt") + "' >'" + out + "' 2>'" + err + "'";
    ToolRun r;
    int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = folder.read("stdout.txt");
    r.err = folder.read("stderr.txt");
    return r;
}

// Runs the tool with the folder, the arguments (shell words), the standard input and the
// language of the environment (English unless a test asks for another).
ToolRun Tool(const kxtest::TempFolder& folder, const std::string& args,
             const std::string& input = "", const std::string& lang = "C") {
    return Shell(folder,
                 "LC_ALL= LC_MESSAGES= LANG='" + lang + "' '" + KX_BUILD_DIR +
                     "/kvadrix-tool' --folder '" + folder.dir() + "' " + args,
                 input);
}

struct ToolFolder : kxtest::TempFolder {
    ToolFolder() {
        copyData("BEXWWL.dat");
        copyData("CityBEX.dat");
        write("LY-BEX.dat", "[BEX]\r\nLY1AB=K26\r\nLY2XY=J18,J19\r\n");
    }
};

TEST(ToolSquare, PointsLocatorsAndMisses) {
    ToolFolder f;
    EXPECT_EQ(Tool(f, "square 54.68 25.28").out, "K26\n");
    ToolRun comma = Tool(f, "square 54,68 25,28");
    EXPECT_EQ(comma.status, 0);
    EXPECT_EQ(comma.out, "K26\n");
    EXPECT_EQ(Tool(f, "square ko24pq").out, "K26\n");
    ToolRun miss = Tool(f, "square 10 10");
    EXPECT_EQ(miss.status, 1);
    EXPECT_EQ(miss.out, "?\n");
    EXPECT_EQ(Tool(f, "square AA00AA").status, 1);
}

// A locator has 6 characters; 8 or 10 are read as their first 6. A field, a square or
// three letters is no locator: a usage error naming what is accepted, never a square.
// Every command but the Qt ones starts without Qt's libraries: they are the larger part of
// a call's cost. The application command runs in kvadrix-tool-qt, which has them.
TEST(ToolStart, OnlyTheQtHalfLoadsQt) {
    ToolFolder f;
    const std::string build = KX_BUILD_DIR;
    ToolRun core = Shell(f, "ldd '" + build + "/kvadrix-tool'");
    ASSERT_EQ(core.status, 0) << core.err;
    EXPECT_EQ(core.out.find("libQt"), std::string::npos) << core.out;
    ToolRun qt = Shell(f, "ldd '" + build + "/kvadrix-tool-qt'");
    ASSERT_EQ(qt.status, 0) << qt.err;
    EXPECT_NE(qt.out.find("libQt6Gui"), std::string::npos) << qt.out;
}

TEST(ToolSquare, LocatorsOfSixEightOrTenCharactersOnly) {
    ToolFolder f;
    EXPECT_EQ(Tool(f, "square KO24PQ12").out, "K26\n");
    EXPECT_EQ(Tool(f, "square ko24pq12ab").out, "K26\n");
    for (const char* args : {"square KO", "square KO14", "square 4PQ", "square KO24P",
                             "square KO24PQ1", "square KO24PQ12AB3", "square ''"}) {
        ToolRun r = Tool(f, args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args;
        EXPECT_NE(r.err.find("6 characters"), std::string::npos) << args << ": " << r.err;
    }
    ToolRun batch = Tool(f, "square -", "KO14\nKO24PQ\n");
    EXPECT_EQ(batch.status, 2);
    EXPECT_EQ(batch.out, "\nK26\n");
}

TEST(ToolSquare, BadNumbersAndUsageAreErrors) {
    ToolFolder f;
    for (const char* args : {"square 54.x 25", "square 1e 2", "locator 54 nan", "square 1 2 3",
                             "locator 54", "nosuch", "", "--bogus square 1 2"}) {
        ToolRun r = Tool(f, args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty()) << args;
        EXPECT_NE(r.err.find("kvadrix-tool: "), std::string::npos) << args;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << args;  // one line
    }
}

TEST(ToolLocator, PointToLocator) {
    ToolFolder f;
    ToolRun r = Tool(f, "locator 54.68 25.28");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "KO24PQ\n");
    EXPECT_EQ(Tool(f, "locator 55 24").out, "KO25AA\n");
}

TEST(ToolInfo, LocatorsAndCornersWithDegreeSign) {
    ToolFolder f;
    ToolRun r = Tool(f, "info k26");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "KO24OT\tKO24PT\nKO24OS\tKO24PS\nKO24OR\tKO24PR\nKO24OQ\tKO24PQ\n"
              "NW 54°50'N 25°10'E\nNE 54°50'N 25°20'E\nSW 54°40'N 25°10'E\nSE 54°40'N 25°20'E\n");
    ToolRun none = Tool(f, "info Z99");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
}

TEST(ToolTables, CityWithLithuanianLettersAndCallSigns) {
    ToolFolder f;
    ToolRun r = Tool(f, "city 'Šiauliai'");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(r.out.empty());
    EXPECT_EQ(Tool(f, "city Vilnius").out, "K26,L26,K27,L27\n");
    EXPECT_EQ(Tool(f, "city Nowhereville").status, 1);
    EXPECT_EQ(Tool(f, "call ly2xy").out, "J18,J19\n");
    EXPECT_EQ(Tool(f, "call LY9ZZZ").status, 1);
    EXPECT_EQ(Tool(f, "city \"$(printf '\\377')\"").status, 2);  // not UTF-8
}

// A name typed without its Lithuanian letters finds the place; one that no place has is
// said to be missing.
TEST(ToolTables, CityWithoutLithuanianLettersAndNotFound) {
    ToolFolder f;
    EXPECT_EQ(Tool(f, "city Ukmerge").out, Tool(f, "city 'Ukmergė'").out);
    EXPECT_EQ(Tool(f, "city Ukmerge").out, "H23\n");
    EXPECT_EQ(Tool(f, "city siauliai").out.substr(0, 8), "D14,D15,");
    EXPECT_EQ(Tool(f, "city Visaginas").out, "F33\n");
    ToolRun none = Tool(f, "city Nowhereville");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "kvadrix-tool: \"Nowhereville\" is not in the city table.\n");
    EXPECT_NE(Tool(f, "call LY9ZZZ").err.find("LY9ZZZ"), std::string::npos);
}

TEST(ToolBatch, OneLinePerInputLine) {
    ToolFolder f;
    ToolRun sq = Tool(f, "square -", "54.68 25.28\nKO24PQ\n10 10\n54,68 25,28\n");
    EXPECT_EQ(sq.status, 1);  // one line found nothing
    EXPECT_EQ(sq.out, "K26\nK26\n?\nK26\n");
    ToolRun info = Tool(f, "info -", "K26\nZ99\n");
    EXPECT_EQ(info.out,
              "KO24OT\tKO24PT\tKO24OS\tKO24PS\tKO24OR\tKO24PR\tKO24OQ\tKO24PQ\t"
              "NW 54°50'N 25°10'E\tNE 54°50'N 25°20'E\tSW 54°40'N 25°10'E\tSE 54°40'N 25°20'E\n\n");
    ToolRun bad = Tool(f, "locator -", "54.68 25.28\nx y\n55 24\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "KO24PQ\n\nKO25AA\n");
    EXPECT_NE(bad.err.find("line 2"), std::string::npos);
    EXPECT_EQ(Tool(f, "locator -", "55 24\n").status, 0);
}

TEST(ToolBatch, AFailingLookupSpoilsOnlyItsOwnLine) {
    ToolFolder f;
    f.write("BEXWWL.dat",
            "[BEX]\r\nA01=KO16JM,KO16KM,KO16JL,KO16KL,KO16JK,KO16KK,KO16JJ,KO16KJ\r\n"
            "A02=KO16LM,KO16MM\r\n");
    ToolRun r = Tool(f, "info -", "A01\nA02\nA01\n");
    EXPECT_EQ(r.status, 2);
    const std::string a01 =
        "KO16JM\tKO16KM\tKO16JL\tKO16KL\tKO16JK\tKO16KK\tKO16JJ\tKO16KJ\t"
        "NW 56°30'N 21°00'E\tNE 56°30'N 21°10'E\tSW 56°20'N 21°00'E\tSE 56°20'N 21°10'E\n";
    EXPECT_EQ(r.out, a01 + "\n" + a01) << "the lines before and after the short entry";
    EXPECT_NE(r.err.find("line 2"), std::string::npos);
}

const char* const kAdi =
    "<ADIF_VER:5>3.1.0<EOH>\n"
    "<CALL:5>LY1AB<QSO_DATE:8>20240101<TIME_ON:4>1200<BAND:3>20M<MODE:2>CW"
    "<GRIDSQUARE:6>KO24PQ<EOR>\n"
    "<CALL:5>LY2XY<QSO_DATE:8>20240102<TIME_ON:4>1300<BAND:3>40M<MODE:3>SSB<EOR>\n"
    "<CALL:4>DL1A<QSO_DATE:8>20240102<TIME_ON:4>1300<BAND:3>40M<MODE:3>SSB<EOR>\n";

TEST(ToolImport, ImportsFindsSquaresAndReportsDuplicates) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("a.adi: 2 taken, 0 duplicates, 0 refused without a date, 0 refused "
                         "with a date or time that does not exist, 1 without a square; 2 LY "
                         "QSOs in this file of 3 records\n"),
              std::string::npos)
        << r.out;
    std::string log = f.read("QSO.dat");
    EXPECT_NE(log.find("LY1AB"), std::string::npos);
    EXPECT_NE(log.find("K26"), std::string::npos);  // square found from the locator
    ToolRun again = Tool(f, "import '" + f.file("a.adi") + "'");
    EXPECT_NE(again.out.find("0 taken, 2 duplicates, 0 refused without a date, 0 refused with "
                             "a date or time that does not exist, 0 without a square; 2 LY QSOs "
                             "in this file of 3 records\n"),
              std::string::npos)
        << again.out;
    EXPECT_EQ(Tool(f, "import '" + f.file("missing.adi") + "'").status, 2);
    EXPECT_EQ(Tool(f, "import").status, 2);

    ToolRun award = Tool(f, "award");
    EXPECT_EQ(award.status, 0);
    EXPECT_NE(award.out.find("1.\tK26\tLY1AB\t20M\tCW\t"), std::string::npos) << award.out;
    EXPECT_NE(award.out.find("Worked squares: 1\n"), std::string::npos);
    ToolRun ssb = Tool(f, "award --mode ssb");
    EXPECT_EQ(ssb.status, 1);
    EXPECT_EQ(ssb.out, "Worked squares: 0\n");
    EXPECT_EQ(Tool(f, "award --band vhf").out, "Worked squares: 0\n");
    EXPECT_EQ(Tool(f, "award --band 2m").status, 2);
}

TEST(ToolExport, WritesTheLogAndCountsQsosWithoutDate) {
    ToolFolder f;
    f.write("QSO.dat", "h\r\n2009-05-12\t12:30\t\tLY1AB\t20M\tCW\t\r\n\t\t\tLY2XY\t\r\n");
    ToolRun r = Tool(f, "export '" + f.file("out.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, f.file("out.adi") + ": 2 QSOs exported, 1 of them without a readable date " +
                         "(no QSO_DATE)\n");
    EXPECT_NE(f.read("out.adi").find("<CALL:5>LY1AB <QSO_DATE:8>20090512 "), std::string::npos);

    ToolRun bad = Tool(f, "export '" + f.file("no/such/folder.adi") + "'");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("kvadrix-tool: "), std::string::npos);
    EXPECT_EQ(Tool(f, "export").status, 2);
}

TEST(ToolExport, AnExportedLogImportsIntoAnotherFolderAsItWas) {
    ToolFolder f;
    const std::string rows =
        "2018-01-07\t12:30\t \tLY2AA\t20M\tUSB\tKaliningrad, RU\tJonas\tKO04PQ\t \t \t \t"
        "Tnx QSO\t\r\n"
        "24.12.2026\t9:30\t \tLY3BB\t40M\tBPSK31\tVilnius\tPetras\t \t?\tKO24PQ\tK26\t"
        "55 deg\t\r\n";
    const std::string header =
        "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t\r\n";
    f.write("QSO.dat", header + rows);
    ASSERT_EQ(Tool(f, "export '" + f.file("out.adi") + "'").status, 0);
    ToolFolder other;
    ToolRun r = Tool(other, "import '" + f.file("out.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    // Neither the square finder nor the sort changes a field ("?" stays, the square of a
    // locator outside the award area stays empty).
    EXPECT_EQ(other.read("QSO.dat"), header + rows);
}

TEST(ToolFindSquares, FillsTheSquareOfTheLocator) {
    ToolFolder f;
    f.write(
        "QSO.dat",
        "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t\r\n"
        "2024-01-01\t12:00\t\tLY1AB\t20M\tCW\t\t\tKO24PQ\t\t\t\t\t\r\n");
    ToolRun r = Tool(f, "find-squares");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(f.read("QSO.dat").find("K26"), std::string::npos);
}

TEST(ToolAward, LithuanianLettersOfTheLogComeOutAsUtf8) {
    ToolFolder f;
    f.write("QSO.dat",
            kx::Cp1257("Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\t"
                       "MyWWL\tMyBEX\tRemarks\t\r\n"
                       "2024-01-01\t12:00\t\tLY1ŽĖ\t20M\tCW\tŠiauliai\t\t\tK26\t\t\t\t\r\n"));
    ToolRun r = Tool(f, "award");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1.\tK26\tLY1ŽĖ\t20M\tCW\t2024-01-01\t12:00\nWorked squares: 1\n");
}

TEST(ToolLock, RefusesToChangeTheLogWhileAnotherProgramHoldsItsLock) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    for (const char* holder : {"Kvadrix", "kvadrix-tool"}) {
        kx::FolderLock lock(f.dir(), holder);
        ASSERT_EQ(lock.TryLock(), kx::LockResult::Acquired);
        ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(std::string(holder) + " (process " + std::to_string(getpid()) + ")"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(f.file("QSO.lock")), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(f.file("QSO.dat")));
        EXPECT_EQ(Tool(f, "find-squares").status, 2);
        EXPECT_EQ(Tool(f, "listen --port 0 --seconds 0").status, 2);
        EXPECT_EQ(Tool(f, "award").status, 1);  // reading is fine
    }
    EXPECT_FALSE(std::filesystem::exists(f.file("QSO.lock")));  // removed when let go
    EXPECT_EQ(Tool(f, "import '" + f.file("a.adi") + "'").status, 0);
}

TEST(ToolLock, ALockFileLeftByACrashLocksNobody) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    // The id in the file is that of a live process (init): the file alone locks nothing.
    f.write(kx::kLockFileName, "Kvadrix 1\n");
    EXPECT_EQ(Tool(f, "import '" + f.file("a.adi") + "'").status, 0);
    f.write(kx::kLockFileName, "1\n");
    kx::FolderLock lock(f.dir());
    EXPECT_EQ(lock.TryLock(), kx::LockResult::Acquired);
    EXPECT_EQ(f.read(kx::kLockFileName), "Kvadrix " + std::to_string(getpid()) + "\n");
}

TEST(ToolLock, ALockFileWithAnotherNameIsRefusedAndTheOtherFileKept) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    f.write("precious.txt", "the user's text\n");
    std::filesystem::create_hard_link(f.file("precious.txt"), f.file(kx::kLockFileName));
    ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot be locked"), std::string::npos) << r.err;
    EXPECT_EQ(f.read("precious.txt"), "the user's text\n");
    EXPECT_FALSE(std::filesystem::exists(f.file("QSO.dat")));
}

TEST(ToolLock, TheHoldersTextIsShownWithoutItsControlCharacters) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    // Another program holds the lock and wrote terminal commands as its name.
    const int fd = ::open(f.file(kx::kLockFileName).c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const std::string text =
        "Evil\x1b]0;owned\x07\x1b[2J\r\x9b"
        "31m 77\n";
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
    ::close(fd);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Evil?]0;owned??[2J??31m (process 77)"), std::string::npos) << r.err;
    for (char c : r.err) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << r.err;
}

TEST(ToolLock, WithoutALockTheLogIsNotWritten) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    std::filesystem::create_directory(f.file(kx::kLockFileName));
    ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot be locked"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(f.file("QSO.lock")), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(f.file("QSO.dat")));
}

TEST(ToolSort, ImportAndFindSquaresSaveInTheOrderOfTheKeyAndKeepUndatedQsos) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    const std::string header =
        "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t\r\n";
    // A QSO without a date, first by call sign.
    f.write("QSO.dat", header + "\t\t\tLY0AA\t10M\tAM\t\t\t\t\t\t\t\t\r\n");
    ToolRun r = Tool(f, "import --sort call '" + f.file("a.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    auto order = [&] {
        const std::string log = f.read("QSO.dat");
        std::vector<std::size_t> at;
        for (const char* call : {"LY0AA", "LY1AB", "LY2XY"}) at.push_back(log.find(call));
        return at;
    };
    auto at = order();
    EXPECT_TRUE(at[0] != std::string::npos && at[0] < at[1] && at[1] < at[2]) << f.read("QSO.dat");
    EXPECT_EQ(Tool(f, "find-squares --sort=band").status, 0);
    at = order();  // 10M, 20M, 40M
    EXPECT_TRUE(at[0] != std::string::npos && at[0] < at[1] && at[1] < at[2]) << f.read("QSO.dat");
    EXPECT_EQ(Tool(f, "find-squares --sort date").status, 0);
    at = order();  // the undated QSO last
    EXPECT_TRUE(at[1] < at[2] && at[2] < at[0]) << f.read("QSO.dat");
    EXPECT_EQ(Tool(f, "find-squares --sort size").status, 2);
    EXPECT_EQ(Tool(f, "import --sort").status, 2);
}

TEST(ToolImport, RecordsWithoutADateAreRefusedAndCounted) {
    ToolFolder f;
    f.write("a.adi", "<EOH><CALL:4>LY1A<QSO_DATE:10>2020/03/04<EOR><CALL:4>LY2A<EOR>");
    ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("1 taken, 0 duplicates, 1 refused without a date"), std::string::npos)
        << r.out;
    EXPECT_NE(f.read("QSO.dat").find("2020-03-04\t"), std::string::npos);
    EXPECT_EQ(f.read("QSO.dat").find("LY2A"), std::string::npos);
}

TEST(ToolImport, RecordsWithADateOrTimeThatDoesNotExistAreRefusedAndCounted) {
    ToolFolder f;
    f.write("a.adi",
            "<EOH><CALL:4>LY1A<QSO_DATE:10>2020-13-40<EOR>"
            "<CALL:4>LY2A<QSO_DATE:8>20200304<TIME_ON:4>2561<EOR>");
    ToolRun r = Tool(f, "import '" + f.file("a.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("0 taken, 0 duplicates, 0 refused without a date, 2 refused with a date "
                         "or time that does not exist"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(f.read("QSO.dat").find("LY"), std::string::npos);
}

TEST(ToolApplication, ATemplateTooLargeToLayOutIsAnErrorAndNoFile) {
    ToolFolder f;
    f.write("QSO.dat", "h\r\n2009-05-12\t12:30\t\tLY1AB\t20M\tCW\t\t\t\tK26\t\r\n");
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 200'000; ++i) rtf += "\\par ";
    f.write("BEXApplication.rtf", rtf + "}");
    for (const char* out : {"a.pdf", "a.rtf"}) {
        ToolRun r = Tool(f, std::string("application --out '") + f.file(out) + "'");
        EXPECT_EQ(r.status, 2) << out;
        EXPECT_NE(r.err.find("is too large a document"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(f.file(out))) << out;
    }
}

TEST(ToolTables, AWwlTableOfJunkIsAnErrorNotAMiss) {
    ToolFolder f;
    f.write("BEXWWL.dat", "not a table\r\n");
    for (const char* args : {"square KO24PQ", "square 54.68 25.28", "info K26", "find-squares"}) {
        ToolRun r = Tool(f, args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("BEXWWL.dat"), std::string::npos) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(Tool(f, "locator 54.68 25.28").status, 0);  // needs no table
}

TEST(ToolTables, ExportAndTheAwardNeedAWwlTableTheyCanRead) {
    // Without the table no square of the log is one: an export without a single SIG field
    // and an award of no squares would be reported as done.
    for (const char* table : {"missing", "not a table\r\n"}) {
        ToolFolder f;
        f.copyData("BEXApplication.rtf");
        f.write("QSO.dat", "h\r\n2009-05-12\t12:30\t\tLY1AB\t20M\tCW\t\t\t\tK26\t\r\n");
        if (table == std::string("missing"))
            fs::remove(f.file("BEXWWL.dat"));
        else
            f.write("BEXWWL.dat", table);
        for (const std::string& args : {"export '" + f.file("out.adi") + "'", std::string("award"),
                                        "application --out '" + f.file("a.rtf") + "'"}) {
            ToolRun r = Tool(f, args);
            EXPECT_EQ(r.status, 2) << table << args;
            EXPECT_NE(r.err.find("BEXWWL.dat"), std::string::npos) << args << ": " << r.err;
            EXPECT_EQ(r.out, "") << args;
        }
        EXPECT_FALSE(fs::exists(f.file("out.adi")));
        EXPECT_FALSE(fs::exists(f.file("a.rtf")));
    }
}

// Every file under a folder with its size and modification time.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> Snapshot(const std::string& dir) {
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        files[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
    return files;
}

TEST(ToolLayout, InstalledToolKeepsItsFilesInTheUserFoldersAndNothingUnderThePrefix) {
    kxtest::TempFolder t;
    fs::create_directories(t.file("usr/bin"));
    fs::create_directories(t.file("usr/share"));
    fs::copy_file(std::string(KX_BUILD_DIR) + "/kvadrix-tool", t.file("usr/bin/kvadrix-tool"));
    fs::copy(KX_DATA_DIR, t.file("usr/share/kvadrix"), fs::copy_options::recursive);
    t.write("a.adi", kAdi);
    const auto before = Snapshot(t.file("usr"));
    const std::string run = "env -u XDG_CONFIG_HOME -u XDG_DATA_HOME LC_ALL= LANG=C HOME='" +
                            t.file("home") + "' '" + t.file("usr/bin/kvadrix-tool") + "' ";

    ToolRun r = Shell(t, run + "import '" + t.file("a.adi") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string log = t.read("home/.local/share/kvadrix/QSO.dat");
    EXPECT_NE(log.find("K26"), std::string::npos) << log;  // found from the shipped table
    // The user's own call-sign table wins over the shipped one.
    EXPECT_EQ(Shell(t, run + "call LY1AB").status, 1);
    t.write("home/.local/share/kvadrix/LY-BEX.dat", "[BEX]\r\nLY1AB=K26\r\n");
    EXPECT_EQ(Shell(t, run + "call LY1AB").out, "K26\n");
    EXPECT_EQ(Shell(t, run + "award").status, 0);

    EXPECT_EQ(Snapshot(t.file("usr")), before);
    // --folder still means a portable folder.
    ToolFolder f;
    EXPECT_EQ(Shell(t, run + "--folder '" + f.dir() + "' import '" + t.file("a.adi") + "'").status,
              0);
    EXPECT_TRUE(fs::exists(f.file("QSO.dat")));
}

TEST(ToolHelp, DescribesEveryCommandInTheEnvironmentsLanguage) {
    ToolFolder f;
    for (const char* lang : {"C", "lt_LT.UTF-8"}) {
        ToolRun r = Tool(f, "--help", "", lang);
        EXPECT_EQ(r.status, 0);
        for (const char* word : {"square", "locator", "info", "city", "call", "import", "export",
                                 "find-squares", "award", "application", "--class", "--folder"})
            EXPECT_NE(r.out.find(word), std::string::npos) << lang << " " << word;
    }
    EXPECT_EQ(Tool(f, "--help").out.rfind("Usage: kvadrix-tool", 0), 0u);
    EXPECT_EQ(Tool(f, "--version").out, "kvadrix-tool " KVADRIX_VERSION_STRING "\n");
    EXPECT_EQ(Tool(f, "--help", "", "lt_LT.UTF-8").out.rfind("Naudojimas: kvadrix-tool", 0), 0u);
    // A language that is not Lithuanian gives English.
    EXPECT_EQ(Tool(f, "--help", "", "de_DE").out.rfind("Usage:", 0), 0u);
}

TEST(ToolHelp, LithuanianMessagesKeepTheOutputFormats) {
    ToolFolder f;
    ToolRun bad = Tool(f, "square 54.x 25", "", "lt_LT.UTF-8");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "kvadrix-tool: ne skaičius: „54.x“\n");
    // A failure of the core speaks the same language.
    std::filesystem::create_directory(f.file("QSO.dat"));
    ToolRun noLog = Tool(f, "award", "", "lt_LT");
    EXPECT_EQ(noLog.status, 2);
    EXPECT_EQ(noLog.err, "kvadrix-tool: Nepavyko atidaryti failo „" + f.file("QSO.dat") +
                             "“. Tai aplankas, o ne failas.\n");
}

// A log with one CW QSO on 20M in every square of the table (394), and the applicant.
struct ApplicationFolder : ToolFolder {
    ApplicationFolder() {
        copyData("BEXApplication.rtf");
        copyData("BEXApplicationLT.rtf");
        makeProgramFolder();
        std::string log =
            "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t\r"
            "\n";
        for (char row = 'A'; row <= 'P'; ++row) {
            for (int col = 0; col < 40; ++col) {
                const std::string code =
                    row + std::string(1, char('0' + col / 10)) + char('0' + col % 10);
                if (!kx::SquareExists(code)) continue;
                log +=
                    "2024-01-01\t12:00\t\tLY1" + code + "\t20M\tCW\t\t\t\t" + code + "\t\t\t\t\r\n";
                ++squares;
                last = code;
            }
        }
        write("QSO.dat", log);
        write("Kvadrix.ini", "[SETUP]\r\nName=Ona Onaite\r\nCall=LY2ON\r\n");
    }
    int squares = 0;
    std::string last;  // the last square of the table
};

std::string PdfText(const std::string& pdf) {
    std::string out;
    const std::string cmd = "pdftotext -layout '" + pdf + "' - 2>/dev/null";
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

TEST(ToolApplication, PdfOfEverySquareNumbersEveryPage) {
    ApplicationFolder f;
    ASSERT_EQ(f.squares, 394);
    ToolRun r = Tool(f, "application --mode cw --class 100 --out '" + f.file("a.pdf") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Worked squares: 394\n");
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
    const std::string text = PdfText(f.file("a.pdf"));
    EXPECT_NE(text.find("BEX 100 CW"), std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("Ona Onaite"), std::string::npos);
    EXPECT_NE(text.find("LY1" + f.last), std::string::npos);
    std::size_t at = 0;
    for (int page = 2; page <= 8; ++page) {  // the list runs onto page 8
        at = text.find("-" + std::to_string(page) + "-", at);
        EXPECT_NE(at, std::string::npos) << "page " << page;
    }
}

TEST(ToolApplication, RtfHasTheListWithoutPageHeadersInTheChosenLanguage) {
    ApplicationFolder f;
    ToolRun r = Tool(f, "application --band vhf --lang lt --out '" + f.file("a.rtf") + "'");
    EXPECT_EQ(r.status, 1) << r.err;  // no VHF QSO: an empty list
    EXPECT_EQ(r.out, "Worked squares: 0\n");
    ToolRun all = Tool(f, "application --lang=lt --out=" + f.file("b.RTF"));
    ASSERT_EQ(all.status, 0) << all.err;
    const std::string rtf = f.read("b.RTF");
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("LY1" + f.last), std::string::npos);
    EXPECT_EQ(rtf.find("-2-"), std::string::npos);
    EXPECT_EQ(rtf.find("\\page"), std::string::npos);
    for (const char* args :
         {"application", "application --out x.txt", "application --class 50 --out a.rtf",
          "application --lang de --out a.rtf", "award --class 100"}) {
        EXPECT_EQ(Tool(f, args).status, 2) << args;
    }
    std::filesystem::remove(f.file("BEXApplication.rtf"));
    ToolRun missing = Tool(f, "application --out '" + f.file("c.rtf") + "'");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("BEXApplication.rtf"), std::string::npos) << missing.err;
}

// ---- the tool as a Unix command ---------------------------------------------------------

bool HaveLocale(const std::string& name) {
    const std::string cmd = "locale -a 2>/dev/null | grep -qix '" + name + "'";
    return std::system(cmd.c_str()) == 0;
}

TEST(ToolHelp, EveryCommandHasItsOwnHelpAfterItsName) {
    ToolFolder f;
    for (const char* args : {"square --help", "award -h", "help award", "import a.adi --help"}) {
        ToolRun r = Tool(f, args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.out.rfind("Usage: kvadrix-tool [--folder DIR] ", 0), 0u) << args << r.out;
        EXPECT_TRUE(r.err.empty()) << args;
    }
    EXPECT_NE(Tool(f, "award --help").out.find("--mode all|cw|ssb|phone|digital"),
              std::string::npos);
    EXPECT_EQ(Tool(f, "award --help").out.find("square LAT LON"), std::string::npos);
    EXPECT_NE(Tool(f, "square --help").out.find("\"-\""), std::string::npos);  // line by line
    EXPECT_NE(Tool(f, "application --help").out.find("EAddr"), std::string::npos);
    EXPECT_EQ(Tool(f, "-h").out, Tool(f, "--help").out);
    ToolRun lt = Tool(f, "city --help", "", "lt_LT.UTF-8");
    EXPECT_EQ(lt.out.rfind("Naudojimas: kvadrix-tool [--folder DIR] city", 0), 0u) << lt.out;
}

TEST(ToolUsage, MessagesNameWhatWasWrong) {
    ToolFolder f;
    const struct {
        const char* args;
        const char* message;
    } cases[] = {
        {"--folder", "kvadrix-tool: --folder needs a folder\n"},
        {"award extra",
         "kvadrix-tool: award: unexpected argument extra (see kvadrix-tool award "
         "--help)\n"},
        {"award --band", "kvadrix-tool: award: --band needs a value\n"},
        {"award --class 100", "kvadrix-tool: award: unknown option --class\n"},
        {"export --sort=date a.adi", "kvadrix-tool: export: unknown option --sort\n"},
        {"import --sort", "kvadrix-tool: --sort needs a value\n"},
        {"help nosuch", "kvadrix-tool: unknown command nosuch (see --help)\n"},
        {"locator 91 25", "kvadrix-tool: the latitude 91 is not between -90 and 90\n"},
        {"locator -90.5 25", "kvadrix-tool: the latitude -90.5 is not between -90 and 90\n"},
        {"locator 54.68 200", "kvadrix-tool: the longitude 200 is not between -180 and 180\n"},
        {"square 54.68 -180.01",
         "kvadrix-tool: the longitude -180.01 is not between -180 and 180\n"},
    };
    for (const auto& c : cases) {
        ToolRun r = Tool(f, c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.err, c.message) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
    }
    // The edges of the earth are points.
    EXPECT_EQ(Tool(f, "locator 90 180").status, 0);
    EXPECT_EQ(Tool(f, "locator -90 -180").out, "AA00AA\n");
}

TEST(ToolBatch, EachLineIsAnsweredAsItArrivesAndEmptyLinesAreSkipped) {
    ToolFolder f;
    int toTool[2], fromTool[2];
    ASSERT_EQ(pipe(toTool), 0);
    ASSERT_EQ(pipe(fromTool), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(toTool[0], 0);
        dup2(fromTool[1], 1);
        close(toTool[1]);
        close(fromTool[0]);
        const std::string tool = std::string(KX_BUILD_DIR) + "/kvadrix-tool";
        execl(tool.c_str(), tool.c_str(), "--folder", f.dir().c_str(), "square", "-", nullptr);
        _exit(127);
    }
    close(toTool[0]);
    close(fromTool[1]);
    // The next answer, waiting at most 20 s for it while the input stays open.
    auto answer = [&]() {
        std::string line;
        char c = 0;
        while (line.empty() || line.back() != '\n') {
            pollfd p{fromTool[0], POLLIN, 0};
            if (poll(&p, 1, 20000) != 1 || read(fromTool[0], &c, 1) != 1) return line + "<none>";
            line += c;
        }
        return line;
    };
    auto send = [&](const std::string& text) {
        EXPECT_EQ(write(toTool[1], text.data(), text.size()), ssize_t(text.size()));
    };
    send("54.68 25.28\n");
    EXPECT_EQ(answer(), "K26\n");
    send("\n   \n10 10\n");
    EXPECT_EQ(answer(), "?\n");
    send("KO24PQ\n");
    EXPECT_EQ(answer(), "K26\n");
    close(toTool[1]);
    EXPECT_EQ(answer(), "<none>");
    close(fromTool[0]);
    int raw = 0;
    waitpid(pid, &raw, 0);
    EXPECT_EQ(WEXITSTATUS(raw), 1);  // one line found nothing
}

TEST(ToolExport, DashWritesTheFileToStandardOutput) {
    ToolFolder f;
    f.write("QSO.dat", "h\r\n2009-05-12\t12:30\t\tLY1AB\t20M\tCW\t\r\n");
    ToolRun r = Tool(f, "export -");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("<CALL:5>LY1AB <QSO_DATE:8>20090512 "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("QSOs exported"), std::string::npos);
    EXPECT_EQ(r.err, "-: 1 QSOs exported, 0 of them without a readable date (no QSO_DATE)\n");
    EXPECT_FALSE(fs::exists(f.file("-")));
}

// A date such as 12/9/26 is read in the order of the locale's short dates, as the window
// reads it; the C locale reads it as Qt's C locale does, day first.
TEST(ToolExport, SlashDatesAreReadInTheLocalesOrder) {
    ToolFolder f;
    f.write("QSO.dat", "h\r\n12/9/26\t12:30\t\tLY1AB\t20M\tCW\t\r\n");
    const struct {
        const char* locale;
        const char* date;
    } cases[] = {{"en_US.UTF-8", "20261209"},
                 {"lt_LT.UTF-8", "20120926"},
                 {"de_DE.UTF-8", "20260912"},
                 {"C", "20260912"}};
    for (const auto& c : cases) {
        if (!HaveLocale(std::string(c.locale).substr(0, 5) + ".utf-\\?8") &&
            std::string(c.locale) != "C") {
            ADD_FAILURE() << c.locale << " is not generated (scripts/test generates it)";
            continue;
        }
        ToolRun r =
            Shell(f, "LC_ALL= LC_TIME= LANG=" + std::string(c.locale) + " '" + KX_BUILD_DIR +
                         "/kvadrix-tool' --folder '" + f.dir() + "' export -");
        EXPECT_NE(r.out.find(std::string("<QSO_DATE:8>") + c.date), std::string::npos)
            << c.locale << ": " << r.out;
    }
}

TEST(ToolHelp, ResultLinesAreLithuanianAndTheirColumnsStay) {
    ToolFolder f;
    f.write("a.adi", kAdi);
    const std::string lt = "lt_LT.UTF-8";
    ToolRun import = Tool(f, "import '" + f.file("a.adi") + "'", "", lt);
    EXPECT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(import.out, f.file("a.adi") +
                              ": paimta 2, pasikartojo 0, atmesta be datos 0, atmesta su "
                              "neegzistuojančia data ar laiku 0, be kvadrato 1; šiame faile 2 "
                              "LY QSO iš 3 įrašų\n");
    ToolRun award = Tool(f, "award", "", lt);
    EXPECT_EQ(award.out.substr(0, award.out.find('\n')),
              "1.\tK26\tLY1AB\t20M\tCW\t2024-01-01\t12:00");
    EXPECT_NE(award.out.find("\nDirbta kvadratų: 1\n"), std::string::npos) << award.out;
    EXPECT_EQ(Tool(f, "find-squares", "", lt).out, "QSO: 2\n");
    ToolRun exported = Tool(f, "export '" + f.file("b.adi") + "'", "", lt);
    EXPECT_EQ(exported.out, f.file("b.adi") +
                                ": eksportuota QSO: 2, iš jų be perskaitomos datos (be "
                                "QSO_DATE): 0\n");
    // The system's error in the user's language.
    ToolRun missing = Tool(f, "export '" + f.file("no/such.adi") + "'", "", lt);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err.find("No such file"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.err.find("cannot"), std::string::npos) << missing.err;
}

TEST(ToolApplication, TheApplicantsFieldsComeFromTheOptionsElseFromTheSettings) {
    ApplicationFolder f;
    ToolRun r = Tool(
        f, "application --call LY3XX --address 'Gatvė 1\tVilnius' --out '" + f.file("a.rtf") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string rtf = f.read("a.rtf");
    EXPECT_NE(rtf.find("LY3XX"), std::string::npos);
    EXPECT_EQ(rtf.find("LY2ON"), std::string::npos);       // the option wins
    EXPECT_NE(rtf.find("Ona Onaite"), std::string::npos);  // the settings file's name
    EXPECT_NE(rtf.find("Vilnius"), std::string::npos);
    EXPECT_EQ(rtf.find("1\tVilnius"), std::string::npos);  // no TAB in a field
    EXPECT_EQ(f.read("Kvadrix.ini"), "[SETUP]\r\nName=Ona Onaite\r\nCall=LY2ON\r\n");
}

}  // namespace

TEST(ToolLock, TwoCopiesWhoseLogLinksToOneFileLoseNoQsoInARace) {
    // Two portable copies of the program whose "QSO.dat" is a link to one log in a synced
    // folder import at the same moment, again and again: every import that says it took
    // its QSOs has them in the log, and one that could not have the lock took none.
    ToolFolder a, b;
    kxtest::TempFolder sync;
    sync.write("QSO.dat", "");
    fs::create_symlink(sync.file("QSO.dat"), a.file("QSO.dat"));
    fs::create_symlink(sync.file("QSO.dat"), b.file("QSO.dat"));
    // The calls of an import: three of its own.
    auto call = [](int run, int k) {
        const int n = run * 3 + k;
        return std::string("LY1") + char('A' + n / 676 % 26) + char('A' + n / 26 % 26) +
               char('A' + n % 26);
    };
    auto adif = [&](int run) {
        std::string text = "<EOH>\n";
        for (int k = 0; k < 3; ++k)
            text += "<CALL:6>" + call(run, k) +
                    "<QSO_DATE:8>20240101<TIME_ON:4>1200<BAND:3>20M<MODE:2>CW<EOR>\n";
        return text;
    };
    std::vector<int> taken;
    for (int pair = 0; pair < 100; ++pair) {
        std::string both;
        for (int side = 0; side < 2; ++side) {
            const ToolFolder& f = side ? b : a;
            const int run = pair * 2 + side;
            f.write("r.adi", adif(run));
            both += "(LC_ALL=C '" + std::string(KX_BUILD_DIR) + "/kvadrix-tool' --folder '" +
                    f.dir() + "' import '" + f.file("r.adi") + "' >/dev/null 2>&1; echo $? >'" +
                    f.file("status") + "') & ";
        }
        ASSERT_EQ(std::system((both + "wait").c_str()), 0);
        for (int side = 0; side < 2; ++side) {
            const std::string status = (side ? b : a).read("status");
            ASSERT_TRUE(status == "0\n" || status == "2\n") << status;
            if (status == "0\n") taken.push_back(pair * 2 + side);
        }
    }
    const std::string log = sync.read("QSO.dat");
    EXPECT_GE(taken.size(), 100u);  // at least one of each pair
    for (int run : taken)
        for (int k = 0; k < 3; ++k)
            EXPECT_NE(log.find("\t" + call(run, k) + "\t"), std::string::npos) << call(run, k);
    EXPECT_TRUE(fs::is_symlink(a.file("QSO.dat")));
    EXPECT_TRUE(fs::is_symlink(b.file("QSO.dat")));
}
