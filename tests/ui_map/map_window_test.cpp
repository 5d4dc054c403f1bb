#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Forms.h"
#include "award/AwardList.h"
#include "award/KXMap.h"
#include "log/KXLog.h"
#include "log/QSOLog.h"
#include "platform/Collation.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "support/FakeServices.h"
#include "support/Locales.h"
#include "support/TempFolder.h"
#include "tables/WwlTable.h"

namespace {

using kx::bexmap::CellCode;
using kx::bexmap::CellState;
using kx::bexmap::MapModel;

struct Qso {
    const char* call;
    const char* band;
    const char* mode;
    const char* bex;
    const char* date = "2009-01-15";
};

kx::QSOLog MakeLog(const std::vector<Qso>& qsos) {
    kx::QSOLog log("EN");
    for (std::size_t i = 0; i < qsos.size(); ++i) {
        const int row = i == 0 ? 1 : log.AddEmptyRow();
        log.SetCell(row, kx::colDate, qsos[i].date);
        log.SetCell(row, kx::colSUTC, "12:00");
        log.SetCell(row, kx::colCallsign, qsos[i].call);
        log.SetCell(row, kx::colBand, qsos[i].band);
        log.SetCell(row, kx::colMode, qsos[i].mode);
        log.SetCell(row, kx::colBEX, qsos[i].bex);
    }
    return log;
}

// A program folder with the shipped table and border and an empty settings file.
struct MapFolder {
    MapFolder(const char* language = "EN") {
        folder.makeProgramFolder();
        folder.copyData("BEXWWL.dat");
        folder.copyData(kx::bexmap::kBorderFile);
        kx::Language = language;
        kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    }
    ~MapFolder() {
        kx::SettingsFile.Open("");
        kx::Language = "EN";
    }
    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
};

// The text a tool tip shows: Qt reads it as HTML when it looks like HTML.
QString ShownTip(const QString& tip) {
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

// The centre of a square's cell in the map view.
QPoint CellCentre(const TForm6& form, const std::string& code) {
    const int row = code[0] - 'A';
    const int col = (code[1] - '0') * 10 + (code[2] - '0');
    return form.pbMap->Geometry(form.pbMap->size()).CellRect(row, col).center().toPoint();
}

// The same kind of log in several shapes: mixed bands and modes, repeated squares, a
// lower-case square, squares that are no square, a square missing from the table.
const std::vector<Qso> kMixed = {
    {"LY2AB", "20M", "CW", "K26", "2009-01-15"},
    {"LY3CD", "2M", "SSB", "K26", "2009-01-16"},
    {"LY4EF", "80M", "SSB", "j18", "2009-02-01"},
    {"LY5GH", "6M", "FM", "E02"},
    {"LY1ZZ", "40M", "BPSK31", "E32"},
    {"LY2YY", "20m", "CW", "B04"},
    {"LY6AA", "2M", "CW", "?"},
    {"LY7BB", "20M", "CW", "K2"},
    {"LY8CC", "20M", "CW", "A00"},  // a grid code that the table does not list
    {"LY9DD", "70CM", "RTTY", "E02"},
    {"LY1QQ", "", "", "H00"},
};

TEST(MapModelAgreesWithAwardList, EveryGroupAndLog) {
    MapFolder env;
    std::vector<kx::QSOLog> logs;
    logs.push_back(MakeLog(kMixed));
    logs.push_back(kx::QSOLog("EN"));  // the empty log
    // One QSO in every table square, modes and bands cycling.
    const char* bands[] = {"20M", "2M", "40M", "70CM", "6M"};
    const char* modes[] = {"CW", "SSB", "FM", "PSK31", "FT8", "AM"};
    std::vector<std::string> codes;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 40; ++c)
            if (kx::SquareExists(CellCode(r, c))) codes.push_back(CellCode(r, c));
    ASSERT_EQ(codes.size(), 394u);
    kx::QSOLog all("EN");
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const int row = i == 0 ? 1 : all.AddEmptyRow();
        all.SetCell(row, kx::colCallsign, "LY" + std::to_string(i));
        all.SetCell(row, kx::colBand, bands[i % 5]);
        all.SetCell(row, kx::colMode, modes[i % 6]);
        all.SetCell(row, kx::colDate, "2010-05-05");
        all.SetCell(row, kx::colBEX, codes[(i * 7) % codes.size()]);
    }
    logs.push_back(all);

