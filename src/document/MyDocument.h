// The document: one bike's record tree, shown in an outline beside a notes
// pane, read from and written to a record file.
#pragma once

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/ZROutlineView.h"
#include "foundation/date.h"
#include "model/ZRBicycleList.h"
#include "platform/document.h"
#include "platform/outline_view.h"
#include "platform/pasteboard.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace cogbook {

class ImageAndTextCell;
class UndoManager;
class ZRTextView;

inline constexpr std::string_view kZRSWBikeDocumentDidLoadNotification = "ZRSW Bike document did load notification";
inline constexpr std::string_view kZRSWBikeDocumentWillDeallocNotification =
    "ZRSW Bike document will dealloc notification";

// The menu items titled by the selection.
inline constexpr const char* ZRSWAddSubpartMITitlePrefix = "Add Subpart to ";
inline constexpr const char* ZRSWAddSubpartDisabledMITitle = "Add Subpart";
inline constexpr const char* ZRSWAddEntryMITitlePrefix = "Add Entry for ";
inline constexpr const char* ZRSWAddEntryDisabledMITitle = "Add Entry to Subpart";
inline constexpr int kAddSubpartMenuItemTag = 13;
inline constexpr int kAddEntryForPartMenuItemTag = 14;

// The three pasteboard types, each mapped to its MIME type on first use.
const std::vector<std::string>& _ZRBikeTableDataTypes();

// The nodes of the selected rows of VIEW, in ascending row order.
std::vector<ZRBicycleListPtr> _itemsForSelectedRowsInOutlineView(const OutlineView* view);

// The name of the icon that marks an item's kind in the "partName" column.
const char* kindImageName(bool expandable, bool parentIsRoot);

// The one editor of the outline cells of every document window, made on
// first use and kept for the rest of the run.
ZRTextView* _tableCellFieldEditor();

// Notes typed within this many seconds of the last change are one undo step.
inline constexpr double kNotesUndoCoalescingInterval = 1.0;

class MyDocument : public Document, public OutlineViewDataSource, public OutlineViewDelegate {
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
    bool loadDataRepresentationOfType(std::vector<std::uint8_t> data, const QString& type) override;
    bool revertToSavedFromFileOfType(const QString& path, const QString& type) override;
    // Decodes the bytes last read and shows their tree. Throws RecordFileError
    // for bytes that hold no valid record; the tree shown stays as it was.
    void replaceBikeWithDataFromFile();

    // The outline's data source and delegate.
    long outlineViewNumberOfChildrenOfItem(OutlineView* view, void* item) override;
    bool outlineViewIsItemExpandable(OutlineView* view, void* item) override;
    OutlineItem outlineViewChildOfItem(OutlineView* view, long index, void* item) override;
    QVariant outlineViewObjectValueForTableColumnByItem(OutlineView* view, const TableColumn& column,
                                                         void* item) override;
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

protected:
    DocumentWindow* makeWindow() override;
    void windowControllerDidLoadNib() override;
    void windowWillClose() override;

private:
    void installCommands();
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
    // Files ITEMS under PARENT from INDEX on, in order, and selects them.
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
    UndoManager& changeUndoManager();
    // What an entry filed under PARENT is named after.
    std::string labelOf(const ZRBicycleList* parent) const;
    const ZRBicycleList* itemShownInNotes() const;
    void setNotesViewText(const QString& text);
    // Top-level entries and parts without children are left alone.
    void forEachTopLevelPartWithChildren(const std::function<void(const ZRBicycleList*)>& action);

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
    bool settingNotes_ = false;
    int focusDeferred_ = 0;
    bool copyDraggedItem_ = false;
    QPointer<QMenu> contextMenu_;
};

} // namespace cogbook
