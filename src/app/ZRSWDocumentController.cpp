#include "app/ZRSWDocumentController.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include <span>
#include <utility>

#include "app/ZRSWHelpWindow.h"
#include "app/document_search.h"
#include "document/MyDocument.h"
#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/hooks.h"
#include "foundation/user_defaults.h"
#include "platform/application_identity.h"
#include "platform/images.h"
#include "platform/windows_menu.h"

#ifndef COGBOOK_VERSION
#define COGBOOK_VERSION "unknown"
#endif

namespace cogbook {
namespace {

// The desktop's key for KEY; where the desktop has no key scheme of its own
// (so the standard key is empty), the usual one, which the README promises.
QKeySequence standardKey(QKeySequence::StandardKey key, QKeyCombination usual) {
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    return bindings.isEmpty() || bindings.first().isEmpty() ? QKeySequence(usual) : bindings.first();
}

constexpr const char* newString = "New ";
constexpr const char* kDefaultBikeResource = ":/resources/defaultBike.plist";

bool executed = false;

// The "defaultBike" resource's dictionary, or an empty one if it cannot be
// read (a packaging fault: the program still starts, with no template).
PlistValue readDefaultBike() {
    QFile file{QLatin1String(kDefaultBikeResource)};
    if (!file.open(QIODevice::ReadOnly)) {
        log("The default bike template is missing from the application");
        return PlistValue(PlistDictionary{});
    }
    const QByteArray bytes = file.readAll();
    try {
        PlistValue value = readPlist(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())));
        if (value.isDictionary()) return value;
    } catch (const std::exception& error) {
        log(std::string("The default bike template cannot be read: ") + error.what());
    }
    return PlistValue(PlistDictionary{});
}

std::optional<std::string> templateTitle(const PlistValue& bikeTemplate) {
    const PlistValue* name = bikeTemplate.find("partName");
    if (name && name->isString()) return name->string();
    return std::nullopt;
}

} // namespace

QString _newTitle(const std::optional<std::string>& title) {
    return QLatin1String(newString) + QString::fromStdString(title.value_or(std::string(ZRSWEmptyBike)));
}

void ZRSWDocumentController::initialize() {
    if (executed) return;
    executed = true;
    registerDefaultUserDefaults();
}

void ZRSWDocumentController::registerDefaultUserDefaults() {
    PlistDictionary defaults;
    defaults.emplace_back(std::string(ZRSWPreferredBike), PlistValue(std::int64_t{0}));
    defaults.emplace_back(std::string(ZRSWBikeTemplates), PlistValue(PlistArray{readDefaultBike()}));
    UserDefaults::standardUserDefaults().registerDefaults(defaults);
}

ZRSWDocumentController::ZRSWDocumentController() {
    initialize();
    // Its documents search through the search classes.
    installDocumentSearch();
    addCommand("newDocumentWithTemplate:", [this](QAction* sender) { newDocumentWithTemplate(sender); });
    addCommand("orderFrontStandardAboutPanel:", [this](QAction*) { showAboutBox(); });
    addCommand("showHelp:", [this](QAction*) { showHandbook(); });
}

ZRSWDocumentController::~ZRSWDocumentController() {
    for (QMenu* menu : mainMenus_) delete menu;
}

void ZRSWDocumentController::awakeFromNib() {
    if (mainMenus_.empty()) buildMainMenu();
    const UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const PlistArray* templates = defaults.arrayForKey(ZRSWBikeTemplates);
    const std::uint32_t preferred = defaults.unsignedIntForKey(ZRSWPreferredBike);
    std::optional<std::string> title;
    // An index beyond the templates names no template here; the document
    // reports it when one is made.
    if (templates && preferred != kNSNotFound && preferred < templates->size()) {
        title = templateTitle((*templates)[preferred]);
    }
    setNewDocumentMenuItemTitleWith(title);

    appendTemplateItem(QString::fromUtf8(ZRSWEmptyBike.data(), static_cast<int>(ZRSWEmptyBike.size())));
    if (templates) {
        for (const PlistValue& bikeTemplate : *templates) {
            appendTemplateItem(QString::fromStdString(templateTitle(bikeTemplate).value_or(std::string())));
        }
    }
}

void ZRSWDocumentController::appendTemplateItem(const QString& title) {
    QAction* item = makeMenuItem(newDocFromTemplateMenu_, QString(), "newDocumentWithTemplate:");
    setMenuItemTitle(item, title);
}

void ZRSWDocumentController::newDocumentWithTemplate(QAction* sender) {
    const int index = newDocFromTemplateMenu_ ? static_cast<int>(newDocFromTemplateMenu_->actions().indexOf(sender)) : -1;
    const std::uint32_t templateIndex = index > 0 ? static_cast<std::uint32_t>(index - 1) : kNSNotFound;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setObjectForKey(PlistValue(static_cast<std::int64_t>(templateIndex)), ZRSWPreferredBike);
    std::optional<std::string> title;
    if (templateIndex != kNSNotFound) {
        const PlistArray* templates = defaults.arrayForKey(ZRSWBikeTemplates);
        if (templates && templateIndex < templates->size()) title = templateTitle((*templates)[templateIndex]);
    }
    setNewDocumentMenuItemTitleWith(title);
    newDocument();
}

