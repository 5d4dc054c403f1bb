#include "platform/qt/RtfApplication.h"

#include <QTextDocument>

#include "platform/Cp1257.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/RtfLines.h"

namespace kx {

namespace {

// A line break inside a paragraph (a template line made with Shift+Enter) travels
// through the byte texts as this control byte and comes back as the same line break.
constexpr char kLineBreakByte = '\v';

// The bytes of a template line as document text, its line breaks restored.
QString LineFromBytes(const std::string& bytes) {
    QString text = FromCp(bytes);
    text.replace(QChar(kLineBreakByte), QChar(QChar::LineSeparator));
    return text;
}

// The rich-text document as the lines the application filling works on.
class QtLineDocument final : public LineDocument {
public:
    explicit QtLineDocument(QTextDocument* doc) : doc_(doc) {}

    int LineCount() const override { return kx::LineCount(*doc_); }
    std::string LineText(int i) const override { return DocumentLineBytes(kx::LineText(*doc_, i)); }
    void SetLineText(int i, const std::string& text) override {
        // A line that comes back unchanged is written back with its own characters, so
        // that characters outside Windows-1257 in the template survive.
        const QString current = kx::LineText(*doc_, i);
        kx::SetLineText(doc_, i,
                        DocumentLineBytes(current) == text ? current : LineFromBytes(text));
    }
    void InsertLine(int i, const std::string& text) override {
        kx::InsertLine(doc_, i, FromCp(text));
    }
    void DeleteLine(int i) override { kx::DeleteLine(doc_, i); }
    int FindLine(const std::string& text) const override {
        return kx::FindLine(*doc_, FromCp(text));
    }

private:
    QTextDocument* doc_;
};

}  // namespace

std::string DocumentLineBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t c : text.toUcs4()) {
        if (c == QChar::LineSeparator) {
            out += kLineBreakByte;
            continue;
        }
        const int b = UnicodeToCp1257(c);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

void BuildApplicationDocument(QTextDocument* doc, const std::string& templatePath,
                              const ApplicationData& data, const std::vector<ListEntry>& rows,
                              ListVariant variant) {
    LoadRtfFile(doc, templatePath);
    QtLineDocument lines(doc);
    FillApplication(lines, data, rows, variant);
}

}  // namespace kx
