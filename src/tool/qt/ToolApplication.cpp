#include "tool/qt/ToolApplication.h"

#include <QDate>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/ProgramInfo.h"
#include "award/AwardList.h"
#include "log/QSOLog.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/qt/DocPrint.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/RtfApplication.h"

namespace kx {

int WriteToolApplication(const ToolApplicationRequest& request) {
    // The document is laid out with fonts but never shown: no display is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes about the platform (no runtime folder, no display) are not the tool's
    // output; its errors are.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    int argc = 1;
    char* argv[] = {const_cast<char*>(request.argv0), nullptr};
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QGuiApplication>(argc, argv);

    QSOLog log;
    log.Load();
    const AwardList list = MakeAwardList(log, request.filter);

    ApplicationData data;
    data.awardClass = request.awardClass;
    data.filter = request.filter;
    const ToolApplicant& given = request.applicant;
    const settings::Applicant stored = settings::ReadApplicant(SettingsFile);
    data.name = given.name.value_or(stored.name);
    data.call = given.call.value_or(stored.call);
    data.address = given.address.value_or(stored.address);
    data.email = given.email.value_or(stored.email);
    // The first three characters of the version, as the start window takes them.
    const std::string version = KVADRIX_VERSION_STRING;
    data.version = (!version.empty() ? version : std::string(kNoVersion)).substr(0, 3);
    data.count = list.Count();
    data.date = DocumentLineBytes(QDate::currentDate().toString(Qt::ISODate));
    data.lang = ProgramLang();  // the template's

    const std::string templateName = IsLithuanian() ? "BEXApplicationLT.rtf" : "BEXApplication.rtf";
    QTextDocument doc;  // destroyed before the application object
    BuildApplicationDocument(&doc, FilePath(templateName), data, list.GridRows(),
                             request.pdf ? ListVariant::Preview : ListVariant::Save);
    if (request.pdf)
        PrintToPdf(doc, request.outPath);
    else
        SaveRtfFile(doc, request.outPath);
    return list.Count();
}

}  // namespace kx
