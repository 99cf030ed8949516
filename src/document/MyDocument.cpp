#include "document/MyDocument.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <unordered_set>

#include "document/ImageAndTextCell.h"
#include "document/document_support.h"
#include "document/ZROutlineView.h"
#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRTextView.h"
#include "foundation/assertion.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"
#include "foundation/user_defaults.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/window_frame.h"
#include "ui_MyDocument.h"

namespace cogbook {

namespace document_support {

void documentAssertion(std::string_view method, const void* object, std::string_view description) {
    AssertionHandler::currentHandler().handleFailureInMethod(method, object, "MyDocument", 0, description);
}

QDateTime outlineDate(Date date) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(date.unixSeconds() * 1000.0)),
                                          QTimeZone::systemTimeZone());
}

Date dateFromOutline(const QDateTime& dateTime) {
    return Date::fromUnixSeconds(static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

} // namespace document_support

using namespace document_support;

namespace {

constexpr const char* kWindowFrameName = "MyDocumentWindow";

// The display name's base when it shows an extension ("a.b.c" gives "a.b").
std::optional<QString> baseNameForRoot(const QString& displayName) {
    if (displayName.isEmpty()) return std::nullopt;
    const int slash = displayName.lastIndexOf(QLatin1Char('/'));
    const int dot = displayName.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash || dot == displayName.size() - 1) return std::nullopt;
    return displayName.left(dot);
}

} // namespace

std::vector<ZRBicycleListPtr> _itemsForSelectedRowsInOutlineView(const OutlineView* view) {
    std::vector<ZRBicycleListPtr> items;
    for (const long row : view->selectedRowIndexes()) {
        if (auto* node = static_cast<ZRBicycleList*>(view->itemAtRow(row))) items.push_back(node->shared_from_this());
    }
    return items;
}

ZRTextView* _tableCellFieldEditor() {
    // Held weakly: should anything ever delete it, the next call makes another.
    static QPointer<ZRTextView> editor;
    if (!editor) editor = new ZRTextView;
    return editor;
}

const char* kindImageName(bool expandable, bool parentIsRoot) {
    if (expandable) return parentIsRoot ? "BikePartIconSmall.tiff" : "Subpart16.tiff";
    return parentIsRoot ? "Hand16.tif" : "PencilChain16.tiff";
}

MyDocument::MyDocument() : theBike_(ZRBicycleList::create()) {
    const UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const std::uint32_t preferred = defaults.unsignedIntForKey(ZRSWPreferredBike);
    const PlistArray* templates = defaults.arrayForKey(ZRSWBikeTemplates);
    const std::size_t count = templates ? templates->size() : 0;
    if (preferred != kNSNotFound && preferred >= count) documentAssertion("init", this, "missing template");
    if (preferred != kNSNotFound) {
        theBike_->buildFromDictionary((*templates)[preferred]);
    } else {
        theBike_->setExpandable(true);
    }
    installCommands();
}

MyDocument::MyDocument(ForReading) : theBike_(ZRBicycleList::create()) {
    theBike_->setExpandable(true);
    installCommands();
}

MyDocument::~MyDocument() {
    NotificationCenter::defaultCenter().removeObserver(&pendingFocus_);
    if (notesView_) notesView_->removeEventFilter(this);
    NotificationCenter::defaultCenter().postNotificationName(kZRSWBikeDocumentWillDeallocNotification, this);
    if (bikeTable_) {
        bikeTable_->setDataSource(nullptr);
        bikeTable_->setOutlineDelegate(nullptr);
    }
}

