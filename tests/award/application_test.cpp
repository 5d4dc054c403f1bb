#include "award/Application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/Cp1257.h"

namespace {

using namespace kx;

ListEntry Entry(int n, std::string square = "B05", std::string call = "LY1AB",
                std::string band = "20M", std::string mode = "CW", std::string date = "2009-01-15",
                std::string time = "12:00") {
    return {std::to_string(n) + ".", square, call, band, mode, date, time};
}

std::vector<ListEntry> Entries(int n) {
    std::vector<ListEntry> out;
    for (int i = 1; i <= n; ++i) out.push_back(Entry(i));
    return out;
}

ApplicationData Data() {
    ApplicationData d;
    d.name = "Jonas Jonaitis";
    d.call = "LY2XX";
    d.address = "Vilnius";
    d.email = "ly2xx@example.lt";
    d.version = "1.0";
    d.count = 3;
    d.date = "2026-12-08";
    return d;
}

const char* kHeading = "BEX {cn} {cl} {scl} Award";

TEST(ApplicationWords, BasicClassAllBandsAllModesLeaveNoTrace) {
    EXPECT_EQ(FillPlaceholders(kHeading, Data()), "BEX Award");
}

TEST(ApplicationWords, ClassBandAndModeWordsEachEndInOneBlank) {
    ApplicationData d = Data();
    d.awardClass = ac100;
    d.filter.band = BandGroup::HF;
    d.filter.mode = ModeGroup::CW;
    EXPECT_EQ(FillPlaceholders(kHeading, d), "BEX 100 HF CW Award");
    d.awardClass = acTrophy;
    d.filter.band = BandGroup::VHF;
    d.filter.mode = ModeGroup::Phone;
    EXPECT_EQ(FillPlaceholders(kHeading, d), "BEX Trophy VHF Phone Award");
    d.awardClass = ac200;
    d.filter.mode = ModeGroup::SSB;
    EXPECT_EQ(FillPlaceholders(kHeading, d), "BEX 200 VHF SSB Award");
    d.awardClass = ac300;
    d.filter.mode = ModeGroup::Digital;
    EXPECT_EQ(FillPlaceholders(kHeading, d), "BEX 300 VHF Digital Award");
}

TEST(ApplicationWords, WindowTitleFollowsTheBandAndModeChoice) {
    EXPECT_EQ(fApplicationTitle({BandGroup::All, ModeGroup::All}), " BEX  Application");
    EXPECT_EQ(fApplicationTitle({BandGroup::HF, ModeGroup::CW}), " BEX  HF  CW  Application");
    EXPECT_EQ(fApplicationTitle({BandGroup::VHF, ModeGroup::Digital}),
              " BEX  VHF  DIGITAL  Application");
    EXPECT_EQ(fApplicationTitle({BandGroup::All, ModeGroup::Phone}), " BEX  PHONE  Application");
}

// The Lithuanian template and window read Lithuanian words, not HF, Digital or Trophy.
TEST(ApplicationWords, LithuanianWordsInTheLithuanianTemplateAndTitle) {
    ApplicationData d = Data();
    d.lang = Lang::Lithuanian;
    d.awardClass = acTrophy;
    d.filter.band = BandGroup::HF;
    d.filter.mode = ModeGroup::Digital;
    EXPECT_EQ(FillPlaceholders(kHeading, d), Cp1257("BEX Trofėjus TB skaitmeninių modų Award"));
    d.awardClass = ac100;
    d.filter.band = BandGroup::VHF;
    d.filter.mode = ModeGroup::Phone;
    EXPECT_EQ(FillPlaceholders(kHeading, d), Cp1257("BEX 100 UTB telefonijos Award"));
    d.filter.mode = ModeGroup::CW;
    EXPECT_EQ(FillPlaceholders(kHeading, d), "BEX 100 UTB CW Award");
    EXPECT_EQ(fApplicationTitle({BandGroup::All, ModeGroup::All}, Lang::Lithuanian),
              Cp1257(" PARAIŠKA  BEX  DIPLOMUI"));
    EXPECT_EQ(fApplicationTitle({BandGroup::HF, ModeGroup::Digital}, Lang::Lithuanian),
              Cp1257(" PARAIŠKA  BEX  TB  SKAITMENINIŲ MODŲ  DIPLOMUI"));
    EXPECT_EQ(fApplicationTitle({BandGroup::All, ModeGroup::Phone}, Lang::Lithuanian),
              Cp1257(" PARAIŠKA  BEX  TELEFONIJOS  DIPLOMUI"));
}

TEST(ApplicationPlaceholders, ApplicantVersionCountAndDate) {
    EXPECT_EQ(FillPlaceholders("{name}, {call}; {addr} <{eaddr}>", Data()),
              "Jonas Jonaitis, LY2XX; Vilnius <ly2xx@example.lt>");
    EXPECT_EQ(FillPlaceholders("Kvadrix {version}: {cnt} squares on {date}.", Data()),
              "Kvadrix 1.0: 3 squares on 2026-12-08.");
}

TEST(ApplicationPlaceholders, TheCallSignIsWrittenInCapitals) {
    ApplicationData d = Data();
    d.call = "ly2xx/p";
    EXPECT_EQ(FillPlaceholders("Callsign: {call}", d), "Callsign: LY2XX/P");
}

TEST(ApplicationPlaceholders, OnlyTheFirstOccurrenceIsReplaced) {
    EXPECT_EQ(FillPlaceholders("{call} and {call}", Data()), "LY2XX and {call}");
}

TEST(ApplicationPlaceholders, MatchedCaseSensitively) {
    EXPECT_EQ(FillPlaceholders("BEX {CN} Award", Data()), "BEX {CN} Award");
    EXPECT_EQ(FillPlaceholders("{Name}", Data()), "{Name}");
}

TEST(ApplicationPlaceholders, LaterPlaceholderFoundInsideEarlierReplacement) {
    ApplicationData d = Data();
    d.name = "{call}";
    EXPECT_EQ(FillPlaceholders("{name}", d), "LY2XX");
}

TEST(ApplicationPlaceholders, ClassPlaceholderAtLineEndDeletesOnlyWhatIsThere) {
    ApplicationData d = Data();
    d.awardClass = ac100;
    EXPECT_EQ(FillPlaceholders("BEX {cn}", d), "BEX 100 ");
}

TEST(ApplicationPlaceholders, EmptyListCountsZero) {
    ApplicationData d = Data();
    d.count = 0;
    EXPECT_EQ(FillPlaceholders("{cnt}", d), "0");
}

TEST(ApplicationListLine, FieldsStartAtTheirColumns) {
    EXPECT_EQ(ListLine(Entry(1)), "  1. B05  LY1AB         20M CW     2009-01-15  12:00");
}

// The cells of a list line, found by splitting at runs of blanks (none of these holds a
// blank of its own except the mode, which is put back together).
std::vector<std::size_t> Starts(const std::string& line) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] != ' ' && (i == 0 || line[i - 1] == ' ')) starts.push_back(i);
    return starts;
}

