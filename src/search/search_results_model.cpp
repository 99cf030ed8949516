#include "search/search_results_model.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QPalette>
#include <QTimeZone>

#include <cmath>

namespace cogbook {

SearchResultsModel::SearchResultsModel(std::function<const ZRBicycleList*()> root, QObject* parent)
    : QAbstractTableModel(parent), root_(std::move(root)) {}

const QStringList& SearchResultsModel::columnKeys() {
    static const QStringList keys{QStringLiteral("partName"), QStringLiteral("description"), QStringLiteral("date")};
    return keys;
}

void SearchResultsModel::setItems(std::vector<ZRBicycleListPtr> items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

bool SearchResultsModel::isRowInTree(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= items_.size()) return false;
    const ZRBicycleList* root = root_ ? root_() : nullptr;
    if (root == nullptr) return false;
    // Up through the parents, each of which must still hold the one below.
    const ZRBicycleList* node = items_[static_cast<std::size_t>(row)].get();
    while (node != root) {
        const ZRBicycleListPtr parent = node->parent();
        if (!parent || node->childIndex() == kZRNotFound) return false;
        const std::int32_t index = node->childIndex();
        if (index < 0 || static_cast<std::size_t>(index) >= parent->numberOfChildren() ||
            parent->childAtIndex(static_cast<std::size_t>(index)).get() != node) {
            return false;
        }
        node = parent.get();
    }
    return true;
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columnKeys().size());
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ZRBicycleList& item = *items_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case 0:
            return QString::fromStdString(item.partName());
        case 1:
            return QString::fromStdString(item.description());
        case 2: {
            const auto msecs = static_cast<qint64>(std::llround(item.date().unixSeconds() * 1000.0));
            const QDate day = QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone::systemTimeZone()).date();
            return QLocale().toString(day, QLocale::ShortFormat);
        }
        default:
            return {};
        }
    }
    if (role == Qt::ForegroundRole && !isRowInTree(index.row())) {
        return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    if (role == Qt::AccessibleDescriptionRole && !isRowInTree(index.row())) return tr("No longer in the record");
    return {};
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case 0:
        return tr("Part");
    case 1:
        return tr("Description");
    case 2:
        return tr("Date");
    default:
        return {};
    }
}

Qt::ItemFlags SearchResultsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void SearchResultsModel::refreshRows() {
    if (items_.empty()) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

} // namespace cogbook
