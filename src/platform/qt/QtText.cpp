#include "platform/qt/QtText.h"

#include <QList>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"

namespace kx {

QString Text(Msg key) {
    const std::string_view text = MessageText(key);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromCp(const std::string& bytes) {
    return QString::fromStdString(Cp1257ToUtf8(bytes));
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
    if (text[position].isHighSurrogate() && position + 1 < text.size()) {
        c = QChar::surrogateToUcs4(text[position], text[position + 1]);
        shown = text.mid(position, 2);
    }
    *code = c;
    return shown;
}

static QString Message(const QString& text, qsizetype position, bool showCharacter) {
    char32_t code = 0;
    QString shown = CharacterAt(text, position, &code);
    const QString hex =
        QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QChar('0')).toUpper();
    if (!showCharacter) shown.clear();
    if (IsLithuanian())
        return QStringLiteral(
                   "Simbolio \"%1\" (%2) negalima išsaugoti: jo nėra Windows-1257 koduotėje.")
            .arg(shown, hex);
    return QStringLiteral(
               "The character \"%1\" (%2) cannot be stored: Windows-1257 has no such character.")
        .arg(shown, hex);
}

QString CannotStoreMessage(const QString& text, qsizetype position) {
    return Message(text, position, true);
}

std::string ToCpChecked(const QString& text) {
    const qsizetype bad = FirstNonCp1257(text);
    if (bad >= 0) {
        const auto message =
            Utf8ToCp1257(Message(text, bad, false).remove(QStringLiteral("\"\" ")).toStdString());
        throw ConvertError(message ? *message
                                   : std::string("A character cannot be stored in Windows-1257."));
    }
    return *ToCp(text);
}

}  // namespace kx