TEST(ApplicationListLine, OrdinaryListsKeepTheFixedColumns) {
    std::vector<ListEntry> rows = Entries(394);
    rows.push_back(Entry(1, "P39", "LY1000ABCDEF", "160M", "PSK125", "2026-12-31", "23:59"));
    EXPECT_EQ(FitListLayout(rows), kListLayout);
    PlainLineDocument doc({"{qsolist}"});
    FillApplication(doc, Data(), rows, ListVariant::Save);
    EXPECT_EQ(doc.Lines()[0], "  1. B05  LY1AB         20M CW     2009-01-15  12:00");
    EXPECT_EQ(doc.Lines()[394], "  1. P39  LY1000ABCDEF 160M PSK125 2026-12-31  23:59");
}

// Long modes and bands (and callsigns) widen their columns for the whole list: every field
// stays apart from the next, and every line has its fields at the same columns.
TEST(ApplicationListLine, LongFieldsWidenTheirColumnsForTheWholeList) {
    const std::vector<ListEntry> rows = {
        Entry(1, "A10", "LY1AB", "20M", "OLIVIA 8/250"),
        Entry(2, "B05", "LY2CD", "1.25CM", "CONTESTI"),
        Entry(3, "C07", "LY3EF/LY4GH/P", "2190M", "DIGITALVOICE"),
        Entry(4, "K26", "LY5IJ", "2M", "CW"),
    };
    PlainLineDocument doc({"{qsolist}"});
    FillApplication(doc, Data(), rows, ListVariant::Save);
    const auto& lines = doc.Lines();
    EXPECT_EQ(lines[0], "  1. A10  LY1AB            20M OLIVIA 8/250 2009-01-15  12:00");
    EXPECT_EQ(lines[1], "  2. B05  LY2CD         1.25CM CONTESTI     2009-01-15  12:00");
    EXPECT_EQ(lines[2], "  3. C07  LY3EF/LY4GH/P  2190M DIGITALVOICE 2009-01-15  12:00");
    EXPECT_EQ(lines[3], "  4. K26  LY5IJ             2M CW           2009-01-15  12:00");
    for (int i : {1, 2, 3}) {
        std::vector<std::size_t> starts = Starts(lines[i]);
        EXPECT_EQ(starts.size(), 7u) << lines[i];
        EXPECT_EQ(lines[i].find("2009-01-15"), lines[0].find("2009-01-15"));
    }
}

