// The log window never drops or overwrites a QSO that the user did not ask to delete:
// Save QSO after Save QSO, Delete QSO and New QSO, under every sort key, read back from
// "QSO.dat" byte for byte.
#include <filesystem>

#include "LogWindowFixture.h"

using kxtest::LogWindowTest;

namespace {

using Row = std::vector<std::string>;

// A row as a sort leaves it: 13 fields, every empty one a single blank.
Row Sorted(Row fields) {
    fields.resize(kx::kQSOFields);
    for (auto& f : fields)
        if (f.empty()) f = " ";
    return fields;
}

class LogKeepsQsos : public LogWindowTest {
protected:
    QRadioButton* keyButton(int i) const {
        return std::vector<QRadioButton*>{form->rbDate, form->rbCall, form->rbBand, form->rbMode,
                                          form->rbBEX}[i];
    }
    int rowOf(const std::string& call) const {
        for (int r = 1; r <= form->Log().DataRowCount(); ++r)
            if (form->Log().Field(r, kx::colCallsign) == call) return r;
        return 0;
    }
    void clickRow(int row) {
        const QModelIndex i = form->SGrid1->model()->index(row - 1, 3);
        QTest::mouseClick(form->SGrid1->viewport(), Qt::LeftButton, {},
                          form->SGrid1->visualRect(i).center());
    }
    void save(const QString& call, const QString& date, const QString& time, const QString& band,
              const QString& mode) {
        enterQso(call, date, time);
        form->cbBand->setCurrentText(band);
        form->cbMode->setCurrentText(mode);
        form->btEntry->click();
        ASSERT_TRUE(fake.messages.empty()) << lastText().toStdString();
    }
    std::string current() const {
        return cell(form->SGrid1->currentIndex().row() + 1, kx::colCallsign);
    }
    // Every line of the expected rows is in the file, and the file has no other QSO.
    void expectFileHolds(const std::vector<Row>& rows) {
        const std::string file = logFile();
        for (const auto& r : rows)
            EXPECT_NE(file.find(kxtest::LogLine(Sorted(r))), std::string::npos)
                << r[kx::colCallsign] << "\n"
                << file;
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), static_cast<long>(rows.size()) + 1)
            << file;
    }
};

const Row kA = {"2009-05-12", "12:00", "12:05", "LY1AA", "20M", "CW", "", "", "KO24OT", "K26"};
// A real QSO without a date that sorts first by call sign, band, mode and square.
const Row kUndated = {"", "", "", "LY0AA", "10M", "AM", "", "", "", "?"};

}  // namespace

TEST_F(LogKeepsQsos, SaveAfterSaveOrDeleteAddsTheNewQsoUnderEveryKey) {
    for (int key = 0; key < 5; ++key) {
        SCOPED_TRACE(key);
        form.reset();
        fake.clear();
        writeLog({kA, kUndated});
        open();
        keyButton(key)->click();

        // A QSO with an end time and a locator, dated after the one in the log.
        form->btNew->click();
        form->edTimeE->setText("10:10");
        form->edWWL->setText("KO25AA");
        save("LY2BB", "2009-05-20", "1000", "40M", "SSB");
        EXPECT_EQ(current(), "LY2BB");  // the saved QSO is the current row
        EXPECT_EQ(form->edCall->text(), "");
        // The next one typed into the cleared fields, dated between the two.
        save("LY3CC", "2009-05-15", "0900", "80M", "FM");
        EXPECT_EQ(current(), "LY3CC");
        const Row b = {"2009-05-20", "10:00", "10:10", "LY2BB", "40M", "SSB", "", "", "KO25AA"};
        const Row c = {"2009-05-15", "09:00", "", "LY3CC", "80M", "FM"};
        expectFileHolds({kA, kUndated, b, c});

        // A row selected and corrected is rewritten, not added.
        clickRow(rowOf("LY1AA"));
        form->edName->setText("JONAS");
        form->btEntry->click();
        Row a = kA;
        a[kx::colName] = "JONAS";
        expectFileHolds({a, kUndated, b, c});

        // After Delete QSO the fields are empty and the next QSO is a new one.
        clickRow(rowOf("LY2BB"));
        fake.replies = {QMessageBox::Yes};
        form->btDelQSO->click();
        fake.clear();
        EXPECT_EQ(form->edCall->text(), "");
        EXPECT_EQ(form->edTimeE->text(), "");
        save("LY4DD", "2009-05-01", "0800", "20M", "CW");
        expectFileHolds({a, kUndated, c, {"2009-05-01", "08:00", "", "LY4DD", "20M", "CW"}});
    }
}

TEST_F(LogKeepsQsos, TheSavedRowIsCopiedAgainByAClickAndASortKeepsTheCorrectedRow) {
    writeLog({kA, {"2009-05-13", "08:00", "", "LY5EE", "2M", "FM"}});
    open();
    save("LY2BB", "2009-05-20", "1000", "40M", "SSB");
    clickRow(rowOf("LY2BB"));  // already current: the click copies it
    EXPECT_EQ(form->edCall->text(), "LY2BB");
    // Sorting moves the rows under the fields; the correction still reaches its own row.
    form->rbCall->click();
    form->edRem->setText("TNX");
    form->btEntry->click();
    EXPECT_EQ(form->Log().QSOCount(), 3);
    EXPECT_EQ(cell(rowOf("LY2BB"), kx::colRemarks), "TNX");
    EXPECT_EQ(cell(rowOf("LY5EE"), kx::colRemarks), " ");
    EXPECT_EQ(cell(rowOf("LY1AA"), kx::colRemarks), " ");
}

TEST_F(LogKeepsQsos, ABadEndTimeChangesNoRow) {
    writeLog({kA});
    open();
    clickRow(1);
    form->edDate->setText("2010-01-01");
    form->edTimeE->setText("99:99");
    form->btEntry->click();
    EXPECT_EQ(lastText(), "Time format is incorrect");
    EXPECT_EQ(cell(1, kx::colDate), "2009-05-12");
    EXPECT_EQ(cell(1, kx::colSUTC), "12:00");
}
