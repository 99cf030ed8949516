// The cogbook program: the desktop application, or with a command word its
// command-line forms (which need no display).
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/document.h"

#include "app/cli.h"
#include "app/ZRSWDocumentController.h"
#include "foundation/user_defaults.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/images.h"
#include "platform/single_instance.h"

namespace {

bool isCommandLineForm(const std::vector<std::string>& args) {
    static const std::set<std::string> words{"print", "export-json", "import-json", "--help", "-h", "--version"};
    return !args.empty() && words.count(args.front()) > 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (isCommandLineForm(args)) return cogbook::runCommandLine(std::move(args), std::cout, std::cerr);

    cogbook::Application application(argc, argv);
    QStringList files;
    for (int index = 1; index < argc; ++index) files << QFileInfo(QFile::decodeName(argv[index])).absoluteFilePath();
    // A program already running in this session takes the files instead.
    cogbook::SingleInstance single(QStringLiteral("cogbook"));
    if (single.start(files) == cogbook::SingleInstance::Outcome::HandedOver) return 0;

    if (auto icon = cogbook::imageNamed(QStringLiteral("cogbook"))) application.setWindowIcon(icon->icon());
    cogbook::ZRSWDocumentController::initialize();
    cogbook::ZRSWDocumentController controller;
    controller.awakeFromNib();

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
