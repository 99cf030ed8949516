#include "app/ZRSWPreferencesManager.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>

#include <algorithm>
#include <string>

#include "app/ZRSWDocumentController.h"
#include "app/ZRSWTemplateTitleSheetManager.h"
#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "document/ZRSWDefaultsKeys.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "foundation/user_defaults.h"
#include "platform/alerts.h"
#include "platform/responder.h"
#include "ui_ZRSWPreferencesPanel.h"

namespace cogbook {
namespace {

QString titleOf(const PlistValue& bikeTemplate) {
    const PlistValue* name = bikeTemplate.find("partName");
    return name && name->isString() ? QString::fromStdString(name->string()) : QString();
}

} // namespace

int ZRSWPreferencesManager::n = 1;

ZRSWPreferencesManager::ZRSWPreferencesManager() : indexOfDefaultTemplate_(kNSNotFound) {
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, std::string(kZRSWBikeDocumentDidLoadNotification), nullptr,
                       [this](const Notification& note) { bikeDocumentDidLoad(note.object); });
    center.addObserver(this, std::string(kZRSWBikeDocumentWillDeallocNotification), nullptr,
                       [this](const Notification& note) { bikeDocumentWillDealloc(note.object); });
}

ZRSWPreferencesManager::~ZRSWPreferencesManager() {
    NotificationCenter::defaultCenter().removeObserver(this);
    templateTitleSheetManager_.reset();
    delete preferencesPanel_.data();
}

void ZRSWPreferencesManager::loadPanel() {
    auto* panel = new QDialog;
    Ui::ZRSWPreferencesPanel ui;
    ui.setupUi(panel);
    preferencesPanel_ = panel;
    templatesTableView_ = ui.templatesTableView;
    bikesPopUp_ = ui.bikesPopUp;
    okayButton_ = ui.okayButton;
    cancelButton_ = ui.cancelButton;
    removeTemplatesButton_ = ui.removeTemplatesButton;
    newTemplateButton_ = ui.newTemplateButton;
    defaultSwitch_ = ui.defaultSwitch;

    templatesTableView_->horizontalHeader()->setStretchLastSection(true);
    connect(templatesTableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tableViewSelectionDidChange(); });
    connect(okayButton_, &QPushButton::clicked, this, [this] { okayChanges(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelChanges(); });
    connect(removeTemplatesButton_, &QPushButton::clicked, this, [this] { removeTemplates(); });
    connect(newTemplateButton_, &QPushButton::clicked, this, [this] { makeNewTemplate(); });
    connect(defaultSwitch_, &QCheckBox::clicked, this, [this] { makeDefault(); });
}

void ZRSWPreferencesManager::runPreferences() {
    if (!preferencesPanel_) loadPanel();
    const UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const PlistArray* stored = defaults.arrayForKey(ZRSWBikeTemplates);
    _setTemplatesListFromArray(stored ? *stored : PlistArray{});
    indexOfDefaultTemplate_ = defaults.unsignedIntForKey(ZRSWPreferredBike);
    // A settings file edited by hand can name a template that is not there.
    if (indexOfDefaultTemplate_ != kNSNotFound && indexOfDefaultTemplate_ >= templatesList_.size()) {
        log("The preferred template " + std::to_string(indexOfDefaultTemplate_) + " is not among the " +
            std::to_string(templatesList_.size()) + " stored templates; no template is the default");
        indexOfDefaultTemplate_ = kNSNotFound;
    }
    reloadTable();
    selectDefaultTemplate();

    for (const PopUpEntry& entry : popUpEntries_) {
        if (entry.document) disconnect(entry.document, nullptr, this, nullptr);
    }
    popUpEntries_.clear();
    bikesPopUp_->clear();
    if (auto* controller = DocumentController::sharedDocumentController()) {
        for (Document* document : controller->orderedDocuments()) {
            if (auto* bike = qobject_cast<MyDocument*>(document)) addPopUpEntry(bike);
        }
    }
    retitlePopUp();
    preferencesPanel_->show();
    preferencesPanel_->raise();
    preferencesPanel_->activateWindow();
}

void ZRSWPreferencesManager::_setTemplatesListFromArray(const PlistArray& array) {
    templatesList_ = array;
}

