// Opening a large record and working in its window: opening and showing it,
// Expand All, and focusing an item on the fully expanded outline.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "document/MyDocument.h"
#include "foundation/file_io.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/document_controller.h"

namespace cogbook {
namespace {

class BenchController : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return new MyDocument(MyDocument::ForReading{}); }
    Document* makeDocumentForReading() override { return new MyDocument(MyDocument::ForReading{}); }
};

// 1,000 parts, each with 10 subparts of 9 entries: 101,000 items.
ZRBicycleListPtr largeBike() {
    auto bike = ZRBicycleList::create();
    bike->setPartName("Bike");
    bike->setExpandable(true);
    std::vector<ZRBicycleListPtr> parts;
    for (int p = 0; p < 1000; ++p) {
        auto part = ZRBicycleList::create();
        part->setPartName("Part " + std::to_string(p));
        part->setExpandable(true);
        std::vector<ZRBicycleListPtr> subparts;
        for (int s = 0; s < 10; ++s) {
            auto subpart = ZRBicycleList::create();
            subpart->setPartName("Subpart " + std::to_string(s));
            subpart->setExpandable(true);
            std::vector<ZRBicycleListPtr> entries;
            for (int e = 0; e < 9; ++e) {
                auto entry = ZRBicycleList::create();
                entry->setPartName(subpart->partName());
                entry->setDescription("Serviced");
                entries.push_back(entry);
            }
            subpart->addChildrenPartsOrEntries(entries);
            subparts.push_back(subpart);
        }
        part->addChildrenPartsOrEntries(subparts);
        parts.push_back(part);
    }
    bike->addChildrenPartsOrEntries(parts);
    return bike;
}

struct LargeRecord {
    QTemporaryDir folder;
    QString path = folder.filePath("large.cogbook");
    LargeRecord() { writeFileAtomically(path.toStdString(), writeRecordFile(*largeBike())); }
};

LargeRecord& largeRecord() {
    static LargeRecord record;
    return record;
}

void closeAll(DocumentController& controller) {
    for (Document* document : controller.orderedDocuments()) document->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenAndShowLargeRecord(benchmark::State& state) {
    BenchController controller;
    const QString path = largeRecord().path;
    for (auto _ : state) {
        auto* document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(path));
        if (document == nullptr) {
            state.SkipWithError("the record did not open");
            break;
        }
        QApplication::processEvents();
        document->documentWindow()->grab(); // the first paint
        state.PauseTiming();
        closeAll(controller);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenAndShowLargeRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExpandAllLargeRecord(benchmark::State& state) {
    BenchController controller;
    auto* document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(largeRecord().path));
    long rows = 0;
    for (auto _ : state) {
        document->expandAll();
        document->documentWindow()->grab();
        state.PauseTiming();
        rows = document->bikeTable()->numberOfRows();
        document->collapseAll();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(rows);
    closeAll(controller);
}
BENCHMARK(BM_ExpandAllLargeRecord)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FocusOnExpandedLargeRecord(benchmark::State& state) {
    BenchController controller;
    auto* document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(largeRecord().path));
    document->expandAll();
    document->documentWindow()->grab();
    const ZRBicycleList* targets[] = {
        document->theBike()->childAtIndex(500)->childAtIndex(5)->childAtIndex(4).get(),
        document->theBike()->childAtIndex(999)->childAtIndex(9)->childAtIndex(8).get(),
        document->theBike()->childAtIndex(1)->childAtIndex(0).get(),
    };
    std::size_t next = 0;
    for (auto _ : state) {
        document->focusOnItemByExtendingSelection(targets[next++ % 3], false);
        QApplication::processEvents();
    }
    state.counters["rows"] = static_cast<double>(document->bikeTable()->numberOfRows());
    closeAll(controller);
}
BENCHMARK(BM_FocusOnExpandedLargeRecord)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    cogbook::Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
