// The square calculator on a temporary program folder, driven by real key and mouse events:
// coordinate typing and evaluation, the look-ups, the places and the grid, the city
// drop-down, the fields clearing one another, the settings and the two languages.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/Forms.h"
#include "calc/KXCalc.h"
#include "platform/Cp1257.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The seconds sign that ends a format 1 text.
const char* kSeconds = "\"";

class CalcWindow : public ::testing::Test {
protected:
    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    std::unique_ptr<TForm2> form;

    void SetUp() override {
        folder.makeProgramFolder();
        folder.copyData("BEXWWL.dat");
        folder.copyData("CityBEX.dat");
        folder.write("LY-BEX.dat",
                     "[BEX]\r\nLY1AB=K26\r\nLY2XY=J18,J19\r\nLY3ZZ=A05,A06,A07,A08,A09\r\n");
        kx::Language = "EN";
        kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    }
    void TearDown() override {
        form.reset();
        kx::SettingsFile.Open("");
        kx::Language.clear();
    }

    // Shows the window (creating it the first time): its showing steps run.
    void open() {
        if (!form) form = std::make_unique<TForm2>();
        form->show();
    }
    void close() { form->close(); }

    void type(QWidget* w, const char* keys) { QTest::keyClicks(w, QString::fromLatin1(keys)); }
    void key(QWidget* w, Qt::Key k) { QTest::keyClick(w, k); }
    void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

    static QColor TextColour(const QLineEdit* e) { return e->palette().color(QPalette::Text); }
    static bool White(const QWidget* w) {
        const auto role = qobject_cast<const QLineEdit*>(w) ? QPalette::Base : QPalette::Window;
        return w->palette().color(role) == QColor(Qt::white);
    }
    QStringList Grid() const {
        QStringList g;
        for (QLabel* pn : {form->pn0, form->pn4, form->pn1, form->pn5, form->pn2, form->pn6,
                           form->pn3, form->pn7})
            g << pn->text();
        return g;
    }
    QStringList Corners() const {
        return {form->lbLong1->text(), form->lbLat1->text(), form->lbLong3->text(),
                form->lbLat3->text()};
    }
    QStringList ListItems() const {
        QStringList items;
        for (int i = 0; i < form->ListBox1->count(); ++i) items << form->ListBox1->item(i)->text();
        return items;
    }
    std::string Stored(const char* section, const char* key) const {
        return kx::IniFile(folder.file("Kvadrix.ini")).ReadString(section, key, "<none>");
    }
    // Types a point in format 1 and evaluates it with Enter in the latitude field.
    void evaluate(const char* lonDigits, const char* latDigits) {
        type(form->edLong, lonDigits);
        type(form->edLat, latDigits);
        enter(form->edLat);
    }
};

const QStringList kK26Grid = {"KO24OT", "KO24PT", "KO24OS", "KO24PS",
                              "KO24OR", "KO24PR", "KO24OQ", "KO24PQ"};

}  // namespace

// ---- typing coordinates -------------------------------------------------------------

TEST_F(CalcWindow, LatitudeFormat1SignsArriveWithTheDigits) {
    open();
    QLineEdit* lat = form->edLat;
    type(lat, "5");
    EXPECT_EQ(lat->text(), "5");
    type(lat, "4");
    EXPECT_EQ(lat->text(), Q("54°"));
    EXPECT_EQ(lat->cursorPosition(), 3);
    type(lat, "41");
    EXPECT_EQ(lat->text(), Q("54°41'"));
    EXPECT_EQ(lat->cursorPosition(), 6);
    type(lat, "00");
    EXPECT_EQ(lat->text(), Q("54°41'00") + kSeconds);
    EXPECT_EQ(lat->cursorPosition(), 9);
    EXPECT_EQ(TextColour(lat), QColor(Qt::black));
    type(lat, "7");
    EXPECT_EQ(lat->text(), Q("54°41'00") + kSeconds) << "the field is full";
    EXPECT_FLOAT_EQ(form->LatValue, static_cast<float>(54 + 41 / 60.0L));
}

TEST_F(CalcWindow, KeyFilterLetsOnlyDigitsBackspaceAndEnterThrough) {
    open();
    type(form->edLat, "5a-x4");
    EXPECT_EQ(form->edLat->text(), Q("54°"));
    EXPECT_TRUE(form->KeyTyped);
    key(form->edLat, Qt::Key_Backspace);
    EXPECT_FALSE(form->KeyTyped);
    type(form->edLong, "2 5");
    EXPECT_EQ(form->edLong->text(), Q("25°"));
}

TEST_F(CalcWindow, OutOfRangePartsTurnTheFieldRed) {
    open();
    type(form->edLat, "91");
    EXPECT_EQ(form->edLat->text(), "91");
    EXPECT_EQ(TextColour(form->edLat), QColor(Qt::red));
    key(form->edLat, Qt::Key_Backspace);
    key(form->edLat, Qt::Key_Backspace);
    type(form->edLat, "5460");
    EXPECT_EQ(form->edLat->text(), Q("54°60"));
    EXPECT_EQ(TextColour(form->edLat), QColor(Qt::red));
    key(form->edLat, Qt::Key_Backspace);
    type(form->edLat, "5");
    EXPECT_EQ(form->edLat->text(), Q("54°65"));
    key(form->edLat, Qt::Key_Backspace);
    key(form->edLat, Qt::Key_Backspace);
    type(form->edLat, "12");
    EXPECT_EQ(form->edLat->text(), Q("54°12'"));
    EXPECT_EQ(TextColour(form->edLat), QColor(Qt::black));
}

