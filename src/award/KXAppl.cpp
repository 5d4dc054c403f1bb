#include "award/KXAppl.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Forms.h"
#include "award/Application.h"
#include "log/QSOLog.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/qt/DocPrint.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/RtfApplication.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"
#include "platform/qt/WindowPlace.h"

namespace {

using kx::FromCp;

// The window's number among the windows whose places the settings keep.
constexpr int kPlaceNumber = 4;
constexpr int kMinWidth = 600;
constexpr int kMinHeight = 500;
constexpr int kRightWidth = 102;  // the column of the class, band and mode groups

using kx::Tr;

// A file name from a dialog as the path bytes the file system knows it by.

using kx::Group;
using kx::Radio;
using kx::ThemeIcon;
using kx::ToolButton;

}  // namespace

kx::BandModeButtons kx::AddBandModeGroups(QWidget* parent, QVBoxLayout* column,
                                          const QFont& captionFont) {
    BandModeButtons b{};
    b.gbBands = Group(parent, "gbBands", captionFont);
    b.rbHFVHF = Radio(b.gbBands, "rbHFVHF", QStringLiteral("HF/VHF"));
    b.rbHF = Radio(b.gbBands, "rbHF", QStringLiteral("HF"));
    b.rbVHF = Radio(b.gbBands, "rbVHF", QStringLiteral("VHF"));
    b.rbHFVHF->setChecked(true);
    column->addWidget(b.gbBands);

    b.gbModes = Group(parent, "gbModes", captionFont);
    b.rbAll = Radio(b.gbModes, "rbAll", QStringLiteral("All"));
    b.rbCW = Radio(b.gbModes, "rbCW", QStringLiteral("CW"));
    b.rbSSB = Radio(b.gbModes, "rbSSB", QStringLiteral("SSB"));
    b.rbPH = Radio(b.gbModes, "rbPH", QStringLiteral("PHONE"));
    b.rbDigi = Radio(b.gbModes, "rbDigi", QStringLiteral("DIGITAL"));
    b.rbAll->setChecked(true);
    column->addWidget(b.gbModes);

    // Navy captions; the buttons keep the normal colour.
    for (QGroupBox* gb : {b.gbBands, b.gbModes}) {
        const QPalette normal = gb->palette();
        QPalette navy = normal;
        navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
        gb->setPalette(navy);
        for (QRadioButton* rb : gb->findChildren<QRadioButton*>()) rb->setPalette(normal);
    }
    return b;
}

kx::AwardFilter kx::BandModeButtons::Chosen() const {
    AwardFilter filter;
    filter.band = rbHF->isChecked()    ? BandGroup::HF
                  : rbVHF->isChecked() ? BandGroup::VHF
                                       : BandGroup::All;
    filter.mode = rbCW->isChecked()     ? ModeGroup::CW
                  : rbSSB->isChecked()  ? ModeGroup::SSB
                  : rbPH->isChecked()   ? ModeGroup::Phone
                  : rbDigi->isChecked() ? ModeGroup::Digital
                                        : ModeGroup::All;
    return filter;
}

