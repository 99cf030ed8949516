// Opening a large record and working in its window: opening and showing it,
// Expand All, focusing an item on the fully expanded outline, and changing
// one field (and undoing the change) there.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <string>

#include "large_bike.h"
#include "document/MyDocument.h"
#include "foundation/file_io.h"
#include "foundation/undo_manager.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/date_text.h"
#include "platform/document_controller.h"

namespace cogbook {
namespace {

ZRBicycleListPtr largeBike() {
    return bench::largeBike();
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
    bench::BenchController controller;
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
    bench::BenchController controller;
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
    bench::BenchController controller;
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

// ---------------------------------------------------------------------------
// One field changed on the fully expanded large record, the way the user
// changes it: a cell edit open on an entry in the middle of the outline, its
// text replaced, Return. The time runs from the commit (one event, so that
// its undo step closes as in the program) until the outline has been
// reloaded, the entry selected and scrolled to, any relayout it asked for
// done and the viewport painted.

// Counts the paints of the object it watches, so that a measurement can
// show it took in the repaint.
class PaintCounter : public QObject {
public:
    long paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class ExpandedLargeRecord {
public:
    ExpandedLargeRecord() {
        document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(largeRecord().path));
        if (document == nullptr) return;
        outline = document->bikeTable();
        // Part 500 of 1,000, subpart 5 of 10, entry 4 of 9: row 50,556 of 101,000.
        entry = document->theBike()->childAtIndex(500)->childAtIndex(5)->childAtIndex(4);
        document->expandAll();
        settle();
        outline->viewport()->installEventFilter(&counter);
        // The user clicks the row before editing its cell.
        outline->selectRowByExtendingSelection(outline->rowForItem(entry.get()), false);
        settle();
    }
    ~ExpandedLargeRecord() {
        if (outline) outline->viewport()->removeEventFilter(&counter);
        closeAll(controller);
    }
    ExpandedLargeRecord(const ExpandedLargeRecord&) = delete;
    ExpandedLargeRecord& operator=(const ExpandedLargeRecord&) = delete;

    bool ready() const { return document != nullptr && outline != nullptr; }

    // Opens the entry's cell in COLUMN for editing, its whole text selected,
    // and lets the window catch up so that nothing of it is left for the
    // measurement. Answers the editor, or null if no edit opened.
    QLineEdit* openEdit(const char* column) {
        outline->editColumnRowWithEventSelect(outline->columnWithIdentifier(QLatin1String(column)),
                                              outline->rowForItem(entry.get()), nullptr, true);
        auto* editor = qobject_cast<QLineEdit*>(outline->currentEditor());
        settle();
        return editor;
    }

    // Return in the open edit, as one event; then the window's own work:
    // the delayed relayout and the paint.
    void commit() {
        Application::performAsOneEvent([this] { outline->endEditingWithMovement(kTextMovementReturn); });
        QApplication::processEvents();
    }

    void undo() {
        Application::performAsOneEvent([this] { document->performAction("undo:", nullptr); });
        QApplication::processEvents();
    }

    // Everything pending handled and the viewport painted.
    void settle() {
        QApplication::processEvents();
        outline->viewport()->repaint();
    }

    // The edit ended with the entry the one selected row.
    bool entrySelected() const {
        const long row = outline->rowForItem(entry.get());
        return outline->currentEditor() == nullptr && outline->numberOfSelectedRows() == 1 &&
               outline->selectedRow() == row;
    }

    bench::BenchController controller;
    MyDocument* document = nullptr;
    ZROutlineView* outline = nullptr;
    ZRBicycleListPtr entry;
    PaintCounter counter;
};

// Two names, taken in turn, so that every commit is a real change.
std::string alternateName(std::size_t iteration) {
    return iteration % 2 == 0 ? "Renamed chain" : "Renamed cassette";
}

// Two days after every date in the record, taken in turn: each one moves
// the entry and rolls up through its subpart and part.
QDate alternateDay(std::size_t iteration) {
    static const QDate today = QDate::currentDate();
    return today.addDays(iteration % 2 == 0 ? 30 : 60);
}

// PAINTS: the viewport paints within the measured spans; STEPS: the undo
// steps the iterations left behind.
void reportCounters(benchmark::State& state, const ExpandedLargeRecord& record, long paints, std::size_t steps) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(record.outline->numberOfRows());
    state.counters["row"] = static_cast<double>(record.outline->rowForItem(record.entry.get()));
    // What one repaint draws: the rows the viewport has room for.
    const int rowHeight = record.outline->visualRect(record.outline->indexForItem(record.entry.get())).height();
    if (rowHeight > 0) state.counters["rowsShown"] = record.outline->viewport()->height() / rowHeight;
    state.counters["paints"] = static_cast<double>(paints) / iterations;
    state.counters["undoSteps"] = static_cast<double>(steps) / iterations;
}

// A field edit on the entry: COLUMN's cell opened, the text TYPED answers
// typed over it, Return. HOLDS answers whether the entry then holds what
// that iteration typed. Timed: the commit, or (UNDO) its undo, the edit
// itself then made untimed before each one.
enum class Timed { Edit, Undo };
template <typename Typed, typename Holds>
void measureFieldEdit(benchmark::State& state, const char* column, Typed typed, Holds holds, Timed timed) {
    ExpandedLargeRecord record;
    if (!record.ready()) {
        state.SkipWithError("the record did not open");
        return;
    }
    UndoManager& history = record.document->undoManager();
    const std::size_t stepsBefore = history.undoStepCount();
    long timedPaints = 0;
    std::size_t iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QLineEdit* editor = record.openEdit(column);
        if (editor == nullptr) {
            state.SkipWithError("no cell edit opened");
            break;
        }
        editor->setText(typed(iteration, editor->text()));
        if (timed == Timed::Undo) {
            record.commit();
            record.settle();
            if (!holds(*record.entry, iteration) || history.undoStepCount() == 0) {
                state.SkipWithError("the edit to undo was not made");
                break;
            }
        }
        const std::size_t steps = history.undoStepCount();
        const long paints = record.counter.paints;
        state.ResumeTiming();

        if (timed == Timed::Edit) {
            record.commit();
        } else {
            record.undo();
        }

        state.PauseTiming();
        timedPaints += record.counter.paints - paints;
        const bool done = timed == Timed::Edit ? holds(*record.entry, iteration)
                                               : !holds(*record.entry, iteration) && history.undoStepCount() == steps - 1;
        if (!done || !record.entrySelected() || record.counter.paints == paints) {
            state.SkipWithError("the change did not reach, select and repaint the entry");
            break;
        }
        ++iteration;
        state.ResumeTiming();
    }
    reportCounters(state, record, timedPaints, history.undoStepCount() - stepsBefore);
}

QString typedName(std::size_t iteration, const QString&) { return QString::fromStdString(alternateName(iteration)); }
bool holdsName(const ZRBicycleList& entry, std::size_t iteration) {
    return entry.partName() == alternateName(iteration);
}

// Typed as the editor shows a date: the locale's short format, the year in
// full.
QString typedDay(std::size_t iteration, const QString&) {
    return editingTextForDate(alternateDay(iteration), QLocale());
}
QDate localDay(Date date) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(date.unixSeconds() * 1000.0)).date();
}
// The entry, its subpart and its part all on the day typed.
bool holdsDay(const ZRBicycleList& entry, std::size_t iteration) {
    const QDate day = alternateDay(iteration);
    const ZRBicycleListPtr subpart = entry.parent();
    const ZRBicycleListPtr part = subpart ? subpart->parent() : nullptr;
    return part && localDay(entry.date()) == day && localDay(subpart->date()) == day && localDay(part->date()) == day;
}

