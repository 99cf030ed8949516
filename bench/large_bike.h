// What the document benchmarks share: a large record of a regular shape (from
// large_bike_tree.h), a document controller that makes record documents, and
// a main that runs the benchmarks in an application off screen with settings
// of its own.
#pragma once

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdlib>

#include "document/MyDocument.h"
#include "large_bike_tree.h"
#include "platform/application.h"
#include "platform/document_controller.h"

namespace cogbook::bench {

class BenchController : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return new MyDocument(MyDocument::ForReading{}); }
    Document* makeDocumentForReading() override { return new MyDocument(MyDocument::ForReading{}); }
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
