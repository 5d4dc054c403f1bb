// Names and places from ADIF files in the encodings loggers write, checked in QSO.dat;
// the choice of one 8-bit code page per file; capitals and HTML-like entities.
#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "log/QSOLog.h"
#include "platform/Cp1257.h"
#include "platform/Globals.h"
#include "support/TempFolder.h"

namespace {

using V = std::vector<std::string>;

// A UTF-8 text in another encoding, by the C library's converter.
std::string Encode(const std::string& utf8, const char* encoding) {
    iconv_t cd = iconv_open(encoding, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no converter");
    std::string in = utf8, out(utf8.size() * 4 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t done = iconv(cd, &src, &left, &dst, &room);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible");
    out.resize(out.size() - room);
    return out;
}

std::size_t Utf8Chars(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

struct Qso {
    std::string call, name, qth;  // UTF-8
};

// An ADI file of the QSOs: values in the given encoding ("UTF-8" counted in bytes, or
// "UTF-8 chars" counted in characters).
std::string AdiFile(const std::vector<Qso>& qsos, const std::string& encoding) {
    const bool chars = encoding == "UTF-8 chars";
    std::string out = "Log export\n<ADIF_VER:5>3.1.4 <EOH>\n";
    for (const Qso& q : qsos) {
        for (const auto& [tag, text] : {std::pair<const char*, std::string>{"CALL", q.call},
                                        {"NAME", q.name},
                                        {"QTH", q.qth},
                                        {"QSO_DATE", "20240101"}}) {
            const std::string value =
                encoding.rfind("UTF-8", 0) == 0 ? text : Encode(text, encoding.c_str());
            const std::size_t length = chars ? Utf8Chars(text) : value.size();
            out += "<" + std::string(tag) + ":" + std::to_string(length) + ">" + value + " ";
        }
        out += "<EOR>\n";
    }
    return out;
}

const std::vector<Qso> kLithuanian = {{"LY1AA", "Jūratė", "Kėdainiai"},
                                      {"LY2AA", "Žydrūnas", "Panevėžys"},
                                      {"LY3AA", "Ąžuolas", "Šiauliai"}};
const V kLithuanianStored = {"LY1AA|JŪRATĖ|KĖDAINIAI", "LY2AA|ŽYDRŪNAS|PANEVĖŽYS",
                             "LY3AA|ĄŽUOLAS|ŠIAULIAI"};

const std::vector<Qso> kWestern = {{"LY4AA", "Muñoz", "Cañón"},
                                   {"LY5AA", "Müller", "Café Noël"},
                                   {"LY6AA", "François", "São Paulo"}};
const V kWesternStored = {"LY4AA|MUNOZ|CANÓN", "LY5AA|MÜLLER|CAFÉ NOEL",
                          "LY6AA|FRANCOIS|SAO PAULO"};

V Joined(const V& a, const V& b) {
    V out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

class AdifEncodingTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.copyData("BEXWWL.dat");
        folder.makeProgramFolder();
        kx::Language = "EN";
    }

    // Imports the file's bytes and gives "Callsign|Name|QTH" of every QSO line of QSO.dat,
    // read back from the file and turned into UTF-8 for the messages of failed checks.
    V ImportAndRead(const std::string& bytes) {
        kx::QSOLog log("EN");
        folder.write("log.adi", bytes);
        kx::ImportAdifFile(log, folder.file("log.adi"), folder.file("QSO.dat"));
        const std::string file = folder.read("QSO.dat");
        V rows;
        std::size_t line = file.find("\r\n") + 2;  // after the header line
        while (line < file.size()) {
            const std::size_t end = file.find("\r\n", line);
            V f;
            std::size_t p = line;
            for (std::size_t tab; (tab = file.find('\t', p)) < end; p = tab + 1)
                f.push_back(file.substr(p, tab - p));
            rows.push_back(kx::Cp1257ToUtf8(f.at(kx::colCallsign) + "|" + f.at(kx::colName) + "|" +
                                            f.at(kx::colQTH)));
            line = end + 2;
        }
        return rows;
    }

    kxtest::TempFolder folder;
};

}  // namespace

TEST_F(AdifEncodingTest, EveryEncodingOfTheLoggersGivesTheSameLettersInCapitals) {
    const V both = Joined(kLithuanianStored, kWesternStored);
    const std::vector<Qso> all = [] {
        std::vector<Qso> q = kLithuanian;
        q.insert(q.end(), kWestern.begin(), kWestern.end());
        return q;
    }();
    const std::vector<std::tuple<std::string, std::vector<Qso>, V>> files = {
        {"UTF-8", all, both},
        {"UTF-8 chars", all, both},
        {"WINDOWS-1257", kLithuanian, kLithuanianStored},
        {"ISO-8859-13", kLithuanian, kLithuanianStored},
        {"ISO-8859-1", kWestern, kWesternStored},
        {"WINDOWS-1252", kWestern, kWesternStored},
    };
    for (const auto& [encoding, qsos, stored] : files) {
        SCOPED_TRACE(encoding);
        EXPECT_EQ(ImportAndRead(AdiFile(qsos, encoding)), stored);
    }
    // A byte-order mark opens the file.
    EXPECT_EQ(ImportAndRead("\xEF\xBB\xBF" + AdiFile(all, "UTF-8")), both);
}

TEST_F(AdifEncodingTest, CodePageSignsOutsideTheLettersArriveToo) {
    // Windows-1252 has Š at 0x8A and the quotes at 0x93/0x94; ISO-8859-13 has its
    // Lithuanian quotes at 0xA5 and 0xA1.
    EXPECT_EQ(ImportAndRead(AdiFile({{"LY1AA", "Šárka", "“Casa” Peña"}}, "WINDOWS-1252")),
              (V{"LY1AA|ŠARKA|“CASA” PENA"}));
    EXPECT_EQ(ImportAndRead(AdiFile({{"LY1AA", "Jūratė", "„Žalgiris” Kaunas"}}, "ISO-8859-13")),
              (V{"LY1AA|JŪRATĖ|„ŽALGIRIS” KAUNAS"}));
}

TEST_F(AdifEncodingTest, OneLatin1ValueInAUtf8FileIsReadInItsOwnCodePage) {
    std::string file = AdiFile(kLithuanian, "UTF-8");
    file += "<CALL:5>LY4AA <QSO_DATE:8>20240101 <NAME:5>Mu\xF1oz <QTH:7>Ca\xF1\xF3n <EOR>\n";
    EXPECT_EQ(ImportAndRead(file), Joined(kLithuanianStored, {"LY4AA|MUNOZ|CANÓN"}));
}

TEST_F(AdifEncodingTest, TheFileDecidesItsCodePageNotEachValue) {
    // "Èze" alone reads as well in Windows-1257 ("Čze"); beside "Muñoz" the file is
    // Windows-1252.
    EXPECT_EQ(ImportAndRead(AdiFile({{"LY1AA", "Muñoz", "Èze"}}, "WINDOWS-1252")),
              (V{"LY1AA|MUNOZ|EZE"}));
    EXPECT_EQ(ImportAndRead(AdiFile({{"LY1AA", "Čepas", "Šilalė"}}, "WINDOWS-1257")),
              (V{"LY1AA|ČEPAS|ŠILALĖ"}));
}

TEST_F(AdifEncodingTest, HtmlLikeEntitiesStayReadable) {
    EXPECT_EQ(ImportAndRead(AdiFile({{"LY1AA", "Mu&ntilde;oz", "Le&#243;n &amp; Le&#xF3;n"},
                                     {"LY2AA", "Tom & Jerry", "a&b; c"}},
                                    "UTF-8")),
              (V{"LY1AA|MU&ntilde;OZ|LE&#243;N &amp; LE&#xF3;N", "LY2AA|TOM & JERRY|A&b; C"}));
}

TEST(AdifCodePage, ShortValuesAreReadInTheCodePageTheirLettersBelongTo) {
    auto decide = [](std::initializer_list<const char*> values, const char* encoding) {
        kx::AdifCodePageVote vote(false);
        for (const char* v : values) vote.Add(Encode(v, encoding));
        return vote.Decide();
    };
    using kx::AdifCodePage;
    for (const char* v : {"Šiauliai", "Panevėžys", "Jūratė", "Ąžuolas", "Rīga", "Jēkabpils"}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(decide({v}, "WINDOWS-1257"), AdifCodePage::Windows1257);
    }
    for (const char* v : {"Muñoz", "García", "François", "São Paulo", "Škoda", "Peña"}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(decide({v}, "WINDOWS-1252"), AdifCodePage::Windows1252);
    }
    EXPECT_EQ(decide({"„Žalgiris”", "Kaunas"}, "ISO-8859-13"), AdifCodePage::Iso8859_13);
    EXPECT_EQ(decide({"„Žalgiris”", "Kaunas"}, "WINDOWS-1257"), AdifCodePage::Windows1257);

    // UTF-8 values have no say.
    kx::AdifCodePageVote vote(true);
    vote.Add("Muñoz García");
    EXPECT_EQ(vote.Decide(), AdifCodePage::Windows1257);
}

TEST(Cp1257Capitals, EveryLetterPairOfTheCodePageAndNothingElse) {
    // Unicode's own upper case, from the C library, for every byte of the code page.
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    for (int b = 0; b < 256; ++b) {
        const char32_t c = kx::Cp1257ToUnicode(static_cast<unsigned char>(b));
        const int upper =
            kx::UnicodeToCp1257(static_cast<char32_t>(std::towupper(static_cast<std::wint_t>(c))));
        const int expected = upper >= 0 ? upper : b;
        EXPECT_EQ(static_cast<unsigned char>(kx::Cp1257Upper(static_cast<char>(b))), expected)
            << "byte " << b;
    }
    EXPECT_EQ(kx::UpperCp1257(kx::Cp1257("kėdainiai šilutė ąžuolas ŗūjiena straße")),
              kx::Cp1257("KĖDAINIAI ŠILUTĖ ĄŽUOLAS ŖŪJIENA STRAßE"));
}