Document* ZRSWDocumentController::newDocumentAtLaunch() {
    if (Document* document = newDocument()) return document;
    return showUntitledDocument([this] { return makeDocumentForReading(); });
}

void ZRSWDocumentController::setNewDocumentMenuItemTitleWith(const std::optional<std::string>& title) {
    if (newDocumentMenuItem_) setMenuItemTitle(newDocumentMenuItem_, _newTitle(title));
}

void ZRSWDocumentController::buildMainMenu() {
    auto* file = new QMenu(tr("&File"));
    newDocumentMenuItem_ =
        makeMenuItem(file, _newTitle(std::nullopt), "newDocument:", standardKey(QKeySequence::New, Qt::CTRL | Qt::Key_N));
    newDocFromTemplateMenu_ = file->addMenu(tr("New from &Template"));
    makeMenuItem(file, tr("&Open…"), "openDocument:", standardKey(QKeySequence::Open, Qt::CTRL | Qt::Key_O));
    file->addMenu(makeOpenRecentMenu(file));
    file->addSeparator();
    makeMenuItem(file, tr("&Close"), "performClose:", standardKey(QKeySequence::Close, Qt::CTRL | Qt::Key_W));
    makeMenuItem(file, tr("&Save"), "saveDocument:", standardKey(QKeySequence::Save, Qt::CTRL | Qt::Key_S));
    makeMenuItem(file, tr("Save &As…"), "saveDocumentAs:",
                 standardKey(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    makeMenuItem(file, tr("Re&vert to Saved"), "revertDocumentToSaved:");
    file->addSeparator();
    makeMenuItem(file, tr("Print Previe&w…"), "printPreview:");
    makeMenuItem(file, tr("&Print…"), "printDocument:", standardKey(QKeySequence::Print, Qt::CTRL | Qt::Key_P));
    makeMenuItem(file, tr("E&xport as PDF…"), "exportDocumentAsPDF:");
    makeMenuItem(file, tr("Export Service &Log as CSV…"), "exportServiceLogAsCSV:");
    makeMenuItem(file, tr("&Import Service Entries from CSV…"), "importServiceEntriesFromCSV:");
    file->addSeparator();
    QAction* quit = makeMenuItem(file, tr("&Quit"), "terminate:", standardKey(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);

    auto* edit = new QMenu(tr("&Edit"));
    // Titled by the key window's undo manager each time the menu opens.
    makeMenuItem(edit, tr("Undo"), "undo:", standardKey(QKeySequence::Undo, Qt::CTRL | Qt::Key_Z));
    makeMenuItem(edit, tr("Redo"), "redo:", standardKey(QKeySequence::Redo, Qt::CTRL | Qt::SHIFT | Qt::Key_Z));

    // Items of the outline; while a cell editor or the notes have the focus,
    // their text.
    edit->addSeparator();
    makeMenuItem(edit, tr("Cu&t"), "cut:", standardKey(QKeySequence::Cut, Qt::CTRL | Qt::Key_X));
    makeMenuItem(edit, tr("&Copy"), "copy:", standardKey(QKeySequence::Copy, Qt::CTRL | Qt::Key_C));
    makeMenuItem(edit, tr("&Paste"), "paste:", standardKey(QKeySequence::Paste, Qt::CTRL | Qt::Key_V));
    makeMenuItem(edit, tr("&Delete"), "delete:", standardKey(QKeySequence::Delete, Qt::Key_Delete));

    // Find: the desktop's standard keys; each item carries its find command's tag.
    edit->addSeparator();
    QMenu* find = edit->addMenu(tr("&Find"));
    makeMenuItem(find, tr("&Find…"), "performFindPanelAction:", standardKey(QKeySequence::Find, Qt::CTRL | Qt::Key_F),
                 kFindPanelActionShowFindPanel);
    QAction* findNext = makeMenuItem(find, tr("Find &Next"), "performFindPanelAction:", {}, kFindPanelActionNext);
    findNext->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_G)});
    QAction* findPrevious =
        makeMenuItem(find, tr("Find &Previous"), "performFindPanelAction:", {}, kFindPanelActionPrevious);
    findPrevious->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)});
    makeMenuItem(find, tr("&Use Selection for Find"), "performFindPanelAction:", QKeySequence(Qt::CTRL | Qt::Key_E),
                 kFindPanelActionSetFindString);

    auto* record = new QMenu(tr("&Record"));
    makeMenuItem(record, tr("Add &Part"), "addPart:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    makeMenuItem(record, QLatin1String(ZRSWAddSubpartDisabledMITitle), "addSubpart:",
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U), kAddSubpartMenuItemTag);
    makeMenuItem(record, QLatin1String(ZRSWAddEntryDisabledMITitle), "addEntryForPart:",
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), kAddEntryForPartMenuItemTag);
    makeMenuItem(record, tr("Add Entry for &Bike"), "addEntryForBike:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    record->addSeparator();
    makeMenuItem(record, tr("Service &Interval…"), "showServiceInterval:");
    makeMenuItem(record, tr("Bike &Details…"), "showBikeDetails:", QKeySequence(Qt::CTRL | Qt::Key_I));

    auto* view = new QMenu(tr("&View"));
    makeMenuItem(view, tr("&Expand All"), "expandAll:", QKeySequence(Qt::CTRL | Qt::Key_Right));
    makeMenuItem(view, tr("&Collapse All"), "collapseAll:", QKeySequence(Qt::CTRL | Qt::Key_Left));
    // The outline's optional columns, checked while shown.
    QMenu* columns = view->addMenu(tr("Colu&mns"));
    for (const auto& [title, action] : {std::pair{tr("&Cost"), "toggleCostColumn:"},
                                        std::pair{tr("&Odometer"), "toggleOdometerColumn:"},
                                        std::pair{tr("&Due"), "toggleDueColumn:"}})
        makeMenuItem(columns, title, action)->setCheckable(true);
    view->addSeparator();
    makeMenuItem(view, tr("Service &Due"), "showServiceDue:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    makeMenuItem(view, tr("Service &Log"), "showServiceLog:", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    makeMenuItem(view, tr("Costs by &Year"), "showCostsByYear:");
    view->addSeparator();
    makeMenuItem(view, tr("Customize &Toolbar…"), "runToolbarCustomizationPalette:");

    // Every document window and every search report, filled as it opens.
    auto* windows = new QMenu(tr("&Window"));
    connect(windows, &QMenu::aboutToShow, windows, [windows] { fillWindowsMenu(windows); });

    auto* settings = new QMenu(tr("&Settings"));
    // Ctrl+, where the desktop has no key of its own for it.
    const QKeySequence preferencesKey = QKeySequence(QKeySequence::Preferences).isEmpty()
                                            ? QKeySequence(Qt::CTRL | Qt::Key_Comma)
                                            : QKeySequence(QKeySequence::Preferences);
    QAction* preferences = makeMenuItem(settings, tr("&Preferences…"), "runPreferences:", preferencesKey);
    preferences->setMenuRole(QAction::PreferencesRole);

    auto* help = new QMenu(tr("&Help"));
    makeMenuItem(help, tr("Cogbook &Handbook"), "showHelp:", standardKey(QKeySequence::HelpContents, Qt::Key_F1));
    help->addSeparator();
    QAction* about = makeMenuItem(help, tr("&About Cogbook"), "orderFrontStandardAboutPanel:");
    about->setMenuRole(QAction::AboutRole);

    mainMenus_ = {file, edit, record, view, settings, windows, help};
    for (QMenu* menu : mainMenus_) registerMenuForValidation(menu);
}

void ZRSWDocumentController::prepareDocumentWindow(QMainWindow* window) {
    QMenuBar* bar = window->menuBar();
    for (QMenu* menu : mainMenus_) bar->addMenu(menu);
    if (auto icon = imageNamed(applicationIdentity().iconName)) window->setWindowIcon(icon->icon());
}

void ZRSWDocumentController::showAboutBox() {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(tr("About Cogbook"));
    if (auto icon = imageNamed(applicationIdentity().iconName)) box.setIconPixmap(icon->pixmap(QSizeF(64, 64), box.devicePixelRatioF()));
    box.setText(tr("<h3>Cogbook %1</h3>").arg(QLatin1String(COGBOOK_VERSION)));
    box.setInformativeText(tr("The maintenance record of a bicycle: its parts, and every service they have had."));
    box.exec();
}

void ZRSWDocumentController::showHandbook() {
    if (!helpWindow_) helpWindow_ = std::make_unique<ZRSWHelpWindow>();
    helpWindow_->showHandbook();
}

Document* ZRSWDocumentController::makeUntitledDocument() {
    // A settings file edited by hand can name a template that is not there:
    // New then starts from the empty bike rather than failing.
    const UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const std::uint32_t preferred = defaults.unsignedIntForKey(ZRSWPreferredBike);
    const PlistArray* templates = defaults.arrayForKey(ZRSWBikeTemplates);
    const std::size_t count = templates ? templates->size() : 0;
    if (preferred != kNSNotFound && preferred >= count) {
        log("The preferred template " + std::to_string(preferred) + " is not among the " + std::to_string(count) +
            " stored templates; the new bike starts empty");
        return new MyDocument(MyDocument::ForReading{});
    }
    return new MyDocument;
}

Document* ZRSWDocumentController::makeDocumentForReading() {
    return new MyDocument(MyDocument::ForReading{});
}

} // namespace cogbook
