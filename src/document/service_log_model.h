// The service log's table: every service entry of a record as a row
// (ServiceLogModel), and the sorted, filtered view of it the window shows
// (ServiceLogProxy). The model keeps the raw values the rows sort and filter
// on; texts for the screen are made only for the rows a view asks about.
#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QSortFilterProxyModel>
#include <QString>

#include <optional>
#include <vector>

#include "model/ZRBicycleList.h"
#include "model/service_fields.h"
#include "model/service_log.h"

namespace cogbook {

class ServiceLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { DateColumn, PartColumn, DescriptionColumn, CostColumn, OdometerColumn, NotesColumn, ColumnCount };
    // The raw value a column sorts on: seconds for the date, the number for
    // cost and odometer, the text otherwise; invalid for a blank.
    static constexpr int SortRole = Qt::UserRole;

    explicit ServiceLogModel(QObject* parent = nullptr);

    // The rows of BIKE's entries, newest first. BIKENAME stands for the
    // bike in the part column of its own entries; costs read in the bike's
    // currency and readings in its distance unit.
    void setRecord(const ZRBicycleList& bike, const QString& bikeName);
    // Forgets every row (the document is going).
    void clear();
    // ENTRY's notes changed and nothing else: its row (if it has one) takes
    // them; a view sorted or filtered on the notes follows.
    void notesChanged(const ZRBicycleList& entry);

    const ZRBicycleListPtr& entryAtRow(int row) const { return rows_[static_cast<std::size_t>(row)].entry; }
    // The row of ENTRY, or -1.
    int rowOfEntry(const ZRBicycleList* entry) const;
    std::optional<double> costAtRow(int row) const { return rows_[static_cast<std::size_t>(row)].cost; }
    const QString& currency() const { return currency_; }

    // Whether ROW's part, description or notes contain NEEDLE (case aside).
    bool rowContains(int row, const QString& needle) const;
    // ROW's calendar day in local time.
    QDate dayAtRow(int row) const;
    bool isBlank(int column, int row) const;
    // What each row sorts on in COLUMN, as numbers: seconds, amounts, or a
    // text's place among the column's texts; NaN for a blank. Made when
    // the column is first sorted by, kept until the rows change.
    const std::vector<double>& sortKeys(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        ZRBicycleListPtr entry;
        double date = 0.0;
        QString part;
        QString description;
        QString notes;
        std::optional<double> cost;
        std::optional<double> odometer;
    };
    const QString& textAt(int column, int row) const;
    QString displayText(int column, const Row& row) const;

    std::vector<Row> rows_;
    // Local calendar days of the rows, worked out when a date range first asks.
    mutable std::vector<qint64> days_;
    // For each text column once it is sorted by: each row's place in the
    // column's order, equal texts sharing one (so a sort keeps their order).
    const std::vector<int>& textRanks(int column) const;
    mutable std::vector<int> textRanks_[ColumnCount];
    mutable std::vector<double> sortKeys_[ColumnCount];
    QString currency_;
    DistanceUnit unit_ = DistanceUnit::kilometres;
};

class ServiceLogProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ServiceLogProxy(ServiceLogModel* log, QObject* parent = nullptr);

    // The rows shown: those whose part, description or notes hold TEXT, from
    // FROM to TO (either invalid: open at that end), both days included.
    void setFilter(const QString& text, QDate from, QDate to);
    const QString& filterText() const { return text_; }

    // What the costs of the rows shown add up to.
    double shownTotal() const;

    // Newest first is the log's own order: no sorting needed.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ServiceLogModel* log_;
    QString text_;
    QDate from_;
    QDate to_;
};

} // namespace cogbook