TEST_F(CalcWindow, Format2DecimalMinutesWithTheCaretBeforeTheSign) {
    open();
    form->mFormat2->trigger();
    type(form->edLat, "5441");
    EXPECT_EQ(form->edLat->text(), Q("54°41'"));
    EXPECT_EQ(form->edLat->cursorPosition(), 5);
    type(form->edLat, "5");
    EXPECT_EQ(form->edLat->text(), Q("54°41,5'"));
    type(form->edLat, "0");
    EXPECT_EQ(form->edLat->text(), Q("54°41,50'"));
    EXPECT_EQ(form->edLat->cursorPosition(), 8);
    EXPECT_FLOAT_EQ(form->LatValue, static_cast<float>(54 + 41.5L / 60));
}

TEST_F(CalcWindow, Format3DecimalDegrees) {
    open();
    form->mFormat3->trigger();
    type(form->edLat, "546");
    EXPECT_EQ(form->edLat->text(), Q("54,6°"));
    EXPECT_EQ(form->edLat->cursorPosition(), 4);
    type(form->edLat, "8");
    EXPECT_EQ(form->edLat->text(), Q("54,68°"));
    type(form->edLat, "6");
    EXPECT_EQ(form->edLat->text(), Q("54,686°"));
    type(form->edLat, "1");
    EXPECT_EQ(form->edLat->text(), Q("54,6861°"));
    EXPECT_EQ(form->edLat->cursorPosition(), 7);
    EXPECT_FLOAT_EQ(form->LatValue, 54.6861f);
}

TEST_F(CalcWindow, BackspaceRemovesOneCharacterAtATime) {
    open();
    type(form->edLat, "544100");
    const QString full = form->edLat->text();
    for (qsizetype n = full.size(); n-- > 0;) {
        key(form->edLat, Qt::Key_Backspace);
        EXPECT_EQ(form->edLat->text(), full.left(n));
    }
}

TEST_F(CalcWindow, EnterCompletesBareDegreesAndMovesToTheOtherField) {
    open();
    form->mFormat2->trigger();
    type(form->edLat, "54");
    enter(form->edLat);
    EXPECT_EQ(form->edLat->text(), Q("54°00,00'"));
    EXPECT_EQ(form->focusWidget(), form->edLong) << "the longitude is still empty";

    form->mFormat3->trigger();
    type(form->edLat, "54");
    enter(form->edLat);
    EXPECT_EQ(form->edLat->text(), Q("54,0000°"));

    form->mFormat1->trigger();
    type(form->edLong, "25");
    enter(form->edLong);
    EXPECT_EQ(form->edLong->text(), Q("25°00'00") + kSeconds);
    EXPECT_EQ(form->focusWidget(), form->edLat);

    form->edLat->clear();
    type(form->edLat, "5");
    enter(form->edLat);
    EXPECT_EQ(form->edLat->text(), "5") << "Enter in a latitude shorter than DD° does nothing";
}

TEST_F(CalcWindow, PastedUnreadableTextIsReportedAndKept) {
    open();
    type(form->edLat, "5");
    form->edLat->insert(Q("x°"));
    ASSERT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(fake.lastMessageText().contains("5X")) << fake.lastMessageText().toStdString();
    EXPECT_EQ(form->edLat->text(), Q("5X°"));
}

// ---- evaluating coordinates ---------------------------------------------------------

TEST_F(CalcWindow, EvaluationGivesLocatorSquareGridAndCorners) {
    open();
    evaluate("251700", "544100");
    EXPECT_EQ(form->edWWL->text(), "KO24PQ");
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_NEAR(form->LatValue, 54.686111, 1e-6);
    EXPECT_EQ(Grid(), kK26Grid);
    EXPECT_EQ(Corners(), (QStringList{Q("25°10'E"), Q("54°50'N"), Q("25°20'E"), Q("54°40'N")}));
    EXPECT_EQ(form->lbLong2->text(), Q("25°10'E"));
    EXPECT_EQ(form->lbLat4->text(), Q("54°50'N"));
    // The first place counts as highlighted from the start, so Copy takes the result.
    form->btCopy->click();
    EXPECT_EQ(fake.clipboard, "K26");
}

TEST_F(CalcWindow, TheLatitudeOffsetDecidesRowsNearALine) {
    open();
    evaluate("223500", "562000");
    EXPECT_EQ(form->pnBEX0->text(), "A10");
    form->BitBtn1->click();
    evaluate("223500", "561951");
    EXPECT_EQ(form->pnBEX0->text(), "A10") << "9 seconds south of the line count in row A";
    form->BitBtn1->click();
    evaluate("223500", "561949");
    EXPECT_EQ(form->pnBEX0->text(), "B10");
}

TEST_F(CalcWindow, IllFormedTextsTurnRedAndKeepThePreviousResult) {
    open();
    evaluate("251700", "544100");
    ASSERT_EQ(form->pnBEX0->text(), "K26");
    form->edLat->setText(Q("54°41'"));  // the seconds missing
    enter(form->edLat);
    EXPECT_EQ(TextColour(form->edLat), QColor(Qt::red));
    EXPECT_EQ(TextColour(form->edLong), QColor(Qt::black));
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(form->edWWL->text(), "KO24PQ");
    EXPECT_EQ(Grid(), kK26Grid) << "the grid keeps the last square";

    // Enter in a longitude without seconds while the latitude is filled.
    form->edLong->setText(Q("25°17'"));
    form->edLat->setText(Q("54°41'00\""));
    enter(form->edLong);
    EXPECT_EQ(TextColour(form->edLong), QColor(Qt::red));
    EXPECT_EQ(TextColour(form->edLat), QColor(Qt::red));
    EXPECT_EQ(form->pnBEX0->text(), "K26");
}