// The heading of the shipped templates stands over the columns whatever the list holds.
TEST(ApplicationListLine, TheHeadingMovesWithTheColumnsUnderIt) {
    const std::vector<ListEntry> rows = {
        Entry(1, "A10", "LY1AB", "20M", "DIGITALVOICE"),
        Entry(2, "B05", "LY3EF/LY4GH/P", "1.25CM", "CW"),
    };
    const std::pair<std::string, std::string> headings[] = {
        {"   # BEX  Callsign     Band Mode   Date        UTC", "Band"},
        {" Nr. BEX  \xd0"
         "aukinys    Banga Moda   Data        UTC",
         "Banga"}};
    for (const auto& [heading, band] : headings) {
        PlainLineDocument doc({"head", heading, "{qsolist}"});
        FillApplication(doc, Data(), rows, ListVariant::Save);
        const std::string& fitted = doc.Lines()[1];
        const std::string& line = doc.Lines()[2];
        EXPECT_EQ(fitted.find(heading.substr(10, 3)), line.find("LY1AB")) << fitted;  // call
        EXPECT_EQ(fitted.find("Mod"), line.find("DIGITALVOICE")) << fitted;
        EXPECT_EQ(fitted.find("Da"), line.find("2009-01-15")) << fitted;
        EXPECT_EQ(fitted.find("UTC"), line.find("12:00")) << fitted;
        // The number and the band keep their right ends over the column's.
        EXPECT_EQ(fitted.find("BEX") - 1, line.find("A10") - 1);
        EXPECT_EQ(fitted.find(band) + band.size(), doc.Lines()[3].find("1.25CM") + 6) << fitted;
    }
    // A list that fits keeps the heading as it is; a line that is no heading stays too.
    PlainLineDocument plain({"   # BEX  Callsign     Band Mode   Date        UTC", "{qsolist}"});
    FillApplication(plain, Data(), {Entry(1)}, ListVariant::Save);
    EXPECT_EQ(plain.Lines()[0], "   # BEX  Callsign     Band Mode   Date        UTC");
    PlainLineDocument prose({"The QSOs listed below:", "{qsolist}"});
    FillApplication(prose, Data(), rows, ListVariant::Save);
    EXPECT_EQ(prose.Lines()[0], "The QSOs listed below:");
}

TEST(ApplicationListLine, EntryThousandFillsTheBlankBeforeTheSquare) {
    std::string line = ListLine(Entry(1000));
    EXPECT_EQ(line.substr(0, 8), "1000.B05");
    EXPECT_EQ(line.substr(23), " 20M CW     2009-01-15  12:00");
}

TEST(ApplicationListLine, BlankRowGivesAnEmptyLine) {
    EXPECT_EQ(ListLine(ListEntry{}), "");
}

std::vector<std::string> Template(int markerAt, int after = 3) {
    std::vector<std::string> lines;
    for (int i = 0; i < markerAt; ++i) lines.push_back("head " + std::to_string(i));
    lines.push_back("{qsolist}");
    for (int i = 0; i < after; ++i) lines.push_back("tail " + std::to_string(i));
    return lines;
}

int IndexOf(const std::vector<std::string>& lines, const std::string& text) {
    auto it = std::find(lines.begin(), lines.end(), text);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

TEST(ApplicationPages, HeadersAfterThe34thAnd90thEntryWithMarkerAtLine20) {
    PlainLineDocument doc(Template(20));
    FillApplication(doc, Data(), Entries(120), ListVariant::Preview);
    const auto& lines = doc.Lines();
    ASSERT_EQ(lines.size(), 20u + 120 + 6 + 1 + 3);
    EXPECT_EQ(lines[53], ListLine(Entry(34)));
    EXPECT_EQ(lines[54], "\f");
    EXPECT_EQ(lines[55], "LY2XX                    -2- ");  // the applicant's call sign
    EXPECT_EQ(lines[56], "  ");
    EXPECT_EQ(lines[57], ListLine(Entry(35)));
    EXPECT_EQ(lines[112], ListLine(Entry(90)));
    EXPECT_EQ(lines[113], "\f");
    EXPECT_EQ(lines[114], "LY2XX                    -3- ");
    EXPECT_EQ(lines[116], ListLine(Entry(91)));
    EXPECT_EQ(lines[145], ListLine(Entry(120)));
    EXPECT_EQ(lines[146], "  ");
    EXPECT_EQ(lines[147], "tail 0");
    EXPECT_EQ(lines.back(), "tail 2");
    EXPECT_EQ(IndexOf(lines, "{qsolist}"), -1);
}

TEST(ApplicationPages, ContinuationPagesRepeatTheHeadingUnderTheCallSign) {
    std::vector<std::string> lines = Template(19);
    lines.insert(lines.begin() + 19, "   # BEX  Callsign     Band Mode   Date        UTC");
    PlainLineDocument doc(lines);
    ApplicationData d = Data();
    d.call = "ly2xx";
    FillApplication(doc, d, Entries(120), ListVariant::Preview);
    const auto& out = doc.Lines();
    EXPECT_EQ(out[54], "\f");
    EXPECT_EQ(out[55], "LY2XX                    -2- ");
    EXPECT_EQ(out[56], "  ");
    EXPECT_EQ(out[57], out[19]);  // the heading again
    EXPECT_EQ(out[58], ListLine(Entry(35)));
    EXPECT_EQ(out[113], "\f");
    EXPECT_EQ(out[116], out[19]);
    // A call sign of 25 characters or more is followed by one blank.
    d.call = std::string(26, 'L');
    PlainLineDocument longCall(lines);
    FillApplication(longCall, d, Entries(40), ListVariant::Preview);
    EXPECT_EQ(longCall.Lines()[55], std::string(26, 'L') + " -2- ");
}

TEST(ApplicationPages, SaveVariantHasNoPageHeaders) {
    PlainLineDocument doc(Template(20));
    FillApplication(doc, Data(), Entries(120), ListVariant::Save);
    const auto& lines = doc.Lines();
    ASSERT_EQ(lines.size(), 20u + 120 + 1 + 3);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\f'), std::string::npos);
        EXPECT_EQ(line.find("-2-"), std::string::npos);
    }
    EXPECT_EQ(lines[140], "  ");
}

