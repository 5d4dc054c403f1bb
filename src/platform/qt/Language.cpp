#include "platform/qt/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "platform/Globals.h"

namespace kx {

bool ApplyQtLanguage() {
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (!IsLithuanian()) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qt_lt"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace kx
