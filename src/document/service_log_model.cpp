#include "document/service_log_model.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "document/document_support.h"
#include "model/service_costs.h"
#include "model/service_due.h"
#include "platform/currency_text.h"

namespace cogbook {

namespace {

QString firstLineOf(const QString& text) {
    for (qsizetype at = 0; at < text.size(); ++at)
        if (text[at] == QLatin1Char('\n') || text[at] == QLatin1Char('\r')) return text.left(at);
    return text;
}

} // namespace

ServiceLogModel::ServiceLogModel(QObject* parent) : QAbstractTableModel(parent) {}

void ServiceLogModel::setRecord(const ZRBicycleList& bike, const QString& bikeName) {
    std::vector<ServiceLogRow> entries = serviceLogRows(bike);
    beginResetModel();
    rows_.clear();
    rows_.reserve(entries.size());
    days_.clear();
    for (auto& ranks : textRanks_) ranks.clear();
    for (auto& keys : sortKeys_) keys.clear();
    for (ServiceLogRow& entry : entries) {
        Row row;
        row.date = entry.date.timeIntervalSinceReferenceDate();
        row.part = entry.partPath.empty() ? bikeName : QString::fromStdString(entry.partPath);
        row.description = QString::fromStdString(entry.description);
        row.notes = QString::fromStdString(entry.entry->notes());
        row.cost = entry.cost;
        row.odometer = entry.odometer;
        row.entry = std::move(entry.entry);
        rows_.push_back(std::move(row));
    }
    currency_ = QString::fromStdString(bike.currency().value_or(std::string()));
    unit_ = recordDistanceUnit(bike);
    endResetModel();
}

void ServiceLogModel::clear() {
    beginResetModel();
    rows_.clear();
    days_.clear();
    for (auto& ranks : textRanks_) ranks.clear();
    for (auto& keys : sortKeys_) keys.clear();
    endResetModel();
}

void ServiceLogModel::notesChanged(const ZRBicycleList& entry) {
    const int row = rowOfEntry(&entry);
    if (row < 0) return;
    rows_[static_cast<std::size_t>(row)].notes = QString::fromStdString(entry.notes());
    textRanks_[NotesColumn].clear();
    sortKeys_[NotesColumn].clear();
    emit dataChanged(index(row, NotesColumn), index(row, NotesColumn));
}

int ServiceLogModel::rowOfEntry(const ZRBicycleList* entry) const {
    if (entry == nullptr) return -1;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (rows_[row].entry.get() == entry) return static_cast<int>(row);
    return -1;
}

bool ServiceLogModel::rowContains(int row, const QString& needle) const {
    const Row& at = rows_[static_cast<std::size_t>(row)];
    return at.part.contains(needle, Qt::CaseInsensitive) || at.description.contains(needle, Qt::CaseInsensitive) ||
           at.notes.contains(needle, Qt::CaseInsensitive);
}

QDate ServiceLogModel::dayAtRow(int row) const {
    if (days_.size() != rows_.size()) {
        days_.clear();
        days_.reserve(rows_.size());
        for (const Row& each : rows_) {
            const CivilDate day = localCivilDate(Date(each.date));
            days_.push_back(QDate(static_cast<int>(day.year), static_cast<int>(day.month), static_cast<int>(day.day))
                                .toJulianDay());
        }
    }
    return QDate::fromJulianDay(days_[static_cast<std::size_t>(row)]);
}

const QString& ServiceLogModel::textAt(int column, int row) const {
    const Row& at = rows_[static_cast<std::size_t>(row)];
    return column == PartColumn ? at.part : column == DescriptionColumn ? at.description : at.notes;
}

bool ServiceLogModel::isBlank(int column, int row) const {
    const Row& at = rows_[static_cast<std::size_t>(row)];
    switch (column) {
    case DateColumn: return false;
    case CostColumn: return !at.cost.has_value();
    case OdometerColumn: return !at.odometer.has_value();
    default: return textAt(column, row).isEmpty();
    }
}

const std::vector<double>& ServiceLogModel::sortKeys(int column) const {
    std::vector<double>& keys = sortKeys_[column];
    if (keys.size() == rows_.size()) return keys;
    const double blank = std::numeric_limits<double>::quiet_NaN();
    const bool text = column != DateColumn && column != CostColumn && column != OdometerColumn;
    const std::vector<int>* ranks = text ? &textRanks(column) : nullptr;
    keys.clear();
    keys.reserve(rows_.size());
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const Row& at = rows_[row];
        if (isBlank(column, static_cast<int>(row))) keys.push_back(blank);
        else if (ranks) keys.push_back((*ranks)[row]);
        else if (column == DateColumn) keys.push_back(at.date);
        else keys.push_back(column == CostColumn ? *at.cost : *at.odometer);
    }
    return keys;
}