void ZRSWPreferencesManager::reloadTable() {
    if (!templatesTableView_) return;
    templatesTableView_->clearSelection();
    templatesTableView_->setRowCount(static_cast<int>(templatesList_.size()));
    for (std::size_t row = 0; row < templatesList_.size(); ++row) {
        auto* item = new QTableWidgetItem(titleOf(templatesList_[row]));
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        templatesTableView_->setItem(static_cast<int>(row), 0, item);
    }
    tableViewSelectionDidChange();
}

void ZRSWPreferencesManager::selectDefaultTemplate() {
    if (!templatesTableView_) return;
    if (indexOfDefaultTemplate_ == kNSNotFound) {
        templatesTableView_->clearSelection();
    } else {
        const QModelIndex index = templatesTableView_->model()->index(static_cast<int>(indexOfDefaultTemplate_), 0);
        templatesTableView_->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    tableViewSelectionDidChange();
}

void ZRSWPreferencesManager::tableViewSelectionDidChange() {
    if (!templatesTableView_) return;
    const QModelIndexList rows = templatesTableView_->selectionModel()->selectedRows();
    const bool one = rows.size() == 1;
    defaultSwitch_->setChecked(one && static_cast<std::uint32_t>(rows.front().row()) == indexOfDefaultTemplate_);
    defaultSwitch_->setEnabled(one);
    removeTemplatesButton_->setEnabled(!rows.isEmpty());
}

void ZRSWPreferencesManager::makeDefault() {
    const QModelIndexList rows = templatesTableView_->selectionModel()->selectedRows();
    if (defaultSwitch_->isChecked() && rows.size() == 1) {
        indexOfDefaultTemplate_ = static_cast<std::uint32_t>(rows.front().row());
    } else {
        indexOfDefaultTemplate_ = kNSNotFound;
    }
}

void ZRSWPreferencesManager::removeTemplates() {
    std::vector<int> rows;
    for (const QModelIndex& index : templatesTableView_->selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty()) {
        beep();
        return;
    }
    // From the highest down, so that the indexes still to go stay valid; the
    // default follows its template, or is none once it has gone.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows) {
        if (row < 0 || static_cast<std::size_t>(row) >= templatesList_.size()) continue;
        templatesList_.erase(templatesList_.begin() + row);
        const auto removed = static_cast<std::uint32_t>(row);
        if (indexOfDefaultTemplate_ != kNSNotFound && removed < indexOfDefaultTemplate_) {
            --indexOfDefaultTemplate_;
        } else if (removed == indexOfDefaultTemplate_) {
            indexOfDefaultTemplate_ = kNSNotFound;
        }
    }
    reloadTable();
    selectDefaultTemplate();
}

std::string ZRSWPreferencesManager::uniqueTemplateTitle(std::string name) const {
    for (bool clash = true; clash;) {
        clash = false;
        for (const PlistValue& bikeTemplate : templatesList_) {
            const PlistValue* title = bikeTemplate.find("partName");
            if (title && title->isString() && title->string() == name) {
                name += " " + std::to_string(n++);
                clash = true;
                break;
            }
        }
    }
    return name;
}

void ZRSWPreferencesManager::makeNewTemplate() {
    const int entry = bikesPopUp_ ? bikesPopUp_->currentIndex() : -1;
    if (entry < 0 || static_cast<std::size_t>(entry) >= popUpEntries_.size() || !popUpEntries_[entry].document) {
        beep();
        return;
    }
    QPointer<MyDocument> document = popUpEntries_[entry].document;
    if (!templateTitleSheetManager_) {
        templateTitleSheetManager_ = std::make_unique<ZRSWTemplateTitleSheetManager>(preferencesPanel_);
    }
    const auto info = templateTitleSheetManager_->infoFromSheetForTitle(document->displayName());
    if (!info) return;
    // The bike's window stays open to the user while the sheet asks.
    if (!document) {
        showMessage(preferencesPanel_, AlertStyle::Warning, tr("The bike was closed before its template was made."));
        return;
    }
    std::string name = info->title.empty() ? std::to_string(n) : info->title;
    name = uniqueTemplateTitle(std::move(name));

    std::optional<PlistValue> bikeTemplate = document->theBike()->templateDictionary();
    if (!bikeTemplate) {
        beep();
        return;
    }
    bikeTemplate->set("partName", PlistValue(name));
    templatesList_.push_back(std::move(*bikeTemplate));
    if (info->makeDefault) indexOfDefaultTemplate_ = static_cast<std::uint32_t>(templatesList_.size() - 1);
    reloadTable();
    selectDefaultTemplate();
}

