// A part's service intervals: Record > Service Interval… (or a double click
// on its Due cell) opens the sheet over the window; OK records both values
// as one undo step.
#include "document/MyDocument.h"

#include "foundation/hooks.h"
#include "foundation/undo_manager.h"
#include "model/service_due.h"

namespace cogbook {

void MyDocument::showServiceInterval() {
    DocumentWindow* window = documentWindow();
    ZRBicycleList* selected = bikeTable_ && bikeTable_->numberOfSelectedRows() == 1 ? lastSelectedItem() : nullptr;
    if (window == nullptr || selected == nullptr || !selected->expandable()) {
        beep();
        return;
    }
    // An open cell edit ends first; a cell that refuses its text keeps the
    // window as it is.
    if (!endCellEditing()) return;
    if (!serviceIntervalSheet_) serviceIntervalSheet_ = std::make_unique<ZRSWServiceIntervalSheet>(window);
    const ZRBicycleListPtr part = selected->shared_from_this();
    const ServiceInterval interval{part->serviceIntervalDays(), part->serviceIntervalDistance()};
    const QString unit = QString::fromStdString(std::string(distanceUnitName(recordDistanceUnit(*theBike_))));
    serviceIntervalSheet_->beginSheet(QString::fromStdString(part->partName()), unit, interval,
                                      [this, part, interval](const ServiceInterval& edited) {
        if (edited == interval) return;
        // A part taken out of the record meanwhile is left alone.
        ZRBicycleListPtr above = part->parent();
        while (above && above != theBike_) above = above->parent();
        if (!above) return;
        UndoManager& history = undoManager();
        history.beginUndoGrouping();
        history.setActionName("Interval Change");
        newServiceIntervalForItem(edited.days, edited.distance, part);
        history.endUndoGrouping();
    });
}

void MyDocument::newServiceIntervalForItem(std::optional<std::int64_t> days, std::optional<double> distance,
                                           const ZRBicycleListPtr& item) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, days = item->serviceIntervalDays(),
                                                        distance = item->serviceIntervalDistance(), item] {
        newServiceIntervalForItem(days, distance, item);
    });
    item->setServiceIntervalDays(days);
    item->setServiceIntervalDistance(distance);
    focusAfterChange(item);
}

} // namespace cogbook
