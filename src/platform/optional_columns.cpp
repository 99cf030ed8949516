#include "platform/optional_columns.h"

#include <QHeaderView>
#include <QMenu>

#include <algorithm>
#include <string_view>
#include <utility>

#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "platform/outline_view.h"

namespace cogbook {

namespace {

// Posted, with the key after it, by the outline whose user changed the choice.
constexpr std::string_view kShownColumnsDidChange = "OptionalColumnsDidChange:";

} // namespace

OptionalColumns::OptionalColumns(OutlineView* view, QStringList identifiers, std::string key)
    : QObject(view), view_(view), identifiers_(std::move(identifiers)), key_(std::move(key)) {
    QHeaderView* header = view->header();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, &OptionalColumns::showHeaderMenu);
    NotificationCenter::defaultCenter().addObserver(this, changeNotificationName(), nullptr,
                                                    [this](const Notification& notification) {
                                                        if (notification.object != this) followKeptChoice();
                                                    });
}

OptionalColumns::~OptionalColumns() {
    NotificationCenter::defaultCenter().removeObserver(this);
}

std::string OptionalColumns::changeNotificationName() const {
    return std::string(kShownColumnsDidChange) + key_;
}

QSet<int> OptionalColumns::logicalIndexes() const {
    QSet<int> indexes;
    for (const QString& identifier : identifiers_) {
        if (const TableColumn* column = view_ ? view_->tableColumnWithIdentifier(identifier) : nullptr)
            indexes.insert(column->logicalIndex());
    }
    return indexes;
}

QSet<QString> OptionalColumns::keptChoice() const {
    QSet<QString> kept;
    if (const PlistArray* shown = UserDefaults::standardUserDefaults().arrayForKey(key_)) {
        for (const PlistValue& value : *shown) {
            if (value.isString()) kept.insert(QString::fromStdString(value.string()));
        }
    }
    return kept;
}

void OptionalColumns::applyKeptChoice() {
    if (!view_) return;
    const QSet<QString> kept = keptChoice();
    for (const QString& identifier : identifiers_) {
        const TableColumn* column = view_->tableColumnWithIdentifier(identifier);
        if (column != nullptr) view_->header()->setSectionHidden(column->logicalIndex(), !kept.contains(identifier));
    }
}

bool OptionalColumns::isColumnShown(const QString& identifier) const {
    const TableColumn* column = view_ ? view_->tableColumnWithIdentifier(identifier) : nullptr;
    return column != nullptr && !view_->header()->isSectionHidden(column->logicalIndex());
}

void OptionalColumns::setColumnShown(const QString& identifier, bool shown) {
    if (!identifiers_.contains(identifier) || !view_ || !view_->tableColumnWithIdentifier(identifier) ||
        isColumnShown(identifier) == shown)
        return;
    showColumn(identifier, shown);

    PlistArray kept;
    for (const QString& each : identifiers_) {
        if (isColumnShown(each)) kept.emplace_back(each.toStdString());
    }
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(std::move(kept)), key_);
    emit columnShownChanged(identifier, shown);
    NotificationCenter::defaultCenter().postNotificationName(changeNotificationName(), this);
}

void OptionalColumns::showColumn(const QString& identifier, bool shown) {
    const TableColumn* column = view_->tableColumnWithIdentifier(identifier);
    QHeaderView* header = view_->header();
    const int logical = column->logicalIndex();
    // An edit in a column that goes ends first, as it would on leaving it.
    if (!shown && view_->editedColumn() == header->visualIndex(logical) && !view_->endEditing()) view_->abortEditing();
    header->setSectionHidden(logical, !shown);
    // Shown by the user: as wide as its title and the rows on screen need.
    if (shown) {
        const int wanted = static_cast<const QAbstractItemView*>(view_.data())->sizeHintForColumn(logical);
        header->resizeSection(logical, std::max(header->sectionSizeHint(logical), wanted));
    }
}

void OptionalColumns::followKeptChoice() {
    if (!view_) return;
    const QSet<QString> kept = keptChoice();
    for (const QString& identifier : identifiers_) {
        const bool shown = kept.contains(identifier);
        if (!view_->tableColumnWithIdentifier(identifier) || isColumnShown(identifier) == shown) continue;
        showColumn(identifier, shown);
        emit columnShownChanged(identifier, shown);
    }
}

void OptionalColumns::addItemsToMenu(QMenu* menu) {
    for (const QString& identifier : identifiers_) {
        const TableColumn* column = view_ ? view_->tableColumnWithIdentifier(identifier) : nullptr;
        QAction* item = menu->addAction(column != nullptr ? column->title() : identifier);
        item->setCheckable(true);
        connect(item, &QAction::toggled, this, [this, identifier](bool shown) { setColumnShown(identifier, shown); });
        connect(menu, &QMenu::aboutToShow, item, [this, item, identifier] {
            const QSignalBlocker quiet(item);
            item->setChecked(isColumnShown(identifier));
        });
    }
}

void OptionalColumns::showHeaderMenu(const QPoint& point) {
    if (!view_) return;
    QMenu menu(view_->header());
    menu.setAccessibleName(tr("Columns"));
    addItemsToMenu(&menu);
    menu.exec(view_->header()->viewport()->mapToGlobal(point));
}

} // namespace cogbook
