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
        // (its square found from the locator as it is saved)
        const Row b = {"2009-05-20", "10:00", "10:10", "LY2BB",  "40M",
                       "SSB",        "",      "",      "KO25AA", "I19"};
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

TEST_F(LogKeepsQsos, ALogThatCouldNotBeLockedIsNeverWrittenAndEveryAttemptSaysSo) {
    writeLog({kA});
    const std::string before = logFile();
    form = std::make_unique<TForm3>();
    form->SetReadOnly("Resource temporarily unavailable", folder.file("QSO.lock"));
    form->show();
    ASSERT_EQ(fake.count(kx::MessageKind::Error), 1);  // told once when the window comes up
    EXPECT_TRUE(lastText().contains("read-only")) << lastText().toStdString();
    EXPECT_TRUE(lastText().contains(QString::fromStdString(folder.file("QSO.lock"))));

    fake.clear();
    enterQso("LY2BB", "2009-05-20", "1000");
    form->btEntry->click();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(lastText().contains("read-only")) << lastText().toStdString();
    EXPECT_TRUE(lastText().contains("still in this window")) << lastText().toStdString();
    fake.replies = {QMessageBox::Yes};
    form->btClearAll->click();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 2);
    EXPECT_EQ(form->Log().QSOCount(), 2);
    folder.write("in.adi", "<EOH><CALL:4>LY9Z<QSO_DATE:8>20200304<EOR>");
    fake.openFileAnswers.push_back(QString::fromStdString(folder.file("in.adi")));
    form->btImport->click();
    EXPECT_TRUE(lastText().contains("Nothing was imported")) << lastText().toStdString();
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY1AA", "LY2BB"}));
    EXPECT_EQ(logFile(), before);

    // Closing: the unsaved QSO makes the window ask; keeping it open is the default.
    fake.replies = {QMessageBox::Yes, QMessageBox::Yes};
    form->close();
    EXPECT_TRUE(form->isVisible());
    const auto* keep = fake.lastMessage();
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->kind, kx::MessageKind::Question);
    EXPECT_EQ(keep->defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(keep->text.startsWith("1 QSOs are not saved")) << keep->text.toStdString();
    // No, then No to "Close without saving?": still open. No, then Yes: closed.
    fake.replies = {QMessageBox::Yes, QMessageBox::No, QMessageBox::No};
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(fake.lastMessage()->defaultButton, QMessageBox::No);
    EXPECT_TRUE(lastText().contains("1 QSOs will be lost")) << lastText().toStdString();
    fake.replies = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(logFile(), before);
}

TEST_F(LogKeepsQsos, ClosingWithNothingToWriteNeverTrapsTheUser) {
    // The write fails (an unwritable folder); the log holds nothing the file lacks.
    writeLog({kA});
    const std::string before = logFile();
    open();
    form->rbCall->click();  // another order is still the same QSOs
    kx::WriteFaultHook = [](const std::string& temp) {
        return temp.find("QSO.dat") == std::string::npos;
    };
    fake.clear();
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(fake.messages.size(), 1u) << fake.messageTexts().join("|").toStdString();
    EXPECT_EQ(logFile(), before);

    // An empty log with no file at all.
    std::filesystem::remove(folder.file("QSO.dat"));
    open();
    fake.clear();
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(fake.messages.size(), 1u);
}

TEST_F(LogKeepsQsos, ImportRefusesRecordsWithoutADateAndSaysHowMany) {
    folder.write("in.adi",
                 "<EOH><CALL:4>LY1A<QSO_DATE:10>2020-03-04<TIME_ON:4>1200<EOR>"
                 "<CALL:4>LY2A<TIME_ON:4>1200<EOR><CALL:4>LY3A<QSO_DATE:3>bad<EOR>"
                 "<CALL:4>LY4A<QSO_DATE:8>20201340<EOR>");
    open();
    fake.openFileAnswers.push_back(QString::fromStdString(folder.file("in.adi")));
    form->btImport->click();
    EXPECT_EQ(calls(), std::vector<std::string>{"LY1A"});
    EXPECT_EQ(lastText(),
              "LY QSOs in this file: 4 (records: 4).\nImported: 1. Already in the "
              "log: 0.\nRecords not imported because they have no QSO date: 2.\n"
              "Records not imported because their QSO date or start time does not "
              "exist (such as 2020-13-40 or 25:61): 1.\n"
              "Imported QSOs without a BEX square: 1.");
    EXPECT_EQ(fake.count(kx::MessageKind::Information), 1);
    EXPECT_EQ(logFile(),
              kxtest::kEnglishHeader + kxtest::LogLine({"2020-03-04", "12:00", "", "LY1A"}));
}

TEST_F(LogKeepsQsos, ALinkedLogIsWrittenWhereItLives) {
    std::filesystem::create_directory(folder.file("synced"));
    folder.write("synced/QSO.dat", kxtest::kEnglishHeader + kxtest::LogLine(kA));
    std::filesystem::create_symlink(folder.file("synced/QSO.dat"), folder.file("QSO.dat"));
    open();
    save("LY2BB", "2009-05-20", "1000", "40M", "SSB");
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("QSO.dat")));
    EXPECT_EQ(folder.read("synced/QSO.dat"),
              kxtest::kEnglishHeader + kxtest::LogLine(Sorted(kA)) +
                  kxtest::LogLine(Sorted({"2009-05-20", "10:00", "", "LY2BB", "40M", "SSB"})));
}
