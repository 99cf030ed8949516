// The record's service state as the window shows it: what is due and what
// the bike has cost, worked out once per change of the record (and once per
// day, since what is due moves with the calendar) and shared by every view
// of the document that shows it.
#include "document/MyDocument.h"

#include <algorithm>

#include <QDateTime>
#include <QTimer>

#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"
#include "model/service_costs.h"
#include "model/service_overview.h"

namespace cogbook {

void MyDocument::watchRecordChanges() {
    // Every change of the record (a field, a filing, an undo) passes the
    // document's own history.
    auto& center = NotificationCenter::defaultCenter();
    for (const std::string_view name : {kUndoManagerDidCloseUndoGroupNotification, kUndoManagerDidUndoChangeNotification,
                                        kUndoManagerDidRedoChangeNotification}) {
        center.addObserver(&recordChangePending_, std::string(name), &undoManager(),
                           [this](const Notification&) { noteRecordChanged(); });
    }
    // What is due moves on at midnight with nothing changed: the views that
    // show it catch up then (the states are worked out again on the new day).
    auto* midnight = new QTimer(this);
    midnight->setSingleShot(true);
    auto arm = [midnight] {
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime next(now.date().addDays(1), QTime(0, 0, 1));
        midnight->start(static_cast<int>(std::clamp<qint64>(now.msecsTo(next), 1000, 86'400'000)));
    };
    connect(midnight, &QTimer::timeout, this, [this, arm] {
        arm();
        if (!ending_) emit recordChanged();
    });
    arm();
}

void MyDocument::noteRecordChanged(bool serviceState) {
    if (serviceState) {
        serviceDue_.reset();
        serviceCosts_.reset();
    }
    changedNotesOnly_.reset();
    if (recordChangePending_ || ending_) return;
    recordChangePending_ = true;
    QTimer::singleShot(0, this, [this] {
        recordChangePending_ = false;
        if (!ending_) emit recordChanged();
        changedNotesOnly_.reset();
    });
}

// Both from one walk: the views that show one mostly show the other.
void MyDocument::updateServiceState() const {
    const Date now = Date::now();
    const CivilDate civil = localCivilDate(now);
    const long long today = daysFromCivil(civil.year, civil.month, civil.day);
    if (serviceDue_ && serviceCosts_ && serviceDueDay_ == today) return;
    ServiceOverview overview = serviceOverview(*theBike_, now);
    serviceDue_ = std::move(overview.due);
    serviceCosts_ = std::move(overview.costs);
    serviceDueDay_ = today;
}

const ServiceDueOverview& MyDocument::serviceDue() const {
    updateServiceState();
    return *serviceDue_;
}

const ServiceCosts& MyDocument::serviceCostTotals() const {
    updateServiceState();
    return *serviceCosts_;
}

} // namespace cogbook