void ZRSWPreferencesManager::okayChanges() {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const PlistValue previousTemplates = defaults.objectForKey(ZRSWBikeTemplates) ? *defaults.objectForKey(ZRSWBikeTemplates)
                                                                                   : PlistValue();
    if (!defaults.setObjectForKey(PlistValue(templatesList_), ZRSWBikeTemplates) ||
        !defaults.setObjectForKey(PlistValue(static_cast<std::int64_t>(indexOfDefaultTemplate_)), ZRSWPreferredBike)) {
        // Nothing half-stored: the templates go back to what they were.
        defaults.setObjectForKey(previousTemplates, ZRSWBikeTemplates);
        showMessage(preferencesPanel_, AlertStyle::Warning, tr("The templates could not be stored."),
                    tr("One of them holds something the settings file cannot keep."));
        return;
    }

    if (auto* controller = dynamic_cast<ZRSWDocumentController*>(DocumentController::sharedDocumentController())) {
        std::optional<std::string> title;
        if (indexOfDefaultTemplate_ != kNSNotFound) title = titleOf(templatesList_[indexOfDefaultTemplate_]).toStdString();
        controller->setNewDocumentMenuItemTitleWith(title);
        if (QMenu* menu = controller->newDocFromTemplateMenu()) {
            const QList<QAction*> items = menu->actions();
            for (qsizetype index = items.size() - 1; index >= 1; --index) {
                menu->removeAction(items[index]);
                delete items[index];
            }
            for (const PlistValue& bikeTemplate : templatesList_) {
                QAction* item = makeMenuItem(menu, QString(), "newDocumentWithTemplate:");
                setMenuItemTitle(item, titleOf(bikeTemplate));
            }
        }
    }
    if (preferencesPanel_) preferencesPanel_->accept();
}

void ZRSWPreferencesManager::cancelChanges() {
    if (preferencesPanel_) preferencesPanel_->reject();
}

// The open bikes' pop-up

std::vector<MyDocument*> ZRSWPreferencesManager::popUpDocuments() const {
    std::vector<MyDocument*> documents;
    for (const PopUpEntry& entry : popUpEntries_) documents.push_back(entry.document);
    return documents;
}

void ZRSWPreferencesManager::addPopUpEntry(MyDocument* document) {
    popUpEntries_.push_back({static_cast<const void*>(document), document});
    bikesPopUp_->addItem(document->displayName());
    connect(document, &Document::displayNameChanged, this, [this] { retitlePopUp(); });
}

void ZRSWPreferencesManager::bikeDocumentDidLoad(const void* object) {
    if (!preferencesPanel_ || object == nullptr) return;
    // The notification names the document as the sender it posted it as.
    auto* document = static_cast<MyDocument*>(const_cast<void*>(object));
    for (const PopUpEntry& entry : popUpEntries_) {
        if (entry.identity == object) return;
    }
    addPopUpEntry(document);
    retitlePopUp();
}

void ZRSWPreferencesManager::bikeDocumentWillDealloc(const void* object) {
    if (!preferencesPanel_) return;
    for (std::size_t index = 0; index < popUpEntries_.size(); ++index) {
        if (popUpEntries_[index].identity != object) continue;
        if (popUpEntries_[index].document) disconnect(popUpEntries_[index].document, nullptr, this, nullptr);
        popUpEntries_.erase(popUpEntries_.begin() + static_cast<std::ptrdiff_t>(index));
        bikesPopUp_->removeItem(static_cast<int>(index));
        retitlePopUp();
        return;
    }
}

void ZRSWPreferencesManager::retitlePopUp() {
    if (!bikesPopUp_) return;
    for (std::size_t index = 0; index < popUpEntries_.size(); ++index) {
        const MyDocument* document = popUpEntries_[index].document;
        if (!document) continue;
        const QString name = document->displayName();
        const bool shared = std::any_of(popUpEntries_.begin(), popUpEntries_.end(), [&](const PopUpEntry& other) {
            return other.document && other.document != document && other.document->displayName() == name;
        });
        QString title = name;
        if (shared) {
            title += QStringLiteral(" — ") + (document->fileName().isEmpty()
                                                  ? tr("not saved")
                                                  : QDir::toNativeSeparators(QFileInfo(document->fileName()).absolutePath()));
        }
        bikesPopUp_->setItemText(static_cast<int>(index), title);
    }
    if (newTemplateButton_) newTemplateButton_->setEnabled(!popUpEntries_.empty());
}

} // namespace cogbook