    for (const kx::QSOLog& log : logs) {
        for (int band = 0; band <= 2; ++band) {
            for (int mode = 0; mode <= 4; ++mode) {
                SCOPED_TRACE(testing::Message() << "band " << band << " mode " << mode);
                const kx::AwardFilter filter{static_cast<kx::BandGroup>(band),
                                             static_cast<kx::ModeGroup>(mode)};
                const kx::AwardList list = kx::MakeAwardList(log, filter);
                MapModel model;
                model.Build(&log, filter);
                EXPECT_EQ(model.Worked(), list.Count());
                EXPECT_EQ(model.TableSquares(), 394);
                int worked = 0;
                for (int r = 0; r < 16; ++r) {
                    for (int c = 0; c < 40; ++c) {
                        const std::string code = CellCode(r, c);
                        const bool inTable = kx::SquareExists(code);
                        const kx::ListEntry* listed = nullptr;
                        for (const auto& e : list.Entries())
                            if (kx::CollateEqual(e[kx::lcSquare], code)) listed = &e;
                        const CellState want = !inTable ? CellState::Outside
                                               : listed ? CellState::Worked
                                                        : CellState::Needed;
                        ASSERT_EQ(model.State(r, c), want) << code;
                        if (want != CellState::Worked) continue;
                        ++worked;
                        ASSERT_NE(model.Entry(r, c), nullptr);
                        ASSERT_EQ(*model.Entry(r, c), *listed);
                        // The row the click selects is the QSO the list shows.
                        const int row = model.LogRow(r, c);
                        ASSERT_GT(row, 0);
                        EXPECT_EQ(log.Field(row, kx::colCallsign), (*listed)[kx::lcCallsign]);
                        EXPECT_EQ(log.Field(row, kx::colDate), (*listed)[kx::lcDate]);
                        EXPECT_EQ(log.Field(row, kx::colBand), (*listed)[kx::lcBand]);
                    }
                }
                EXPECT_EQ(worked + model.WorkedOffMap(), list.Count());
            }
        }
    }
}

TEST(MapModelAgreesWithAwardList, FirstQsoOfSquareFollowsFilters) {
    MapFolder env;
    const kx::QSOLog log = MakeLog(kMixed);
    MapModel model;
    model.Build(&log, {kx::BandGroup::All, kx::ModeGroup::All});
    EXPECT_EQ(model.LogRow(10, 26), 1);  // K26: LY2AB on 20M comes first
    model.Build(&log, {kx::BandGroup::VHF, kx::ModeGroup::All});
    EXPECT_EQ(model.LogRow(10, 26), 2);                // only LY3CD on 2M counts for VHF
    EXPECT_EQ(model.State(9, 18), CellState::Needed);  // j18 was worked on 80M
    model.Build(&log, {kx::BandGroup::HF, kx::ModeGroup::All});
    EXPECT_EQ(model.State(9, 18), CellState::Worked);  // lower-case j18 is J18
    // Bands are case-blind: 20m in small letters is HF and the map marks B04 worked.
    EXPECT_EQ(model.State(1, 4), CellState::Worked);
    // A00 is listed by the award list but is not a square of the table.
    model.Build(&log, {kx::BandGroup::All, kx::ModeGroup::CW});
    EXPECT_EQ(model.State(0, 0), CellState::Outside);
    EXPECT_EQ(model.WorkedOffMap(), 1);
}

TEST(MapModelAgreesWithAwardList, MissingTableMeansNoSquares) {
    MapFolder env;
    std::remove(env.folder.file("BEXWWL.dat").c_str());
    const kx::QSOLog log = MakeLog(kMixed);
    MapModel model;
    model.Build(&log, {kx::BandGroup::All, kx::ModeGroup::All});
    EXPECT_EQ(model.TableSquares(), 0);
    EXPECT_EQ(model.WorkedOffMap(), model.Worked());
}

