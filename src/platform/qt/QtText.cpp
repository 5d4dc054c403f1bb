#include "platform/qt/QtText.h"

#include <QFile>
#include <QList>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"

namespace kx {

QString Text(Msg key) {
    return Text(key, CurrentLang());
}

QString Text(Msg key, Lang lang) {
    const std::string_view text = MessageText(key, lang);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString PlainToolTip(const QString& text) {
    if (text.isEmpty()) return text;
    // One line as it stands, every "<" and "&" as a character.
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QString PathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromCp(std::string_view bytes) {
    // Every character of the code page lies in the Basic Multilingual Plane.
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* to = out.data();
    for (char b : bytes)
        *to++ = QChar(static_cast<char16_t>(Cp1257ToUnicode(static_cast<unsigned char>(b))));
    return out;
}

std::optional<std::string> ToCp(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t c : text.toUcs4()) {
        const int b = UnicodeToCp1257(c);
        if (b < 0) return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

qsizetype FirstNonCp1257(const QString& text) {
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (UnicodeToCp1257(c) < 0) return i;
        i += width;
    }
    return -1;
}

static QString CharacterAt(const QString& text, qsizetype position, char32_t* code) {
    char32_t c = text[position].unicode();
    QString shown = text.mid(position, 1);
    if (text[position].isHighSurrogate() && position + 1 < text.size() &&
        text[position + 1].isLowSurrogate()) {
        c = QChar::surrogateToUcs4(text[position], text[position + 1]);
        shown = text.mid(position, 2);
    }
    *code = c;
    return shown;
}

static QString CodeText(char32_t code) {
    return QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QChar('0')).toUpper();
}

QString CannotStoreMessage(const QString& text, qsizetype position, const QString& field) {
    char32_t code = 0;
    const QString shown = CharacterAt(text, position, &code);
    if (field.isEmpty()) return Text(Msg::CharNotStored).arg(shown, CodeText(code));
    return Text(Msg::CharNotStoredInField).arg(shown, CodeText(code), field);
}

QString FoldForCp1257(const QString& text, qsizetype* refused) {
    if (refused) *refused = -1;
    QString out;
    out.reserve(text.size());
    std::string spelled;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = 0;
        const QString original = CharacterAt(text, i, &c);
        spelled.clear();
        if (AppendFoldedCp1257(spelled, c)) {
            out += FromCp(spelled);
        } else {
            if (refused && *refused < 0) *refused = i;
            out += original;
        }
        i += original.size();
    }
    return out;
}

std::string ToCpChecked(const QString& text) {
    qsizetype bad = -1;
    const QString folded = FoldForCp1257(text, &bad);
    if (bad >= 0) {
        char32_t code = 0;
        CharacterAt(text, bad, &code);
        throw ConvertError(CpMessage(Msg::CodeNotStored, {CodeText(code).toStdString()}));
    }
    return *ToCp(folded);
}

}  // namespace kx
