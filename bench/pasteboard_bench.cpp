// Moving and copying on a large record, fully expanded (100,010 rows): copy
// and paste of a 10,000-item subtree, Delete of 1,000 selected rows, a drop
// moving 1,000 selected rows, and the undo of each. Every measurement runs
// from the command until the outline has been refreshed (once) and painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMimeData>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "large_bike.h"
#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/file_io.h"
#include "foundation/undo_manager.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/document_controller.h"
#include "platform/pasteboard.h"

namespace cogbook {
namespace {

ZRBicycleListPtr largeBike() {
    return bench::largeBike({.parts = 10, .subparts = 100, .entries = 99, .notes = [](int serial) {
                                 return (serial - 1) % 99 % 10 == 0 ? std::string("Torque 5 Nm") : std::string();
                             }});
}

class ExpandedLargeRecord {
public:
    ExpandedLargeRecord() {
        writeFileAtomically(path.toStdString(), writeRecordFile(*largeBike()));
        document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(path));
        if (document == nullptr) return;
        outline = document->bikeTable();
        document->expandAll();
        // The commands act on the outline's rows only while no text field
        // of the window has the focus.
        outline->setFocus();
        settle();
    }
    ~ExpandedLargeRecord() {
        for (Document* open : controller.orderedDocuments()) {
            open->updateChangeCount(Document::ChangeCleared);
            open->close();
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ExpandedLargeRecord(const ExpandedLargeRecord&) = delete;
    ExpandedLargeRecord& operator=(const ExpandedLargeRecord&) = delete;

    void settle() {
        QApplication::processEvents();
        outline->viewport()->repaint();
    }
    void command(const char* action) {
        Application::performAsOneEvent([&] { document->performAction(action, nullptr); });
        settle();
    }
    // Every eleventh entry of parts 2 to 5 (1,000 rows), spread over 400 subparts.
    void selectThousandEntries() {
        outline->deselectAll();
        int selected = 0;
        for (std::size_t p = 2; p < 6 && selected < 1000; ++p) {
            const auto& part = document->theBike()->childAtIndex(p);
            for (std::size_t s = 0; s < 100 && selected < 1000; ++s) {
                const auto& subpart = part->childAtIndex(s);
                for (std::size_t e = 3; e < 99 && selected < 1000; e += 40, ++selected)
                    outline->selectRowByExtendingSelection(outline->rowForItem(subpart->childAtIndex(e).get()), true);
            }
        }
    }
    std::size_t items() const {
        std::size_t count = 0;
        std::vector<const ZRBicycleList*> stack{document->theBike()};
        while (!stack.empty()) {
            const ZRBicycleList* node = stack.back();
            stack.pop_back();
            for (std::size_t i = 0; i < node->numberOfChildren(); ++i) {
                ++count;
                stack.push_back(node->childAtIndex(i).get());
            }
        }
        return count;
    }

    QTemporaryDir folder;
    QString path = folder.filePath("large.cogbook");
    bench::BenchController controller;
    MyDocument* document = nullptr;
    OutlineView* outline = nullptr;
};

// Runs PREPARE (untimed), TIMED, then CHECK (untimed, answers whether TIMED
// did its work) and RESET (untimed) in every iteration.
void measure(benchmark::State& state, ExpandedLargeRecord& record, const std::function<void()>& prepare,
             const std::function<void()>& timed, const std::function<bool()>& check,
             const std::function<void()>& reset) {
    if (record.document == nullptr) {
        state.SkipWithError("the record did not open");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        state.ResumeTiming();
        timed();
        state.PauseTiming();
        if (!check()) {
            state.SkipWithError("the command did not do its work");
            break;
        }
        reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(record.outline->numberOfRows());
}

void BM_CopySubtreeOf10000Items(benchmark::State& state) {
    ExpandedLargeRecord record;
    measure(
        state, record,
        [&] {
            record.outline->selectRowByExtendingSelection(
                record.outline->rowForItem(record.document->theBike()->childAtIndex(3).get()), false);
        },
        [&] { record.command("copy:"); },
        [&] { return Pasteboard::generalPasteboard().dataForType(_ZRBikeTableDataTypes()[2]).has_value(); }, [] {});
}
BENCHMARK(BM_CopySubtreeOf10000Items)->Unit(benchmark::kMillisecond)->Iterations(5);

// Pasted at the top of part 7, which stays expanded: 10,000 more rows.
void pasteSubtree(benchmark::State& state, bool timeUndo) {
    ExpandedLargeRecord record;
    const std::size_t before = record.items();
    record.outline->selectRowByExtendingSelection(
        record.outline->rowForItem(record.document->theBike()->childAtIndex(3).get()), false);
    record.command("copy:");
    const auto selectPart7 = [&] {
        record.outline->selectRowByExtendingSelection(
            record.outline->rowForItem(record.document->theBike()->childAtIndex(7).get()), false);
    };
    if (!timeUndo) {
        measure(state, record, selectPart7, [&] { record.command("paste:"); },
                [&] { return record.items() == before + 10001; }, [&] { record.command("undo:"); });
    } else {
        measure(
            state, record, [&] { selectPart7(); record.command("paste:"); }, [&] { record.command("undo:"); },
            [&] { return record.items() == before; }, [] {});
    }
}
void BM_PasteSubtreeOf10000Items(benchmark::State& state) { pasteSubtree(state, false); }
BENCHMARK(BM_PasteSubtreeOf10000Items)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_UndoPasteSubtreeOf10000Items(benchmark::State& state) { pasteSubtree(state, true); }
BENCHMARK(BM_UndoPasteSubtreeOf10000Items)->Unit(benchmark::kMillisecond)->Iterations(5);

void deleteThousandRows(benchmark::State& state, bool timeUndo) {
    ExpandedLargeRecord record;
    const std::size_t before = record.items();
    if (!timeUndo) {
        measure(state, record, [&] { record.selectThousandEntries(); }, [&] { record.command("delete:"); },
                [&] { return record.items() == before - 1000; }, [&] { record.command("undo:"); });
    } else {
        measure(
            state, record, [&] { record.selectThousandEntries(); record.command("delete:"); },
            [&] { record.command("undo:"); }, [&] { return record.items() == before; }, [] {});
    }
}
void BM_Delete1000SelectedRows(benchmark::State& state) { deleteThousandRows(state, false); }
BENCHMARK(BM_Delete1000SelectedRows)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_UndoDelete1000SelectedRows(benchmark::State& state) { deleteThousandRows(state, true); }
BENCHMARK(BM_UndoDelete1000SelectedRows)->Unit(benchmark::kMillisecond)->Iterations(5);

// The 1,000 rows dragged to the top of part 8 (dropped onto it).
void moveThousandRows(benchmark::State& state, bool timeUndo) {
    ExpandedLargeRecord record;
    const ZRBicycleList* target = record.document->theBike()->childAtIndex(8).get();
    QMimeData data;
    const auto drag = [&] {
        record.selectThousandEntries();
        Pasteboard pasteboard(&data);
        std::vector<void*> items;
        for (const long row : record.outline->selectedRowIndexes()) items.push_back(record.outline->itemAtRow(row));
        record.document->outlineViewWriteItemsToPasteboard(record.outline, items, pasteboard);
        record.outline->scrollRowToVisible(record.outline->rowForItem(target));
        record.settle();
    };
    const auto dropped = [&] {
        const DraggingInfo info(&data, record.outline, false);
        const QRect rect = record.outline->visualRect(record.outline->indexForItem(target, 0));
        if (record.outline->draggingUpdated(rect.center(), info) == kDragOperationNone) return;
        Application::performAsOneEvent([&] { record.outline->performDragOperation(info); });
        record.settle();
    };
    const auto moved = [&] { return target->numberOfChildren() == 1100; };
    if (!timeUndo) {
        measure(state, record, drag, dropped, moved, [&] { record.command("undo:"); });
    } else {
        measure(
            state, record, [&] { drag(); dropped(); }, [&] { record.command("undo:"); },
            [&] { return target->numberOfChildren() == 100; }, [] {});
    }
}
void BM_Move1000SelectedRowsByDrop(benchmark::State& state) { moveThousandRows(state, false); }
BENCHMARK(BM_Move1000SelectedRowsByDrop)->Unit(benchmark::kMillisecond)->Iterations(5);
void BM_UndoMove1000SelectedRowsByDrop(benchmark::State& state) { moveThousandRows(state, true); }
BENCHMARK(BM_UndoMove1000SelectedRowsByDrop)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    return cogbook::bench::runDocumentBenchmarks(argc, argv);
}