TEST(MapBorderFile, ReadsRingsAndIgnoresBadLines) {
    const auto rings = kx::bexmap::ParseBorder(
        "; comment\r\n"
        "20 55\r\n"  // before any ring: ignored
        "RING 4\r\n"
        "21.0 55.0\r\n"
        "22.0 55.0\r\n"
        "nonsense\r\n"
        "22.0 56.0 7\r\n"  // three numbers: ignored
        "22.0 56.0\r\n"
        "500 56.0\r\n"  // outside the globe
        "\r\n"
        "RING 2\r\n"
        "1 1\n"
        "2 2\n");  // two points: dropped
    ASSERT_EQ(rings.size(), 1u);
    ASSERT_EQ(rings[0].size(), 3u);
    EXPECT_EQ(rings[0][2], QPointF(22.0, 56.0));
    EXPECT_TRUE(kx::bexmap::ParseBorder("").empty());
}

// The border's numbers have a decimal point; a user whose locale writes a comma (lt_LT,
// de_DE) gets the same border.
TEST(MapBorderFile, ReadsTheSameInEveryLocale) {
    int tried = 0;
    for (const std::string& name : kxtest::kCommaLocales) {
        kxtest::ScopedLocale locale(name);
        if (!locale.ok()) continue;
        ++tried;
        const auto rings =
            kx::bexmap::ParseBorder("RING 3\n21.25 55.5\n+26.75 54.125\n24 56.4375\n");
        ASSERT_EQ(rings.size(), 1u) << name;
        ASSERT_EQ(rings[0].size(), 3u) << name;
        EXPECT_EQ(rings[0][0], QPointF(21.25, 55.5)) << name;
        EXPECT_EQ(rings[0][1], QPointF(26.75, 54.125)) << name;
        EXPECT_EQ(rings[0][2], QPointF(24, 56.4375)) << name;
        EXPECT_EQ(kx::bexmap::ParseBorder("RING 3\n21,25 55,5\n22 55\n23 56\n24 56\n")[0].size(),
                  3u)
            << name << ": a comma is no decimal sign in the file";
    }
    if (tried == 0)
        GTEST_SKIP() << "no lt_LT.UTF-8 or de_DE.UTF-8 locale (scripts/test makes them)";
}

TEST(MapBorderFile, ShippedBorderLiesInTheGrid) {
    MapFolder env;
    const auto rings = kx::bexmap::ReadBorder();
    ASSERT_EQ(rings.size(), 2u);
    std::size_t points = 0;
    for (const auto& ring : rings) {
        points += ring.size();
        for (const QPointF& p : ring) {
            ASSERT_GT(p.x(), kx::bexmap::kWest);
            ASSERT_LT(p.x(), 27.5);
            ASSERT_GT(p.y(), 53.0 + 50.0 / 60);
            ASSERT_LT(p.y(), kx::bexmap::kNorth);
        }
    }
    EXPECT_GT(points, 1000u);
    std::remove(env.folder.file(kx::bexmap::kBorderFile).c_str());
    EXPECT_TRUE(kx::bexmap::ReadBorder().empty());
}

TEST(MapGeometry, TrueProportionsAndCellsRoundTrip) {
    for (QSizeF size : {QSizeF(700, 400), QSizeF(500, 900), QSizeF(1600, 500)}) {
        const kx::bexmap::MapGeometry g(size, 14, 16, 24);
        const double ratio = g.grid.width() / g.grid.height();
        EXPECT_NEAR(ratio, 40 * std::cos(55 * M_PI / 180) / 16, 1e-9);
        EXPECT_GE(g.grid.left(), 0);
        EXPECT_LE(g.legend.bottom(), size.height());
        for (auto [r, c] : {std::pair{0, 0}, {10, 26}, {15, 39}}) {
            const auto cell = g.CellAt(g.CellRect(r, c).center());
            ASSERT_TRUE(cell);
            EXPECT_EQ(*cell, std::make_pair(r, c));
        }
        EXPECT_FALSE(g.CellAt(g.grid.topLeft() - QPointF(1, 1)));
        // Vilnius (54.687 N, 25.28 E) lies in K26.
        EXPECT_EQ(*g.CellAt(g.ToScreen(25.28, 54.687)), std::make_pair(10, 26));
    }
}

