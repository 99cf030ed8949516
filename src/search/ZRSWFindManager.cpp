#include "search/ZRSWFindManager.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>

#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "platform/document.h"
#include "platform/document_controller.h"
#include "search/ZRSWSearchReport.h"
#include "search/ZRSWSearcher.h"
#include "search/find_string.h"
#include "search/searchable_documents.h"
#include "ui_ZRSWFindPanel.h"

namespace cogbook {
namespace {

ZRSWFindManager* _sharedFindManager = nullptr;

} // namespace

ZRSWFindManager* ZRSWFindManager::sharedFindManager() {
    if (_sharedFindManager == nullptr) _sharedFindManager = new ZRSWFindManager;
    return _sharedFindManager;
}

ZRSWFindManager* ZRSWFindManager::existingFindManager() {
    return _sharedFindManager;
}

ZRSWFindManager::ZRSWFindManager() {
    NotificationCenter::defaultCenter().addObserver(this, std::string(kSearchedDocumentWillDeallocNotification),
                                                    nullptr, [this](const Notification& note) {
                                                        bikeDocumentWillDealloc(note.object);
                                                    });
}

ZRSWFindManager::~ZRSWFindManager() {
    if (_sharedFindManager == this) _sharedFindManager = nullptr;
    NotificationCenter::defaultCenter().removeObserver(this);
}

QLabel* ZRSWFindManager::findCaptionField() const { return ui_ ? ui_->findCaptionField : nullptr; }
QLineEdit* ZRSWFindManager::findStringField() const { return ui_ ? ui_->findStringField : nullptr; }
QPushButton* ZRSWFindManager::findNextButton() const { return ui_ ? ui_->findNextButton : nullptr; }
QPushButton* ZRSWFindManager::findAllButton() const { return ui_ ? ui_->findAllButton : nullptr; }
QCheckBox* ZRSWFindManager::ignoreCaseSwitch() const { return ui_ ? ui_->ignoreCaseSwitch : nullptr; }
QCheckBox* ZRSWFindManager::searchBackwardSwitch() const { return ui_ ? ui_->searchBackwardSwitch : nullptr; }

void ZRSWFindManager::loadPanel() {
    findPanel_ = std::make_unique<QWidget>(nullptr, Qt::Tool);
    ui_ = std::make_unique<Ui::ZRSWFindPanel>();
    ui_->setupUi(findPanel_.get());
    connect(ui_->findNextButton, &QPushButton::clicked, this, [this] { findNext(); });
    connect(ui_->findAllButton, &QPushButton::clicked, this, [this] { findAll(); });
    connect(ui_->ignoreCaseSwitch, &QCheckBox::clicked, this, [this] { changeIgnoreCase(); });
    connect(ui_->searchBackwardSwitch, &QCheckBox::clicked, this, [this] { changeSearchBackward(); });
    connect(ui_->findStringField, &QLineEdit::editingFinished, this, [this] { loadSearchString(); });
    // Return in the field finds, as the panel's default button would.
    connect(ui_->findStringField, &QLineEdit::returnPressed, this, [this] { findNext(); });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), findPanel_.get());
    connect(close, &QShortcut::activated, findPanel_.get(), &QWidget::close);
    findPanel_->installEventFilter(this);
    ui_->ignoreCaseSwitch->setChecked(ignoreCase_);
    setSearchBackward(searchBackward_);
}

bool ZRSWFindManager::eventFilter(QObject* watched, QEvent* event) {
    // Another program may have changed the find string meanwhile.
    if (watched == findPanel_.get() && event->type() == QEvent::WindowActivate) setSearchString(std::nullopt);
    return QObject::eventFilter(watched, event);
}

void ZRSWFindManager::runFindPanelForBikeDocument(ZRSWSearchableDocument* document) {
    if (!findPanel_) loadPanel();
    setCurrentDocument(document);
    findPanel_->show();
    findPanel_->raise();
    findPanel_->activateWindow();
    ui_->findStringField->setFocus(Qt::OtherFocusReason);
    changeIgnoreCase();
    changeSearchBackward();
    setSearchString(std::nullopt);
    ui_->findStringField->selectAll();
}

