#include "app/KXStart.h"

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

#include "app/App.h"
#include "app/Forms.h"
#include "app/ProgramInfo.h"
#include "platform/Cp1257.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"
#include "platform/qt/WindowPlace.h"

namespace {

QFont TahomaFont(int pixelSize) {
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    if (pixelSize > 0) font.setPixelSize(pixelSize);
    return font;
}

// A label keeps its left and top edge and takes the size of its text.
void SetCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

}  // namespace

TForm0::TForm0(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm0"));
    // The title names the program, so that task bars and window lists show it.
    setWindowTitle(QStringLiteral("Kvadrix"));
    setFixedSize(482, 354);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 1, 377, 57);
    Image1->setPixmap(QPixmap(QStringLiteral(":/kvadrix/banner.png")));

    lbFreeware = new QLabel(this);
    lbFreeware->setObjectName(QStringLiteral("lbFreeware"));
    lbFreeware->move(392, 16);
    lbFreeware->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbFreeware->setFont(TahomaFont(9));

    lbVersion = new QLabel(this);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    lbVersion->move(166, 57);
    lbVersion->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbVersion->setFont(TahomaFont(0));

    RzURLLabel1 = new QLabel(this);
    RzURLLabel1->setObjectName(QStringLiteral("RzURLLabel1"));
    RzURLLabel1->move(184, 72);
    RzURLLabel1->setTextFormat(Qt::RichText);
    RzURLLabel1->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    RzURLLabel1->setOpenExternalLinks(false);
    RzURLLabel1->setCursor(Qt::PointingHandCursor);
    SetCaption(RzURLLabel1,
               QStringLiteral("<a href=\"%1\">%2</a>")
                   .arg(QString::fromUtf8(kx::kHomePageUrl), QString::fromUtf8(kx::kHomePageText)));
    connect(RzURLLabel1, &QLabel::linkActivated, this,
            kx::Guarded(this, &TForm0::RzURLLabel1Click));

    reInfo = new QTextEdit(this);
    reInfo->setObjectName(QStringLiteral("reInfo"));
    reInfo->setGeometry(8, 88, 465, 230);
    reInfo->setFrameShape(QFrame::NoFrame);
    reInfo->setTabChangesFocus(true);
    {
        QPalette pal = reInfo->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        reInfo->setPalette(pal);
    }

    pnMillenium = new QFrame(this);
    pnMillenium->setObjectName(QStringLiteral("pnMillenium"));
    pnMillenium->setGeometry(88, 232, 305, 81);
    pnMillenium->setFrameShape(QFrame::Panel);
    pnMillenium->setFrameShadow(QFrame::Raised);
    pnMillenium->setLineWidth(1);
    pnMillenium->setAutoFillBackground(true);
    pnMillenium->setFocusPolicy(Qt::TabFocus);
    {
        QPalette pal = pnMillenium->palette();
        pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
        pnMillenium->setPalette(pal);
    }
    Image2 = new QLabel(pnMillenium);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(1, 0, 65, 81);
    Image2->setPixmap(QPixmap(QStringLiteral(":/kvadrix/millennium.png")));
    QFont script;
    script.setFamilies({QStringLiteral("Monotype Corsiva"), QStringLiteral("URW Chancery L"),
                        QStringLiteral("Z003"), QStringLiteral("DejaVu Serif")});
    script.setStyleHint(QFont::Cursive);
    script.setItalic(true);
    script.setPixelSize(19);
    lbMill1 = new QLabel(pnMillenium);
    lbMill1->setObjectName(QStringLiteral("lbMill1"));
    lbMill2 = new QLabel(pnMillenium);
    lbMill2->setObjectName(QStringLiteral("lbMill2"));
    for (QLabel* label : {lbMill1, lbMill2}) {
        label->setFont(script);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));  // maroon
        label->setPalette(pal);
    }
    lbMill1->move(74, 14);
    lbMill2->move(74, 42);

    auto makeFlag = [this](const char* name, const char* picture, int left) {
        auto* bt = new QToolButton(this);
        bt->setObjectName(QString::fromLatin1(name));
        bt->setGeometry(left, 327, 27, 18);
        bt->setIcon(QIcon(QString::fromLatin1(picture)));
        bt->setIconSize(QSize(23, 14));
        bt->setCheckable(true);
        bt->setAutoRaise(true);
        // Tab reaches the flags, so the language can be chosen without a mouse.
        bt->setFocusPolicy(Qt::TabFocus);
        kx::ShowFocusFrame(bt);
        return bt;
    };
    btLT = makeFlag("btLT", ":/kvadrix/flag_lt.png", 10);
    btEN = makeFlag("btEN", ":/kvadrix/flag_en.png", 37);
    btLT->setToolTip(QStringLiteral("Lietuviškai"));
    btEN->setToolTip(QStringLiteral("English"));
    btEN->setChecked(true);  // the designed state
    connect(btEN, &QToolButton::clicked, this, kx::Guarded(this, &TForm0::btENClick));
    connect(btLT, &QToolButton::clicked, this, kx::Guarded(this, &TForm0::btLTClick));

    auto makeButton = [this](const char* name, int left) {
        auto* bt = new QPushButton(this);
        bt->setObjectName(QString::fromLatin1(name));
        bt->setGeometry(left, 323, 105, 26);
        bt->setAutoDefault(false);
        return bt;
    };
    btAbtLY = makeButton("btAbtLY", 79);
    btAbtBEX = makeButton("btAbtBEX", 189);
    btCont = makeButton("btCont", 299);
    connect(btAbtLY, &QPushButton::clicked, this, kx::Guarded(this, &TForm0::btAbtLYClick));
    connect(btAbtBEX, &QPushButton::clicked, this, kx::Guarded(this, &TForm0::btAbtBEXClick));
    connect(btCont, &QPushButton::clicked, this, kx::Guarded(this, &TForm0::btContClick));

    setTabOrder(btLT, btEN);
    setTabOrder(btEN, btAbtLY);
    setTabOrder(btAbtLY, btAbtBEX);
    setTabOrder(btAbtBEX, btCont);
    setTabOrder(btCont, reInfo);
    setTabOrder(reInfo, pnMillenium);

    // The designed texts, English; the window keeps them when start-up cannot finish.
    SetCaption(lbMill1, QStringLiteral("In 2009 Lithuania is celebrating"));
    SetCaption(lbMill2, QStringLiteral("the  millennium of  its  name..."));
    SetCaption(lbFreeware, QStringLiteral("Free software\r\n(GPL) for\r\nAmateur Radio"));
    SetCaption(lbVersion,
               QStringLiteral("Version ") + kx::Text(kx::Msg::AuthorCredit, kx::Lang::English));
    btAbtLY->setText(QStringLiteral("About Lithuania"));
    btAbtBEX->setText(QStringLiteral("About BEX"));
    btCont->setText(QStringLiteral("Continue"));
}

