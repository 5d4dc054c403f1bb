// The city table shipped in data/CityBEX.dat, checked against the WWL/BEX table shipped
// beside it and against the points it was made from (tools/data/citybex-points.tsv).
#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "geo/BexGrid.h"
#include "platform/Cp1257.h"
#include "support/TempFolder.h"
#include "tables/CityTable.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

using namespace kx;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program folder with the two shipped tables.
class ShippedCityTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bytes_ = new std::string(ReadFile(std::string(KX_DATA_DIR) + "/CityBEX.dat"));
    }
    static void TearDownTestSuite() {
        delete bytes_;
        bytes_ = nullptr;
    }
    void SetUp() override {
        dir.makeProgramFolder();
        dir.copyData("CityBEX.dat");
        dir.copyData("BEXWWL.dat");
    }
    static const std::string& bytes() { return *bytes_; }
    // The "name=value" lines after the section header.
    static std::vector<std::pair<std::string, std::string>> Entries() {
        std::vector<std::pair<std::string, std::string>> out;
        const std::vector<std::string> lines = SplitLines(bytes());
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const auto eq = lines[i].find('=');
            out.emplace_back(lines[i].substr(0, eq),
                             eq == std::string::npos ? std::string() : lines[i].substr(eq + 1));
        }
        return out;
    }

    kxtest::TempFolder dir;
    static std::string* bytes_;
};

std::string* ShippedCityTable::bytes_ = nullptr;

}  // namespace

TEST_F(ShippedCityTable, OneSectionOfNameLinesWithCrLfEnds) {
    ASSERT_EQ(bytes().rfind("[City]\r\n", 0), 0u);
    std::size_t lf = 0, crlf = 0;
    for (std::size_t i = 0; i < bytes().size(); ++i) {
        if (bytes()[i] == '\n') {
            ++lf;
            if (i > 0 && bytes()[i - 1] == '\r') ++crlf;
        }
    }
    EXPECT_EQ(lf, crlf) << "every line ends in CR LF";
    const auto entries = Entries();
    EXPECT_GT(entries.size(), 19000u);
    EXPECT_LT(entries.size(), 19659u);
    for (const auto& [name, value] : entries) {
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(TrimBlanks(name), name) << "no blanks around " << Cp1257ToUtf8(name);
        EXPECT_EQ(name.find('['), std::string::npos) << "no second section";
    }
}

TEST_F(ShippedCityTable, EveryNameIsAUniqueKeyThatFindsItsOwnLine) {
    std::set<std::string> keys;
    for (const auto& [name, value] : Entries()) {
        EXPECT_TRUE(keys.insert(UpperCp1257(name)).second)
            << Cp1257ToUtf8(name) << " occurs twice (ASCII case folded)";
    }
    // Every entry can be looked up by its name and gives its own line's squares first
    // (then those of other places of that name).
    const CityNames names = CityNames::Load();
    EXPECT_EQ(names.entries().size(), Entries().size() + 1);
    for (const auto& [name, value] : Entries()) {
        ASSERT_EQ(CityEntry(name).substr(0, value.size()), value) << Cp1257ToUtf8(name);
    }
}

TEST_F(ShippedCityTable, EveryCodeIsASquareOfTheWwlTable) {
    for (const auto& [name, value] : Entries()) {
        const std::vector<std::string> codes = SplitCommaList(value);
        ASSERT_GE(codes.size(), 1u) << Cp1257ToUtf8(name);
        ASSERT_LE(codes.size(), 4u) << Cp1257ToUtf8(name);
        std::set<std::string> distinct(codes.begin(), codes.end());
        EXPECT_EQ(distinct.size(), codes.size()) << Cp1257ToUtf8(name);
        for (const std::string& code : codes) {
            ASSERT_TRUE(SquareExists(code)) << Cp1257ToUtf8(name) << ": " << code;
        }
    }
}