void kx::SetBandModeTexts(const BandModeButtons& b, int columnWidth) {
    b.gbBands->setTitle(Tr("Bands", "Bangos"));
    b.gbModes->setTitle(Tr("Modes", "Modos"));
    b.rbHF->setText(Tr("HF", "TB"));
    b.rbVHF->setText(Tr("VHF", "UTB"));
    b.rbHFVHF->setText(Tr("HF/VHF", "TB/UTB"));
    b.rbAll->setText(Tr("All", "Visos"));
    b.rbPH->setText(Tr("PHONE", "Telefonija"));
    b.rbDigi->setText(Tr("DIGITAL", "Skaitmeninės"));
    // The column of the groups widens to its longest caption.
    QWidget* column = b.gbModes->parentWidget();
    const int width = std::max(columnWidth, column->sizeHint().width());
    if (width == column->width()) return;
    column->setFixedWidth(width);
    // The window lays itself out at once, not at its next event: what it shows next (a
    // map cell under the pointer) is placed in the new layout.
    if (QLayout* layout = column->window()->layout()) layout->activate();
}

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm4"));
    setSizeGripEnabled(true);
    setMinimumSize(kMinWidth, kMinHeight);
    setWindowTitle(QStringLiteral(" BEX  AWARD  APPLICATION"));

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    // ---- tool bar ----
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(30);
    ToolBar1->setIconSize(QSize(16, 16));
    btPrev = ToolButton(ToolBar1, "btPrev",
                        ThemeIcon("document-print-preview", QStyle::SP_FileDialogContentsView));
    btPrev->setCheckable(true);
    btSave =
        ToolButton(ToolBar1, "btSave", ThemeIcon("document-save", QStyle::SP_DialogSaveButton));
    btSavePdf =
        ToolButton(ToolBar1, "btSavePdf", ThemeIcon("application-pdf", QStyle::SP_FileIcon));
    btPrint = ToolButton(ToolBar1, "btPrint", ThemeIcon("document-print", QStyle::SP_ComputerIcon));
    btPrint->setEnabled(false);
    ToolBar1->addSeparator();
    btClose =
        ToolButton(ToolBar1, "btClose", ThemeIcon("window-close", QStyle::SP_DialogCloseButton));
    main->addWidget(ToolBar1);

    // ---- centre and right panel ----
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    main->addLayout(middle, 1);

    auto* centre = new QWidget(this);
    centre->setObjectName(QStringLiteral("pnCentre"));
    auto* centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(7, 7, 7, 7);
    middle->addWidget(centre, 1);

    SGrid2 = new QTableWidget(centre);
    SGrid2->setObjectName(QStringLiteral("SGrid2"));
    SGrid2->setColumnCount(kx::kListColumns);
    SGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGrid2->setFocusPolicy(Qt::NoFocus);
    SGrid2->setSelectionMode(QAbstractItemView::NoSelection);
    SGrid2->setShowGrid(false);
    SGrid2->verticalHeader()->hide();
    SGrid2->verticalHeader()->setMinimumSectionSize(15);
    SGrid2->verticalHeader()->setDefaultSectionSize(15);
    SGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGrid2->horizontalHeader()->setHighlightSections(false);
    SGrid2->horizontalHeader()->setSectionsClickable(false);
    SGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    centreLayout->addWidget(SGrid2);

    rePrev = new QTextEdit(centre);
    rePrev->setObjectName(QStringLiteral("rePrev"));
    rePrev->setReadOnly(true);
    rePrev->setLineWrapMode(QTextEdit::NoWrap);
    rePrev->setAcceptRichText(true);
    rePrev->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rePrev->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    rePrev->hide();
    centreLayout->addWidget(rePrev);

    lbCount = new QLabel(centre);
    lbCount->setObjectName(QStringLiteral("lbCount"));
    centreLayout->addWidget(lbCount);

    pnRight = new QWidget(this);
    pnRight->setObjectName(QStringLiteral("pnRight"));
    pnRight->setFixedWidth(kRightWidth);
    auto* right = new QVBoxLayout(pnRight);
    right->setContentsMargins(0, 7, 7, 7);
    right->setSpacing(6);
    middle->addWidget(pnRight);

    QFont bold(QStringLiteral("Tahoma"));
    bold.setPointSize(8);
    bold.setBold(true);
    // The weight is set explicitly: a font that leaves it open inherits the bold of the
    // group box it sits in.
    QFont regular(QStringLiteral("Tahoma"));
    regular.setPointSize(8);
    regular.setBold(false);

    gbClass = Group(pnRight, "gbClass", bold);
    rbBEX = Radio(gbClass, "rbBEX", QStringLiteral("BEX"));
    rb100 = Radio(gbClass, "rb100", QStringLiteral("BEX 100"));
    rb200 = Radio(gbClass, "rb200", QStringLiteral("BEX 200"));
    rb300 = Radio(gbClass, "rb300", QStringLiteral("BEX 300"));
    rbTrophy = Radio(gbClass, "rbTrophy", QStringLiteral("Trophy"));
    rbBEX->setChecked(true);
    right->addWidget(gbClass);

    static_cast<kx::BandModeButtons&>(*this) = kx::AddBandModeGroups(pnRight, right, bold);
    right->addStretch(1);

    // ---- applicant panel ----
    pnBottom = new QWidget(this);
    pnBottom->setObjectName(QStringLiteral("pnBottom"));
    pnBottom->setFixedHeight(84);
    auto* bottom = new QVBoxLayout(pnBottom);
    bottom->setContentsMargins(7, 0, 7, 7);
    main->addWidget(pnBottom);

    gbApplic = new QGroupBox(pnBottom);
    gbApplic->setObjectName(QStringLiteral("gbApplic"));
    gbApplic->setFont(bold);
    bottom->addWidget(gbApplic);
    auto* grid = new QGridLayout(gbApplic);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    auto edit = [&](QLineEdit*& ed, QLabel*& lb, const char* edName, const char* lbName, int width,
                    int row, int col) {
        lb = new QLabel(gbApplic);
        lb->setObjectName(QString::fromLatin1(lbName));
        lb->setFont(regular);
        lb->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ed = new QLineEdit(gbApplic);
        ed->setObjectName(QString::fromLatin1(edName));
        ed->setFont(regular);
        ed->setFixedWidth(width);
        lb->setBuddy(ed);
        kx::HoldCp1257Text(ed);  // the applicant texts are stored as Windows-1257 bytes
        grid->addWidget(lb, row, col);
        grid->addWidget(ed, row, col + 1);
    };
    edit(edName, lbName, "edName", "lbName", 217, 0, 0);
    edit(edAddr, lbAddr, "edAddr", "lbAddr", 217, 1, 0);
    edit(edCall, lbCall, "edCall", "lbCall", 121, 0, 2);
    edit(edEaddr, lbEaddr, "edEaddr", "lbEaddr", 121, 1, 2);
    grid->setColumnStretch(4, 1);
    // Tab goes along the rows as the fields stand: Name, Callsign, Address, E-mail.
    setTabOrder(edName, edCall);
    setTabOrder(edCall, edAddr);
    setTabOrder(edAddr, edEaddr);

    // ---- events ----
    for (QRadioButton* rb : {rbHFVHF, rbHF, rbVHF, rbAll, rbCW, rbSSB, rbPH, rbDigi}) {
        connect(rb, &QRadioButton::clicked, this, kx::Guarded(this, &TForm4::ApplyClick));
    }
    for (QRadioButton* rb : {rbBEX, rb100, rb200, rb300, rbTrophy})
        connect(rb, &QRadioButton::toggled, this, kx::Guarded(this, &TForm4::ShowCount));
    connect(btPrev, &QToolButton::clicked, this, kx::Guarded(this, &TForm4::btPrevClick));
    connect(btSave, &QToolButton::clicked, this, kx::Guarded(this, &TForm4::btSaveClick));
    connect(btSavePdf, &QToolButton::clicked, this, kx::Guarded(this, &TForm4::btSavePdfClick));
    connect(btPrint, &QToolButton::clicked, this, kx::Guarded(this, &TForm4::btPrintClick));
    connect(btClose, &QToolButton::clicked, this, kx::Guarded(this, &TForm4::btCloseClick));

    SetTexts();
}

