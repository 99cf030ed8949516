// The bike's own details: the line above the outline that shows its name and
// description, and the sheet that edits its description and notes. The bike
// is no row of the outline, so its changes are recorded here rather than
// through the cells and the notes pane.
#include "document/MyDocument.h"

#include <functional>
#include <optional>

#include "document/document_support.h"
#include "document/service_columns.h"
#include "foundation/undo_manager.h"

namespace cogbook {

using namespace document_support;

void MyDocument::installBikeCommands() {
    addCommand("showBikeDetails:", [this](QAction*) { showBikeDetails(); });
}

QString MyDocument::bikeName() const {
    // Saving names the bike after its file, without the extension; until
    // the record has a file the bike keeps its own name.
    const std::optional<QString> base = displayNameWithoutExtension(displayName());
    if (!fileName().isEmpty() && base) return *base;
    const QString own = QString::fromStdString(theBike_->partName());
    return own.isEmpty() ? base.value_or(displayName()) : own;
}

void MyDocument::setupBikeHeader() {
    DocumentWindow* window = documentWindow();
    bikeHeader_ = window ? window->findChild<BikeHeaderLine*>(QStringLiteral("bikeHeader")) : nullptr;
    if (!bikeHeader_) return;
    connect(bikeHeader_, &BikeHeaderLine::activated, this, &MyDocument::showBikeDetails);
    connect(this, &Document::displayNameChanged, this, &MyDocument::updateBikeHeader);
    updateBikeHeader();
}

void MyDocument::updateBikeHeader() {
    if (bikeHeader_) bikeHeader_->setBike(bikeName(), QString::fromStdString(theBike_->description()));
}

void MyDocument::showBikeDetails() {
    DocumentWindow* window = documentWindow();
    if (window == nullptr) return;
    // An open cell edit ends first, so that its text is not lost behind
    // the sheet; a cell that refuses its text keeps the window as it is.
    if (!endCellEditing()) return;
    if (!bikeDetailsSheet_) bikeDetailsSheet_ = std::make_unique<ZRSWBikeDetailsSheet>(window);
    const BikeDetails details{QString::fromStdString(theBike_->description()),
                              QString::fromStdString(theBike_->notes()),
                              QString::fromStdString(std::string(distanceUnitName(recordDistanceUnit(*theBike_)))),
                              QString::fromStdString(theBike_->currency().value_or(std::string()))};
    bikeDetailsSheet_->beginSheet(bikeName(), details, [this](const BikeDetails& edited) {
        newBikeDetails(edited.description.toStdString(), edited.notes.toStdString());
        newBikeSettings(edited.distanceUnit, edited.currency);
    });
}

namespace {

// One step of its own, named NAME, whatever else the event that ended the
// sheet recorded.
void namedUndoStep(UndoManager& history, const char* name, const std::function<void()>& change) {
    history.beginUndoGrouping();
    history.setActionName(name);
    change();
    history.endUndoGrouping();
}

} // namespace

void MyDocument::newBikeDetails(const std::string& description, const std::string& notes) {
    // One step per field changed, each named for its field, whatever else
    // the event that ended the sheet recorded.
    const auto step = [this](const char* name, const std::function<void()>& change) {
        namedUndoStep(undoManager(), name, change);
    };
    const ZRBicycleListPtr bike = theBike_;
    if (bike->description() != description)
        step("Description Change", [&] { newDescriptionForBike(description, bike); });
    if (bike->notes() != notes) step("Notes Change", [&] { newNotesForBike(notes, bike); });
}

void MyDocument::newBikeSettings(const QString& distanceUnit, const QString& currency) {
    const auto step = [this](const char* name, const std::function<void()>& change) {
        namedUndoStep(undoManager(), name, change);
    };
    const ZRBicycleListPtr bike = theBike_;
    // A record without a unit measures in kilometres: choosing them is no change.
    const std::optional<DistanceUnit> unit = distanceUnitNamed(distanceUnit.toStdString());
    if (unit && *unit != recordDistanceUnit(*bike)) step("Unit Change", [&] { newDistanceUnitForBike(unit, bike); });
    std::optional<std::string> code;
    if (!currency.isEmpty()) code = currency.toStdString();
    if (code != bike->currency() && (!code || isCurrencyCode(currency)))
        step("Currency Change", [&] { newCurrencyForBike(code, bike); });
}

void MyDocument::newDistanceUnitForBike(std::optional<DistanceUnit> unit, const ZRBicycleListPtr& bike) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = bike->distanceUnit(), bike] {
        newDistanceUnitForBike(old, bike);
    });
    bike->setDistanceUnit(unit);
}

void MyDocument::newCurrencyForBike(std::optional<std::string> currency, const ZRBicycleListPtr& bike) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = bike->currency(), bike] {
        newCurrencyForBike(old, bike);
    });
    bike->setCurrency(std::move(currency));
}

void MyDocument::newDescriptionForBike(const std::string& description, const ZRBicycleListPtr& bike) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = bike->description(), bike] {
        newDescriptionForBike(old, bike);
    });
    bike->setDescription(description);
    if (bike == theBike_) updateBikeHeader();
}

void MyDocument::newNotesForBike(const std::string& notes, const ZRBicycleListPtr& bike) {
    undoManager().registerUndoWithTarget(undoTarget(), [this, old = bike->notes(), bike] { newNotesForBike(old, bike); });
    bike->setNotes(notes);
}

} // namespace cogbook
