#include "platform/qt/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstring>
#include <memory>

#include "platform/Globals.h"

namespace kx {
namespace {

// Texts that Qt 6 asks for under contexts its Lithuanian catalogue lacks (the catalogue
// still has them under their Qt 5 names): the file dialog's type of a folder or drive.
class MissingQtTexts final : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (!context || !source || std::strcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        struct Pair {
            const char* english;
            const char* lithuanian;
        };
        static constexpr Pair kTexts[] = {
            {"Folder", "Aplankas"},  {"File Folder", "Failų aplankas"}, {"Drive", "Diskas"},
            {"File", "Failas"},      {"%1 File", "%1 failas"},          {"Alias", "Nuoroda"},
            {"Shortcut", "Nuoroda"}, {"Unknown", "Nežinomas"}};
        for (const Pair& p : kTexts)
            if (std::strcmp(source, p.english) == 0) return QString::fromUtf8(p.lithuanian);
        return {};
    }
};

}  // namespace

bool ApplyQtLanguage() {
    static std::unique_ptr<QTranslator> installed;
    static MissingQtTexts missing;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        QCoreApplication::removeTranslator(&missing);
        installed.reset();
    }
    if (!IsLithuanian()) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qt_lt"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&missing);
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace kx
