// The outline's service columns: a service entry's Cost and Odometer, edited
// in place, and what is due for each part with a service interval. They are
// hidden until the user shows them (from the header's context menu, or View >
// Columns), and the choice is kept for the next window.
#include "document/MyDocument.h"

#include <QHeaderView>

#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRSWDocumentNames.h"
#include "document/document_support.h"
#include "document/service_columns.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"

namespace cogbook {

using namespace document_support;

namespace {

// The View > Columns commands, each showing or hiding its column.
struct ColumnCommand {
    const char* action;
    const char* column;
};
constexpr ColumnCommand kColumnCommands[] = {{"toggleCostColumn:", kCostColumn},
                                             {"toggleOdometerColumn:", kOdometerColumn},
                                             {"toggleDueColumn:", kDueColumn}};

const ColumnCommand* columnCommandFor(const std::string& action) {
    for (const ColumnCommand& command : kColumnCommands) {
        if (action == command.action) return &command;
    }
    return nullptr;
}

} // namespace

void MyDocument::installServiceColumnCommands() {
    addCommand("showServiceInterval:", [this](QAction*) { showServiceInterval(); });
    for (const ColumnCommand& command : kColumnCommands) {
        addCommand(command.action, [this, column = command.column](QAction*) {
            if (optionalColumns_) optionalColumns_->setColumnShown(QLatin1String(column),
                                                                   !optionalColumns_->isColumnShown(QLatin1String(column)));
        });
    }
    // The columns' cells once the window has its outline.
    NotificationCenter::defaultCenter().addObserver(&recordChangePending_,
                                                    std::string(kZRSWBikeDocumentDidLoadNotification), this,
                                                    [this](const Notification&) { setupServiceColumns(); });
}

void MyDocument::setupServiceColumns() {
    if (!bikeTable_ || optionalColumns_) return;
    const auto nodeAt = [this](const QModelIndex& index) -> const ZRBicycleList* {
        return bikeTable_ ? static_cast<const ZRBicycleList*>(bikeTable_->itemForIndex(index)) : nullptr;
    };
    // Costs and readings belong to service entries; a part's cells are not edited.
    const auto entryRow = [nodeAt](const QModelIndex& index) {
        const ZRBicycleList* node = nodeAt(index);
        return node != nullptr && !node->expandable();
    };
    costCell_ = std::make_unique<NumberFieldCell>();
    odometerCell_ = std::make_unique<NumberFieldCell>();
    for (const auto& [cell, key] : {std::pair{costCell_.get(), kCostColumn}, std::pair{odometerCell_.get(), kOdometerColumn}}) {
        cell->setEditable(true);
        cell->setEditableForIndex(entryRow);
        bikeTable_->setDataCellForColumn(bikeTable_->tableColumnWithIdentifier(QLatin1String(key)), cell);
    }

    dueCell_ = std::make_unique<ServiceDueCell>();
    // Looked up in the overview worked out once per change: nothing per row
    // walks the tree.
    dueCell_->setStateForIndex([this, nodeAt](const QModelIndex& index) -> std::optional<DueState> {
        const ZRBicycleList* node = nodeAt(index);
        const PartDue* due = node != nullptr && node->expandable() ? serviceDue().find(*node) : nullptr;
        return due != nullptr ? std::optional(due->state) : std::nullopt;
    });
    dueCell_->setImageForIndex([this, nodeAt](const QModelIndex& index) -> std::shared_ptr<const Image> {
        const ZRBicycleList* node = nodeAt(index);
        if (node == nullptr || !node->expandable()) return nullptr;
        const ServiceDueOverview& overview = serviceDue();
        if (const PartDue* due = overview.find(*node)) return imageNamed(QLatin1String(dueImageName(due->state)));
        return overview.hasDueBelow(*node) ? imageNamed(QLatin1String(kDueBelowImageName)) : nullptr;
    });
    dueCell_->setImageToolTipForIndex([this, nodeAt](const QModelIndex& index) {
        const ZRBicycleList* node = nodeAt(index);
        if (node == nullptr || !node->expandable()) return QString();
        const ServiceDueOverview& overview = serviceDue();
        if (const PartDue* due = overview.find(*node)) return dueStateMeaning(due->state);
        return overview.hasDueBelow(*node) ? dueBelowMeaning() : QString();
    });
    bikeTable_->setDataCellForColumn(bikeTable_->tableColumnWithIdentifier(QLatin1String(kDueColumn)), dueCell_.get());

    optionalColumns_ = new OptionalColumns(bikeTable_, serviceColumnIdentifiers(), std::string(ZRSWOutlineShownColumns));
    optionalColumns_->applyKeptChoice();

    // What is due moves with every change of the record; the cells ask again
    // as they are drawn.
    connect(this, &MyDocument::recordChanged, bikeTable_, [this] {
        if (bikeTable_) bikeTable_->viewport()->update();
    });
    // A double click on a part's Due cell opens its intervals.
    connect(bikeTable_, &QAbstractItemView::doubleClicked, this, [this, nodeAt](const QModelIndex& index) {
        const TableColumn* column = bikeTable_ ? bikeTable_->columnForIndex(index) : nullptr;
        const ZRBicycleList* node = nodeAt(index);
        if (column != nullptr && column->identifier() == QLatin1String(kDueColumn) && node != nullptr &&
            node->expandable())
            showServiceInterval();
    });
}

std::optional<bool> MyDocument::validateServiceMenuItem(QAction* item) {
    const std::string action = menuItemAction(item);
    if (action == "showServiceInterval:") {
        if (!bikeTable_ || bikeTable_->numberOfSelectedRows() != 1) return false;
        const auto* node = static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
        return node != nullptr && node->expandable();
    }
    if (const ColumnCommand* command = columnCommandFor(action)) {
        if (!optionalColumns_) return false;
        item->setCheckable(true);
        item->setChecked(optionalColumns_->isColumnShown(QLatin1String(command->column)));
        return true;
    }
    return std::nullopt;
}

std::optional<QVariant> MyDocument::serviceColumnValue(const QString& key, const ZRBicycleList& node) const {
    if (key == QLatin1String(kCostColumn)) {
        const std::optional<double> cost = node.expandable() ? std::nullopt : node.cost();
        return cost ? QVariant(costCellText(*cost)) : QVariant();
    }
    if (key == QLatin1String(kOdometerColumn)) {
        const std::optional<double> reading = node.expandable() ? std::nullopt : node.odometer();
        return reading ? QVariant(shortestNumberText(*reading, QLocale())) : QVariant();
    }
    if (key == QLatin1String(kDueColumn)) {
        const PartDue* due = node.expandable() ? serviceDue().find(node) : nullptr;
        return due != nullptr ? QVariant(QString::fromStdString(due->text)) : QVariant();
    }
    return std::nullopt;
}

bool MyDocument::setServiceColumnValue(const QString& key, const QVariant& value, const ZRBicycleListPtr& node) {
    const bool cost = key == QLatin1String(kCostColumn);
    if (!cost && key != QLatin1String(kOdometerColumn)) return key == QLatin1String(kDueColumn);
    // Text left as it was shown comes back as that text: nothing changed.
    if (value.typeId() == QMetaType::QString) return true;
    if (node->expandable()) {
        beep();
        return true;
    }
    const std::optional<double> number = value.isValid() ? std::optional(value.toDouble()) : std::nullopt;
    if ((cost ? node->cost() : node->odometer()) == number) return true;
    undoManager().setActionName(cost ? "Cost Change" : "Odometer Change");
    if (cost) {
        newCostForItem(number, node);
    } else {
        newOdometerForItem(number, node);
    }
    return true;
}

void MyDocument::newCostForItem(std::optional<double> cost, const ZRBicycleListPtr& item) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = item->cost(), item] { newCostForItem(old, item); });
    item->setCost(cost);
    focusAfterChange(item);
}

void MyDocument::newOdometerForItem(std::optional<double> odometer, const ZRBicycleListPtr& item) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = item->odometer(), item] {
        newOdometerForItem(old, item);
    });
    item->setOdometer(odometer);
    focusAfterChange(item);
}

} // namespace cogbook