TEST_F(CalcWindow, Format3LatitudeWithTwoDecimalsFails) {
    open();
    form->mFormat3->trigger();
    type(form->edLong, "252833");
    type(form->edLat, "5468");
    EXPECT_EQ(form->edLat->text(), Q("54,68°"));
    enter(form->edLat);
    EXPECT_EQ(TextColour(form->edLat), QColor(Qt::red));
    EXPECT_EQ(TextColour(form->edLong), QColor(Qt::black));
    EXPECT_TRUE(form->pnBEX0->text().isEmpty());
    type(form->edLat, "61");
    enter(form->edLat);
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(form->edWWL->text(), "KO24PQ");
}

TEST_F(CalcWindow, WestLongitudeGivesTheLocatorAndNoSquare) {
    open();
    form->mWest->trigger();
    EXPECT_TRUE(form->mWest->isChecked());
    EXPECT_FALSE(form->mEast->isChecked());
    type(form->edLong, "0733000");
    EXPECT_EQ(form->edLong->text(), Q("073°30'00") + kSeconds);
    EXPECT_EQ(form->edLong->maxLength(), 10);
    EXPECT_FLOAT_EQ(form->LongValue, 286.5f);
    type(form->edLat, "404500");
    // The look-up button before the evaluation uses the values of the typing.
    form->BitBtn3->click();
    EXPECT_EQ(form->edWWL->text(), "FN30GS");
    enter(form->edLat);
    EXPECT_EQ(TextColour(form->edLong), QColor(Qt::black));
    EXPECT_FLOAT_EQ(form->LongValue, -73.5f);
    EXPECT_EQ(form->edWWL->text(), "FN30GS");
    EXPECT_EQ(form->pnBEX0->text(), "?");
    form->mEastClick();
    EXPECT_TRUE(form->edLong->text().isEmpty()) << "choosing east or west clears the longitude";
}

// ---- look-ups and places ------------------------------------------------------------

TEST_F(CalcWindow, LookUpButtonTakesCityThenCallThenLocatorThenCoordinates) {
    open();
    form->edCity->setText("Nida");
    form->edCall->setText("LY1AB");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "H01") << "the city comes first";
    EXPECT_FALSE(form->pnBEX1->isHidden());
    EXPECT_EQ(form->pnBEX1->text(), "H00");

    form->edCity->setText("   ");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "K26") << "a blank city gives way to the call sign";
    EXPECT_TRUE(form->pnBEX1->isHidden());

    form->BitBtn1->click();
    form->edWWL->setText("KO14XU");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "J18");
    EXPECT_EQ(form->pn3->text(), "KO14WU");
    form->BitBtn1->click();
    form->WWLtoBEX(" ko24pq  ");
    EXPECT_EQ(form->pnBEX0->text(), "K26") << "blanks around the locator are dropped";

    form->BitBtn1->click();
    form->edWWL->setText("KO14");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "") << "a four-character locator is not looked up";

    form->BitBtn1->click();
    type(form->edLong, "251700");
    type(form->edLat, "544100");
    form->BitBtn3->click();
    EXPECT_EQ(form->edWWL->text(), "KO24PQ");
    EXPECT_EQ(form->pnBEX0->text(), "") << "coordinates by the button give the locator only";
}

TEST_F(CalcWindow, TwoCodesShowTwoPlacesClickAndCopy) {
    open();
    type(form->edCall, "ly2xy");
    EXPECT_EQ(form->edCall->text(), "LY2XY");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "J18");
    EXPECT_TRUE(White(form->pnBEX0));
    EXPECT_FALSE(form->pnBEX1->isHidden());
    EXPECT_EQ(form->pnBEX1->text(), "J19");
    EXPECT_FALSE(White(form->pnBEX1));
    EXPECT_TRUE(form->pnBEX2->isHidden());
    EXPECT_TRUE(form->pnBEX3->isHidden());
    EXPECT_EQ(form->pn0->text(), "KO14WX");

    click(form->pnBEX1);
    EXPECT_TRUE(White(form->pnBEX1));
    EXPECT_FALSE(White(form->pnBEX0));
    EXPECT_EQ(form->pn0->text(), "KO24AX");
    EXPECT_EQ(form->lbLong1->text(), Q("24°00'E"));
    form->btCopy->click();
    EXPECT_EQ(fake.clipboard, "J19");

    click(form->pnBEX0);
    EXPECT_TRUE(White(form->pnBEX0));
    form->btCopy->click();
    EXPECT_EQ(fake.clipboard, "J18");
}

TEST_F(CalcWindow, ClickOnAPlaceWithoutACodeChangesNothing) {
    open();
    form->edWWL->setText("AA00AA");
    enter(form->edWWL);
    ASSERT_EQ(form->pnBEX0->text(), "?");
    form->edCall->setText("LY2XY");
    form->BitBtn3->click();
    click(form->pnBEX1);
    form->pnBEX0->setText("?");
    click(form->pnBEX0);
    EXPECT_TRUE(White(form->pnBEX1)) << "the highlight stays";
    EXPECT_FALSE(White(form->pnBEX0));
    EXPECT_EQ(form->pn0->text(), "KO24AX");

    // A code typed into the first place is shown when clicked.
    form->pnBEX0->setText("k26");
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    click(form->pnBEX0);
    EXPECT_TRUE(White(form->pnBEX0));
    EXPECT_EQ(Grid(), kK26Grid);
}

TEST_F(CalcWindow, MoreThanFourCodesShowTheFirstFour) {
    open();
    form->edCall->setText("LY3ZZ");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "A05");
    EXPECT_EQ(form->pnBEX3->text(), "A08");
    EXPECT_FALSE(form->pnBEX3->isHidden());
}

TEST_F(CalcWindow, CallSignsOfTwoCharactersOrUnknownChangeNothing) {
    open();
    form->edCall->setText("LY1AB");
    form->BitBtn3->click();
    ASSERT_EQ(form->pnBEX0->text(), "K26");
    form->edCall->setText("LY");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    form->edCall->setText("LY9ZZ");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    folder.write("LY-BEX.dat", "[BEX]\r\nLY9ZZ=P39\r\n");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "P39") << "an edited table counts at the next look-up";
}