const kx::QSOLog* TForm4::CurrentLog() const {
    if (log_) return log_;
    return Form3 ? &Form3->Log() : nullptr;
}

int TForm4::Execute(const kx::QSOLog& log) {
    SetLog(&log);
    return exec();
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) kx::Guard([this] { FormShow(); });
}

void TForm4::done(int result) {
    if (isVisible()) kx::Guard([this] { FormClose(); });
    QDialog::done(result);
}

void TForm4::SetTexts() {
    setWindowTitle(Tr(" BEX  AWARD  APPLICATION", " PARAIŠKA  BEX  DIPLOMUI"));
    btClose->setText(Tr("Close", "Uždaryti"));
    btPrev->setText(Tr("Preview", "Peržiūra"));
    btPrint->setText(Tr("Print", "Spausdinti"));
    btSave->setText(Tr("Save to File...", "Išsaugoti faile..."));
    btSavePdf->setText(Tr("Save as PDF...", "Išsaugoti kaip PDF..."));
    gbClass->setTitle(Tr("BEX Class", "BEX klasė"));
    rbTrophy->setText(kx::Text(kx::Msg::AwardTrophy));
    kx::SetBandModeTexts(*this, kRightWidth);
    gbApplic->setTitle(Tr("Applicant", "Pareiškėjas"));
    lbCall->setText(Tr("Callsign", "Šaukinys"));
    lbAddr->setText(Tr("Address", "Adresas"));
    lbName->setText(Tr("Name", "Vardas Pavardė"));
    lbEaddr->setText(Tr("E-mail", "E-adresas"));
    HeaderText = FromCp(kx::HeaderText(kx::Language));
    TemplateName = kx::IsLithuanian() ? QStringLiteral("BEXApplicationLT.rtf")
                                      : QStringLiteral("BEXApplication.rtf");
}