TEST(MapWindow, CountAndFiltersInBothLanguages) {
    MapFolder env;
    const kx::QSOLog log = MakeLog(kMixed);
    TForm6 form;
    form.SetLog(&log);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" BEX  MAP"));
    EXPECT_EQ(form.btSave->text(), QStringLiteral("Save picture..."));
    EXPECT_EQ(form.lbCount->text(), QStringLiteral("Worked 7 of 394 (1 not in the table)"));
    form.rbHF->click();
    EXPECT_EQ(form.Filter.band, kx::BandGroup::HF);
    EXPECT_EQ(
        form.lbCount->text(),
        QStringLiteral("Worked %1 of 394 (1 not in the table) · HF")
            .arg(kx::MakeAwardList(log, {kx::BandGroup::HF, kx::ModeGroup::All}).Count() - 0));
    form.rbVHF->click();
    form.rbSSB->click();
    EXPECT_EQ(form.lbCount->text(), QStringLiteral("Worked 1 of 394 · VHF · SSB"));
    EXPECT_EQ(form.Model().Worked(),
              kx::MakeAwardList(log, {kx::BandGroup::VHF, kx::ModeGroup::SSB}).Count());
    form.close();

    // A later showing keeps the radio buttons and applies them; in Lithuanian.
    kx::Language = "LT";
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" BEX  ŽEMĖLAPIS"));
    EXPECT_EQ(form.btSave->text(), QStringLiteral("Išsaugoti paveikslėlį..."));
    EXPECT_EQ(form.btCopy->text(), QStringLiteral("Kopijuoti"));
    EXPECT_EQ(form.btClose->text(), QStringLiteral("Uždaryti"));
    EXPECT_EQ(form.rbVHF->text(), QStringLiteral("UTB"));
    EXPECT_EQ(form.gbModes->title(), QStringLiteral("Modos"));
    EXPECT_EQ(form.lbCount->text(), QStringLiteral("Dirbta 1 iš 394 · UTB · SSB"));
    form.rbAll->click();
    form.rbHFVHF->click();
    EXPECT_EQ(form.lbCount->text(), QStringLiteral("Dirbta 7 iš 394 (lentelėje nėra: 1)"));
    form.close();
}

TEST(MapWindow, NarrowWindowPutsTheCountUnderTheLegend) {
    MapFolder env;
    const kx::QSOLog log = MakeLog(kMixed);
    TForm6 form;
    form.SetLog(&log);
    form.show();
    form.resize(1400, 700);
    QCoreApplication::processEvents();
    const double wide = form.pbMap->Geometry(form.pbMap->size()).legend.height();
    form.resize(640, 440);
    form.rbVHF->click();
    form.rbDigi->click();
    QCoreApplication::processEvents();
    const auto g = form.pbMap->Geometry(form.pbMap->size());
    EXPECT_GT(g.legend.height(), wide * 1.5);
    EXPECT_LE(g.legend.bottom(), form.pbMap->height());
    form.close();
}

TEST(MapWindow, RemembersPlaceAndSize) {
    MapFolder env;
    kx::SettingsFile.WriteInteger("WINDOWS", "W6", 300);  // below the minimum
    TForm6 form;
    form.show();
    EXPECT_EQ(form.width(), 640);
    form.resize(760, 560);
    form.close();
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "W6", 0), 760);
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "H6", 0), 560);
    EXPECT_NE(kx::SettingsFile.ReadString("WINDOWS", "X6", ""), "");
    TForm6 again;
    again.show();
    EXPECT_EQ(again.size(), QSize(760, 560));
    again.close();
}