TEST_F(CalcWindow, EnterInTheLocatorFieldFindsItsSquare) {
    open();
    type(form->edWWL, "ko24pq");
    EXPECT_EQ(form->edWWL->text(), "KO24PQ");
    enter(form->edWWL);
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(Grid(), kK26Grid);
    EXPECT_EQ(form->lbLat3->text(), Q("54°40'N"));

    form->edWWL->setText("JO00AA");
    enter(form->edWWL);
    EXPECT_EQ(form->pnBEX0->text(), "?");
    EXPECT_EQ(Grid(), kK26Grid) << "a locator outside the area leaves the grid alone";
}

// A locator has 6 characters; of 8 or 10 the first 6 are read. Any other length is no
// locator: the window says what is accepted instead of showing nothing or a wrong square.
TEST_F(CalcWindow, LocatorFieldReadsSixEightOrTenCharacters) {
    open();
    type(form->edWWL, "ko24pq12");
    EXPECT_EQ(form->edWWL->text(), "KO24PQ12");
    enter(form->edWWL);
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(Grid(), kK26Grid);
    form->edWWL->setText("KO14XU34AB");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "J18");
    EXPECT_TRUE(fake.messages.empty());

    for (const char* typed : {"KO", "KO14", "KO24P", "KO24PQ1", "KO24PQ123"}) {
        form->BitBtn1->click();
        fake.clear();
        form->edWWL->setText(typed);
        enter(form->edWWL);
        EXPECT_EQ(form->pnBEX0->text(), "") << typed;
        ASSERT_EQ(fake.messages.size(), 1u) << typed;
        EXPECT_TRUE(fake.lastMessageText().contains("6 characters")) << typed;
        form->BitBtn3->click();
        EXPECT_EQ(fake.messages.size(), 2u) << typed << ": the look-up button says so too";
    }
    kx::Language = "LT";
    form->SetCaptions();
    fake.clear();
    enter(form->edWWL);
    EXPECT_TRUE(fake.lastMessageText().contains(Q("6 ženklai")));
}

// Enter in the call-sign and city fields looks them up; a square typed into the first
// place is shown at once; a name or square the tables lack is said to be missing.
TEST_F(CalcWindow, EnterLooksUpCallCityAndTheTypedSquare) {
    open();
    type(form->edCall, "ly2xy");
    enter(form->edCall);
    EXPECT_EQ(form->pnBEX0->text(), "J18");
    EXPECT_EQ(form->pnBEX1->text(), "J19");

    type(form->edCity, "Nida");
    ASSERT_FALSE(form->Panel4->isHidden());
    enter(form->edCity);
    EXPECT_EQ(form->pnBEX0->text(), "H01");
    EXPECT_TRUE(form->Panel4->isHidden());
    EXPECT_EQ(form->focusWidget(), form->edCity);

    form->pnBEX0->setFocus();
    form->pnBEX0->selectAll();
    type(form->pnBEX0, "k2");
    EXPECT_EQ(Grid(), QStringList(8, QString())) << "no grid of another square";
    type(form->pnBEX0, "6");
    EXPECT_EQ(Grid(), kK26Grid) << "the typed square at once";
    EXPECT_EQ(form->lbLat3->text(), Q("54°40'N"));
    EXPECT_TRUE(White(form->pnBEX0));
    EXPECT_TRUE(fake.messages.empty());
    form->pnBEX0->selectAll();
    type(form->pnBEX0, "z99");
    enter(form->pnBEX0);
    EXPECT_EQ(Grid(), QStringList(8, QString()));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.lastMessageText(), "Z99 is not a BEX square.");

    form->BitBtn1->click();
    type(form->edCity, "Nowhereville");
    enter(form->edCity);
    EXPECT_EQ(fake.lastMessageText(), "\"Nowhereville\" is not in the city table.");
    form->BitBtn1->click();
    type(form->edCall, "ly9zzz");
    enter(form->edCall);
    EXPECT_EQ(fake.lastMessageText(), "The call sign LY9ZZZ is not in the call-sign table.");
    EXPECT_EQ(form->pnBEX0->text(), "");
}

