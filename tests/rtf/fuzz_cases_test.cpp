// Inputs the fuzz target (fuzz/rtf_reader.cpp) once failed on, kept in fuzz_cases/, each
// checked against the target's invariants.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "RtfTestSupport.h"
#include "platform/qt/QtText.h"

using kxtest::Lines;
using kxtest::ReadDoc;

namespace {

bool SevenBit(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void ExpectFuzzInvariants(const QByteArray& rtf) {
    QTextDocument doc;
    QString error;
    const bool ok = kx::ReadRtf(rtf, &doc, &error);
    const bool tooLarge = error.startsWith(kx::Text(kx::Msg::RtfTooLarge).left(20));
    EXPECT_EQ(ok, kx::IsRtf(rtf) && !tooLarge);
    if (!ok) {
        EXPECT_FALSE(error.isEmpty());
        return;
    }
    EXPECT_LE(doc.characterCount(), rtf.size() + 2);
    const QByteArray written = kx::WriteRtf(doc);
    EXPECT_TRUE(SevenBit(written));
    auto again = ReadDoc(written);
    EXPECT_EQ(Lines(*again), Lines(doc));
    EXPECT_EQ(kx::WriteRtf(*again).toStdString(), written.toStdString());
}

}  // namespace

TEST(RtfFuzzCases, EveryKeptInputHoldsTheInvariants) {
    const QDir dir(QStringLiteral(KX_SOURCE_DIR "/tests/rtf/fuzz_cases"));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        ExpectFuzzInvariants(f.readAll());
    }
}

TEST(RtfFuzzCases, FontNamesOutsideWindows1257SurviveWriting) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat f;
    for (const char* family : {"微软雅黑", "ÿ Font", "Nbsp\u00a0Name", "Šrifta"}) {
        f.setFontFamilies({QString::fromUtf8(family)});
        c.insertText(QString::fromUtf8(family), f);
    }
    auto back = kxtest::RoundTrip(doc);
    for (int i = 0, at = 0; i < 4; ++i) {
        const QString family = kxtest::Family(kxtest::FormatAt(doc, 0, at));
        EXPECT_EQ(kxtest::Family(kxtest::FormatAt(*back, 0, at)), family);
        at += family.size();
    }
    EXPECT_EQ(kx::WriteRtf(*back), kx::WriteRtf(doc));
}

TEST(RtfFuzzCases, UnicodeEscapesInFontNamesSkipTheirFallback) {
    auto doc = ReadDoc("{\\rtf1\\ansi{\\fonttbl{\\f0 \\u24494?\\u36719?X;}}\\f0 t}");
    EXPECT_EQ(kxtest::Family(kxtest::FormatAt(*doc, 0, 0)), QString::fromUtf8("微软X"));
}