TEST_F(ShippedCityTable, NamesAreWindows1257WithLithuanianLetters) {
    const auto utf8 = Cp1257ToUtf8(bytes());
    EXPECT_NE(utf8.find("\nŠiauliai="), std::string::npos);
    EXPECT_NE(utf8.find("\nKlaipėda="), std::string::npos);
    EXPECT_NE(utf8.find("\nPanevėžys="), std::string::npos);
    EXPECT_EQ(utf8.find("\nŠ Akiai"), std::string::npos) << "broken names are left out";
    EXPECT_NE(utf8.find("\nPakalniškiai (Kauno r.)="), std::string::npos)
        << "shared names carry their municipality";
}

TEST_F(ShippedCityTable, KnownPlaces) {
    EXPECT_EQ(SplitCommaList(CityEntry("Vilnius")).at(0), "K26");
    EXPECT_EQ(CityEntry("Nida"), "H01,H00") << "Nida lies on the 21°00'E line";
    EXPECT_EQ(SplitCommaList(CityEntry("Kaunas")).at(0), "J18");
    EXPECT_EQ(SplitCommaList(CityEntry("Zarasai")).at(0), "E32");
    EXPECT_EQ(SplitCommaList(CityEntry("Skuodas")).at(0), "B04");
    EXPECT_EQ(CityEntry(Cp1257("Klaipėda")), "E01,E02") << "the town reaches into the next square";
}

// The towns and city districts that users give as their QTH, each by its own name, also
// typed without Lithuanian letters.
TEST_F(ShippedCityTable, TownsAndCityDistrictsAreFoundByTheirNames) {
    const std::pair<const char*, const char*> places[] = {
        {"Antakalnis", "K26"},     {"Karoliniškės", "K26"}, {"Pašilaičiai", "K26"},
        {"Pilaitė", "K26"},        {"Lazdynai", "K26"},     {"Naujoji Vilnia", "K27"},
        {"Šilainiai", "J18"},      {"Aleksotas", "J18"},    {"Visaginas", "F33"},
        {"Raudondvaris", "J17"},   {"Siauliai", "D14"},     {"Ukmerge", "H23"},
        {"Taurage", "H08"},        {"Birzai", "B23"},       {"Karoliniskes", "K26"},
        {"Naujoji Vilnia ", "K27"}};
    for (const auto& [name, first] : places)
        EXPECT_EQ(SplitCommaList(CityEntry(Cp1257(name))).at(0), first) << name;
    // A name of many villages gives their squares.
    EXPECT_GE(SplitCommaList(CityEntry(Cp1257("Pakalniškiai"))).size(), 10u);
}

// A coordinate of the points file ("54.6907"), in every locale.
float Degrees(const std::string& text) {
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(ec == std::errc() && end == text.data() + text.size()) << text;
    return value;
}

// The first code of a place is the square that holds its point, computed as the
// calculator computes it, wherever that square belongs to the award area.
TEST_F(ShippedCityTable, FirstCodeIsTheSquareOfThePlacesPoint) {
    const std::string points =
        ReadFile(std::string(KX_SOURCE_DIR) + "/tools/data/citybex-points.tsv");
    ASSERT_FALSE(points.empty());
    const auto entries = Entries();
    const std::map<std::string, std::string> table(entries.begin(), entries.end());
    std::size_t checked = 0, outside = 0;
    std::istringstream in(points);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string key, lat, lon, codes;
        std::getline(fields, key, '\t');
        std::getline(fields, lat, '\t');
        std::getline(fields, lon, '\t');
        std::getline(fields, codes, '\t');
        const auto entry = table.find(key);
        ASSERT_NE(entry, table.end()) << Cp1257ToUtf8(key) << " is not in the table";
        EXPECT_EQ(entry->second, codes) << Cp1257ToUtf8(key);
        const auto square = GridCodeOf(Degrees(lat), Degrees(lon));
        const std::string first = SplitCommaList(entry->second).at(0);
        if (square && SquareExists(*square)) {
            EXPECT_EQ(first, *square) << Cp1257ToUtf8(key) << " " << lat << " " << lon;
            ++checked;
        } else {
            ++outside;  // a border village just outside the area: its nearest square
        }
    }
    EXPECT_EQ(checked + outside, table.size()) << "every entry has its point";
    EXPECT_LE(outside, 8u);
}