// A town typed without its Lithuanian letters, a city district, a name of several places.
TEST_F(CalcWindow, TownsAndDistrictsByTheirNamesAsTyped) {
    open();
    type(form->edCity, "Siauliai");
    enter(form->edCity);
    EXPECT_EQ(form->pnBEX0->text(), "D14");
    EXPECT_EQ(form->pnBEX1->text(), "D15");
    form->BitBtn1->click();
    type(form->edCity, "Naujoji Vilnia");
    enter(form->edCity);
    EXPECT_EQ(form->pnBEX0->text(), "K27");
    form->BitBtn1->click();
    type(form->edCity, "Pakalniskiai");
    enter(form->edCity);
    EXPECT_FALSE(form->pnBEX3->isHidden()) << "the squares of the villages of that name";
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(CalcWindow, EscapeClosesTheDropDownFirstThenTheWindow) {
    open();
    type(form->edCity, "Vil");
    ASSERT_FALSE(form->Panel4->isHidden());
    key(form->edCity, Qt::Key_Escape);
    EXPECT_TRUE(form->Panel4->isHidden());
    EXPECT_TRUE(form->isVisible());
    key(form->edCity, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Stored("WINDOWS", "X2"), std::to_string(form->x())) << "closed as by its close box";
}

TEST_F(CalcWindow, MissingWwlTableDuringALocatorLookUpIsReported) {
    open();
    std::filesystem::remove(folder.file("BEXWWL.dat"));
    form->edWWL->setText("KO24PQ");
    enter(form->edWWL);
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(fake.lastMessageText().contains("BEXWWL.dat"));
}

TEST_F(CalcWindow, CopyNeverTakesAHiddenPlace) {
    open();
    form->edCall->setText("LY2XY");
    form->BitBtn3->click();
    click(form->pnBEX1);
    ASSERT_TRUE(White(form->pnBEX1));
    form->BitBtn1->click();
    EXPECT_TRUE(form->pnBEX1->isHidden());
    form->btCopy->click();
    EXPECT_EQ(fake.clipboard, "") << "the hidden J19 is not copied";
    EXPECT_TRUE(White(form->pnBEX0));
    evaluate("251700", "544100");
    form->btCopy->click();
    EXPECT_EQ(fake.clipboard, "K26");
}

TEST_F(CalcWindow, ShortWwlEntryIsReportedAfterTheLocatorsBeforeIt) {
    folder.write("BEXWWL.dat", "[BEX]\r\nK26=KO24OT,KO24PT,KO24OS\r\n");
    open();
    form->pnBEX0->setText("K26");
    click(form->pnBEX0);
    ASSERT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(fake.lastMessageText().contains("List index out of bounds (3)"))
        << fake.lastMessageText().toStdString();
    EXPECT_EQ(form->pn0->text(), "KO24OT");
    EXPECT_EQ(form->pn4->text(), "KO24PT");
    EXPECT_EQ(form->pn1->text(), "KO24OS");
    EXPECT_EQ(form->pn5->text(), "");
}

// ---- city drop-down -----------------------------------------------------------------

TEST_F(CalcWindow, CitySearchFillsTheDropDownFromTheSecondCharacter) {
    open();
    type(form->edCity, "v");
    EXPECT_TRUE(form->Panel4->isHidden());
    EXPECT_GT(form->ListBox1->count(), 0) << "the list is filled while hidden";
    type(form->edCity, "iln");
    EXPECT_FALSE(form->Panel4->isHidden());
    const QStringList items = ListItems();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_TRUE(items.contains("Vilnius"));
    for (const QString& item : items) EXPECT_TRUE(item.startsWith("Viln", Qt::CaseInsensitive));
    EXPECT_EQ(form->Panel4->height(), 20 * form->ListBox1->count());

    form->edCity->setText("Vilniusx");
    EXPECT_FALSE(form->Panel4->isHidden());
    EXPECT_EQ(form->Panel4->height(), 0) << "no name: a drop-down of no height";
}

TEST_F(CalcWindow, DropDownIsSortedWithoutRegardToCase) {
    folder.write("CityBEX.dat", kx::Cp1257("[City]\r\nvilnius=K26\r\nVievis=J22\r\n"
                                           "Vilkaviškis=L14\r\nVIEKŠNIAI=D09\r\n"
                                           "Vilūnai=K20\r\nVilnoja=G26\r\n"));
    open();
    type(form->edCity, "vi");
    EXPECT_EQ(ListItems(), (QStringList{Q("VIEKŠNIAI"), "Vievis", Q("Vilkaviškis"), "vilnius",
                                        "Vilnoja", Q("Vilūnai")}));
    EXPECT_EQ(form->Panel4->height(), 6 * 20);
}

TEST_F(CalcWindow, LongListsEndAtTheWindowEdgeAndScroll) {
    open();
    form->edCity->setText("Pa");
    ASSERT_GT(form->ListBox1->count(), 100);
    const QWidget* client = form->Panel4->parentWidget();
    EXPECT_EQ(form->Panel4->geometry().bottom(), client->rect().bottom());
    EXPECT_LT(form->Panel4->height(), 20 * form->ListBox1->count());
}

TEST_F(CalcWindow, PrefixSearchIgnoresTheCaseOfEveryLetter) {
    open();
    type(form->edCity, "si");
    const QStringList lower = ListItems();
    form->edCity->setText("SI");
    EXPECT_EQ(ListItems(), lower);
    // Typed without Lithuanian letters, the names with them are found too.
    for (const QString& item : lower)
        EXPECT_TRUE(item.startsWith("Si") || item.startsWith(Q("Ši"))) << item.toStdString();
    EXPECT_TRUE(lower.contains(Q("Šiauliai")));
    form->edCity->clear();
    // š typed as a character of its own finds the names beginning with Š.
    QTest::sendKeyEvent(QTest::Click, form->edCity, Qt::Key_unknown, Q("š"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, form->edCity, Qt::Key_unknown, Q("i"), Qt::NoModifier);
    EXPECT_EQ(form->edCity->text(), Q("ši"));
    const QStringList small = ListItems();
    EXPECT_TRUE(small.contains(Q("Šiauliai")));
    form->edCity->setText(Q("ŠI"));
    EXPECT_EQ(ListItems(), small);
}

TEST_F(CalcWindow, ChoosingANameWithTheKeyboardAndLookingItUp) {
    open();
    type(form->edCity, "Nid");
    ASSERT_FALSE(form->Panel4->isHidden());
    key(form->edCity, Qt::Key_Down);
    EXPECT_EQ(form->focusWidget(), form->ListBox1);
    ASSERT_EQ(form->ListBox1->selectedItems().size(), 1);
    const QString first = form->ListBox1->item(0)->text();
    EXPECT_EQ(form->ListBox1->selectedItems().first()->text(), first);
    enter(form->ListBox1);
    EXPECT_EQ(form->edCity->text(), first);
    EXPECT_TRUE(form->Panel4->isHidden());
    EXPECT_EQ(form->focusWidget(), form->edCity);

    // Typing a new name shows the drop-down again.
    form->edCity->clear();
    type(form->edCity, "Nida");
    EXPECT_FALSE(form->Panel4->isHidden());
    EXPECT_GT(form->ListBox1->count(), 0);
    key(form->edCity, Qt::Key_Down);
    enter(form->ListBox1);
    ASSERT_EQ(form->edCity->text(), "Nida");
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "H01");
    EXPECT_EQ(form->pnBEX1->text(), "H00");
    EXPECT_FALSE(form->pnBEX1->isHidden());
    EXPECT_TRUE(form->pnBEX2->isHidden());
    EXPECT_TRUE(White(form->pnBEX0));
    EXPECT_EQ(form->pn0->text(), "KO05MH");
    EXPECT_EQ(form->focusWidget(), form->edCity);
    EXPECT_EQ(form->edCity->cursorPosition(), 4);
}

TEST_F(CalcWindow, ChoosingANameWithTheMouse) {
    open();
    type(form->edCity, "Vilni");
    const int row = static_cast<int>(ListItems().indexOf("Vilnius"));
    ASSERT_GE(row, 0);
    QListWidgetItem* item = form->ListBox1->item(row);
    form->ListBox1->scrollToItem(item);
    QTest::mouseClick(form->ListBox1->viewport(), Qt::LeftButton, {},
                      form->ListBox1->visualItemRect(item).center());
    EXPECT_EQ(form->edCity->text(), "Vilnius");
    EXPECT_TRUE(form->Panel4->isHidden());
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(form->pnBEX3->text(), "L27");
    EXPECT_EQ(Grid(), kK26Grid);
}

TEST_F(CalcWindow, PartialNameLeavesThePlacesAndPutsTheCaretAtTheEnd) {
    open();
    form->edCall->setText("LY1AB");
    form->BitBtn3->click();
    form->edCity->setText("Viln");
    form->edCity->setCursorPosition(1);
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(form->focusWidget(), form->edCity);
    EXPECT_EQ(form->edCity->cursorPosition(), 4);
    EXPECT_FALSE(form->edCity->hasSelectedText());
    EXPECT_FALSE(form->Panel4->isHidden()) << "the drop-down stays as the search left it";
}

TEST_F(CalcWindow, MissingCityTableIsReportedAndTheWindowOpens) {
    std::filesystem::remove(folder.file("CityBEX.dat"));
    open();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(fake.count(kx::MessageKind::Error), 1);
    EXPECT_TRUE(fake.lastMessageText().contains("CityBEX.dat"));
    EXPECT_EQ(fake.lastMessage()->title, "ERROR");
    EXPECT_EQ(form->windowTitle(), " BEX  SQUARES  CALCULATOR") << "the captions are set";
    EXPECT_TRUE(form->CityNames().empty());
    type(form->edCity, "Vilnius");
    EXPECT_EQ(form->ListBox1->count(), 0);
    form->BitBtn3->click();
    EXPECT_EQ(form->pnBEX0->text(), "");
    EXPECT_TRUE(fake.lastMessageText().contains("Vilnius")) << "not found";

    // The next showing reads the file again.
    close();
    fake.clear();
    folder.copyData("CityBEX.dat");
    open();
    EXPECT_EQ(fake.count(kx::MessageKind::Error), 0);
    EXPECT_FALSE(form->CityNames().empty());
}

// ---- fields clearing one another, keys ----------------------------------------------

TEST_F(CalcWindow, TypingACallSignClearsTheOtherInputsAtTheSecondKey) {
    open();
    evaluate("251700", "544100");
    form->edCity->setText("Nida");
    type(form->edCall, "L");
    EXPECT_EQ(form->edCity->text(), "Nida") << "the first key press changes nothing";
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    type(form->edCall, "Y");
    EXPECT_TRUE(form->edCity->text().isEmpty());
    EXPECT_TRUE(form->edWWL->text().isEmpty());
    EXPECT_TRUE(form->edLat->text().isEmpty());
    EXPECT_TRUE(form->edLong->text().isEmpty());
    EXPECT_TRUE(form->pnBEX0->text().isEmpty());
    EXPECT_TRUE(form->pn0->text().isEmpty());
    EXPECT_EQ(form->lbLong1->text(), Q("00°00'E"));
    EXPECT_EQ(form->lbLat3->text(), Q("00°00'N"));
    EXPECT_EQ(form->edCall->text(), "LY");
}

TEST_F(CalcWindow, TypingACityOrLocatorOrCoordinateClearsTheOthers) {
    open();
    form->edCall->setText("LY1AB");
    form->BitBtn3->click();
    type(form->edCity, "K");
    EXPECT_TRUE(form->edCall->text().isEmpty()) << "release with one character";
    EXPECT_TRUE(form->pnBEX0->text().isEmpty());

    form->edLat->setText("x");
    form->edLong->setText("y");
    type(form->edWWL, "KO");
    EXPECT_TRUE(form->edCity->text().isEmpty());
    EXPECT_TRUE(form->edLat->text().isEmpty());
    EXPECT_TRUE(form->edLong->text().isEmpty());

    form->edCall->setText("LY1AB");
    form->BitBtn3->click();
    form->edCall->setText("LY1AB");
    type(form->edLat, "5");
    EXPECT_TRUE(form->edCall->text().isEmpty());
    EXPECT_TRUE(form->edWWL->text().isEmpty());
    EXPECT_TRUE(form->pnBEX0->text().isEmpty());
}

TEST_F(CalcWindow, ArrowKeysMoveBetweenTheFields) {
    open();
    key(form->edCall, Qt::Key_Down);
    EXPECT_EQ(form->focusWidget(), form->edCity);
    key(form->edCity, Qt::Key_Down);
    EXPECT_EQ(form->focusWidget(), form->edWWL) << "no drop-down showing";
    key(form->edWWL, Qt::Key_Down);
    EXPECT_EQ(form->focusWidget(), form->edLong);
    key(form->edLong, Qt::Key_Down);
    EXPECT_EQ(form->focusWidget(), form->edLat);
    key(form->edLat, Qt::Key_Up);
    EXPECT_EQ(form->focusWidget(), form->edLong);
    key(form->edLong, Qt::Key_Up);
    EXPECT_EQ(form->focusWidget(), form->edWWL);
    key(form->edWWL, Qt::Key_Up);
    EXPECT_EQ(form->focusWidget(), form->edCity);
    key(form->edCity, Qt::Key_Up);
    EXPECT_EQ(form->focusWidget(), form->edCall);
}

TEST_F(CalcWindow, DeleteKeyEmptiesCoordinatesLocatorAndFirstPlace) {
    open();
    form->edCall->setText("LY2XY");
    form->BitBtn3->click();
    form->edCity->setText("Nida");
    form->edWWL->setText("KO24PQ");
    form->edLat->setText("x");
    form->edLong->setText("y");
    form->edCity->setFocus();
    form->edCity->setCursorPosition(0);
    key(form->edCity, Qt::Key_Delete);
    EXPECT_EQ(form->edCity->text(), "ida") << "the key still acts in its field";
    EXPECT_TRUE(form->edLat->text().isEmpty());
    EXPECT_TRUE(form->edLong->text().isEmpty());
    EXPECT_TRUE(form->edWWL->text().isEmpty());
    EXPECT_TRUE(form->pnBEX0->text().isEmpty());
    EXPECT_EQ(form->edCall->text(), "LY2XY");
    EXPECT_EQ(form->pnBEX1->text(), "J19");
    EXPECT_FALSE(form->pnBEX1->isHidden());
    EXPECT_EQ(form->pn0->text(), "KO14WX") << "the grid stays";
    EXPECT_EQ(form->focusWidget(), form->edLat);
}

TEST_F(CalcWindow, ClearButtonEmptiesEverything) {
    open();
    form->edCall->setText("LY2XY");
    form->BitBtn3->click();
    form->edCity->setText("Nida");
    form->BitBtn1->click();
    for (QLineEdit* e :
         {form->edCall, form->edCity, form->edWWL, form->edLat, form->edLong, form->pnBEX0})
        EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_TRUE(form->pnBEX1->isHidden());
    EXPECT_EQ(form->pnBEX1->text(), "J19") << "hidden places keep their texts";
    EXPECT_TRUE(form->pn7->text().isEmpty());
    EXPECT_TRUE(White(form->pnBEX0)) << "clearing changes no colour";
}

// ---- settings and languages ---------------------------------------------------------

TEST_F(CalcWindow, PlaceIsKeptBetweenShowings) {
    open();
    EXPECT_EQ(form->pos(), QPoint(200, 200));
    form->move(310, 240);
    close();
    EXPECT_EQ(Stored("WINDOWS", "X2"), "310");
    EXPECT_EQ(Stored("WINDOWS", "Y2"), "240");
    form->move(0, 0);
    open();
    EXPECT_EQ(form->pos(), QPoint(310, 240));
}

TEST_F(CalcWindow, PickedFormatIsStoredAtOnce) {
    open();
    EXPECT_TRUE(form->mFormat1->isChecked());
    form->mFormat3->trigger();
    EXPECT_EQ(Stored("SETUP", "KoordFormat"), "3");
    EXPECT_TRUE(form->mFormat3->isChecked());
    EXPECT_FALSE(form->mFormat1->isChecked());
    form->mFormat1->trigger();
    EXPECT_EQ(Stored("SETUP", "KoordFormat"), "1");
    form->mFormat1->trigger();
    EXPECT_TRUE(form->mFormat1->isChecked()) << "picking the checked item keeps it checked";
    form->mFormat2->trigger();
    form->mWest->trigger();
    EXPECT_EQ(Stored("SETUP", "WestLong"), "<none>") << "east or west is stored on closing";
    close();
    EXPECT_EQ(Stored("SETUP", "KoordFormat"), "2");
    EXPECT_EQ(Stored("SETUP", "WestLong"), "1");
}

TEST_F(CalcWindow, PickingAFormatClearsTheFields) {
    open();
    evaluate("251700", "544100");
    form->mFormat2->trigger();
    EXPECT_TRUE(form->edLat->text().isEmpty());
    EXPECT_TRUE(form->edLong->text().isEmpty());
    EXPECT_TRUE(form->edWWL->text().isEmpty());
    EXPECT_TRUE(form->pnBEX0->text().isEmpty());
}

TEST_F(CalcWindow, StoredSettingsAreRestoredWhenShown) {
    folder.write("Kvadrix.ini", "[SETUP]\r\nKoordFormat=2\r\nWestLong=2\r\n");
    open();
    EXPECT_TRUE(form->mFormat2->isChecked());
    EXPECT_FALSE(form->mFormat1->isChecked());
    EXPECT_TRUE(form->mWest->isChecked());
    EXPECT_FALSE(form->mEast->isChecked());
    close();
    EXPECT_EQ(Stored("SETUP", "WestLong"), "1");

    folder.write("Kvadrix.ini", "[SETUP]\r\nKoordFormat=7\r\nWestLong=0\r\n");
    open();
    EXPECT_FALSE(form->mFormat1->isChecked());
    EXPECT_FALSE(form->mFormat2->isChecked());
    EXPECT_FALSE(form->mFormat3->isChecked());
    EXPECT_TRUE(form->mEast->isChecked());
    close();
    EXPECT_EQ(Stored("SETUP", "KoordFormat"), "7") << "nothing written when no format is checked";
    EXPECT_EQ(Stored("SETUP", "WestLong"), "0");
}

TEST_F(CalcWindow, CaptionsFollowTheLanguage) {
    kx::Language = "LT";
    open();
    EXPECT_EQ(form->windowTitle(), Q(" BEX  KVADRATŲ  SKAIČIUOKLIS"));
    EXPECT_EQ(form->btCopy->text(), Q("Kopijuoti BEX"));
    EXPECT_EQ(form->GroupBox2->title(), Q("Šaukinys"));
    EXPECT_EQ(form->GroupBox3->title(), "Miestas");
    EXPECT_EQ(form->lbLong->text(), "Ilguma");
    EXPECT_EQ(form->lbLat->text(), "Platuma");
    EXPECT_EQ(form->MSet->title(), "Nustatymai");
    EXPECT_EQ(form->mWest->text(), Q("Vakarų ilguma"));
    EXPECT_TRUE(form->Memo1->toPlainText().startsWith("Pastaba:"));
    EXPECT_EQ(form->GroupBox4->title(), "WWL");
    close();

    kx::Language = "XX";
    open();
    EXPECT_EQ(form->windowTitle(), " BEX  SQUARES  CALCULATOR");
    EXPECT_EQ(form->btCopy->text(), "Copy BEX");
    EXPECT_EQ(form->lbLat->text(), "Latitude");
    EXPECT_EQ(form->mFormat->title(), "Coordinate Format");
    EXPECT_EQ(form->mEast->text(), "East Longitude");
    EXPECT_TRUE(form->Memo1->toPlainText().startsWith("Note:"));
}

TEST_F(CalcWindow, FieldsKeepTheirContentsBetweenShowings) {
    open();
    evaluate("251700", "544100");
    EXPECT_EQ(form->focusWidget(), form->edLat);
    close();
    open();
    EXPECT_EQ(form->pnBEX0->text(), "K26");
    EXPECT_EQ(form->edWWL->text(), "KO24PQ");
    EXPECT_EQ(Grid(), kK26Grid);
}

TEST_F(CalcWindow, EveryControlIsFoundByItsName) {
    open();
    EXPECT_EQ(form->focusWidget(), form->edLat) << "the latitude has the focus at first";
    for (const char* name :
         {"edCall",    "edCity",    "Panel4",    "ListBox1",  "edWWL",     "edLong",
          "edLat",     "lbLong",    "lbLat",     "BitBtn3",   "BitBtn1",   "Label2",
          "pnBEX0",    "pnBEX1",    "pnBEX2",    "pnBEX3",    "pn0",       "pn7",
          "lbLong1",   "lbLong4",   "lbLat1",    "lbLat4",    "btCopy",    "Memo1",
          "MainMenu1", "GroupBox1", "GroupBox2", "GroupBox3", "GroupBox4", "Panel5"}) {
        EXPECT_NE(form->findChild<QWidget*>(name), nullptr) << name;
    }
    for (const char* name : {"mFormat1", "mFormat2", "mFormat3", "mEast", "mWest"})
        EXPECT_NE(form->findChild<QAction*>(name), nullptr) << name;
    EXPECT_EQ(form->Label2->text(), "BEX");
    EXPECT_EQ(form->mFormat1->text(), Q("NN°NN'NN\""));
    EXPECT_EQ(form->edCall->maxLength(), 6);
    EXPECT_EQ(form->edWWL->maxLength(), 10);  // an extended locator, read as its first 6
    EXPECT_EQ(form->Panel4->parentWidget()->size(), QSize(483, 251));
}

// The window's picture under a plain title bar with its title and close box, as a
// window manager would frame it.
QImage Framed(QWidget* w) {
    const QPixmap body = w->grab();
    constexpr int bar = 22;
    QImage out(body.width() + 2, body.height() + bar + 1, QImage::Format_RGB32);
    out.fill(QColor(0, 84, 166));
    QPainter p(&out);
    p.drawPixmap(1, bar, body);
    p.setPen(Qt::white);
    QFont font = w->font();
    font.setBold(true);
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QRect(4, 0, out.width() - 30, bar), Qt::AlignVCenter | Qt::AlignLeft,
               w->windowTitle());
    p.drawText(QRect(out.width() - 22, 0, 20, bar), Qt::AlignCenter, QStringLiteral("\u2715"));
    return out;
}

