#include "search/ZRSWSearchReport.h"

#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QShortcut>
#include <QTableView>

#include "foundation/assertion.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"
#include "platform/windows_menu.h"
#include "search/ZRSWSearcher.h"
#include "search/document_registry.h"
#include "search/search_results_model.h"
#include "ui_ZRSWSearchReport.h"

namespace cogbook {
namespace {

DocumentRegistry<ZRSWSearchReport> searchReports;

} // namespace

ZRSWSearchReport* ZRSWSearchReport::searchReportForDocument(ZRSWSearchableDocument* document) {
    if (document == nullptr) {
        AssertionHandler::currentHandler().handleFailureInMethod("searchReportForDocument:", std::string_view("ZRSWSearchReport"),
                                                                 "ZRSWSearchReport", __LINE__,
                                                                 "can't set search report for nil document");
    }
    return searchReports.findOrMake(document->documentIdentity(),
                                    [document] { return new ZRSWSearchReport(document); });
}

std::size_t ZRSWSearchReport::registeredReportCount() {
    return searchReports.size();
}

ZRSWSearchReport::ZRSWSearchReport(ZRSWSearchableDocument* document)
    : theBikeDocument_(document), documentKey_(document->documentIdentity()) {
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, std::string(kSearchedDocumentWillDeallocNotification), nullptr,
                       [this](const Notification& note) { bikeDocumentWillDealloc(note.object); });
    // Any change, its undo or its redo may take a listed item out of the
    // tree or put it back.
    for (const std::string_view name : {kUndoManagerDidCloseUndoGroupNotification, kUndoManagerDidUndoChangeNotification,
                                        kUndoManagerDidRedoChangeNotification}) {
        center.addObserver(this, std::string(name), nullptr, [this](const Notification&) {
            if (model_) model_->refreshRows();
        });
    }
}

ZRSWSearchReport::~ZRSWSearchReport() {
    NotificationCenter::defaultCenter().removeObserver(this);
    if (searchReportPanel_) removeWindowsItem(searchReportPanel_.get());
}

void ZRSWSearchReport::loadPanel() {
    searchReportPanel_ = std::make_unique<QWidget>(nullptr, Qt::Window);
    Ui::ZRSWSearchReport ui;
    ui.setupUi(searchReportPanel_.get());
    searchReportTV_ = ui.searchReportTV;
    model_ = new SearchResultsModel(
        [this]() -> const ZRBicycleList* {
            return theBikeDocument_ ? theBikeDocument_->searchRoot().get() : nullptr;
        },
        searchReportPanel_.get());
    searchReportTV_->setModel(model_);
    // Rows of one height: a table of a hundred thousand rows lays out at once.
    QHeaderView* rows = searchReportTV_->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(searchReportTV_->fontMetrics().height() + 6);
    searchReportTV_->horizontalHeader()->resizeSection(0, 160);
    searchReportTV_->horizontalHeader()->resizeSection(1, 260);
    connect(searchReportTV_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rowsSelected = searchReportTV_->selectionModel()->selectedRows();
        if (!rowsSelected.isEmpty()) tableViewSelectionDidChange(rowsSelected.first().row());
    });
    // Return or Enter on the current row chooses it again.
    connect(searchReportTV_, &QTableView::activated, this,
            [this](const QModelIndex& index) { tableViewSelectionDidChange(index.row()); });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), searchReportPanel_.get());
    connect(close, &QShortcut::activated, searchReportPanel_.get(), &QWidget::close);
    searchReportPanel_->installEventFilter(this);
}

bool ZRSWSearchReport::eventFilter(QObject* watched, QEvent* event) {
    // Coming back to the report after editing: show what has left the tree.
    if (watched == searchReportPanel_.get() && event->type() == QEvent::WindowActivate && model_) model_->refreshRows();
    return QObject::eventFilter(watched, event);
}

ZRSWSearchReport* ZRSWSearchReport::showSearchResultsForStringIgnoreCase(const QString& string, bool ignoreCase) {
    if (theBikeDocument_ == nullptr || !theBikeDocument_->searchRoot()) return nullptr;
    if (!searchReportPanel_) loadPanel();
    const QString bike = theBikeDocument_->bikeName();
    const QString title = string.isEmpty() ? tr("Search Results for %1").arg(bike)
                                           : tr("Search Results for \u201c%1\u201d in %2").arg(string, bike);
    searchReportPanel_->setWindowTitle(title);
    searchReportPanel_->show();
    searchReportPanel_->raise();
    searchReportPanel_->activateWindow();
    addWindowsItem(searchReportPanel_.get(), title);

    // The whole list at once, from one walk of the tree.
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(theBikeDocument_);
    searcher->resetSearchToStartAtItem(theBikeDocument_->searchRoot().get());
    searcher->setBookmark(nullptr);
    searchReportTV_->clearSelection();
    model_->setItems(searcher->allItemsWithStringIgnoreCase(string, ignoreCase));
    return this;
}

void ZRSWSearchReport::tableViewSelectionDidChange(int row) {
    if (row < 0 || model_ == nullptr || theBikeDocument_ == nullptr) return;
    if (!model_->isRowInTree(row)) {
        model_->refreshRows();
        beep();
        return;
    }
    theBikeDocument_->focusOnSearchResult(model_->items()[static_cast<std::size_t>(row)].get());
}

void ZRSWSearchReport::bikeDocumentWillDealloc(const void* document) {
    if (document == nullptr || document != documentKey_) return;
    if (searchReportPanel_) {
        searchReportPanel_->close();
        removeWindowsItem(searchReportPanel_.get());
    }
    theBikeDocument_ = nullptr;
    NotificationCenter::defaultCenter().removeObserver(this);
    // Ends once the notification has been handled, not inside its handler.
    std::shared_ptr<ZRSWSearchReport> self = searchReports.release(documentKey_, this);
    if (!self) return;
    performDeferred([self] {});
}

} // namespace cogbook
