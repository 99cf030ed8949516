// Renaming a part that has many entries on a record of some 50,000 items,
// the way the user does it: the name cell opened, the text typed over,
// Return (or a click into another window); then Undo and Redo. Each state of
// the outline the user can be in is a benchmark of its own. Every step is
// timed by itself and the counters give the distribution of the steps (in
// milliseconds: median, 90th percentile and the slowest), since what the
// user feels is the one step that freezes the window, not the mean.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "large_bike.h"
#include "document/MyDocument.h"
#include "foundation/file_io.h"
#include "foundation/undo_manager.h"
#include "model/record_file.h"
#include "platform/application.h"

namespace cogbook {
namespace {

constexpr int kEntriesOfAHeavyPart = 2000;
// Where the heavy parts stand among the 450 regular ones.
constexpr std::size_t kHeavyPartIndexes[] = {10, 225, 440};

// A page of notes as people write them.
std::string pageOfNotes() {
    std::string page;
    while (page.size() < 3000) page += "Chain stretched 0.5 %, cassette worn on the 15 and 17, new chain fitted. ";
    return page;
}

// 450 parts of 10 subparts of 9 entries, and three parts with 2,000 entries
// each filed directly under them: 51,453 items. Every 100th entry has a page
// of notes; the heavy parts have notes too, the middle one (the part renamed)
// with a scanned receipt pasted in: 40,000 characters without a space.
ZRBicycleListPtr recordToRename() {
    bench::LargeBikeShape shape;
    shape.parts = 450;
    shape.notes = [](int serial) { return serial % 100 == 0 ? pageOfNotes() : std::string(); };
    ZRBicycleListPtr bike = bench::largeBike(shape);
    int heavy = 0;
    for (const std::size_t index : kHeavyPartIndexes) {
        auto part = ZRBicycleList::create();
        part->setPartName("Drivetrain " + std::to_string(++heavy));
        part->setExpandable(true);
        part->setNotes(heavy == 2 ? "Receipt: " + std::string(40000, 'Q') : pageOfNotes());
        std::vector<ZRBicycleListPtr> entries;
        for (int e = 0; e < kEntriesOfAHeavyPart; ++e) {
            auto entry = ZRBicycleList::create();
            entry->setPartName(part->partName());
            entry->setDescription("Chain waxed");
            if (e % 50 == 0) entry->setNotes(pageOfNotes());
            entries.push_back(entry);
        }
        part->addChildrenPartsOrEntries(entries);
        bike->insertChildPartOrEntryAtIndex(part, static_cast<std::int32_t>(index));
    }
    return bike;
}

struct RecordFile {
    QTemporaryDir folder;
    QString path = folder.filePath("rename.cogbook");
    QString smallPath = folder.filePath("other.cogbook");
    RecordFile() {
        writeFileAtomically(path.toStdString(), writeRecordFile(*recordToRename()));
        bench::LargeBikeShape small;
        small.parts = 3;
        writeFileAtomically(smallPath.toStdString(), writeRecordFile(*bench::largeBike(small)));
    }
};

RecordFile& recordFile() {
    static RecordFile file;
    return file;
}

void closeAll(DocumentController& controller) {
    for (Document* document : controller.orderedDocuments()) document->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The names typed in turn: a plain one, one that a sibling has already, one
// that would sort first, one that would sort last.
const std::string kNames[] = {"Renamed chain", "Part 1", "Aaa first", "Zzz last"};

enum class Outline {
    Collapsed,      // every part collapsed
    PartExpanded,   // only the renamed part expanded
    AllExpanded,    // everything expanded, the renamed part selected
    SelectionBelow, // everything expanded, the rows from the part's last entry down selected
    NotesShown,     // the part expanded, one of its entries selected, its notes in the pane
};

// Milliseconds per step, and the distribution a run left.
struct Steps {
    std::vector<double> times;
    void add(std::chrono::steady_clock::duration span) {
        times.push_back(std::chrono::duration<double, std::milli>(span).count());
    }
    void report(benchmark::State& state, const std::string& name) {
        if (times.empty()) return;
        std::sort(times.begin(), times.end());
        const auto at = [this](double fraction) {
            return times[std::min(times.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(times.size())))];
        };
        state.counters[name + "P50"] = at(0.5);
        state.counters[name + "P90"] = at(0.9);
        state.counters[name + "Max"] = times.back();
    }
};

class RenameSession {
public:
    explicit RenameSession(Outline outline) : outline_(outline) {
        document = static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(recordFile().path));
        if (document == nullptr) return;
        view = document->bikeTable();
        QApplication::setActiveWindow(document->documentWindow());
        part = document->theBike()->childAtIndex(kHeavyPartIndexes[1]);
        switch (outline) {
        case Outline::Collapsed: document->collapseAll(); break;
        case Outline::PartExpanded:
        case Outline::NotesShown:
            document->collapseAll();
            view->expandItem(part.get());
            break;
        case Outline::AllExpanded:
        case Outline::SelectionBelow: document->expandAll(); break;
        }
        settle();
        select();
    }
    ~RenameSession() { closeAll(controller); }
    RenameSession(const RenameSession&) = delete;
    RenameSession& operator=(const RenameSession&) = delete;