// Writes pictures of the window after a city look-up with two codes, in both languages,
// when KX_SCREENSHOT_DIR names a folder (documentation).
TEST_F(CalcWindow, ScreenshotsOnlyWhenKX_SCREENSHOT_DIRIsSet) {
    const char* dir = std::getenv("KX_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "KX_SCREENSHOT_DIR not set";
    for (const char* language : {"EN", "LT"}) {
        kx::Language = language;
        open();
        form->BitBtn1->click();
        type(form->edCity, "Nida");
        key(form->edCity, Qt::Key_Down);
        enter(form->ListBox1);
        form->BitBtn3->click();
        ASSERT_EQ(form->pnBEX1->text(), "H00");
        QCoreApplication::processEvents();
        const QString name =
            QString::fromUtf8(dir) + (kx::IsLithuanian() ? "/calc-lt.png" : "/calc-en.png");
        EXPECT_TRUE(Framed(form.get()).save(name));
        close();
    }
}

// The log window's "BEX Calculator" button opens the calculator modally.
TEST(CalcFromLogWindow, ToolBarButtonOpensTheCalculatorModally) {
    kxtest::TempFolder folder;
    folder.makeProgramFolder();
    folder.copyData("BEXWWL.dat");
    folder.copyData("CityBEX.dat");
    kx::Language = "EN";
    kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    kx::FakeServices fake;
    fake.processEventsForReal = false;
    kx::ScopedServices use(fake);
    kx::CreateForms();
    bool shown = false, modal = false;
    QTimer::singleShot(0, [&] {
        shown = Form2->isVisible();
        modal = Form2->isModal();
        Form2->close();
    });
    Form3->btBEXCalc->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "X2", -1), 200) << "closing stored the place";
    kx::DestroyForms();
    kx::SettingsFile.Open("");
}
