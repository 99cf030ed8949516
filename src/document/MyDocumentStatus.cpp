// The window's status bar: where the selected item sits in the record, and
// how many parts and entries the record holds. The counts are taken once and
// then kept by every filing and removal, so that a large record is not
// walked again for each change.
#include "document/MyDocument.h"

#include <QLocale>
#include <QStatusBar>
#include <QTimer>

#include <unordered_set>

#include "document/service_columns.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"

namespace cogbook {

namespace {

MyDocument::RecordCounts countSubtree(const ZRBicycleList& top) {
    MyDocument::RecordCounts counts;
    std::vector<const ZRBicycleList*> pending{&top};
    while (!pending.empty()) {
        const ZRBicycleList* node = pending.back();
        pending.pop_back();
        ++(node->expandable() ? counts.parts : counts.entries);
        for (std::size_t index = 0; index < node->numberOfChildren(); ++index)
            pending.push_back(node->childAtIndex(index).get());
    }
    return counts;
}

QString counted(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(QLocale().toString(static_cast<qulonglong>(count)),
                                         QLatin1String(count == 1 ? one : many));
}

} // namespace

MyDocument::RecordCounts MyDocument::recordCounts() const {
    if (!counts_) {
        counts_ = countSubtree(*theBike_);
        // The bike itself is neither.
        --counts_->parts;
    }
    return *counts_;
}

void MyDocument::noteSubtreeFiled(const ZRBicycleList& subtree, bool filed) {
    if (counts_) {
        const RecordCounts change = countSubtree(subtree);
        if (filed) {
            counts_->parts += change.parts;
            counts_->entries += change.entries;
        } else if (counts_->parts >= change.parts && counts_->entries >= change.entries) {
            counts_->parts -= change.parts;
            counts_->entries -= change.entries;
        } else {
            counts_.reset();
        }
    }
    scheduleStatusUpdate();
}

QString MyDocument::selectionPathText() const {
    if (!bikeTable_) return bikeName();
    const long selected = bikeTable_->numberOfSelectedRows();
    if (selected > 1) return tr("%1 items selected").arg(selected);
    const auto* item = static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
    QStringList names;
    for (ZRBicycleListPtr node = item != nullptr ? item->parent() : nullptr; node && node != theBike_;
         node = node->parent())
        names.prepend(QString::fromStdString(node->partName()));
    names.prepend(bikeName());
    if (item != nullptr) names.append(QString::fromStdString(item->partName()));
    return names.join(QStringLiteral(" \u203a "));
}

QString MyDocument::recordCountsText() const {
    const RecordCounts counts = recordCounts();
    return counted(counts.parts, "part", "parts") + QStringLiteral(", ") + counted(counts.entries, "entry", "entries");
}

void MyDocument::installStatusBar() {
    QStatusBar* bar = documentWindow()->statusBar();
    bar->setAccessibleName(tr("Status"));
    statusPath_ = new QLabel(bar);
    statusPath_->setObjectName(QStringLiteral("statusPath"));
    statusPath_->setAccessibleName(tr("Selected item"));
    statusPath_->setTextFormat(Qt::PlainText);
    // A long path gives way to the window's width.
    statusPath_->setMinimumWidth(1);
    statusPath_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusCounts_ = new QLabel(bar);
    statusCounts_->setObjectName(QStringLiteral("statusCounts"));
    statusCounts_->setAccessibleName(tr("Record size"));
    statusCounts_->setTextFormat(Qt::PlainText);
    statusCost_ = new QLabel(bar);
    statusCost_->setObjectName(QStringLiteral("statusCost"));
    statusCost_->setAccessibleName(tr("Cost of the selection"));
    statusCost_->setTextFormat(Qt::PlainText);
    statusCost_->hide();
    bar->addWidget(statusPath_, 1);
    bar->addPermanentWidget(statusCost_);
    bar->addPermanentWidget(statusCounts_);

    connect(bikeTable_, &OutlineView::selectionDidChange, this, &MyDocument::scheduleStatusUpdate);
    connect(this, &Document::displayNameChanged, this, &MyDocument::scheduleStatusUpdate);
    // Every change of the record (a name, a filing, an undo) passes the
    // document's history.
    auto& center = NotificationCenter::defaultCenter();
    for (const std::string_view name : {kUndoManagerDidCloseUndoGroupNotification, kUndoManagerDidUndoChangeNotification,
                                        kUndoManagerDidRedoChangeNotification}) {
        center.addObserver(&statusPath_, std::string(name), &undoManager(),
                           [this](const Notification&) { scheduleStatusUpdate(); });
    }
    updateStatusBar();
}

void MyDocument::scheduleStatusUpdate() {
    if (statusUpdatePending_ || !statusPath_) return;
    statusUpdatePending_ = true;
    QTimer::singleShot(0, this, [this] {
        statusUpdatePending_ = false;
        updateStatusBar();
    });
}

void MyDocument::updateStatusBar() {
    if (!statusPath_ || !statusCounts_ || ending_) return;
    const QString path = selectionPathText();
    statusPath_->setText(path);
    // The whole path, where the window is too narrow for it.
    statusPath_->setToolTip(path);
    statusCounts_->setText(recordCountsText());
    updateStatusCost();
}

QString MyDocument::selectionCostText() const {
    const ServiceCosts& costs = serviceCostTotals();
    if (costs.costedEntries == 0) return {};
    double total = 0.0;
    const std::vector<long> rows = bikeTable_ ? bikeTable_->selectedRowIndexes() : std::vector<long>();
    if (rows.empty()) {
        total = costs.total;
    } else {
        std::unordered_set<const ZRBicycleList*> selected;
        for (const long row : rows) selected.insert(static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(row)));
        for (const ZRBicycleList* item : selected) {
            if (item == nullptr) continue;
            // An item below another selected one is in that one's total already.
            bool counted = false;
            for (ZRBicycleListPtr above = item->parent(); above && !counted; above = above->parent())
                counted = selected.contains(above.get());
            if (!counted) total += costs.totalOf(*item);
        }
    }
    return tr("Cost: %1").arg(moneyText(total, theBike_->currency()));
}

void MyDocument::updateStatusCost() {
    if (!statusCost_) return;
    const QString text = selectionCostText();
    statusCost_->setText(text);
    statusCost_->setVisible(!text.isEmpty());
}

} // namespace cogbook
