// Writes a sample document with every feature the writer knows into KX_RTF_SAMPLE_DIR
// when it names a folder, to open in a word processor (LibreOffice: soffice --headless
// --convert-to pdf sample.rtf).
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdlib>

#include "RtfTestSupport.h"

TEST(RtfWrittenSample, OnlyWhenKX_RTF_SAMPLE_DIRIsSet) {
    const char* dir = std::getenv("KX_RTF_SAMPLE_DIR");
    if (!dir) GTEST_SKIP() << "KX_RTF_SAMPLE_DIR not set";
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    centre.setBottomMargin(8);
    c.setBlockFormat(centre);
    QTextCharFormat title;
    title.setFontFamilies({"Arial"});
    title.setFontPointSize(16);
    title.setFontWeight(QFont::Bold);
    title.setForeground(QColor(0, 0, 128));
    c.insertText(QString::fromUtf8("Paraiška — ąčęėįšųūž ĄČĘĖĮŠŲŪŽ"), title);

    QTextCharFormat body;
    body.setFontFamilies({"Times New Roman"});
    body.setFontPointSize(12);
    c.insertBlock(QTextBlockFormat(), body);
    auto run = [&](const char* text, auto&& setup) {
        QTextCharFormat f = body;
        setup(f);
        c.insertText(QString::fromUtf8(text), f);
    };
    run("plain, ", [](QTextCharFormat&) {});
    run("bold, ", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    run("italic, ", [](QTextCharFormat& f) { f.setFontItalic(true); });
    run("underlined, ", [](QTextCharFormat& f) { f.setFontUnderline(true); });
    run("struck, ", [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    run("red on yellow, ", [](QTextCharFormat& f) {
        f.setForeground(QColor(200, 0, 0));
        f.setBackground(QColor(255, 255, 0));
    });
    run("x", [](QTextCharFormat&) {});
    run("2", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    run(", Жук Ωμέγα 😀", [](QTextCharFormat&) {});

    QTextBlockFormat indented;
    indented.setLeftMargin(40);
    indented.setTextIndent(-20);
    indented.setAlignment(Qt::AlignJustify);
    c.insertBlock(indented, body);
    c.insertText(QString::fromUtf8("Indented and justified paragraph: Lietuvos teritoriją dengia "
                                   "kvadratų tinklelis, kiekvienas kvadratas yra 10' platumos ir "
                                   "10' ilgumos."),
                 body);

    QTextBlockFormat tabs;
    tabs.setTabPositions(
        {QTextOption::Tab(120, QTextOption::LeftTab), QTextOption::Tab(240, QTextOption::LeftTab)});
    QTextCharFormat mono = body;
    mono.setFontFamilies({"Courier New"});
    mono.setFontPointSize(10);
    c.insertBlock(tabs, mono);
    c.insertText(QString::fromUtf8("Šiauliai\tK26\t2009-01-15"), mono);
    c.insertBlock(tabs, mono);
    c.insertText("  1. B05  LY1AB         20M CW     2009-01-15  12:00", mono);

    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.fillRect(0, 0, 60, 13, QColor(253, 185, 19));
        p.fillRect(0, 13, 60, 14, QColor(0, 106, 68));
        p.fillRect(0, 27, 60, 13, QColor(193, 39, 45));
    }
    doc.addResource(QTextDocument::ImageResource, QUrl("mem:flag"), image);
    c.insertBlock(QTextBlockFormat(), body);
    c.insertText("Picture: ", body);
    QTextImageFormat pic;
    pic.setName("mem:flag");
    pic.setWidth(60);
    pic.setHeight(40);
    c.insertImage(pic);

    c.insertBlock(QTextBlockFormat(), body);
    c.insertText(kx::kPageBreakLine, body);
    c.insertBlock(QTextBlockFormat(), body);
    c.insertText("Second page.", body);
    kx::SetPageSetup(&doc, kx::PageSetup{11906, 16838, 1418, 1134, 851, 851});

    const std::string path = std::string(dir) + "/sample.rtf";
    kx::SaveRtfFile(doc, path);
    QTextDocument back;
    kx::LoadRtfFile(&back, path);
    EXPECT_EQ(kxtest::Lines(back), kxtest::Lines(doc));
}