void TForm4::FormShow() {
    const kx::IniFile& ini = kx::SettingsFile;
    kx::RestoreWindowPlace(this, kPlaceNumber, {100, 100}, {345, 277});

    const kx::settings::Applicant applicant = kx::settings::ReadApplicant(ini);
    edName->setText(FromCp(applicant.name));
    edCall->setText(FromCp(applicant.call));
    edAddr->setText(FromCp(applicant.address));
    edEaddr->setText(FromCp(applicant.email));

    SetTexts();
    // Every showing lists all bands and all modes; the band and mode buttons are set back
    // to match, so that the grid, the title and the words of the document agree.
    rbHFVHF->setChecked(true);
    rbAll->setChecked(true);
    Filter = kx::AwardFilter{};
    ListOfBEX(Filter);
    // A preview left open at the last closing shows the document of the list and words
    // chosen now, never the earlier one.
    if (btPrev->isChecked()) CreateApplication();
}

void TForm4::FormClose() {
    kx::SaveWindowPlace(this, kPlaceNumber, true);
    kx::settings::WriteApplicant(
        kx::SettingsFile, {kx::ToCpChecked(edName->text()), kx::ToCpChecked(edCall->text()),
                           kx::ToCpChecked(edAddr->text()), kx::ToCpChecked(edEaddr->text())});
}

void TForm4::ListOfBEX(const kx::AwardFilter& filter) {
    SGrid2->clearContents();
    QStringList heading;
    for (const std::string& cell : kx::HeaderCells(kx::Language)) heading << FromCp(cell);
    SGrid2->setHorizontalHeaderLabels(heading);

    const kx::QSOLog* log = CurrentLog();
    list_ = log ? kx::MakeAwardList(*log, filter) : kx::AwardList();
    const std::vector<kx::ListEntry> rows = list_.GridRows();
    SGrid2->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < kx::kListColumns; ++c) {
            auto* item = new QTableWidgetItem(FromCp(rows[r][c]));
            item->setFlags(Qt::ItemIsEnabled);
            if (c == kx::lcSquare) item->setTextAlignment(Qt::AlignCenter);
            SGrid2->setItem(r, c, item);
        }
    }
    SGrid2->resizeColumnsToContents();
    ShowCount();
}