const std::vector<int>& ServiceLogModel::textRanks(int column) const {
    // A table sort compares texts some two million times on a large record:
    // they are folded and ordered once here, and compared as numbers there.
    std::vector<int>& ranks = textRanks_[column];
    if (ranks.size() == rows_.size()) return ranks;
    std::vector<QString> folded;
    folded.reserve(rows_.size());
    for (int row = 0; row < rowCount(); ++row) folded.push_back(textAt(column, row).toCaseFolded());
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&folded](int a, int b) {
        return folded[static_cast<std::size_t>(a)] < folded[static_cast<std::size_t>(b)];
    });
    ranks.assign(rows_.size(), 0);
    int rank = 0;
    for (std::size_t at = 0; at < order.size(); ++at) {
        if (at > 0 && folded[static_cast<std::size_t>(order[at])] != folded[static_cast<std::size_t>(order[at - 1])])
            ++rank;
        ranks[static_cast<std::size_t>(order[at])] = rank;
    }
    return ranks;
}

int ServiceLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ServiceLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ServiceLogModel::displayText(int column, const Row& row) const {
    const QLocale locale;
    switch (column) {
    case DateColumn:
        return locale.toString(document_support::outlineDate(Date(row.date)).date(), QLocale::ShortFormat);
    case PartColumn: return row.part;
    case DescriptionColumn: return row.description;
    case CostColumn: return row.cost ? currencyText(*row.cost, currency_, locale) : QString();
    case OdometerColumn:
        if (!row.odometer) return QString();
        return locale.toString(*row.odometer, 'f', std::floor(*row.odometer) == *row.odometer ? 0 : 1) +
               QLatin1Char(' ') + QString::fromUtf8(distanceUnitName(unit_));
    case NotesColumn: return firstLineOf(row.notes);
    default: return QString();
    }
}

QVariant ServiceLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return displayText(column, row);
    case Qt::ToolTipRole: return column == NotesColumn && !row.notes.isEmpty() ? QVariant(row.notes) : QVariant();
    case Qt::TextAlignmentRole:
        return column == CostColumn || column == OdometerColumn
                   ? QVariant(static_cast<int>(Qt::AlignRight | Qt::AlignVCenter))
                   : QVariant();
    case SortRole:
        if (isBlank(column, index.row())) return {};
        if (column == DateColumn) return row.date;
        if (column == CostColumn) return *row.cost;
        if (column == OdometerColumn) return *row.odometer;
        return textAt(column, index.row());
    default: return {};
    }
}

QVariant ServiceLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case DateColumn: return tr("Date");
    case PartColumn: return tr("Part");
    case DescriptionColumn: return tr("Description");
    case CostColumn: return tr("Cost");
    case OdometerColumn: return tr("Odometer");
    case NotesColumn: return tr("Notes");
    default: return {};
    }
}

ServiceLogProxy::ServiceLogProxy(ServiceLogModel* log, QObject* parent) : QSortFilterProxyModel(parent), log_(log) {
    setSourceModel(log);
    setSortRole(ServiceLogModel::SortRole);
}

void ServiceLogProxy::setFilter(const QString& text, QDate from, QDate to) {
    const QString trimmed = text.trimmed();
    if (trimmed == text_ && from == from_ && to == to_) return;
    text_ = trimmed;
    from_ = from;
    to_ = to;
    invalidateFilter();
}

double ServiceLogProxy::shownTotal() const {
    double total = 0.0;
    for (int row = 0, rows = rowCount(); row < rows; ++row) {
        if (const auto cost = log_->costAtRow(mapToSource(index(row, 0)).row())) total += *cost;
    }
    return total;
}

void ServiceLogProxy::sort(int column, Qt::SortOrder order) {
    // The rows come newest first, entries of one date in walk order: what a
    // stable sort by date, descending, would give, at no cost.
    if (column == ServiceLogModel::DateColumn && order == Qt::DescendingOrder) column = -1;
    QSortFilterProxyModel::sort(column, order);
}

bool ServiceLogProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (!text_.isEmpty() && !log_->rowContains(sourceRow, text_)) return false;
    if (from_.isValid() || to_.isValid()) {
        const QDate day = log_->dayAtRow(sourceRow);
        if (from_.isValid() && day < from_) return false;
        if (to_.isValid() && day > to_) return false;
    }
    return true;
}

bool ServiceLogProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const std::vector<double>& keys = log_->sortKeys(left.column());
    const double a = keys[static_cast<std::size_t>(left.row())];
    const double b = keys[static_cast<std::size_t>(right.row())];
    // Blanks go last whichever way the column is sorted.
    const bool leftBlank = std::isnan(a);
    const bool rightBlank = std::isnan(b);
    if (leftBlank || rightBlank) {
        if (leftBlank == rightBlank) return false;
        return sortOrder() == Qt::AscendingOrder ? rightBlank : leftBlank;
    }
    return a < b;
}

} // namespace cogbook