// Page headers go on for as long as the list does, every 59 lines (they used to stop
// after page 7, so the pages of a long list had no numbers).
TEST(ApplicationPages, ThresholdsAreAbsoluteAndHeadersGoOnOnEveryPage) {
    ApplicationData noCall = Data();
    noCall.call.clear();
    PlainLineDocument late(Template(60));
    FillApplication(late, noCall, Entries(60), ListVariant::Preview);
    EXPECT_EQ(IndexOf(late.Lines(), "                         -2- "), -1);
    EXPECT_EQ(IndexOf(late.Lines(), "                         -3- "), 114);

    PlainLineDocument many(Template(0));
    FillApplication(many, noCall, Entries(600), ListVariant::Preview);
    EXPECT_EQ(IndexOf(many.Lines(), "                         -7- "), 350);
    EXPECT_EQ(IndexOf(many.Lines(), "                         -8- "), 409);
    EXPECT_EQ(IndexOf(many.Lines(), "                         -9- "), 468);
    EXPECT_EQ(IndexOf(many.Lines(), "                         -10- "), 527);
    EXPECT_EQ(IndexOf(many.Lines(), "                         -11- "), 586);
    EXPECT_EQ(std::count(many.Lines().begin(), many.Lines().end(), "\f"), 10);
}

TEST(ApplicationMarker, EmptyListLeavesOneEmptyLineAndTheTwoBlanks) {
    PlainLineDocument doc(Template(2, 1));
    FillApplication(doc, Data(), AwardList().GridRows(), ListVariant::Preview);
    EXPECT_EQ(doc.Lines(), (std::vector<std::string>{"head 0", "head 1", "", "  ", "tail 0"}));
}

TEST(ApplicationMarker, MarkerInCapitalsIsFound) {
    PlainLineDocument doc({"a", "{QSOList}", "b"});
    FillApplication(doc, Data(), Entries(1), ListVariant::Save);
    EXPECT_EQ(doc.Lines(), (std::vector<std::string>{"a", ListLine(Entry(1)), "  ", "b"}));
}

TEST(ApplicationMarker, MarkerMustBeTheWholeLine) {
    PlainLineDocument doc({"see {qsolist} below", "end"});
    FillApplication(doc, Data(), Entries(2), ListVariant::Save);
    EXPECT_EQ(doc.Lines(), (std::vector<std::string>{"see {qsolist} below", "end",
                                                     ListLine(Entry(1)), ListLine(Entry(2))}));
}

TEST(ApplicationMarker, TemplateWithoutMarkerGetsTheListAtItsEnd) {
    PlainLineDocument doc({"{call}"});
    FillApplication(doc, Data(), Entries(2), ListVariant::Preview);
    EXPECT_EQ(doc.Lines(),
              (std::vector<std::string>{"LY2XX", ListLine(Entry(1)), ListLine(Entry(2))}));
}

TEST(ApplicationMarker, EveryLineIsFilledIncludingThoseAfterTheMarker) {
    PlainLineDocument doc({"{cnt}", "{qsolist}", "{call}"});
    FillApplication(doc, Data(), Entries(1), ListVariant::Preview);
    EXPECT_EQ(doc.Lines(), (std::vector<std::string>{"3", ListLine(Entry(1)), "  ", "LY2XX"}));
}

}  // namespace