void TForm0::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) kx::CentreWindow(this);
    QWidget::showEvent(event);
    if (!event->spontaneous()) kx::Guard([this] { FormShow(); });
}

void TForm0::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

void TForm0::FormShow() {
    pnMillenium->setVisible(kx::Svc().Today().year() == 2009);

    kx::DecidePaths();
    kx::SettingsFile.Open(kx::FilePath(kx::settings::kFileName));

    const std::optional<QString> version = kx::Svc().FileVersion();
    const std::string versionString =
        version ? kx::ToCp(*version).value_or(kx::kNoVersion) : std::string(kx::kNoVersion);
    kx::VersionText = versionString;

    kx::SettingsFile.WriteString(kx::settings::kProgramSection, kx::settings::kVersionKey,
                                 "Kvadrix v. " + versionString);

    // No language chosen yet: that of the user's environment.
    kx::Language = kx::settings::ReadLanguage(kx::SettingsFile, kx::DefaultLanguage());
    btEN->setChecked(kx::Language == "EN");
    btLT->setChecked(kx::Language == "LT");

    kx::VersionText = versionString.substr(0, 3);

    SetLang(kx::Language);
    btCont->setFocus();
}

void TForm0::SetLang(const std::string& language) {
    kx::settings::WriteLanguage(kx::SettingsFile, language);
    kx::ApplyQtLanguage();
    const bool lt = language == "LT";
    const QString version = kx::FromCp(kx::VersionText);
    const QString credit = kx::Text(kx::Msg::AuthorCredit);
    Image1->setPixmap(QPixmap(lt ? QStringLiteral(":/kvadrix/banner_lt.png")
                                 : QStringLiteral(":/kvadrix/banner.png")));
    if (lt) {
        SetCaption(lbMill1, QStringLiteral("2009 metais Lietuva švenčia"));
        SetCaption(lbMill2, QStringLiteral("savo vardo tūkstantmetį..."));
        SetCaption(lbFreeware, QStringLiteral("Laisvoji\r\nprograma (GPL)\r\nradijo mėgėjams"));
        SetCaption(lbVersion, QStringLiteral("Versija ") + version + credit);
    } else {
        SetCaption(lbMill1, QStringLiteral("In 2009 Lithuania is celebrating"));
        SetCaption(lbMill2, QStringLiteral("the  millennium of  its  name..."));
        SetCaption(lbFreeware, QStringLiteral("Free software\r\n(GPL) for\r\nAmateur Radio"));
        SetCaption(lbVersion, QStringLiteral("Version ") + version + credit);
    }
    kx::LoadRtfFile(reInfo->document(), kx::FilePath(lt ? "KXInfoLT.dat" : "KXInfo.dat"));
    if (lt) {
        btAbtLY->hide();
        btAbtBEX->setText(QStringLiteral("Apie BEX"));
        btCont->setText(QStringLiteral("Tęsti"));
    } else {
        btAbtLY->setText(QStringLiteral("About Lithuania"));
        btAbtLY->show();
        btAbtBEX->setText(QStringLiteral("About BEX"));
        btCont->setText(QStringLiteral("Continue"));
    }
}

void TForm0::LanguageButtonPressed(QToolButton* pressed) {
    QToolButton* other = pressed == btEN ? btLT : btEN;
    if (pressed->isChecked()) other->setChecked(false);
}

void TForm0::btENClick() {
    LanguageButtonPressed(btEN);
    kx::Language = btEN->isChecked() ? "EN" : "LT";
    SetLang(kx::Language);
}

void TForm0::btLTClick() {
    LanguageButtonPressed(btLT);
    kx::Language = btLT->isChecked() ? "LT" : "EN";
    SetLang(kx::Language);
}

void TForm0::btAbtLYClick() {
    OpenPage(QString::fromUtf8(kx::kLithuaniaUrl));
}

void TForm0::btAbtBEXClick() {
    const char* page = kx::IsLithuanian() ? "ApieBEX.htm" : "AboutBEX.htm";
    OpenPage(kx::PathText(kx::FilePath(page)));
}

void TForm0::OpenPage(const QString& fileOrUrl) {
    // Without a browser (or one that refuses) the user learns where the page is.
    if (!kx::Svc().OpenDocument(fileOrUrl))
        kx::ShowError(this, kx::Text(kx::Msg::PageNotOpened).arg(fileOrUrl));
}

void TForm0::btContClick() {
    if (Form3) Form3->show();
    hide();
}

void TForm0::RzURLLabel1Click() {
    OpenPage(QString::fromUtf8(kx::kHomePageUrl));
}