    bool ready() const { return document != nullptr && view != nullptr; }

    // The selection the state starts each step with.
    void select() {
        switch (outline_) {
        case Outline::SelectionBelow: {
            // From the part's last entry to the end, as a shift-click makes it.
            std::vector<long> rows;
            for (long row = view->rowForItem(part->childAtIndex(kEntriesOfAHeavyPart - 1).get());
                 row < view->numberOfRows(); ++row)
                rows.push_back(row);
            view->selectRowIndexesByExtendingSelection(rows, false);
            break;
        }
        case Outline::NotesShown:
            view->selectRowByExtendingSelection(view->rowForItem(part->childAtIndex(1000).get()), false);
            break;
        default: view->selectRowByExtendingSelection(view->rowForItem(part.get()), false); break;
        }
        settle();
    }

    // The part's name cell open, NAME typed over its text.
    bool type(const std::string& name) {
        view->editColumnRowWithEventSelect(view->columnWithIdentifier(QStringLiteral("partName")),
                                           view->rowForItem(part.get()), nullptr, true);
        auto* editor = qobject_cast<QLineEdit*>(view->currentEditor());
        if (editor == nullptr) return false;
        settle();
        editor->setText(QString::fromStdString(name));
        return true;
    }

    // Return in the open edit, as one event, and the window's own work
    // after it.
    void commitWithReturn() {
        Application::performAsOneEvent([this] { view->endEditingWithMovement(kTextMovementReturn); });
        QApplication::processEvents();
        view->viewport()->repaint();
    }

    void perform(const char* action) {
        Application::performAsOneEvent([this, action] { document->performAction(action, nullptr); });
        QApplication::processEvents();
        view->viewport()->repaint();
    }

    // Return opens the next row's cell: the user leaves it.
    void leaveNextEdit() {
        view->abortEditing();
        settle();
    }

    void settle() {
        QApplication::processEvents();
        view->viewport()->repaint();
    }

    // The part and its entries carry NAME, the part is the one selected row
    // and no edit is open.
    bool renamedTo(const std::string& name) const {
        if (part->partName() != name) return false;
        for (std::size_t index = 0; index < part->numberOfChildren(); index += 97)
            if (part->childAtIndex(index)->partName() != name) return false;
        return view->numberOfSelectedRows() == 1 && view->selectedRow() == view->rowForItem(part.get());
    }