void TForm4::ShowCount() {
    const int count = list_.Count();
    const int needed = kx::fClassThreshold(AwardClass());
    const bool short_ = count < needed;
    QString text = kx::Text(kx::Msg::ApplicationCount).arg(count);
    if (short_) {
        const QRadioButton* chosen = rb100->isChecked()   ? rb100
                                     : rb200->isChecked() ? rb200
                                                          : rb300;
        text = kx::Text(kx::Msg::ApplicationCountShort).arg(count).arg(chosen->text()).arg(needed);
    }
    lbCount->setText(text);
    QPalette palette = lbCount->palette();
    palette.setColor(QPalette::WindowText,
                     short_ ? QColor(192, 0, 0) : this->palette().color(QPalette::WindowText));
    lbCount->setPalette(palette);
}

void TForm4::ApplyClick() {
    Filter = Chosen();
    ListOfBEX(Filter);
    setWindowTitle(FromCp(kx::fApplicationTitle(Filter, kx::ProgramLang())));
}

int TForm4::AwardClass() const {
    if (rb100->isChecked()) return kx::ac100;
    if (rb200->isChecked()) return kx::ac200;
    if (rb300->isChecked()) return kx::ac300;
    if (rbTrophy->isChecked()) return kx::acTrophy;
    return kx::acBasic;
}

void TForm4::BuildDocument(QTextDocument* doc, bool preview) {
    kx::ApplicationData data;
    data.awardClass = AwardClass();
    data.filter = Chosen();
    data.name = kx::ToCpChecked(edName->text());
    data.call = kx::ToCpChecked(edCall->text());
    data.address = kx::ToCpChecked(edAddr->text());
    data.email = kx::ToCpChecked(edEaddr->text());
    data.version = kx::VersionText;
    data.count = list_.Count();
    data.date = kx::DocumentLineBytes(kx::TodayIsoText());
    data.lang = kx::ProgramLang();  // that of TemplateName

    kx::BuildApplicationDocument(doc, kx::FilePath(kx::ToCpChecked(TemplateName)), data,
                                 list_.GridRows(),
                                 preview ? kx::ListVariant::Preview : kx::ListVariant::Save);
}

void TForm4::CreateApplication() {
    rePrev->clear();
    BuildDocument(rePrev->document(), true);
}

void TForm4::btPrevClick() {
    const bool down = btPrev->isChecked();
    rePrev->setVisible(down);
    SGrid2->setVisible(!down);
    gbClass->setEnabled(!down);
    gbBands->setEnabled(!down);
    gbModes->setEnabled(!down);
    btPrint->setEnabled(down);
    if (down) CreateApplication();
}

void TForm4::btPrintClick() {
    // On the current printer, without a dialog and with an empty job title. Without a
    // printer an error message says so and nothing else happens.
    try {
        kx::Svc().PrintDocument(*rePrev->document(), QString());
    } catch (const kx::NoPrinterError& e) {
        kx::ShowError(this, kx::ExceptionText(e));
    }
}

void TForm4::btSaveClick() {
    kx::FileDialogRequest dialog;
    dialog.filter = kx::Text(kx::Msg::FilterRtf);
    dialog.folder = kx::DocumentsFolder();
    dialog.defaultSuffix = QStringLiteral("rtf");
    QString name = kx::Svc().SaveFileName(this, dialog);
    if (name.isEmpty()) return;  // cancelled: nothing is saved, the view stays as it was
    // A name typed without an extension means an RTF file.
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".rtf");
    const std::string path = kx::PathBytes(name);

    rePrev->clear();
    BuildDocument(rePrev->document(), false);
    kx::SaveRtfFile(*rePrev->document(), path);
    kx::ProcessEvents();
    CreateApplication();
}

void TForm4::btSavePdfClick() {
    kx::FileDialogRequest dialog;
    dialog.filter = kx::Text(kx::Msg::FilterPdf);
    dialog.folder = kx::DocumentsFolder();
    dialog.defaultSuffix = QStringLiteral("pdf");
    QString name = kx::Svc().SaveFileName(this, dialog);
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pdf");
    const std::string path = kx::PathBytes(name);
    // The preview variant, page headers included, built apart from the view.
    QTextDocument doc;
    BuildDocument(&doc, true);
    kx::PrintToPdf(doc, path);
}

void TForm4::btCloseClick() {
    close();
}