TEST(MapWindow, HoverShowsSquareAndFirstQso) {
    MapFolder env;
    const kx::QSOLog log = MakeLog(kMixed);
    TForm6 form;
    form.SetLog(&log);
    form.show();
    QTest::mouseMove(form.pbMap, CellCentre(form, "K26"));
    EXPECT_EQ(form.lbStatus->text(), QStringLiteral("K26: LY2AB, 20M, CW, 2009-01-15"));
    EXPECT_EQ(ShownTip(form.pbMap->toolTip()), form.lbStatus->text());
    QTest::mouseMove(form.pbMap, CellCentre(form, "K25"));
    EXPECT_EQ(form.lbStatus->text(), QStringLiteral("K25: not worked"));
    // A filter change updates the text of the square under the pointer.
    QTest::mouseMove(form.pbMap, CellCentre(form, "K26"));
    form.rbVHF->click();
    EXPECT_EQ(form.lbStatus->text(), QStringLiteral("K26: LY3CD, 2M, SSB, 2009-01-16"));
    // Empty band and mode fields are left out.
    form.rbHFVHF->click();
    QTest::mouseMove(form.pbMap, CellCentre(form, "H00"));
    EXPECT_EQ(form.lbStatus->text(), QStringLiteral("H00: LY1QQ, 2009-01-15"));
    // A cell that is no square of the table shows the hint and no tool tip.
    QTest::mouseMove(form.pbMap, CellCentre(form, "A00"));
    EXPECT_TRUE(form.pbMap->toolTip().isEmpty());
    EXPECT_TRUE(form.lbStatus->text().startsWith(QStringLiteral("Point at a square")));
    form.close();

    kx::Language = "LT";
    form.show();
    QTest::mouseMove(form.pbMap, CellCentre(form, "K25"));
    EXPECT_EQ(form.lbStatus->text(), QStringLiteral("K25: nedirbtas"));
    form.close();
}

TEST(MapWindow, TheLogsTextIsShownAsWrittenNotAsHtml) {
    MapFolder env;
    const kx::QSOLog log =
        MakeLog({{"<font color=red size=7>LY2AB</font>", "20M", "<img src=x>", "K26"}});
    TForm6 form;
    form.SetLog(&log);
    form.show();
    QTest::mouseMove(form.pbMap, CellCentre(form, "K26"));
    const QString written =
        QStringLiteral("K26: <font color=red size=7>LY2AB</font>, 20M, <img src=x>, 2009-01-15");
    EXPECT_EQ(ShownTip(form.pbMap->toolTip()), written);
    EXPECT_EQ(form.lbStatus->text(), written);
    form.close();
}

TEST(MapWindow, ClickSelectsTheQsoInTheLogAfterClosing) {
    MapFolder env;
    TForm3 logWindow;
    logWindow.Log() = MakeLog(kMixed);
    logWindow.RefreshGrid();
    logWindow.SelectRow(1);
    TForm6 form;

    // A click chooses; the row is selected only when the window has closed.
    int rowWhileOpen = -1;
    QTimer::singleShot(0, &form, [&] {
        QTest::mouseClick(form.pbMap, Qt::LeftButton, {}, CellCentre(form, "E02"));
        EXPECT_EQ(form.ChosenRow(), 4);
        EXPECT_TRUE(form.lbStatus->text().contains(QStringLiteral("LY5GH")));
        rowWhileOpen = logWindow.SelectedRow();
        form.btClose->click();
    });
    form.Execute(logWindow);
    EXPECT_EQ(rowWhileOpen, 1);
    EXPECT_EQ(logWindow.SelectedRow(), 4);

    // The choice follows the groups: under HF the first QSO of K26 is row 1, under VHF
    // row 2. A click on a needed square chooses nothing; a new showing forgets the choice.
    QTimer::singleShot(0, &form, [&] {
        form.rbVHF->click();
        QTest::mouseClick(form.pbMap, Qt::LeftButton, {}, CellCentre(form, "K26"));
        EXPECT_EQ(form.ChosenRow(), 2);
        QTest::mouseClick(form.pbMap, Qt::LeftButton, {}, CellCentre(form, "K25"));
        EXPECT_EQ(form.ChosenRow(), 0);
        QTest::mouseClick(form.pbMap, Qt::LeftButton, {}, CellCentre(form, "K26"));
        form.close();
    });
    form.Execute(logWindow);
    EXPECT_EQ(logWindow.SelectedRow(), 2);

    QTimer::singleShot(0, &form, [&] {
        EXPECT_EQ(form.ChosenRow(), 0);
        form.close();
    });
    form.Execute(logWindow);
    EXPECT_EQ(logWindow.SelectedRow(), 2);  // nothing chosen: the selection stays

    // A double click on a worked square chooses it and closes the map.
    QTimer::singleShot(0, &form, [&] {
        form.rbHFVHF->click();
        QTest::mouseDClick(form.pbMap, Qt::LeftButton, {}, CellCentre(form, "E32"));
        if (form.isVisible()) form.close();
    });
    EXPECT_EQ(form.Execute(logWindow), QDialog::Accepted);
    EXPECT_EQ(logWindow.SelectedRow(), 5);
}