    bench::BenchController controller;
    MyDocument* document = nullptr;
    ZROutlineView* view = nullptr;
    ZRBicycleListPtr part;

private:
    Outline outline_;
};

template <typename Step>
std::chrono::steady_clock::duration timed(Step&& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::steady_clock::now() - start;
}

// Each iteration: a rename committed with Return, its undo, its redo.
void measureRenames(benchmark::State& state, Outline outline) {
    RenameSession session(outline);
    if (!session.ready()) {
        state.SkipWithError("the record did not open");
        return;
    }
    Steps renames, undos, redos;
    std::size_t iteration = 0;
    for (auto _ : state) {
        const std::string& name = kNames[iteration++ % std::size(kNames)];
        const std::string before = session.part->partName();
        session.select();
        if (!session.type(name)) {
            state.SkipWithError("no cell edit opened");
            break;
        }
        const auto rename = timed([&] { session.commitWithReturn(); });
        session.leaveNextEdit();
        const bool renamed = session.renamedTo(name);
        session.select();
        const auto undo = timed([&] { session.perform("undo:"); });
        const bool undone = session.renamedTo(before);
        session.select();
        const auto redo = timed([&] { session.perform("redo:"); });
        if (!renamed || !undone || !session.renamedTo(name)) {
            state.SkipWithError("a rename, undo or redo did not reach the part and select it");
            break;
        }
        renames.add(rename);
        undos.add(undo);
        redos.add(redo);
        state.SetIterationTime(std::chrono::duration<double>(rename + undo + redo).count());
    }
    state.counters["rows"] = static_cast<double>(session.view->numberOfRows());
    renames.report(state, "rename");
    undos.report(state, "undo");
    redos.report(state, "redo");
}

void BM_RenameCollapsed(benchmark::State& state) { measureRenames(state, Outline::Collapsed); }
void BM_RenamePartExpanded(benchmark::State& state) { measureRenames(state, Outline::PartExpanded); }
void BM_RenameAllExpanded(benchmark::State& state) { measureRenames(state, Outline::AllExpanded); }
void BM_RenameSelectionBelow(benchmark::State& state) { measureRenames(state, Outline::SelectionBelow); }
void BM_RenameNotesShown(benchmark::State& state) { measureRenames(state, Outline::NotesShown); }

constexpr int kCycles = 12;
BENCHMARK(BM_RenameCollapsed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kCycles);
BENCHMARK(BM_RenamePartExpanded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kCycles);
BENCHMARK(BM_RenameAllExpanded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kCycles);
BENCHMARK(BM_RenameSelectionBelow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kCycles);
BENCHMARK(BM_RenameNotesShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kCycles);

// The rename committed by a click into another document's window: the edit
// ends as the cell loses its focus, with the other window already key. Each
// iteration times the commit; the rename is then undone where it was
// recorded, untimed, and the record's window made key again.
void BM_RenameEndedInAnotherWindow(benchmark::State& state) {
    RenameSession session(Outline::AllExpanded);
    if (!session.ready()) {
        state.SkipWithError("the record did not open");
        return;
    }
    auto* other = static_cast<MyDocument*>(session.controller.openDocumentWithContentsOfFile(recordFile().smallPath));
    if (other == nullptr) {
        state.SkipWithError("the second record did not open");
        return;
    }
    Steps renames;
    std::size_t iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        session.settle();
        QApplication::setActiveWindow(session.document->documentWindow());
        const std::string& name = kNames[iteration++ % std::size(kNames)];
        const std::string before = session.part->partName();
        if (!session.type(name)) {
            state.SkipWithError("no cell edit opened");
            break;
        }
        UndoManager& own = session.document->undoManager();
        const std::size_t ownSteps = own.undoStepCount();
        state.ResumeTiming();
        const auto rename = timed([&] {
            Application::performAsOneEvent([&] { QApplication::setActiveWindow(other->documentWindow()); });
            session.settle();
        });
        state.PauseTiming();
        if (!session.renamedTo(name)) {
            state.SkipWithError("the rename did not reach the part");
            break;
        }
        renames.add(rename);
        state.SetIterationTime(std::chrono::duration<double>(rename).count());
        UndoManager& recorded = own.undoStepCount() > ownSteps ? own : other->undoManager();
        recorded.undo();
        session.settle();
        if (session.part->partName() != before) {
            state.SkipWithError("the rename could not be undone");
            break;
        }
        state.ResumeTiming();
    }
    renames.report(state, "rename");
}
BENCHMARK(BM_RenameEndedInAnotherWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kCycles);

} // namespace
} // namespace cogbook

int main(int argc, char** argv) {
    return cogbook::bench::runDocumentBenchmarks(argc, argv);
}
