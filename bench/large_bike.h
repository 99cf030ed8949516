// What the document benchmarks share: a large record of a regular shape (from
// large_bike_tree.h), a document controller that makes record documents, and
// a main that runs the benchmarks in an application off screen with settings
// of its own.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

#include "document/MyDocument.h"
#include "foundation/file_io.h"
#include "large_bike_tree.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/document_controller.h"

namespace cogbook::bench {

class BenchController : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return new MyDocument(MyDocument::ForReading{}); }
    Document* makeDocumentForReading() override { return new MyDocument(MyDocument::ForReading{}); }
};

// 1,000 parts of 10 subparts of 10 entries (100,000 entries), each entry with
// a cost and a reading and each subpart with intervals.
inline LargeBikeShape serviceRecordShape() {
    LargeBikeShape shape;
    shape.entries = 10;
    shape.serviceData = true;
    return shape;
}

// A large record of SHAPE written to a folder of its own and opened by a
// controller of its own, which closes whatever it opened at the end.
struct OpenLargeRecord {
    explicit OpenLargeRecord(const LargeBikeShape& shape = {}) {
        writeFileAtomically(path.toStdString(), writeRecordFile(*largeBike(shape)));
        document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(path));
        QApplication::processEvents();
    }
    ~OpenLargeRecord() {
        for (Document* open : controller.orderedDocuments()) open->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    OpenLargeRecord(const OpenLargeRecord&) = delete;
    OpenLargeRecord& operator=(const OpenLargeRecord&) = delete;

    QTemporaryDir folder;
    QString path = folder.filePath("large.cogbook");
    BenchController controller;
    MyDocument* document = nullptr;
};

// Runs the benchmarks off screen (unless told otherwise), with settings in a
// folder of their own.
inline int runDocumentBenchmarks(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace cogbook::bench
