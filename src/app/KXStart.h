// TForm0: the start window and the program's main window. Its first showing sets the
// program-wide values (program folder, version text, language) and opens the settings
// file; it shows the info text in the chosen language, switches the language, opens the
// two about pages and hands over to the log window. Closing it ends the program.
#pragma once

#include <QWidget>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class QToolButton;

class TForm0 : public QWidget {
    Q_OBJECT

public:
    explicit TForm0(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* lbFreeware;
    QLabel* lbVersion;
    QLabel* RzURLLabel1;
    QTextEdit* reInfo;
    QFrame* pnMillenium;
    QLabel* Image2;
    QLabel* lbMill1;
    QLabel* lbMill2;
    QToolButton* btLT;
    QToolButton* btEN;
    QPushButton* btAbtLY;
    QPushButton* btAbtBEX;
    QPushButton* btCont;

    // The start-up steps; runs on every showing (in practice once).
    void FormShow();
    // Stores language in the settings file and sets every text of the window for it.
    void SetLang(const std::string& language);

    void btENClick();
    void btLTClick();
    void btAbtLYClick();
    void btAbtBEXClick();
    // Opens a page or file in the desktop's browser; says so when none opens it.
    void OpenPage(const QString& fileOrUrl);
    void btContClick();
    void RzURLLabel1Click();

signals:
    // The start window was closed: the program ends.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Of the two language buttons at most one is down: pressing one that comes down
    // raises the other; pressing the one that is down raises it, leaving both up.
    void LanguageButtonPressed(QToolButton* pressed);
};