void MyDocument::installCommands() {
    // Whichever history runs an undo or redo of this document's changes, the
    // outline catches up when it is done.
    auto& center = NotificationCenter::defaultCenter();
    for (const std::string_view name : {kUndoManagerDidUndoChangeNotification, kUndoManagerDidRedoChangeNotification}) {
        center.addObserver(&pendingFocus_, std::string(name), nullptr, [this](const Notification&) { flushPendingFocus(); });
    }
    addCommand("expandAll:", [this](QAction*) { expandAll(); });
    addCommand("collapseAll:", [this](QAction*) { collapseAll(); });
    addCommand("addPart:", [this](QAction*) { addPart(); });
    addCommand("addSubpart:", [this](QAction*) { addSubpart(); });
    addCommand("addEntryForPart:", [this](QAction*) { addEntryForPart(); });
    addCommand("addEntryForBike:", [this](QAction*) { addEntryForBike(); });
    installPasteboardCommands();
}

DocumentWindow* MyDocument::makeWindow() {
    auto* window = new DocumentWindow;
    Ui::MyDocument ui;
    ui.setupUi(window);
    bikeTable_ = ui.bikeTable;
    notesView_ = ui.notesView;
    toolbarSearchField_.reset(ui.toolbarSearchField);
    return window;
}

void MyDocument::windowControllerDidLoadNib() {
    Document::windowControllerDidLoadNib();

    // The search field lives on as the toolbar's search item's view.
    toolbarSearchField_->hide();
    toolbarSearchField_->setParent(nullptr);

    partNameCell_ = std::make_unique<ImageAndTextCell>();
    partNameCell_->setEditable(true);
    bikeTable_->setDataCellForColumn(bikeTable_->tableColumnWithIdentifier(QLatin1String(kPartNameColumn)),
                                     partNameCell_.get());
    descriptionCell_ = std::make_unique<ImageAndTextCell>();
    descriptionCell_->setEditable(true);
    bikeTable_->setDataCellForColumn(bikeTable_->tableColumnWithIdentifier(QLatin1String(kDescriptionColumn)),
                                     descriptionCell_.get());
    if (TextFieldCell* dateCell = bikeTable_->dataCellForColumn(
            bikeTable_->tableColumnWithIdentifier(QLatin1String(kDateColumn)))) {
        dateCell->setEditable(true);
    }

    if (dataFromFile_) replaceBikeWithDataFromFile();
    bikeTable_->setDataSource(this);
    bikeTable_->setOutlineDelegate(this);
    preparePasteboardViews();

    bikeTable_->moveColumnToColumn(2, 0);
    // Room for a date and a part's name; the description takes the rest.
    bikeTable_->header()->resizeSection(bikeTable_->tableColumnWithIdentifier(QLatin1String(kDateColumn))->logicalIndex(),
                                        bikeTable_->fontMetrics().horizontalAdvance(QStringLiteral("00 Sept 0000")) + 16);
    bikeTable_->header()->resizeSection(
        bikeTable_->tableColumnWithIdentifier(QLatin1String(kPartNameColumn))->logicalIndex(),
        bikeTable_->fontMetrics().horizontalAdvance(QStringLiteral("Rear derailleur")) * 2);

    DocumentWindow* window = documentWindow();
    setFrameUsingName(window, QLatin1String(kWindowFrameName));
    setFrameAutosaveName(window, QLatin1String(kWindowFrameName));

    connect(bikeTable_, &OutlineView::selectionDidChange, this, &MyDocument::outlineViewSelectionDidChange);
    // The document keeps the notes' undo history; the pane keeps none.
    notesView_->setUndoRedoEnabled(false);
    notesView_->setReadOnly(true);
    notesView_->installEventFilter(this);
    connect(notesView_, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingNotes_) textDidChange();
    });
    if (auto* application = Application::instance()) {
        application->addRecoveryHook(this, [this] {
            if (bikeTable_) bikeTable_->reloadData();
        });
    }

    NotificationCenter::defaultCenter().postNotificationName(kZRSWBikeDocumentDidLoadNotification, this);
}

void MyDocument::windowWillClose() {
    if (bikeTable_) {
        bikeTable_->setDataSource(nullptr);
        bikeTable_->setOutlineDelegate(nullptr);
    }
    // A notes pane that has the focus loses it while it is being destroyed;
    // by then it is no text view any more, and its focus-out must not reach
    // the document.
    if (notesView_) notesView_->removeEventFilter(this);
}