// How many distinct colours a picture holds, sampled.
int Colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
}

TEST(MapWindow, SavePictureWritesPngOfTheMap) {
    MapFolder env;
    const kx::QSOLog log = MakeLog(kMixed);
    TForm6 form;
    form.SetLog(&log);
    form.show();
    form.resize(900, 600);
    QCoreApplication::processEvents();

    const std::string path = env.folder.file("map.png");
    env.fake.saveFileAnswers.push_back(QString::fromStdString(path));
    form.btSave->click();
    ASSERT_EQ(env.fake.saveDialogs.size(), 1u);
    EXPECT_EQ(env.fake.saveDialogs[0].defaultSuffix, QStringLiteral("png"));
    QImage png(QString::fromStdString(path), "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), form.pbMap->size());
    EXPECT_GT(Colours(png), 20);
    // The worked square K26 is filled, a needed one is not.
    const QPoint k26 = CellCentre(form, "K26") + QPoint(0, 8);
    const QPoint k25 = CellCentre(form, "K25") + QPoint(0, 8);
    const QColor worked = png.pixelColor(k26);
    const QColor needed = png.pixelColor(k25);
    EXPECT_GT(worked.green(), worked.red() + 60) << worked.name().toStdString();
    EXPECT_GT(needed.lightness(), 200) << needed.name().toStdString();

    // Cancelled: nothing written, no message.
    std::remove(path.c_str());
    env.fake.saveFileAnswers.push_back(QString());
    form.btSave->click();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_TRUE(env.fake.messages.empty());

    // A folder that does not exist: a clear message, and the window goes on.
    env.fake.saveFileAnswers.push_back(QString::fromStdString(env.folder.file("no/such.png")));
    form.btSave->click();
    ASSERT_EQ(env.fake.messages.size(), 1u);
    EXPECT_TRUE(
        env.fake.lastMessageText().startsWith(QStringLiteral("The picture could not be saved")));
    EXPECT_TRUE(form.isVisible());
    form.close();
}

TEST(MapWindow, CopyPutsThePictureOnTheClipboard) {
    MapFolder env;
    const kx::QSOLog log = MakeLog(kMixed);
    TForm6 form;
    form.SetLog(&log);
    form.show();
    form.btCopy->click();
    ASSERT_FALSE(env.fake.clipboardImage.isNull());
    EXPECT_EQ(env.fake.clipboardImage.size(), form.pbMap->size());
    EXPECT_GT(Colours(env.fake.clipboardImage), 20);
    form.close();
}

TEST(MapWindow, WithoutTableOrBorderItStillDraws) {
    MapFolder env;
    std::remove(env.folder.file("BEXWWL.dat").c_str());
    std::remove(env.folder.file(kx::bexmap::kBorderFile).c_str());
    const kx::QSOLog log = MakeLog(kMixed);
    TForm6 form;
    form.SetLog(&log);
    form.show();
    EXPECT_EQ(form.lbCount->text(), QStringLiteral("Worked 7 of 0 (7 not in the table)"));
    EXPECT_FALSE(form.pbMap->Picture().isNull());
    QTest::mouseMove(form.pbMap, CellCentre(form, "K26"));
    EXPECT_TRUE(form.pbMap->toolTip().isEmpty());
    form.close();
}

TEST(MapWindow, CreatedWithTheOtherWindowsAndOpenedFromTheLog) {
    kxtest::TempFolder folder;
    folder.copyData("KXInfo.dat");
    folder.copyData("KXInfoLT.dat");
    folder.copyData("BEXWWL.dat");
    kx::FakeServices fake;
    fake.executableFolder = QString::fromStdString(folder.dir());
    kx::ScopedServices use(fake);
    folder.makeProgramFolder();
    kx::CreateForms();
    ASSERT_NE(Form6, nullptr);
    EXPECT_EQ(Form6->objectName(), QStringLiteral("TForm6"));
    EXPECT_FALSE(Form6->isVisible());
    auto* button = Form3->findChild<QToolButton*>(QStringLiteral("btMap"));
    ASSERT_NE(button, nullptr);
    Form3->SetCaptions();
    EXPECT_EQ(button->text(), QStringLiteral("BEX Map"));
    bool shown = false;
    QTimer::singleShot(0, Form6, [&] {
        shown = Form6->isVisible() && Form6->Log() == &Form3->Log();
        Form6->close();
    });
    button->click();
    EXPECT_TRUE(shown);
    kx::DestroyForms();
    EXPECT_EQ(Form6, nullptr);
    kx::SettingsFile.Open("");
}

}  // namespace

