// The rows of a search report: the items found, in the order found, with
// their part name, description and date. An item that has left its
// document's tree since (removed, or the document reverted) shows as gone.
#pragma once

#include <QAbstractTableModel>

#include <functional>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {

class SearchResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // ROOT answers the document's current bike (it changes on revert).
    explicit SearchResultsModel(std::function<const ZRBicycleList*()> root, QObject* parent = nullptr);

    // The columns, each named by the item field it shows.
    static const QStringList& columnKeys();

    void setItems(std::vector<ZRBicycleListPtr> items);
    void clear() { setItems({}); }
    const std::vector<ZRBicycleListPtr>& items() const { return items_; }
    // Whether the item of ROW is still in the document's tree below the bike.
    bool isRowInTree(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The gone-or-not look may have changed for every row.
    void refreshRows();

private:
    std::function<const ZRBicycleList*()> root_;
    std::vector<ZRBicycleListPtr> items_;
};

} // namespace cogbook