void ZRSWFindManager::setCurrentDocument(ZRSWSearchableDocument* document) {
    currentDocument_ = document;
    if (ui_) {
        ui_->findCaptionField->setText(
            tr("Search in %1").arg(document ? document->bikeName() : QString()));
    }
}

void ZRSWFindManager::setSearchString(const std::optional<QString>& string) {
    std::optional<QString> chosen = string;
    if (!chosen) chosen = findString();
    if (!chosen) return;
    searchString_ = *chosen;
    if (string) publishFindString(*searchString_);
    if (ui_ && ui_->findStringField->text() != *searchString_) ui_->findStringField->setText(*searchString_);
}

void ZRSWFindManager::setSearchBackward(bool backward) {
    searchBackward_ = backward;
    if (!ui_) return;
    ui_->searchBackwardSwitch->setChecked(backward);
    ui_->findNextButton->setText(QLatin1String(backward ? _findPreviousTitle : _findNextTitle));
    ui_->findNextButton->setAccessibleName(ui_->findNextButton->text());
}

void ZRSWFindManager::changeIgnoreCase() {
    if (ui_) ignoreCase_ = ui_->ignoreCaseSwitch->isChecked();
}

void ZRSWFindManager::changeSearchBackward() {
    if (ui_) setSearchBackward(ui_->searchBackwardSwitch->isChecked());
}

void ZRSWFindManager::loadSearchString() {
    if (ui_) setSearchString(ui_->findStringField->text());
}

ZRBicycleListPtr ZRSWFindManager::nextItem() {
    ZRSWSearchableDocument* document = currentDocument_;
    if (document == nullptr) {
        beep();
        return nullptr;
    }
    ZRSWSearcher* searcher = ZRSWSearcher::searcherForDocument(document);
    const QString string = searchString_.value_or(QString());
    searcher->setBookmark(document->lastSelectedItem());
    ZRBicycleListPtr found = searcher->nextItemWithStringIgnoreCaseSearchBackward(string, ignoreCase_, searchBackward_);
    if (!found) {
        // Past the last match: say so once and go round from the other end.
        beep();
        searcher->setBookmark(nullptr);
        searcher->resetSearchToStartAtItem(document->searchRoot().get());
        found = searcher->nextItemWithStringIgnoreCaseSearchBackward(string, ignoreCase_, searchBackward_);
        if (!found) return nullptr;
    }
    document->focusOnSearchResult(found.get());
    return found;
}

void ZRSWFindManager::findNext() {
    loadSearchString();
    if (!nextItem() || currentDocument_ == nullptr || !searchString_) return;
    QPlainTextEdit* notes = currentDocument_->searchNotesView();
    if (notes == nullptr) return;
    const QString text = notes->toPlainText();
    const qsizetype at =
        text.indexOf(*searchString_, 0, ignoreCase_ ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (at < 0) return;
    QTextCursor cursor(notes->document());
    cursor.setPosition(static_cast<int>(at));
    cursor.setPosition(static_cast<int>(at + searchString_->size()), QTextCursor::KeepAnchor);
    notes->setTextCursor(cursor);
}

void ZRSWFindManager::findAll() {
    loadSearchString();
    if (currentDocument_ == nullptr) {
        beep();
        return;
    }
    ZRSWSearchReport::searchReportForDocument(currentDocument_)
        ->showSearchResultsForStringIgnoreCase(searchString_.value_or(QString()), ignoreCase_);
}

void ZRSWFindManager::bikeDocumentWillDealloc(const void* document) {
    if (ending_ || currentDocument_ == nullptr || document != currentDocument_->documentIdentity()) return;
    currentDocument_ = nullptr;
    if (auto* controller = DocumentController::sharedDocumentController()) {
        for (Document* open : controller->orderedDocuments()) {
            ZRSWSearchableDocument* searchable = searchableDocumentFor(open);
            if (searchable != nullptr && searchable->documentIdentity() != document) {
                setCurrentDocument(searchable);
                return;
            }
        }
    }
    // The last document went: the panel goes with it, and so does the manager,
    // once this notification has been handled.
    if (findPanel_) findPanel_->close();
    ending_ = true;
    if (_sharedFindManager == this) _sharedFindManager = nullptr;
    NotificationCenter::defaultCenter().removeObserver(this);
    QPointer<ZRSWFindManager> self(this);
    performDeferred([self] { delete self.data(); });
}

} // namespace cogbook
