// The ADI reader: specifiers, record ends, header detection, lengths and decoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/AdifReader.h"
#include "platform/Cp1257.h"

namespace {

struct Field {
    std::string name;
    std::string value;  // decoded
};

// Every field of the text after its header, with "|" standing for each <EOR>.
std::vector<std::string> Tags(const std::string& text) {
    const kx::AdifLayout layout = kx::ReadAdifLayout(text);
    kx::AdifScanner scanner(text, layout.utf8, layout.bodyStart);
    kx::AdifTag tag;
    std::vector<std::string> out;
    while (scanner.Next(tag)) {
        if (tag.kind == kx::AdifTag::Kind::EndOfRecord)
            out.push_back("|");
        else if (tag.kind == kx::AdifTag::Kind::EndOfHeader)
            out.push_back("EOH");
        else
            out.push_back(std::string(tag.name) + "=" +
                          kx::DecodeAdifValue(tag.value, layout.utf8));
    }
    return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(AdifRecordEnds, EveryEorEndsARecordWhereverItStands) {
    EXPECT_EQ(Tags("<CALL:4>LY1A<EOR><CALL:4>LY2B<eor> <CALL:4>LY3C<Eor>\n"),
              (V{"CALL=LY1A", "|", "CALL=LY2B", "|", "CALL=LY3C", "|"}));
}

TEST(AdifRecordEnds, ARecordMayRunOverManyLines) {
    EXPECT_EQ(Tags("<CALL:4>LY1A\r\n<BAND:3>20M\r\n\r\n<MODE:3>SSB\r\n<EOR>\r\n"),
              (V{"CALL=LY1A", "BAND=20M", "MODE=SSB", "|"}));
}

TEST(AdifLengths, EveryDigitOfTheLengthCounts) {
    const std::string longValue(150, 'X');
    EXPECT_EQ(Tags("<NAME:17>Hiram Percy Maxim<QTH:150>" + longValue + "<EOR>"),
              (V{"NAME=Hiram Percy Maxim", "QTH=" + longValue, "|"}));
    EXPECT_EQ(Tags("<NAME:005>JONAS<EOR>"), (V{"NAME=JONAS", "|"}));
}

TEST(AdifLengths, TypeIndicatorsAreReadAndSkipped) {
    EXPECT_EQ(Tags("<CALL:6:S>LY1ABC <QSO_DATE:8:D>20090512 <FREQ:5:n>14.25<EOR>"),
              (V{"CALL=LY1ABC", "QSO_DATE=20090512", "FREQ=14.25", "|"}));
}

TEST(AdifLengths, ZeroLengthGivesAnEmptyValue) {
    EXPECT_EQ(Tags("<gridsquare:0> <call:5>LY2XX <eor>"), (V{"gridsquare=", "call=LY2XX", "|"}));
}

TEST(AdifLengths, LineEndsInsideAValueCountAndBecomeBlanks) {
    EXPECT_EQ(Tags("<NOTES:12>AB\r\nCD\tEF\nG<CALL:4>LY1A<EOR>"),
              (V{"NOTES=AB  CD EF G", "CALL=LY1A", "|"}));
}

TEST(AdifLengths, TextAfterAValueIsNotData) {
    EXPECT_EQ(Tags("<MY_STATE:2>NY // New York\n<CALL:5>KD4LV  // comment <EOR>"),
              (V{"MY_STATE=NY", "CALL=KD4LV", "|"}));
}

TEST(AdifLengths, AngleBracketsInsideAValueAreData) {
    const std::string c = "His power was > 10 Watts & < 100 Watts.";
    EXPECT_EQ(Tags("<COMMENT:" + std::to_string(c.size()) + ">" + c + "<EOR>"),
              (V{"COMMENT=" + c, "|"}));
}

TEST(AdifLengths, ALengthThatSwallowsTheNextTagIsCutBeforeIt) {
    // An exporter that wrote one character too many for the last value of a record, or
    // for a value followed by a blank and the next tag.
    EXPECT_EQ(Tags("<CALL:6>LY5AB<EOR><CALL:4>LY1A<EOR>"),
              (V{"CALL=LY5AB", "|", "CALL=LY1A", "|"}));
    EXPECT_EQ(Tags("<OPERATOR:7>M0NOM <MY_GRIDSQUARE:6>IO84JH <EOR>"),
              (V{"OPERATOR=M0NOM ", "MY_GRIDSQUARE=IO84JH", "|"}));
}

TEST(AdifLengths, ALengthTooShortLeavesTheRestAsJunk) {
    EXPECT_EQ(Tags("<ADDRESS:4>x===x<CALL:4>LY1A<EOR>"), (V{"ADDRESS=x===", "CALL=LY1A", "|"}));
}

TEST(AdifLengths, BracketsInsideAValueThatEndsInJunkAreData) {
    // The value's end is no boundary, so the reader looks inside it for a tag that the
    // length swallowed: a "<" that starts no tag, or a tag that closes inside the value,
    // is data and the value keeps its length.
    EXPECT_EQ(Tags("<COMMENT:11>5 < 10 <b>xJUNK<CALL:4>LY1A<EOR>"),
              (V{"COMMENT=5 < 10 <b>x", "CALL=LY1A", "|"}));
}

TEST(AdifHeader, AFileThatStartsWithATagHasNoHeader) {
    const std::string text = "<CALL:4>LY1A<EOR>\n";
    const kx::AdifLayout layout = kx::ReadAdifLayout(text);
    EXPECT_FALSE(layout.hasPreamble);
    EXPECT_FALSE(layout.BadHeader());
    EXPECT_EQ(Tags(text), (V{"CALL=LY1A", "|"}));
}

TEST(AdifHeader, HeaderFieldsBeforeEohAreNotARecord) {
    EXPECT_EQ(Tags("<adif_ver:5>3.1.0<eoh><call:4>KK9A<eor>"), (V{"call=KK9A", "|"}));
    EXPECT_EQ(Tags(" <ADIF_VER:5>3.1.7 <EOH>\n<CALL:4>LY1A<EOR>"), (V{"CALL=LY1A", "|"}));
    EXPECT_EQ(Tags("WSJT-X ADIF Export<eoh>\n<call:4>LY1A <eor>"), (V{"call=LY1A", "|"}));
}

TEST(AdifHeader, HeaderTextWithoutEohIsABadFile) {
    EXPECT_TRUE(kx::ReadAdifLayout("Exported by me\n<CALL:4>LY1A<EOR>\n").BadHeader());
    EXPECT_TRUE(kx::ReadAdifLayout("text <EOR> then <EOH>").BadHeader());
    EXPECT_FALSE(kx::ReadAdifLayout("text <PROGRAMID:2>XX <EOH> <CALL:4>LY1A<EOR>").BadHeader());
}

TEST(AdifHeader, AByteOrderMarkIsNotHeaderText) {
    const std::string text = "\xEF\xBB\xBF<CALL:4>LY1A<EOR>";
    const kx::AdifLayout layout = kx::ReadAdifLayout(text);
    EXPECT_TRUE(layout.hasBom);
    EXPECT_TRUE(layout.utf8);
    EXPECT_FALSE(layout.hasPreamble);
    EXPECT_EQ(Tags(text), (V{"CALL=LY1A", "|"}));
}

TEST(AdifUtf8, Utf8LettersArriveAsTheSameLettersInWindows1257) {
    EXPECT_EQ(kx::DecodeAdifValue("Šiauliai", true), kx::Cp1257("Šiauliai"));
    EXPECT_EQ(kx::DecodeAdifValue("Žydrūnas Ąžuolas", false), kx::Cp1257("Žydrūnas Ąžuolas"));
    EXPECT_EQ(kx::DecodeAdifValue("Café Müller", true), kx::Cp1257("Café Müller"));
}

TEST(AdifUtf8, Windows1257BytesStayAsTheyAre) {
    const std::string lt = kx::Cp1257("Marijampolė Šilutė");
    EXPECT_EQ(kx::DecodeAdifValue(lt, false), lt);
    const std::string ending = kx::Cp1257("Marijampolė");  // ends in a UTF-8 lead byte
    EXPECT_EQ(kx::DecodeAdifValue(ending, false), ending);
}

TEST(AdifUtf8, LettersOutsideTheCodePageBecomeTheirAsciiLetter) {
    EXPECT_EQ(kx::DecodeAdifValue("A Coruña", true), "A Coruna");
    EXPECT_EQ(kx::DecodeAdifValue("Muñoz Côté", true), kx::Cp1257("Munoz Coté"));
    EXPECT_EQ(kx::DecodeAdifValue("Brașov Třebíč Ærø", true), kx::Cp1257("Brasov Trebič Ærø"));
    EXPECT_EQ(kx::DecodeAdifValue("Łódź Straße", true), kx::Cp1257("Łódź Straße"));
    EXPECT_EQ(kx::DecodeAdifValue("Москва", true), "??????");
    EXPECT_EQ(kx::DecodeAdifValue("RAN\xEF\xBF\xBDN", true), "RAN?N");
}

TEST(AdifUtf8, ACharacterCutOffAtTheEndIsDropped) {
    EXPECT_EQ(kx::DecodeAdifValue("El Ca\xC3\xB1\xC3", true), "El Can");
    EXPECT_EQ(kx::DecodeAdifValue("Claude C\xC3", true), "Claude C");
}

TEST(AdifUtf8, ExportersThatCountCharactersAreReadWhole) {
    EXPECT_EQ(Tags("<NAME:8>Žydrūnas<CALL:5>LY5AB<EOR>"),
              (V{"NAME=" + kx::Cp1257("Žydrūnas"), "CALL=LY5AB", "|"}));
    EXPECT_EQ(Tags("<NAME:10>Žydrūnas<CALL:5>LY5AB<EOR>"),
              (V{"NAME=" + kx::Cp1257("Žydrūnas"), "CALL=LY5AB", "|"}));
    EXPECT_EQ(Tags("<qth:18>41900 Petäjävesi <name:4>Jörg <eor>"),
              (V{"qth=" + kx::Cp1257("41900 Petäjävesi"), "name=" + kx::Cp1257("Jörg"), "|"}));
}

TEST(AdifHostileInput, BrokenTagsNeitherCrashNorHang) {
    EXPECT_EQ(Tags("<CALL:99999999999999999999>LY1A<CALL:4>LY2B<EOR>"), (V{"CALL=LY2B", "|"}));
    EXPECT_EQ(Tags("<CALL:-1>LY1A<CALL:>X<CALL>Y<CALL:4x>Z<CALL:4>LY2B<EOR>"),
              (V{"CALL=LY2B", "|"}));
    EXPECT_EQ(Tags("<CALL:4>LY2B<EOR><CALL:4"), (V{"CALL=LY2B", "|"}));
    EXPECT_EQ(Tags("<CALL:4>LY2B<EOR><CALL:40>LY"), (V{"CALL=LY2B", "|"}));
    EXPECT_EQ(Tags("<APP_LoTW_EOF><a tag> <<<>>> <:4>abcd<EOR>"), (V{"=abcd", "|"}));
    const std::string nul("<CALL:4>L\0Y1<EOR>\0\0<\0", 22);
    EXPECT_EQ(Tags(nul), (V{"CALL=L Y1", "|"}));
}

TEST(AdifHostileInput, OneHugeLineWithoutTagsEndsQuickly) {
    const std::string huge(20'000'000, '<');
    EXPECT_TRUE(Tags(huge).empty());
    std::string colons(20'000'000, ':');
    colons[0] = '<';
    EXPECT_TRUE(Tags(colons).empty());
}
