// The document's life and its file: made from a template or for a file,
// the window set up, the record read, written and reverted.
#include "document/MyDocument.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <utility>

#include "document/ImageAndTextCell.h"
#include "document/ZROutlineView.h"
#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRSWDocumentNames.h"
#include "document/document_support.h"
#include "document/outline_icons.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"
#include "foundation/user_defaults.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/text_wrapping.h"
#include "platform/view_state.h"
#include "ui_MyDocument.h"

namespace cogbook {

using namespace document_support;

MyDocument::MyDocument() : theBike_(ZRBicycleList::create()) {
    registerOutlineIcons();
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
    registerOutlineIcons();
    theBike_->setExpandable(true);
    installCommands();
}

MyDocument::~MyDocument() {
    ending_ = true;
    NotificationCenter::defaultCenter().removeObserver(&pendingFocus_);
    NotificationCenter::defaultCenter().removeObserver(&statusPath_);
    NotificationCenter::defaultCenter().removeObserver(&recordChangePending_);
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
    watchRecordChanges();
    addCommand("expandAll:", [this](QAction*) { expandAll(); });
    addCommand("collapseAll:", [this](QAction*) { collapseAll(); });
    addCommand("addPart:", [this](QAction*) { addPart(); });
    addCommand("addSubpart:", [this](QAction*) { addSubpart(); });
    addCommand("addEntryForPart:", [this](QAction*) { addEntryForPart(); });
    addCommand("addEntryForBike:", [this](QAction*) { addEntryForBike(); });
    installFindCommands();
    installToolbarCommands();
    installPrintingCommands();
    installPasteboardCommands();
    installBikeCommands();
    installServiceCommands();
    installServiceWindowCommands();
    installServiceColumnCommands();
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

    // The icons come from the record, row by row, as each cell is drawn,
    // measured or edited: the cells themselves stay as set up here.
    const auto imageForIndex = [this](const QModelIndex& index) -> std::shared_ptr<const Image> {
        if (!bikeTable_) return nullptr;
        const TableColumn* column = bikeTable_->columnForIndex(index);
        void* item = bikeTable_->itemForIndex(index);
        return column != nullptr && item != nullptr ? imageForTableColumnItem(*column, item) : nullptr;
    };
    const auto imageToolTipForIndex = [this](const QModelIndex& index) {
        const TableColumn* column = bikeTable_ ? bikeTable_->columnForIndex(index) : nullptr;
        return column != nullptr ? imageToolTipForTableColumnItem(*column, bikeTable_->itemForIndex(index)) : QString();
    };
    partNameCell_ = std::make_unique<ImageAndTextCell>();
    partNameCell_->setEditable(true);
    partNameCell_->setImageForIndex(imageForIndex);
    partNameCell_->setImageToolTipForIndex(imageToolTipForIndex);
    bikeTable_->setDataCellForColumn(bikeTable_->tableColumnWithIdentifier(QLatin1String(kPartNameColumn)),
                                     partNameCell_.get());
    descriptionCell_ = std::make_unique<ImageAndTextCell>();
    descriptionCell_->setEditable(true);
    descriptionCell_->setImageForIndex(imageForIndex);
    descriptionCell_->setImageToolTipForIndex(imageToolTipForIndex);
    bikeTable_->setDataCellForColumn(bikeTable_->tableColumnWithIdentifier(QLatin1String(kDescriptionColumn)),
                                     descriptionCell_.get());
    if (TextFieldCell* dateCell = bikeTable_->dataCellForColumn(
            bikeTable_->tableColumnWithIdentifier(QLatin1String(kDateColumn)))) {
        dateCell->setEditable(true);
    }

    if (dataFromFile_) replaceBikeWithDataFromFile();
    bikeTable_->setDataSource(this);
    // The delegate answers the outline's context menu; the rows' icons come
    // from the cells, per row.
    bikeTable_->setOutlineDelegate(this);
    preparePasteboardViews();

    bikeTable_->moveColumnToColumn(2, 0);
    setupToolbar();
    setupBikeHeader();
    watchForKeyWindow();

    connect(bikeTable_, &OutlineView::selectionDidChange, this, &MyDocument::outlineViewSelectionDidChange);
    // The document keeps the notes' undo history; the pane keeps none.
    notesView_->setUndoRedoEnabled(false);
    notesView_->setReadOnly(true);
    notesView_->installEventFilter(this);
    connect(notesView_, &QPlainTextEdit::textChanged, this, [this] {
        if (settingNotes_) return;
        rewrapForText(*notesView_);
        textDidChange();
    });
    if (auto* application = Application::instance()) {
        application->addRecoveryHook(this, [this] {
            if (bikeTable_) bikeTable_->reloadData();
        });
    }

    prepareKeyboard();
    installStatusBar();
    restoreViewState();

    NotificationCenter::defaultCenter().postNotificationName(kZRSWBikeDocumentDidLoadNotification, this);
}

void MyDocument::windowWillClose() {
    rememberViewState();
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
    rememberViewState();
    if (auto base = displayNameWithoutExtension(displayName()); base && !fileName().isEmpty()) {
        theBike_->setPartName(base->toStdString());
    }
    return writeRecordFile(*theBike_);
}

void MyDocument::writeToFile(const QString& path) {
    // The bike takes the file's name only with a file that holds it: a save
    // that fails leaves the record as it was.
    const std::string previousName = theBike_->partName();
    try {
        Document::writeToFile(path);
    } catch (...) {
        theBike_->setPartName(previousName);
        throw;
    }
}

bool MyDocument::loadDataRepresentationOfType(std::vector<std::uint8_t> data, const QString&) {
    dataFromFile_ = std::move(data);
    return true;
}

void MyDocument::replaceBikeWithDataFromFile() {
    if (!dataFromFile_) return;
    ZRBicycleListPtr decoded;
    try {
        decoded = readRecordFile(*dataFromFile_);
    } catch (const RecordFileError& error) {
        // Whatever the reason, the file holds no record this program can use.
        throw DocumentContentError(error.what());
    }
    // The file read again keeps what the outline showed open and selected,
    // as far as the new tree still has it.
    const bool shown = bikeTable_ && bikeTable_->dataSource() == this;
    std::optional<OutlineViewState> view;
    if (shown) view = outlineViewState(*bikeTable_);
    theBike_ = std::move(decoded);
    counts_.reset();
    scheduleStatusUpdate();
    noteRecordChanged();
    if (shown) {
        bikeTable_->reloadData();
        restoreOutlineViewState(*bikeTable_, *view);
    }
    updateBikeHeader();
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

} // namespace cogbook
