// The document: one bike's record tree, shown in an outline beside a notes
// pane, read from and written to a record file. Its work is filed by
// concern: MyDocument.cpp (lifecycle and the file), MyDocumentOutline.cpp
// (the outline's data source and cell icons), MyDocumentFields.cpp (field
// edits), MyDocumentNotes.cpp (the notes pane), MyDocumentStructure.cpp
// (adding and removing parts and entries), MyDocumentWindow.cpp (undo
// manager, field editor, focus, expansion and menu validation),
// MyDocumentViewState.cpp (where the window goes, its columns, and what was
// expanded and selected in each file), MyDocumentBike.cpp (the bike's own
// details), MyDocumentDates.cpp (dates rolled up after a change),
// MyDocumentKeyboard.cpp (where the keys go, and the empty bike's hint),
// MyDocumentStatus.cpp (the status bar), MyDocumentService.cpp (what is due
// and what the bike has cost, shared by the views that show them).
#pragma once

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/ZROutlineView.h"
#include "document/ZRSWBikeDetailsSheet.h"
#include "document/ZRSWServiceIntervalSheet.h"
#include "document/service_due_cell.h"
#include "platform/number_cell.h"
#include "platform/optional_columns.h"
#include "document/bike_header_line.h"
#include "foundation/date.h"
#include "model/ZRBicycleList.h"
#include "model/service_costs.h"
#include "model/service_due.h"
#include "platform/document.h"
#include "platform/images.h"
#include "platform/outline_view.h"
#include "platform/toolbar.h"
#include "platform/pasteboard.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace cogbook {

class ImageAndTextCell;
class MessageBar;
class UndoManager;
class ZRSWImportPreviewSheet;
class ZRSWServiceDueWindow;
struct ServiceImportPlan;