std::vector<std::uint8_t> MyDocument::dataRepresentationOfType(const QString&) {
    _logNotesViewStringWithUndo(false);
    if (auto base = baseNameForRoot(displayName()); base && !fileName().isEmpty()) {
        theBike_->setPartName(base->toStdString());
    }
    return writeRecordFile(*theBike_);
}

bool MyDocument::loadDataRepresentationOfType(std::vector<std::uint8_t> data, const QString&) {
    dataFromFile_ = std::move(data);
    return true;
}

void MyDocument::replaceBikeWithDataFromFile() {
    if (!dataFromFile_) return;
    ZRBicycleListPtr decoded = readRecordFile(*dataFromFile_);
    theBike_ = std::move(decoded);
    if (bikeTable_ && bikeTable_->dataSource() == this) bikeTable_->reloadData();
}

bool MyDocument::revertToSavedFromFileOfType(const QString& path, const QString& type) {
    // The bytes held now are kept until the file's new ones decode, so that a
    // file damaged since it was opened leaves the document as it was.
    std::optional<std::vector<std::uint8_t>> previous = dataFromFile_;
    const bool reverted = Document::revertToSavedFromFileOfType(path, type);
    if (!reverted || !dataFromFile_) return reverted;
    try {
        replaceBikeWithDataFromFile();
    } catch (...) {
        dataFromFile_ = std::move(previous);
        throw;
    }
    return reverted;
}

ZRBicycleList* MyDocument::nodeForItem(void* item) const {
    return item ? static_cast<ZRBicycleList*>(item) : theBike_.get();
}

long MyDocument::outlineViewNumberOfChildrenOfItem(OutlineView*, void* item) {
    const ZRBicycleList* node = nodeForItem(item);
    return node->hasChildren() ? static_cast<long>(node->numberOfChildren()) : 0;
}

bool MyDocument::outlineViewIsItemExpandable(OutlineView*, void* item) {
    return nodeForItem(item)->hasChildren();
}

OutlineItem MyDocument::outlineViewChildOfItem(OutlineView*, long index, void* item) {
    const ZRBicycleList* node = nodeForItem(item);
    if (!node->hasChildren() || index < 0 || static_cast<std::size_t>(index) >= node->numberOfChildren()) {
        documentAssertion("outlineView:child:ofItem:", this, "Out of bounds index in outlineView:child:ofItem:");
    }
    return node->childAtIndex(static_cast<std::size_t>(index));
}

QVariant MyDocument::outlineViewObjectValueForTableColumnByItem(OutlineView*, const TableColumn& column, void* item) {
    const ZRBicycleList* node = nodeForItem(item);
    const QString& key = column.identifier();
    if (key == QLatin1String(kPartNameColumn)) return QString::fromStdString(node->partName());
    if (key == QLatin1String(kDescriptionColumn)) return QString::fromStdString(node->description());
    if (key == QLatin1String(kDateColumn)) return outlineDate(node->date());
    const PlistValue value = node->valueForKey(key.toStdString());
    return value.isString() ? QVariant(QString::fromStdString(value.string())) : QVariant();
}

