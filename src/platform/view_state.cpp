#include "platform/view_state.h"

#include <QAbstractItemModel>
#include <QModelIndex>

#include <algorithm>
#include <limits>
#include <string>

#include "platform/outline_view.h"

namespace cogbook {
namespace {

constexpr std::string_view kExpandedKey = "Expanded";
constexpr std::string_view kSelectedKey = "Selected";
// Deeper places are not taken: nobody files a record that deep.
constexpr std::size_t kMaxDepth = 64;

int nameColumn(const OutlineView& view) { return std::max(0, view.treePosition()); }

// NAME cut short, never between the halves of a character.
QString shortened(const QString& name) {
    if (name.size() <= kPlaceNameLength) return name;
    const bool splits = name.at(kPlaceNameLength - 1).isHighSurrogate();
    return name.left(splits ? kPlaceNameLength - 1 : kPlaceNameLength);
}

QString nameAt(const OutlineView& view, const QModelIndex& index) {
    return shortened(view.model()->data(index.siblingAtColumn(nameColumn(view))).toString());
}

ItemPlace placeOf(const OutlineView& view, QModelIndex index) {
    ItemPlace place;
    for (; index.isValid(); index = index.parent()) place.steps.emplace_back(index.row(), nameAt(view, index));
    std::reverse(place.steps.begin(), place.steps.end());
    return place;
}

void collectExpanded(const OutlineView& view, const QModelIndex& parent, std::size_t depth,
                     std::vector<ItemPlace>& out) {
    if (depth >= kMaxDepth) return;
    const QAbstractItemModel* model = view.model();
    const int rows = model->rowCount(parent);
    for (int row = 0; row < rows && out.size() < kMaxPlaces; ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (!view.isExpanded(index)) continue;
        out.push_back(placeOf(view, index));
        collectExpanded(view, index, depth + 1, out);
    }
}

// The item at PLACE, its ancestors expanded on the way; invalid when a step
// finds nothing.
QModelIndex findPlace(OutlineView& view, const ItemPlace& place) {
    const QAbstractItemModel* model = view.model();
    QModelIndex parent;
    for (std::size_t level = 0; level < place.steps.size(); ++level) {
        const auto& [wantedRow, wantedName] = place.steps[level];
        const int rows = model->rowCount(parent);
        QModelIndex found;
        if (wantedRow >= 0 && wantedRow < rows && nameAt(view, model->index(wantedRow, 0, parent)) == wantedName) {
            found = model->index(wantedRow, 0, parent);
        }
        for (int row = 0; row < rows && !found.isValid(); ++row) {
            if (nameAt(view, model->index(row, 0, parent)) == wantedName) found = model->index(row, 0, parent);
        }
        if (!found.isValid()) return {};
        if (level + 1 < place.steps.size()) view.expandItem(view.itemForIndex(found));
        parent = found;
    }
    return parent;
}

PlistValue plistFromPlaces(const std::vector<ItemPlace>& places) {
    PlistArray array;
    for (const ItemPlace& place : places) {
        PlistArray steps;
        for (const auto& [row, name] : place.steps) {
            steps.emplace_back(row);
            steps.emplace_back(name.toStdString());
        }
        array.emplace_back(std::move(steps));
    }
    return PlistValue(std::move(array));
}

std::vector<ItemPlace> placesFromPlist(const PlistValue* value) {
    std::vector<ItemPlace> places;
    if (value == nullptr || !value->isArray()) return places;
    for (const PlistValue& entry : value->array()) {
        if (places.size() >= kMaxPlaces) break;
        if (!entry.isArray() || entry.array().empty() || entry.array().size() % 2 != 0 ||
            entry.array().size() / 2 > kMaxDepth) {
            continue;
        }
        const PlistArray& steps = entry.array();
        ItemPlace place;
        for (std::size_t i = 0; i < steps.size(); i += 2) {
            if (!steps[i].isInteger() || !steps[i + 1].isString() || steps[i].integer() < 0 ||
                steps[i].integer() > std::numeric_limits<int>::max()) {
                place.steps.clear();
                break;
            }
            place.steps.emplace_back(static_cast<int>(steps[i].integer()),
                                     shortened(QString::fromStdString(steps[i + 1].string())));
        }
        if (!place.steps.empty()) places.push_back(std::move(place));
    }
    return places;
}

} // namespace

OutlineViewState outlineViewState(const OutlineView& view) {
    OutlineViewState state;
    if (view.model() == nullptr) return state;
    collectExpanded(view, QModelIndex(), 0, state.expanded);
    std::vector<long> rows = view.selectedRowIndexes();
    // The latest goes last, so that it is the latest again when restored.
    const long latest = view.selectedRow();
    if (const auto it = std::find(rows.begin(), rows.end(), latest); it != rows.end()) std::rotate(it, it + 1, rows.end());
    for (const long row : rows) {
        if (state.selected.size() >= kMaxPlaces) break;
        ItemPlace place = placeOf(view, view.indexForItem(view.itemAtRow(row)));
        if (!place.steps.empty() && place.steps.size() <= kMaxDepth) state.selected.push_back(std::move(place));
    }
    return state;
}

void restoreOutlineViewState(OutlineView& view, const OutlineViewState& state) {
    if (view.model() == nullptr) return;
    for (const ItemPlace& place : state.expanded) {
        if (const QModelIndex index = findPlace(view, place); index.isValid()) view.expandItem(view.itemForIndex(index));
    }
    // Rows move as items expand: they are counted once all are found.
    std::vector<void*> items;
    for (const ItemPlace& place : state.selected) {
        if (const QModelIndex index = findPlace(view, place); index.isValid()) items.push_back(view.itemForIndex(index));
    }
    std::vector<long> rows;
    for (void* item : items) {
        const long row = view.rowForItem(item);
        if (row != kOutlineNoRow && std::find(rows.begin(), rows.end(), row) == rows.end()) rows.push_back(row);
    }
    if (rows.empty()) return;
    view.selectRowIndexesByExtendingSelection(rows, false);
    view.scrollRowToVisible(rows.back());
}

PlistValue plistFromOutlineViewState(const OutlineViewState& state) {
    PlistDictionary dictionary;
    dictionary.emplace_back(std::string(kExpandedKey), plistFromPlaces(state.expanded));
    dictionary.emplace_back(std::string(kSelectedKey), plistFromPlaces(state.selected));
    return PlistValue(std::move(dictionary));
}

OutlineViewState outlineViewStateFromPlist(const PlistValue& value) {
    OutlineViewState state;
    if (!value.isDictionary()) return state;
    state.expanded = placesFromPlist(value.find(kExpandedKey));
    state.selected = placesFromPlist(value.find(kSelectedKey));
    return state;
}

} // namespace cogbook
