// Hostile log and ADIF files: whatever their shape, reading them ends, keeps every byte
// of text somewhere in the table, and needs memory in proportion to the file, not more.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "HeapPeak.h"
#include "log/AdifImport.h"
#include "log/QSOLog.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "support/TempFolder.h"

using kx::QSOLog;
using kxtest::HeapPeakDuring;

namespace {

const std::string kHeader =
    "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t\r\n";

std::size_t CountOf(const QSOLog& log, char c) {
    std::size_t n = 0;
    for (const auto& row : log.Rows())
        for (const auto& field : row)
            n += static_cast<std::size_t>(std::count(field.begin(), field.end(), c));
    return n;
}

// ---- QSO.dat -------------------------------------------------------------------------

TEST(HostileLogFile, OneLineOfTabsOverManyEmptyLinesStaysThirteenColumnsWide) {
    // As a dense table this asks for 30,000 x 30,000 cells.
    const std::string bytes = std::string(30000, '\t') + std::string(30000, '\n');
    kxtest::TempFolder folder;
    folder.write("QSO.dat", bytes);
    QSOLog log("EN");
    const std::size_t peak = HeapPeakDuring([&] { log.Load(folder.file("QSO.dat"), "EN"); });
    EXPECT_EQ(log.ColCount(), kx::kQSOFields);
    EXPECT_EQ(log.RowCount(), 30000);
    EXPECT_LT(peak, 1000 * bytes.size());
}

TEST(HostileLogFile, OneLongLineKeepsAllItsTextInItsLastColumn) {
    std::string wide;
    for (int i = 0; i < 30000; ++i) wide += "x\t";
    const std::string bytes = kHeader + wide + "\r\n" + std::string(30000, '\n');
    QSOLog log("EN");
    const std::size_t peak = HeapPeakDuring([&] { log.ReadFromBytes(bytes); });
    EXPECT_EQ(log.ColCount(), kx::kQSOFields);
    EXPECT_EQ(log.Cell(1, 0), "x");
    EXPECT_EQ(CountOf(log, 'x'), 30000u);
    EXPECT_EQ(log.Cell(1, kx::kQSOFields - 1).find('\t'), std::string::npos);
    EXPECT_LT(peak, 1000 * bytes.size());
    // What is written reads back the same.
    QSOLog reread("EN");
    reread.ReadFromBytes(log.ToFileBytes());
    EXPECT_EQ(reread.Rows(), log.Rows());
}

TEST(HostileLogFile, WideLinesOfAnOrdinaryFileStillWidenTheTable) {
    std::string line;
    for (int c = 0; c < 40; ++c) line += "f" + std::to_string(c) + "\t";
    const std::string bytes = kHeader + line + "\r\n" + line + "\r\n" + "d\t\t\tLY1A\t\r\n";
    QSOLog log("EN");
    log.ReadFromBytes(bytes);
    EXPECT_EQ(log.ColCount(), 40);
    EXPECT_EQ(log.Cell(2, 39), "f39");
    EXPECT_EQ(log.Cell(3, 39), "");
}

// ---- ADIF ----------------------------------------------------------------------------

std::string Junk(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t x = 1234567u;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

struct Shape {
    const char* what;
    std::string bytes;
    std::size_t factor;  // memory allowed: factor x the file's size, plus 1 MB
};

std::vector<Shape> HostileAdifShapes() {
    constexpr std::size_t kSize = 1 << 20;
    std::vector<Shape> shapes;
    shapes.push_back({"one line of '<'", std::string(kSize, '<'), 2});
    shapes.push_back(
        {"ten-digit length", "<EOH><CALL:9999999999>" + std::string(kSize, 'L') + "<EOR>", 2});
    shapes.push_back({"negative and missing lengths",
                      [] {
                          std::string s;
                          while (s.size() < kSize) s += "<CALL:-4>LY1A<CALL:>LY2B<CALL>LY3C";
                          return s + "<EOR>";
                      }(),
                      2});
    shapes.push_back({"NULs and invalid UTF-8", "<EOH><CALL:4>LY1A" + Junk(kSize) + "<EOR>", 2});
    shapes.push_back({"a tag at the very end", std::string(kSize, ' ') + "<EOR><CALL:4>", 2});
    shapes.push_back({"one record of very many fields",
                      [] {
                          std::string s = "<CALL:4>LY1A";
                          while (s.size() < kSize) s += "<QTH:1>x";
                          return s + "<EOR>";
                      }(),
                      2});
    shapes.push_back({"very many distinct LY records",
                      [] {
                          std::string s;
                          for (int i = 0; s.size() < kSize; ++i) {
                              const std::string call = "LY" + std::to_string(i);
                              s += "<CALL:" + std::to_string(call.size()) + ">" + call + "<EOR>";
                          }
                          return s;
                      }(),
                      64});
    return shapes;
}

TEST(HostileAdifFile, ImportEndsAndNeedsMemoryInProportionToTheFile) {
    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
    for (const Shape& shape : HostileAdifShapes()) {
        QSOLog log("EN");
        kx::AdifImportResult result;
        const std::size_t peak =
            HeapPeakDuring([&] { result = kx::ImportAdifBytes(log, shape.bytes); });
        EXPECT_LE(peak, shape.factor * shape.bytes.size() + (1u << 20))
            << shape.what << ": " << peak << " bytes for a file of " << shape.bytes.size();
        EXPECT_EQ(log.QSOCount(), result.taken) << shape.what;
        if (std::getenv("KX_PRINT_PEAKS"))
            std::printf("%s: %zu / %zu\n", shape.what, peak, shape.bytes.size());
    }
}

// A whole file on one line of 200 MB, read from disk: first very many records of other
// countries, then one LY record carrying a field of 100 MB. The import ends, takes the one
// LY QSO and holds little more than the file itself.
TEST(HostileAdifFile, TwoHundredMegabytesOnOneLineAreImportedFromDisk) {
    constexpr std::size_t kHalf = 100u << 20;
    std::string bytes = "<EOH>";
    const std::string dx = "<CALL:5>DL1AB<QSO_DATE:8>20090115<TIME_ON:4>1200<BAND:3>20M<EOR>";
    while (bytes.size() < kHalf) bytes += dx;
    bytes += "<APP_X_NOTE:" + std::to_string(kHalf) + ">";
    bytes.append(kHalf, 'n');
    bytes += "<CALL:4>LY1A<QSO_DATE:8>20090115<TIME_ON:4>1200<BAND:3>20M<MODE:2>CW<EOR>";
    const std::size_t size = bytes.size();
    kxtest::TempFolder folder;
    folder.write("big.adi", bytes);
    bytes = std::string();

    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
    QSOLog log("EN");
    kx::AdifImportResult result;
    const std::size_t peak = HeapPeakDuring(
        [&] { result = kx::ImportAdifFile(log, folder.file("big.adi"), folder.file("QSO.dat")); });
    EXPECT_EQ(result.status, kx::AdifImportStatus::Imported);
    EXPECT_EQ(result.taken, 1);
    EXPECT_EQ(result.records, static_cast<int>((kHalf - 5 + dx.size() - 1) / dx.size()) + 1);
    EXPECT_EQ(log.QSOCount(), 1);
    EXPECT_LE(peak, size + size / 8 + (1u << 20)) << peak << " bytes for a file of " << size;
    if (std::getenv("KX_PRINT_PEAKS")) std::printf("200 MB line: %zu / %zu\n", peak, size);
}

// ---- files that are no files ---------------------------------------------------------

// The message of the FileOpenError that fn raises, or "no error".
std::string OpenErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const kx::FileOpenError& e) {
        return e.what();
    }
    return "no error";
}