void MyDocument::outlineViewWillDisplayCellForTableColumnItem(OutlineView*, TextFieldCell* cell,
                                                              const TableColumn& column, void* item) {
    const QString& key = column.identifier();
    if (key == QLatin1String(kPartNameColumn)) {
        if (item == nullptr) {
            documentAssertion("outlineView:willDisplayCell:forTableColumn:item:", this,
                              "MyDocument outlineView:willDisplayCell:forTableColumn:item: - won't display cell "
                              "for root\n");
        }
        const auto* node = static_cast<ZRBicycleList*>(item);
        const bool parentIsRoot = node->parent().get() == theBike_.get();
        auto image = imageNamed(QLatin1String(kindImageName(node->expandable(), parentIsRoot)));
        if (!image) {
            documentAssertion("outlineView:willDisplayCell:forTableColumn:item:", this,
                              "MyDocument outlineView:willDisplayCell:forTableColumn:item: - image missing for "
                              "item\n");
        }
        if (auto* imageCell = qobject_cast<ImageAndTextCell*>(cell)) imageCell->setImage(std::move(image));
    } else if (key == QLatin1String(kDescriptionColumn)) {
        if (item == nullptr) {
            documentAssertion("outlineView:willDisplayCell:forTableColumn:item:", this,
                              "MyDocument outlineView:willDisplayCell:forTableColumn:item: - won't display cell "
                              "for root\n");
        }
        const auto* node = static_cast<ZRBicycleList*>(item);
        if (auto* imageCell = qobject_cast<ImageAndTextCell*>(cell)) {
            imageCell->setImage(node->notes().empty() ? nullptr : imageNamed(QStringLiteral("Hand16.tif")));
        }
    }
}

void MyDocument::focusOnItemByExtendingSelection(const ZRBicycleList* item, bool extend) {
    if (item == nullptr || !bikeTable_) return;
    // Only nodes of this document's tree below the bike can be focused; a
    // walk up from any other node would never meet the bike.
    std::vector<std::int32_t> path{item->childIndex()};
    ZRBicycleListPtr ancestor = item->parent();
    while (ancestor && ancestor != theBike_) {
        path.insert(path.begin(), ancestor->childIndex());
        ancestor = ancestor->parent();
    }
    if (!ancestor) return;
    bikeTable_->reloadData();
    const ZRBicycleList* current = theBike_.get();
    for (std::size_t level = 0; level + 1 < path.size(); ++level) {
        const std::int32_t index = path[level];
        if (index < 0 || static_cast<std::size_t>(index) >= current->numberOfChildren()) return;
        current = current->childAtIndex(static_cast<std::size_t>(index)).get();
        bikeTable_->expandItem(current);
    }
    const long row = bikeTable_->rowForItem(item);
    if (row == kOutlineNoRow) return;
    bikeTable_->selectRowByExtendingSelection(row, extend);
    bikeTable_->scrollRowToVisible(row);
}

void MyDocument::forEachTopLevelPartWithChildren(const std::function<void(const ZRBicycleList*)>& action) {
    for (std::size_t index = 0; index < theBike_->numberOfChildren(); ++index) {
        const ZRBicycleList* node = theBike_->childAtIndex(index).get();
        if (node->expandable() && node->hasChildren()) action(node);
    }
}

void MyDocument::expandAll() {
    if (!bikeTable_) return;
    forEachTopLevelPartWithChildren([this](const ZRBicycleList* part) { bikeTable_->expandItemExpandChildren(part, true); });
    bikeTable_->reloadData();
}

void MyDocument::collapseAll() {
    if (!bikeTable_) return;
    forEachTopLevelPartWithChildren(
        [this](const ZRBicycleList* part) { bikeTable_->collapseItemCollapseChildren(part, true); });
    bikeTable_->reloadData();
}

bool MyDocument::validateMenuItem(QAction* item) {
    const int tag = menuItemTag(item);
    if (tag > 12 && tag <= kAddEntryForPartMenuItemTag) {
        if (bikeTable_ && bikeTable_->numberOfSelectedRows() == 1) {
            const auto* node = static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
            const QString name = node ? QString::fromStdString(node->partName()) : QString();
            setMenuItemTitle(item, QLatin1String(tag == kAddSubpartMenuItemTag ? ZRSWAddSubpartMITitlePrefix
                                                                               : ZRSWAddEntryMITitlePrefix) +
                                       name);
            return true;
        }
        setMenuItemTitle(item, QLatin1String(tag == kAddSubpartMenuItemTag ? ZRSWAddSubpartDisabledMITitle
                                                                           : ZRSWAddEntryDisabledMITitle));
        return false;
    }
    if (const std::optional<bool> enabled = validatePasteboardMenuItem(item)) return *enabled;
    return Document::validateMenuItem(item);
}

} // namespace cogbook
