// Dates after the tree changes shape. A part's date follows the latest date
// filed under it, so whatever is added, pasted or dropped under a part moves
// the parts above it on as well, up to the bike's own parts (the bike keeps
// its date, as with a date edit). Only ever forward: what is taken away (a
// move's first half, a cut) lowers no date, so a part keeps the date of the
// last work recorded on it even when that entry has gone elsewhere.
#include "document/MyDocument.h"

#include "foundation/undo_manager.h"

namespace cogbook {

void MyDocument::rollUpDatesAbove(const ZRBicycleListPtr& parent) {
    const UndoManager& history = undoManager();
    // An undo or redo brings back the dates it recorded; it rolls nothing up.
    if (history.isUndoing() || history.isRedoing()) return;
    std::vector<std::pair<ZRBicycleListPtr, Date>> previous;
    // A walk, not recursion, however deep the tree; every part on the way is
    // looked at, so one that an older file left behind its children catches up.
    for (ZRBicycleListPtr node = parent; node && node != theBike_; node = node->parent()) {
        Date latest = node->date();
        for (std::size_t index = 0; index < node->numberOfChildren(); ++index)
            latest = latest.laterDate(node->childAtIndex(index)->date());
        if (latest == node->date()) continue;
        previous.emplace_back(node, node->date());
        node->setDate(latest);
    }
    if (previous.empty()) return;
    undoManager().registerUndoWithTarget(undoTarget(), [this, previous] { setDatesWithUndo(previous); });
    if (bikeTable_) bikeTable_->viewport()->update();
}

void MyDocument::setDatesWithUndo(const std::vector<std::pair<ZRBicycleListPtr, Date>>& dates) {
    std::vector<std::pair<ZRBicycleListPtr, Date>> current;
    current.reserve(dates.size());
    for (const auto& [node, date] : dates) {
        current.emplace_back(node, node->date());
        node->setDate(date);
    }
    undoManager().registerUndoWithTarget(undoTarget(), [this, current] { setDatesWithUndo(current); });
    if (bikeTable_) bikeTable_->viewport()->update();
}

} // namespace cogbook
