// The cogbook program: the desktop application, or with a command word its
// command-line forms (which need no display).
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include "platform/document.h"

#include "app/cli.h"
#include "app/ZRSWDocumentController.h"
#include "app/identity.h"
#include "app/ZRSWPreferencesManager.h"
#include "document/record_printer.h"
#include "foundation/user_defaults.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/single_instance.h"

namespace {

// PDF is drawn through Qt's painting, which needs a GUI application but no
// display: without one, the offscreen platform serves.
int runCommandLineWithPdf(int argc, char** argv, std::vector<std::string> args) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const cogbook::PdfRenderer pdf = [](const cogbook::ZRBicycleList& bike, const std::string& name) {
        return cogbook::recordPdfBytes(bike, QString::fromStdString(name));
    };
    return cogbook::runCommandLine(std::move(args), std::cout, std::cerr, pdf);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "export-pdf") return runCommandLineWithPdf(argc, argv, std::move(args));
    if (cogbook::isCommandLineForm(args)) return cogbook::runCommandLine(std::move(args), std::cout, std::cerr);

    cogbook::Application application(argc, argv);
    cogbook::setApplicationIdentity(cogbook::cogbookIdentity());
    QStringList files;
    for (int index = 1; index < argc; ++index) files << QFileInfo(QFile::decodeName(argv[index])).absoluteFilePath();
    // A program already running in this session takes the files instead.
    cogbook::SingleInstance single(QStringLiteral("cogbook"));
    if (single.start(files) == cogbook::SingleInstance::Outcome::HandedOver) return 0;

    cogbook::ZRSWDocumentController::initialize();
    cogbook::ZRSWDocumentController controller;
    controller.awakeFromNib();
    cogbook::ZRSWPreferencesManager preferences;
    controller.addCommand("runPreferences:", [&preferences](QAction*) { preferences.runPreferences(); });

    const std::string warning = cogbook::UserDefaults::standardUserDefaults().loadWarning();
    if (!warning.empty()) {
        cogbook::showMessage(nullptr, cogbook::AlertStyle::Warning,
                             QObject::tr("Your Cogbook settings could not be read; the defaults are in use."),
                             QString::fromStdString(warning));
    }

    bool opened = false;
    for (const QString& file : files) {
        if (controller.openDocumentWithContentsOfFile(file)) opened = true;
    }
    if (!opened) controller.newDocumentAtLaunch();
    QObject::connect(&single, &cogbook::SingleInstance::filesReceived, &controller,
                     [&controller](const QStringList& paths) { controller.openDocumentsHandedOver(paths); });
    // Nothing could be shown (every file refused, no template): nothing to run.
    if (controller.documents().empty()) return 1;

    const int status = application.exec();
    single.stopListening();
    // Documents closed by the last events end now, and any still open (the
    // session ended under them) end properly too.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto remaining = controller.documents();
    for (cogbook::Document* document : remaining) delete document;
    cogbook::UserDefaults::standardUserDefaults().synchronize();
    return status;
}