class MyDocument : public Document,
                   public OutlineViewDataSource,
                   public OutlineViewDelegate,
                   public ToolbarDelegate {
    Q_OBJECT
public:
    // From the preferred template in the user defaults, or a bare bike. A
    // preferred index beyond the stored templates is an assertion failure
    // ("missing template"); the document is then not made.
    MyDocument();
    // For a file about to be read: the file's tree replaces the bare bike.
    struct ForReading {};
    explicit MyDocument(ForReading);
    ~MyDocument() override;

    QString windowNibName() const { return QStringLiteral("MyDocument"); }

    ZRBicycleList* theBike() const { return theBike_.get(); }
    const ZRBicycleListPtr& theBikePointer() const { return theBike_; }
    ZROutlineView* bikeTable() const { return bikeTable_; }
    QPlainTextEdit* notesView() const { return notesView_; }
    DocumentWindow* documentWindow() const { return window(); }
    QLineEdit* toolbarSearchField() const { return toolbarSearchField_.get(); }
    const std::optional<std::vector<std::uint8_t>>& dataFromFile() const { return dataFromFile_; }

    std::vector<std::uint8_t> dataRepresentationOfType(const QString& type) override;
    void writeToFile(const QString& path) override;
    bool loadDataRepresentationOfType(std::vector<std::uint8_t> data, const QString& type) override;
    bool revertToSavedFromFileOfType(const QString& path, const QString& type) override;
    // Decodes the bytes last read and shows their tree. Throws
    // DocumentContentError for bytes that hold no valid record; the tree
    // shown stays as it was.
    void replaceBikeWithDataFromFile();

    // The outline's data source and delegate.
    long outlineViewNumberOfChildrenOfItem(OutlineView* view, void* item) override;
    bool outlineViewIsItemExpandable(OutlineView* view, void* item) override;
    OutlineItem outlineViewChildOfItem(OutlineView* view, long index, void* item) override;
    QVariant outlineViewObjectValueForTableColumnByItem(OutlineView* view, const TableColumn& column,
                                                         void* item) override;
    // The icon beside ITEM's text in COLUMN: its kind in "partName", a notes
    // marker in "description" (null without notes), null elsewhere. The
    // window's cells ask for it row by row as they draw; nothing is set on
    // them while the outline paints, so the document is not the outline's
    // delegate.
    std::shared_ptr<const Image> imageForTableColumnItem(const TableColumn& column, void* item) const;
    // What that icon means, shown over it as a tool tip; empty without one.
    QString imageToolTipForTableColumnItem(const TableColumn& column, void* item) const;
    // Sets that icon on an image cell of the caller's.
    void outlineViewWillDisplayCellForTableColumnItem(OutlineView* view, TextFieldCell* cell,
                                                      const TableColumn& column, void* item) override;

    // Field editing. Each change registers the same change with the old value
    // as its undo, and selects the item.
    void outlineViewSetObjectValueForTableColumnByItem(OutlineView* view, const QVariant& value,
                                                       const TableColumn& column, void* item) override;
    void newPartNameForItem(const std::string& name, const ZRBicycleListPtr& item);
    void newDescriptionForItem(const std::string& description, const ZRBicycleListPtr& item);
    // Also brings every part above the item (below the bike) to the latest
    // date among its children.
    void newDateForItem(Date date, const ZRBicycleListPtr& item);

    // The notes pane follows the selection; every change is written at once.
    void outlineViewSelectionDidChange();
    void showNotesForItem(const ZRBicycleList* item);
    bool textShouldBeginEditing();
    void textDidChange();
    void textDidEndEditing();
    MyDocument& _logNotesViewStringWithUndo(bool withUndo);
    void _newNotesForItemWithUndo(const std::string& notes, const ZRBicycleListPtr& item, bool withUndo);
    double lastTimeNotesViewTextChanged() const { return lastTimeNotesViewTextChanged_; }

    // Adding and removing parts and entries.
    void addPart();
    void addSubpart();
    void addEntryForPart();
    void addEntryForBike();
    MyDocument& _newPartWithParent(const ZRBicycleListPtr& parent);
    MyDocument& _newEntryWithParent(const ZRBicycleListPtr& parent);
    void addPartOrEntryForParentAtIndexEditColumnWithIdentifier(const ZRBicycleListPtr& node,
                                                               const ZRBicycleListPtr& parent, std::int32_t index,
                                                               const QString& column);
    ZRBicycleListPtr findParentForAddAction();
    void insertChildForParentAtIndex(ZRBicycleListPtr child, ZRBicycleListPtr parent,
                                     std::int32_t index);
    // Answers whether CHILD was removed: not when an open cell edit cannot end.
    bool removeChild(ZRBicycleListPtr child);

    // The bike's own details, which no row shows: the line above the outline
    // (its name and description) and the sheet that edits them.
    // The name saving gives the bike: its file's, without the extension.
    QString bikeName() const;
    void showBikeDetails();
    // Each changed field is an undo step of its own.
    void newBikeDetails(const std::string& description, const std::string& notes);
    void newDescriptionForBike(const std::string& description, const ZRBicycleListPtr& bike);
    void newNotesForBike(const std::string& notes, const ZRBicycleListPtr& bike);
    BikeHeaderLine* bikeHeader() const { return bikeHeader_; }
    // Null until the sheet is first shown.
    ZRSWBikeDetailsSheet* bikeDetailsSheet() const { return bikeDetailsSheet_.get(); }

    // Moving and copying items: the clipboard, drag and drop, and the outline's
    // context menu. While a text view of the window has the focus (a cell
    // editor, the notes) the four commands are its text commands.
    bool _writeItemsToPasteboard(const std::vector<ZRBicycleListPtr>& items, Pasteboard& pasteboard);
    bool outlineViewWriteItemsToPasteboard(OutlineView* view, const std::vector<void*>& items,
                                           Pasteboard& pasteboard) override;
    DragOperation outlineViewValidateDropProposedItemProposedChildIndex(OutlineView* view, const DraggingInfo& info,
                                                                      void* item, long index) override;
    bool outlineViewAcceptDropItemChildIndex(OutlineView* view, const DraggingInfo& info, void* item,
                                             long index) override;
    QMenu* outlineViewMenuForRow(OutlineView* view, long row) override;
    void cut();
    void copy();
    void paste();
    void deleteItems();
    bool copyDraggedItem() const { return copyDraggedItem_; }

    UndoManager* windowWillReturnUndoManager(DocumentWindow* window) override;
    QLineEdit* windowWillReturnFieldEditorToObject(DocumentWindow* window, QObject* object) override;

    // Reloads, expands ITEM's ancestors, selects its row and scrolls to it.
    void focusOnItemByExtendingSelection(const ZRBicycleList* item, bool extend);
    void expandAll();
    void collapseAll();
    bool validateMenuItem(QAction* item) override;

    // The keys. The outline has them when the window opens and again after
    // each command on the record's items (not after the notes' own text
    // commands); Ctrl+Tab and F6 move them between the outline and the notes.
    void didPerformAction(std::string_view action) override;
    // What the outline shows while the bike has nothing filed under it.
    QString emptyBikeHint() const;

    // The status bar: the selected item's path from the bike down, and how
    // many parts and entries the record holds (counted once, then kept up
    // to date by every filing and removal).
    struct RecordCounts {
        std::size_t parts = 0;
        std::size_t entries = 0;
        bool operator==(const RecordCounts&) const = default;
    };
    RecordCounts recordCounts() const;
    // "Bike › Rear wheel › Tyre"; the bike alone with nothing selected.
    QString selectionPathText() const;
    QString recordCountsText() const;
    QLabel* statusPathLabel() const { return statusPath_; }
    QLabel* statusCountsLabel() const { return statusCounts_; }

    // Searching. The find commands, which the menus, the outline and the
    // toolbar send here, go to the installed find services (see
    // document_find_services.h); without any they beep.
    // The item of the selected row lowest on screen, or null with none selected.
    ZRBicycleList* lastSelectedItem() const;
    // True from the moment the document starts to end: it may still be in
    // the controller's list, but nothing new is to be attached to it.
    bool isEnding() const { return ending_; }
    // The window became key: this is the document the find panel searches.
    void windowDidBecomeKey();
    void performFindPanelAction(QAction* sender);
    void searchUsingToolbarTextField();
    void searchUsingSearchPanel();

    // The toolbar, built once the window has loaded; the document is its delegate.
    void setupToolbar();
    Toolbar* toolbar() const { return toolbar_; }
    // The search item while it is in the toolbar, null otherwise.
    ToolbarItem* activeSearchItem() const { return activeSearchItem_; }
    std::unique_ptr<ToolbarItem> toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(Toolbar* toolbar,
                                                                                       const QString& identifier,
                                                                                       bool willBeInserted) override;
    QStringList toolbarDefaultItemIdentifiers(Toolbar* toolbar) override;
    QStringList toolbarAllowedItemIdentifiers(Toolbar* toolbar) override;
    void toolbarWillAddItem(Toolbar* toolbar, ToolbarItem* item) override;
    void toolbarDidRemoveItem(Toolbar* toolbar, ToolbarItem* item) override;
    bool validateToolbarItem(ToolbarItem* item) override;

    // Printing the plain text of the whole record, wrapped to the page. The
    // print panel is always shown. Pending notes are committed first.
    void printShowingPrintPanel(bool showPanel);
    void _printFromToolbar();
    void printPreview();
    // Asks for a file and writes the record's PDF there; answers whether it
    // was written. Failures are shown, naming the file.
    bool exportAsPdf();
    bool exportAsPdfToFile(const QString& path);

    // The record's service state, as of now: worked out again after each
    // change of the record and when the day changes, then kept.
    const ServiceDueOverview& serviceDue() const;
    const ServiceCosts& serviceCostTotals() const;
    // The record changed (a field, a filing, an undo or redo, the file read
    // again): the views that show it catch up. SERVICE_STATE false: nothing
    // that what is due or the costs depend on changed.
    void noteRecordChanged(bool serviceState = true);
    // While the record announces a change: the items whose notes alone
    // changed, when nothing else did since the last announcement (a view
    // may then update just their rows); null when anything may have changed.
    const std::vector<ZRBicycleListPtr>* changedNotesOnly() const {
        return changedNotesOnly_ ? &*changedNotesOnly_ : nullptr;
    }

    // Service due, its bar and the service log as CSV (MyDocumentServiceDue.cpp, MyDocumentCsv.cpp).
    // The document's Service Due list, made on first use, shown and raised.
    void showServiceDue();
    // Null until first shown.
    ZRSWServiceDueWindow* serviceDueWindow() const;
    // The bar a record opened from a file shows while parts want service;
    // null until the window is made.
    MessageBar* serviceDueBar() const;
    // "2 parts are overdue for service." and the like; empty with none due.
    QString serviceDueBarText() const;
    // Asks for a file and writes the service log there as CSV; answers
    // whether it was written. Failures are shown, naming the file.
    bool exportServiceLogAsCsv();
    bool exportServiceLogAsCsvToFile(const QString& path);
    // Asks for a CSV file and previews its import.
    void importServiceEntriesFromCsv();
    // Reads PATH and shows what importing it will do; answers whether the
    // preview is showing (a refused file is shown as a message, naming it).
    bool previewServiceImportFromFile(const QString& path);
    // Null until first shown.
    ZRSWImportPreviewSheet* importPreviewSheet() const;
    // Files the entries of PLAN (made against the record as it is) and the
    // parts they need, as one undo step "Import", and selects the entries.
    // Answers whether anything was filed.
    bool importServiceEntries(const ServiceImportPlan& plan);

    // The service log and the costs by year (MyDocumentServiceWindows.cpp):
    // one window each, made on first use, closed with the document.
    struct ServiceWindows;
    void showServiceLog();
    void showCostsByYear();
    class ZRSWServiceLogWindow* serviceLogWindow() const;   // null until first shown
    class ZRSWCostsByYearWindow* costsByYearWindow() const; // null until first shown

    // Service columns and settings: cost, odometer, due, intervals, unit, currency.
    // Each change registers its undo; nothing (std::nullopt) clears the field.
    void newCostForItem(std::optional<double> cost, const ZRBicycleListPtr& item);
    void newOdometerForItem(std::optional<double> odometer, const ZRBicycleListPtr& item);
    // Both intervals in one step: "Interval Change".
    void newServiceIntervalForItem(std::optional<std::int64_t> days, std::optional<double> distance,
                                   const ZRBicycleListPtr& item);
    void newDistanceUnitForBike(std::optional<DistanceUnit> unit, const ZRBicycleListPtr& bike);
    void newCurrencyForBike(std::optional<std::string> currency, const ZRBicycleListPtr& bike);
    // "Unit Change" and "Currency Change", each a step of its own, for what differs.
    void newBikeSettings(const QString& distanceUnit, const QString& currency);
    // For the one selected part (with a beep for anything else).
    void showServiceInterval();
    // Null until the sheet is first shown.
    ZRSWServiceIntervalSheet* serviceIntervalSheet() const { return serviceIntervalSheet_.get(); }
    // Null until the window has loaded.
    OptionalColumns* optionalColumns() const { return optionalColumns_; }
    // "Cost: €1,234.50" for the selection (nothing selected: the bike), each
    // entry counted once; empty while no entry of the record has a cost.
    QString selectionCostText() const;
    QLabel* statusCostLabel() const { return statusCost_; }

signals:
    // Once per event after the record changed, however many changes it saw.
    void recordChanged();

protected:
    DocumentWindow* makeWindow() override;
    void windowControllerDidLoadNib() override;
    void windowWillClose() override;
    // The outline: a new window is for its record.
    QWidget* initialFirstResponder() const override;

private:
    void prepareKeyboard();
    void installStatusBar();
    // Brings the status bar up to date once the current event is done.
    void scheduleStatusUpdate();
    void updateStatusBar();
    // SUBTREE was filed in the record (or taken out of it).
    void noteSubtreeFiled(const ZRBicycleList& subtree, bool filed);

    void installCommands();
    void watchRecordChanges();
    void updateServiceState() const;
    void installFindCommands();
    void installToolbarCommands();
    void watchForKeyWindow();

    void installBikeCommands();
    void setupBikeHeader();
    void updateBikeHeader();

    void installPrintingCommands();
    // Ends an open cell edit and commits changed notes; false when the cell
    // edit cannot end.
    bool _commitBeforePrinting();
    QString suggestedPdfPath() const;

    void installPasteboardCommands();
    void preparePasteboardViews();
    // For the four item commands: nothing (not theirs), or whether enabled.
    std::optional<bool> validatePasteboardMenuItem(QAction* item);
    // Runs the text command ACTION in the window's focused text view, if
    // one has the focus; answers whether one had it.
    bool performTextCommand(std::string_view action);
    // Removes the selected rows' items, the last row first; answers whether
    // all went.
    bool removeSelectedItems();
    // Files ITEMS under PARENT from INDEX on, in order, and selects them;
    // the parts above them take their dates on.
    void insertItemsForParentAtIndex(const std::vector<ZRBicycleListPtr>& items, const ZRBicycleListPtr& parent,
                                     std::int32_t index);
    // The rows of ITEMS, and nothing else, selected; the last is the latest.
    void selectItems(const std::vector<ZRBicycleListPtr>& items);
    // While one lives, changes bring the outline up to date once, when the
    // last one goes, rather than once per item.
    class FocusBatch;
    ZRBicycleList* nodeForItem(void* item) const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Ends an open cell edit, committing it; false (with a beep) when the
    // cell refuses its text and the edit stays open.
    bool endCellEditing();
    // Selects ITEM (reloads the outline for none) after a change; during an
    // undo or redo, once it is done.
    void focusAfterChange(const ZRBicycleListPtr& item);
    void flushPendingFocus();
    // The key window's undo manager, or this document's own when no document
    // window is key.
    // What an entry filed under PARENT is named after.
    std::string labelOf(const ZRBicycleList* parent) const;
    // After items were filed under PARENT: raises PARENT and each part above
    // it (not the bike) to the latest date among its children, recording the
    // old dates for undo in the step being built.
    void rollUpDatesAbove(const ZRBicycleListPtr& parent);
    // Gives each node its date, registering the dates they had as the undo.
    void setDatesWithUndo(const std::vector<std::pair<ZRBicycleListPtr, Date>>& dates);
    const ZRBicycleList* itemShownInNotes() const;
    void setNotesViewText(const QString& text);
    // Top-level entries and parts without children are left alone.
    void forEachTopLevelPartWithChildren(const std::function<void(const ZRBicycleList*)>& action);

    // The window set down (its saved frame, cascaded from the last window),
    // its columns as last left or sized to the rows, and, for a file, the
    // rows expanded and selected when it was last closed or saved.
    void restoreViewState();
    // Keeps the columns, and for a file its expanded and selected rows.
    void rememberViewState();

    ZRBicycleListPtr theBike_;
    std::optional<std::vector<std::uint8_t>> dataFromFile_;
    QPointer<ZROutlineView> bikeTable_;
    QPointer<QPlainTextEdit> notesView_;
    std::unique_ptr<QLineEdit> toolbarSearchField_;
    std::unique_ptr<ImageAndTextCell> partNameCell_;
    std::unique_ptr<ImageAndTextCell> descriptionCell_;
    double lastTimeNotesViewTextChanged_ = 0.0;
    struct PendingFocus {
        ZRBicycleListPtr item;
    };
    std::optional<PendingFocus> pendingFocus_;
    // The history and its generation when the notes last recorded a step.
    const UndoManager* notesStepManager_ = nullptr;
    std::uint64_t notesStepGeneration_ = 0;
    // The item whose notes the open notes step changes: typing into another
    // one starts a step of its own.
    const ZRBicycleList* notesStepItem_ = nullptr;
    bool settingNotes_ = false;
    bool ending_ = false;
    QPointer<Toolbar> toolbar_;
    ToolbarItem* activeSearchItem_ = nullptr;
    int focusDeferred_ = 0;
    bool copyDraggedItem_ = false;
    QPointer<QMenu> contextMenu_;
    QPointer<BikeHeaderLine> bikeHeader_;
    std::unique_ptr<ZRSWBikeDetailsSheet> bikeDetailsSheet_;
    mutable std::optional<RecordCounts> counts_;
    QPointer<QLabel> statusPath_;
    QPointer<QLabel> statusCounts_;
    bool statusUpdatePending_ = false;
    mutable std::optional<ServiceDueOverview> serviceDue_;
    mutable long long serviceDueDay_ = 0;
    mutable std::optional<ServiceCosts> serviceCosts_;
    bool recordChangePending_ = false;
    std::optional<std::vector<ZRBicycleListPtr>> changedNotesOnly_;
    // ITEM's notes changed, nothing else: announced as a change of the record
    // (see changedNotesOnly).
    void noteNotesChanged(const ZRBicycleListPtr& item);

    // Service due, its bar and CSV.
    void installServiceCommands();
    void installServiceDueBar();
    void updateServiceDueBar();
    // The rows of ENTRIES, just filed, shown and selected.
    void selectImportedEntries(const std::vector<ZRBicycleListPtr>& entries);
    QPointer<ZRSWServiceDueWindow> serviceDueWindow_;
    QPointer<MessageBar> serviceDueBar_;
    QPointer<ZRSWImportPreviewSheet> importPreview_;

    // The service log and costs windows.
    void installServiceWindowCommands();
    ServiceWindows& serviceWindows();
    std::shared_ptr<ServiceWindows> serviceWindows_;

    // Service columns and settings.
    void installServiceColumnCommands();
    void setupServiceColumns();
    std::optional<bool> validateServiceMenuItem(QAction* item);
    // A service column's value for NODE; nothing for other columns.
    std::optional<QVariant> serviceColumnValue(const QString& key, const ZRBicycleList& node) const;
    // Answers whether KEY is a service column (whose edit it then took).
    bool setServiceColumnValue(const QString& key, const QVariant& value, const ZRBicycleListPtr& node);
    void updateStatusCost();
    std::unique_ptr<NumberFieldCell> costCell_;
    std::unique_ptr<NumberFieldCell> odometerCell_;
    std::unique_ptr<ServiceDueCell> dueCell_;
    QPointer<OptionalColumns> optionalColumns_;
    std::unique_ptr<ZRSWServiceIntervalSheet> serviceIntervalSheet_;
    QPointer<QLabel> statusCost_;
};

} // namespace cogbook
