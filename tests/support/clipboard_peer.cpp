// A second run of the program for the test of the clipboard between two
// processes: a document window over a record file that copies its first item
// and then serves the clipboard, or pastes at the top of its bike and writes
// what it then holds.
//
//   clipboard_peer copy RECORD        prints "copied", serves until stdin closes
//   clipboard_peer paste RECORD OUT   exits 0 when the items were pasted
#include <QApplication>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <string>

#include "document/MyDocument.h"
#include "foundation/file_io.h"
#include "foundation/hooks.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/document_controller.h"

namespace {

class PeerController : public cogbook::DocumentController {
protected:
    cogbook::Document* makeUntitledDocument() override { return new cogbook::MyDocument(cogbook::MyDocument::ForReading{}); }
    cogbook::Document* makeDocumentForReading() override {
        return new cogbook::MyDocument(cogbook::MyDocument::ForReading{});
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace cogbook;
    if (argc < 3) return 64;
    const std::string mode = argv[1];
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    Application application(argc, argv);
    int beeps = 0;
    setBeepHook([&] { ++beeps; });
    PeerController controller;
    auto* document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(QString::fromLocal8Bit(argv[2])));
    if (document == nullptr) return 2;
    QApplication::processEvents();
    Application::performAsOneEvent([&] { document->documentWindow()->makeFirstResponder(document->bikeTable()); });

    if (mode == "copy") {
        document->bikeTable()->selectRowByExtendingSelection(0, false);
        Application::performAsOneEvent([&] { document->performAction("copy:", nullptr); });
        if (beeps != 0) return 3;
        std::cout << "copied" << std::endl;
        QSocketNotifier input(0, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, &application, [&] { QApplication::quit(); });
        QTimer::singleShot(60000, &application, [] { QApplication::quit(); });
        return QApplication::exec();
    }
    if (mode == "paste" && argc >= 4) {
        document->bikeTable()->deselectAll();
        Application::performAsOneEvent([&] { document->performAction("paste:", nullptr); });
        if (beeps != 0) return 3;
        writeFileAtomically(argv[3], writeRecordFile(*document->theBike()));
        return 0;
    }
    return 64;
}
