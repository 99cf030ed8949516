// The service log as CSV: written whole to a file of the user's choice, and
// read back as service entries, filed (after a preview the user accepts) as
// one step that undo takes back whole.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <stdexcept>
#include <utility>
#include <unordered_set>
#include <vector>

#include "document/MyDocument.h"
#include "document/ZRSWImportPreviewSheet.h"
#include "foundation/file_io.h"
#include "foundation/undo_manager.h"
#include "model/record_file.h"
#include "model/service_csv.h"
#include "platform/alerts.h"
#include "platform/file_choosers.h"

namespace cogbook {
namespace {

// No service log of a real bike comes near this; a larger file is refused
// before it is read rather than tying the program up.
constexpr std::size_t kMaxCsvBytes = std::size_t{64} * 1024 * 1024;

FileKind csvFiles(const QString& title) {
    return {title, QObject::tr("CSV files (*.csv);;All files (*)"), QStringLiteral("csv")};
}

bool isRecordFile(const QString& path, const QString& recordFile) {
    return !recordFile.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(recordFile).absoluteFilePath();
}

// Made parts take the latest date filed below them, as a part does that
// work is filed under; NODE is not in the tree yet, so nothing is recorded.
// The entries of the subtree go to ENTRIES, in outline order. A walk, not
// recursion: a part path may be thousands of names long.
void settleMadeSubtree(const ZRBicycleListPtr& node, std::vector<ZRBicycleListPtr>& entries) {
    std::vector<std::pair<ZRBicycleListPtr, bool>> pending{{node, false}};
    while (!pending.empty()) {
        auto [current, childrenDone] = pending.back();
        pending.pop_back();
        if (!current->expandable()) {
            entries.push_back(current);
            continue;
        }
        const std::size_t count = current->numberOfChildren();
        if (childrenDone) {
            if (count == 0) continue;
            Date latest = current->childAtIndex(0)->date();
            for (std::size_t index = 1; index < count; ++index) latest = latest.laterDate(current->childAtIndex(index)->date());
            current->setDate(latest);
            continue;
        }
        pending.emplace_back(current, true);
        for (std::size_t index = count; index-- > 0;) pending.emplace_back(current->childAtIndex(index), false);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Export

bool MyDocument::exportServiceLogAsCsv() {
    // What the user sees is what is written: an open cell edit and the notes
    // pane's text go into the record first.
    if (!_commitBeforePrinting()) return false;
    QString name = bikeName();
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name += QStringLiteral(".csv");
    const QString suggested = fileName().isEmpty() ? name : QFileInfo(fileName()).dir().filePath(name);
    const QString path = chooseExportPath(documentWindow(), csvFiles(tr("Export Service Log as CSV")), suggested);
    if (path.isEmpty()) return false;
    return exportServiceLogAsCsvToFile(path);
}

bool MyDocument::exportServiceLogAsCsvToFile(const QString& path) {
    const QString failure = tr("The service log “%1” could not be written.").arg(path);
    // Replacing the record's own file with its log would lose the record.
    if (isRecordFile(path, fileName())) {
        showMessage(documentWindow(), AlertStyle::Critical, failure, tr("It is the record's own file."));
        return false;
    }
    const std::string csv = serviceLogCsv(*theBike_);
    try {
        writeFileAtomically(QFile::encodeName(path).toStdString(), std::vector<std::uint8_t>(csv.begin(), csv.end()));
    } catch (const std::runtime_error& error) {
        showMessage(documentWindow(), AlertStyle::Critical, failure, QString::fromStdString(error.what()));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Import

ZRSWImportPreviewSheet* MyDocument::importPreviewSheet() const { return importPreview_; }

void MyDocument::importServiceEntriesFromCsv() {
    if (!endCellEditing()) return;
    const QString folder = fileName().isEmpty() ? QString() : QFileInfo(fileName()).absolutePath();
    const QString path = chooseImportPath(documentWindow(), csvFiles(tr("Import Service Entries from CSV")), folder);
    if (!path.isEmpty()) previewServiceImportFromFile(path);
}

bool MyDocument::previewServiceImportFromFile(const QString& path) {
    DocumentWindow* window = documentWindow();
    if (window == nullptr) return false;
    const QString failure = tr("“%1” could not be imported.").arg(path);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readWholeFile(QFile::encodeName(path).toStdString(), kMaxCsvBytes);
    } catch (const std::runtime_error& error) {
        showMessage(window, AlertStyle::Critical, failure, QString::fromStdString(error.what()));
        return false;
    }
    std::string text(bytes.begin(), bytes.end());
    bytes = {};
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        (void)QString(utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size()))));
        if (utf8.hasError()) {
            showMessage(window, AlertStyle::Critical, failure,
                        tr("It is not UTF-8 text. Save it from the spreadsheet as CSV in UTF-8, then import it again."));
            return false;
        }
    }
    const ServiceImportPlan plan = planServiceImport(*theBike_, text);
    if (!importPreview_) importPreview_ = new ZRSWImportPreviewSheet(window, this);
    importPreview_->beginSheet(QFileInfo(path).fileName(), plan, [this, path, text = std::move(text), plan] {
        // The record may have changed while the preview showed (from another
        // window); what is filed is what the user saw, or nothing.
        const ServiceImportPlan now = planServiceImport(*theBike_, text);
        if (now.partsToCreate != plan.partsToCreate || now.entries.size() != plan.entries.size()) {
            showMessage(documentWindow(), AlertStyle::Warning, tr("“%1” was not imported.").arg(path),
                        tr("The record changed while the preview was open. Import the file again to see what it "
                           "would do now."));
            return;
        }
        importServiceEntries(now);
    });
    return true;
}

bool MyDocument::importServiceEntries(const ServiceImportPlan& plan) {
    if (plan.entries.empty() || !endCellEditing()) return false;
    // A record nested deeper than a record file holds could not be opened again.
    for (const ServiceImportEntry& entry : plan.entries) {
        if (entry.path.size() + 2 > kMaxRecordDepth) {
            showMessage(documentWindow(), AlertStyle::Critical, tr("Nothing was imported."),
                        tr("Line %1 names a part nested deeper than a record can hold.").arg(entry.line));
            return false;
        }
    }
    const std::vector<ServiceImportInsertion> insertions = serviceImportInsertions(theBike_, plan);
    std::vector<ZRBicycleListPtr> entries;
    for (const ServiceImportInsertion& insertion : insertions) {
        settleMadeSubtree(insertion.child, entries);
    }
    // The outline catches up once, after the last filing.
    ++focusDeferred_;
    const auto caughtUp = [this] {
        if (--focusDeferred_ == 0) flushPendingFocus();
    };
    try {
        std::vector<ZRBicycleListPtr> parents;
        std::unordered_set<const ZRBicycleList*> seen;
        for (const ServiceImportInsertion& insertion : insertions) {
            insertChildForParentAtIndex(insertion.child, insertion.parent,
                                        static_cast<std::int32_t>(insertion.parent->numberOfChildren()));
            if (seen.insert(insertion.parent.get()).second) parents.push_back(insertion.parent);
        }
        for (const ZRBicycleListPtr& parent : parents) rollUpDatesAbove(parent);
    } catch (...) {
        caughtUp();
        throw;
    }
    caughtUp();
    undoManager().setActionName("Import");
    selectImportedEntries(entries);
    return true;
}

void MyDocument::selectImportedEntries(const std::vector<ZRBicycleListPtr>& entries) {
    if (!bikeTable_ || entries.empty()) return;
    bikeTable_->reloadData();
    // Every part above an entry, outermost first, each once: expanded
    // together, the outline is laid out once rather than once a part.
    std::vector<const void*> toExpand;
    std::unordered_set<const ZRBicycleList*> seen;
    std::vector<const ZRBicycleList*> chain;
    for (const ZRBicycleListPtr& entry : entries) {
        chain.clear();
        for (ZRBicycleListPtr up = entry->parent(); up && up != theBike_ && !seen.count(up.get()); up = up->parent())
            chain.push_back(up.get());
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            seen.insert(*it);
            toExpand.push_back(*it);
        }
    }
    bikeTable_->expandItems(toExpand);
    std::vector<long> rows;
    rows.reserve(entries.size());
    for (const ZRBicycleListPtr& entry : entries) {
        const long row = bikeTable_->rowForItem(entry.get());
        if (row != kOutlineNoRow) rows.push_back(row);
    }
    if (rows.empty()) return;
    bikeTable_->selectRowIndexesByExtendingSelection(rows, false);
    bikeTable_->scrollRowToVisible(rows.front());
}

} // namespace cogbook