namespace {

// A log of 127 worked squares gathered round the towns, as a real log looks.
kx::QSOLog TownLog() {
    struct Town {
        int row, col;
    };
    const Town towns[] = {{10, 26}, {9, 18}, {4, 2}, {3, 14}, {4, 21}, {12, 19},
                          {11, 15}, {6, 28}, {3, 8}, {7, 8},  {5, 32}, {13, 23}};
    std::vector<std::pair<double, std::string>> scored;
    unsigned seed = 12345;
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 40; ++c) {
            const std::string code = CellCode(r, c);
            if (!kx::SquareExists(code)) continue;
            double best = 1e9;
            for (const Town& t : towns) {
                const double dx = (c - t.col) * 0.57;  // cells are narrower than high
                const double dy = r - t.row;
                best = std::min(best, std::sqrt(dx * dx + dy * dy));
            }
            seed = seed * 1103515245u + 12345u;
            scored.emplace_back(best + (seed >> 16) % 1000 / 700.0, code);
        }
    }
    std::sort(scored.begin(), scored.end());
    const char* bands[] = {"80M", "40M", "20M", "2M", "40M", "70CM"};
    const char* modes[] = {"CW", "SSB", "CW", "FM", "FT8", "SSB", "RTTY"};
    kx::QSOLog log("EN");
    for (int i = 0; i < 127; ++i) {
        const int row = i == 0 ? 1 : log.AddEmptyRow();
        const char suffix[] = {char('A' + i % 26), char('A' + (i * 7) % 26),
                               char('A' + (i * 3) % 26), 0};
        log.SetCell(row, kx::colCallsign, "LY" + std::to_string(1 + i % 5) + suffix);
        log.SetCell(row, kx::colBand, bands[i % 6]);
        log.SetCell(row, kx::colMode, modes[i % 7]);
        log.SetCell(row, kx::colDate,
                    "20" + std::to_string(10 + i % 15) + "-0" + std::to_string(1 + i % 9) + "-1" +
                        std::to_string(i % 10));
        log.SetCell(row, kx::colSUTC, "18:30");
        log.SetCell(row, kx::colBEX, scored[static_cast<std::size_t>(i)].second);
    }
    return log;
}

// Writes a picture of the window when KX_SCREENSHOT_DIR names a folder (documentation).
TEST(MapWindow, ScreenshotOnlyWhenKX_SCREENSHOT_DIRIsSet) {
    const char* dir = std::getenv("KX_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "KX_SCREENSHOT_DIR not set";
    MapFolder env;
    const kx::QSOLog log = TownLog();
    TForm6 form;
    form.SetLog(&log);
    form.show();
    form.resize(940, 560);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.lbCount->text(), QStringLiteral("Worked 127 of 394"));
    QTest::mouseMove(form.pbMap, CellCentre(form, "K26"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.grab().save(QString::fromUtf8(dir) + "/map.png"));
    form.close();
}

}  // namespace