std::string alternateDescription(std::size_t iteration) {
    return iteration % 2 == 0 ? "Cleaned and oiled" : "Replaced";
}
QString typedDescription(std::size_t iteration, const QString&) {
    return QString::fromStdString(alternateDescription(iteration));
}
bool holdsDescription(const ZRBicycleList& entry, std::size_t iteration) {
    return entry.description() == alternateDescription(iteration);
}

void BM_EditNameOnExpandedLargeRecord(benchmark::State& state) {
    measureFieldEdit(state, "partName", typedName, holdsName, Timed::Edit);
}
BENCHMARK(BM_EditNameOnExpandedLargeRecord)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_EditDescriptionOnExpandedLargeRecord(benchmark::State& state) {
    measureFieldEdit(state, "description", typedDescription, holdsDescription, Timed::Edit);
}
BENCHMARK(BM_EditDescriptionOnExpandedLargeRecord)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The date also rolls up to the entry's subpart and part.
void BM_EditDateOnExpandedLargeRecord(benchmark::State& state) {
    measureFieldEdit(state, "date", typedDay, holdsDay, Timed::Edit);
}
BENCHMARK(BM_EditDateOnExpandedLargeRecord)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Undo of one field edit, from the command to the refreshed outline.
void BM_UndoNameEditOnExpandedLargeRecord(benchmark::State& state) {
    measureFieldEdit(state, "partName", typedName, holdsName, Timed::Undo);
}
BENCHMARK(BM_UndoNameEditOnExpandedLargeRecord)->Unit(benchmark::kMillisecond)->Repetitions(5);

// One step that restores three dates: the entry's and the two rolled up.
void BM_UndoDateEditOnExpandedLargeRecord(benchmark::State& state) {
    measureFieldEdit(state, "date", typedDay, holdsDay, Timed::Undo);
}
BENCHMARK(BM_UndoDateEditOnExpandedLargeRecord)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    return cogbook::bench::runDocumentBenchmarks(argc, argv);
}