// The message of reading the log and of importing the ADIF file at `path`; a read that
// waits is ended after ten seconds (a writer opens the pipe and closes it) and fails the test.
std::vector<std::string> ReadingErrors(const kxtest::TempFolder& folder, const std::string& path) {
    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
    std::vector<std::string> errors;
    for (int what = 0; what < 2; ++what) {
        std::atomic<bool> done = false;
        std::string error;
        std::thread reader([&] {
            QSOLog log("EN");
            error = what == 0 ? OpenErrorOf([&] { log.Load(path, "EN"); }) : OpenErrorOf([&] {
                kx::ImportAdifFile(log, path, folder.file("QSO.dat"));
            });
            done = true;
        });
        for (int i = 0; i < 1000 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done) {
            ADD_FAILURE() << "reading " << path << " waits";
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        reader.join();
        errors.push_back(error);
    }
    return errors;
}

TEST(FilesThatAreNoFiles, APipeOrADeviceIsRefusedAtOnceAsLogAndAsAdifFile) {
    kxtest::TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", folder.file("null"));
    std::filesystem::create_symlink("/dev/zero", folder.file("zero"));
    kx::Language = "EN";
    for (const char* name : {"pipe", "null", "zero"})
        for (const std::string& error : ReadingErrors(folder, folder.file(name)))
            EXPECT_NE(error.find("It is not an ordinary file"), std::string::npos)
                << name << ": " << error;
    EXPECT_FALSE(std::filesystem::exists(folder.file("QSO.dat")));
}

TEST(FilesThatAreNoFiles, AFileBeyondTheLargestIsRefusedWithoutReadingIt) {
    kxtest::TempFolder folder;
    const std::string path = folder.file("big");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kx::kLargestReadFile) + 1), 0);  // sparse
        ::close(fd);
    }
    kx::Language = "EN";
    std::vector<std::string> errors;
    const std::size_t peak = HeapPeakDuring([&] { errors = ReadingErrors(folder, path); });
    for (const std::string& error : errors)
        EXPECT_NE(error.find("The file is too large: 1073741825 bytes; at most 1024 MB are read."),
                  std::string::npos)
            << error;
    EXPECT_LE(peak, 1u << 20);
    EXPECT_FALSE(std::filesystem::exists(folder.file("QSO.dat")));
}

}  // namespace
