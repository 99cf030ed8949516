// The application's document controller: the registered templates, the
// template menu, the New item's title, and new documents from a template.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <map>

#include "app/ZRSWDocumentController.h"
#include "document/MyDocument.h"
#include "document/ZRSWDefaultsKeys.h"
#include "foundation/hooks.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::processPendingEvents;

PlistValue templateNamed(const std::string& name, const std::vector<std::string>& parts) {
    auto root = ZRBicycleList::create();
    root->setPartName(name);
    root->setExpandable(true);
    for (const auto& part : parts) {
        auto child = ZRBicycleList::create();
        child->setPartName(part);
        child->setExpandable(true);
        root->addChildPartOrEntry(child);
    }
    return *root->templateDictionary();
}

QStringList titles(const QMenu* menu) {
    QStringList result;
    for (const QAction* item : menu->actions()) result << menuItemTitle(item);
    return result;
}

class ControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ZRSWDocumentController::registerDefaultUserDefaults();
        controller = std::make_unique<ZRSWDocumentController>();
    }
    void TearDown() override {
        if (controller) test_support::closeAllDocuments(*controller);
        controller.reset();
    }
    // The controller as at a new launch, over what the defaults file holds.
    void relaunch() {
        UserDefaults::standardUserDefaults().synchronize();
        TearDown();
        UserDefaults::resetStandardUserDefaults(defaults.defaultsPath().toStdString());
        SetUp();
        controller->awakeFromNib();
    }
    MyDocument* choose(int templateItem) {
        QAction* item = controller->newDocFromTemplateMenu()->actions().value(templateItem);
        EXPECT_NE(item, nullptr);
        item->trigger();
        return static_cast<MyDocument*>(controller->orderedDocuments().empty() ? nullptr
                                                                                : controller->orderedDocuments().front());
    }

    test_support::ScratchDefaults defaults;
    test_support::ScriptedAlerts alerts;
    std::unique_ptr<ZRSWDocumentController> controller;
};

TEST_F(ControllerTest, FirstLaunchOffersTheDefaultBike) {
    controller->awakeFromNib();
    EXPECT_EQ(titles(controller->newDocFromTemplateMenu()), QStringList({"Empty Bike", "Bike"}));
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Bike");
    EXPECT_EQ(UserDefaults::standardUserDefaults().unsignedIntForKey(ZRSWPreferredBike), 0u);

    controller->newDocumentMenuItem()->trigger();
    ASSERT_EQ(controller->documents().size(), 1u);
    auto* document = static_cast<MyDocument*>(controller->documents().front());
    EXPECT_EQ(document->theBike()->numberOfChildren(), 11u);
    // Every document window shows the one main menu.
    const auto bar = document->documentWindow()->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(controller->mainMenus().size()));
    EXPECT_EQ(bar[0]->menu(), controller->mainMenus()[0]);
}

TEST_F(ControllerTest, EmptyBikeIsStoredAndNamesTheNewItem) {
    controller->awakeFromNib();
    MyDocument* document = choose(0);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->theBike()->numberOfChildren(), 0u);
    EXPECT_EQ(UserDefaults::standardUserDefaults().unsignedIntForKey(ZRSWPreferredBike), 2147483647u);
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Empty Bike");

    relaunch();
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Empty Bike");
}

TEST_F(ControllerTest, AChosenTemplateIsUsedAndRemembered) {
    UserDefaults::standardUserDefaults().setObjectForKey(
        PlistValue(PlistArray{templateNamed("Road", {"Frame"}), templateNamed("Commuter", {"Rack", "Lights", "Frame"})}),
        ZRSWBikeTemplates);
    controller->awakeFromNib();
    EXPECT_EQ(titles(controller->newDocFromTemplateMenu()), QStringList({"Empty Bike", "Road", "Commuter"}));
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Road");

    MyDocument* document = choose(2);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(UserDefaults::standardUserDefaults().unsignedIntForKey(ZRSWPreferredBike), 1u);
    EXPECT_EQ(document->theBike()->partName(), "Commuter");
    EXPECT_EQ(document->theBike()->numberOfChildren(), 3u);
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Commuter");

    relaunch();
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Commuter");
    controller->newDocumentMenuItem()->trigger();
    ASSERT_EQ(controller->documents().size(), 1u);
    EXPECT_EQ(static_cast<MyDocument*>(controller->documents().front())->theBike()->partName(), "Commuter");
}

TEST_F(ControllerTest, APreferredIndexBeyondTheTemplatesMeansTheEmptyBike) {
    std::vector<std::string> logged;
    const LogHook previous = setLogHook([&](std::string_view line) { logged.emplace_back(line); });
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(5), ZRSWPreferredBike);
    controller->awakeFromNib();
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Empty Bike");
    controller->newDocumentMenuItem()->trigger();
    setLogHook(previous);
    ASSERT_EQ(controller->documents().size(), 1u);
    EXPECT_EQ(static_cast<MyDocument*>(controller->documents().front())->theBike()->numberOfChildren(), 0u);
    EXPECT_TRUE(alerts.messages.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("preferred template 5"), std::string::npos) << logged[0];
    // The stored choice is left for the user to change.
    EXPECT_EQ(UserDefaults::standardUserDefaults().unsignedIntForKey(ZRSWPreferredBike), 5u);
    // The program goes on: choosing a template that exists works.
    EXPECT_NE(choose(1), nullptr);
    EXPECT_EQ(controller->documents().size(), 2u);
}

TEST_F(ControllerTest, FileMenuPrintsAndSettingsMenuOpensPreferences) {
    controller->awakeFromNib();
    const auto item = [this](int menu, const std::string& action) -> QAction* {
        for (QAction* entry : controller->mainMenus()[static_cast<std::size_t>(menu)]->actions()) {
            if (menuItemAction(entry) == action) return entry;
        }
        return nullptr;
    };
    ASSERT_NE(item(0, "printDocument:"), nullptr);
    EXPECT_EQ(item(0, "printDocument:")->shortcut(), QKeySequence(QKeySequence::Print));
    ASSERT_NE(item(0, "printPreview:"), nullptr);
    ASSERT_NE(item(0, "exportDocumentAsPDF:"), nullptr);
    QAction* preferences = item(4, "runPreferences:");
    ASSERT_NE(preferences, nullptr);
    EXPECT_FALSE(preferences->shortcut().isEmpty());

    // Without a document there is nothing to print.
    validateMenu(controller->mainMenus()[0]);
    EXPECT_FALSE(item(0, "printDocument:")->isEnabled());
    controller->newDocumentMenuItem()->trigger();
    QApplication::setActiveWindow(static_cast<MyDocument*>(controller->documents().front())->documentWindow());
    processPendingEvents();
    validateMenu(controller->mainMenus()[0]);
    EXPECT_TRUE(item(0, "printDocument:")->isEnabled());
    EXPECT_TRUE(item(0, "exportDocumentAsPDF:")->isEnabled());
}

TEST_F(ControllerTest, MenuItemsFollowTheKeyDocument) {
    controller->awakeFromNib();
    controller->newDocumentMenuItem()->trigger();
    ASSERT_EQ(controller->documents().size(), 1u);
    auto* document = static_cast<MyDocument*>(controller->documents().front());
    QApplication::setActiveWindow(document->documentWindow());
    ASSERT_EQ(controller->currentDocument(), document);

    QMenu* file = controller->mainMenus()[0];
    QMenu* record = controller->mainMenus()[2];
    validateMenu(file);
    validateMenu(record);
    auto item = [](QMenu* menu, const QString& prefix) -> QAction* {
        for (QAction* action : menu->actions()) {
            if (menuItemTitle(action).startsWith(prefix)) return action;
        }
        return nullptr;
    };
    ASSERT_NE(item(file, "Re&vert"), nullptr);
    EXPECT_FALSE(item(file, "Re&vert")->isEnabled()); // never saved
    EXPECT_TRUE(item(file, "&Save")->isEnabled());
    EXPECT_FALSE(item(record, "Add Subpart")->isEnabled());

    document->bikeTable()->selectRowByExtendingSelection(0, false);
    validateMenu(record);
    EXPECT_TRUE(item(record, "Add Subpart to Frame")->isEnabled());
    EXPECT_TRUE(item(record, "Add Entry for Frame")->isEnabled());
}

TEST_F(ControllerTest, EditMenuUndoesInTheKeyWindowWithTheStandardKeys) {
    controller->awakeFromNib();
    controller->newDocumentMenuItem()->trigger();
    controller->newDocumentMenuItem()->trigger();
    processPendingEvents(); // the windows' own activation
    ASSERT_EQ(controller->documents().size(), 2u);
    auto* first = static_cast<MyDocument*>(controller->orderedDocuments().back());
    auto* second = static_cast<MyDocument*>(controller->orderedDocuments().front());
    QMenu* edit = controller->mainMenus()[1];
    QMenu* record = controller->mainMenus()[2];
    const auto item = [](QMenu* menu, const QString& action) -> QAction* {
        for (QAction* entry : menu->actions()) {
            if (menuItemAction(entry) == action.toStdString()) return entry;
        }
        return nullptr;
    };
    // Activation reaches a window through the event queue.
    const auto makeKey = [](MyDocument* document) {
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
    };
    QAction* undo = item(edit, "undo:");
    QAction* redo = item(edit, "redo:");
    ASSERT_TRUE(undo && redo);
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(redo->shortcut(), QKeySequence(QKeySequence::Redo));

    makeKey(first);
    const std::size_t parts = first->theBike()->numberOfChildren();
    // As the menu sends it: within the handling of one event.
    Application::performAsOneEvent([&] { item(record, "addPart:")->trigger(); });
    processPendingEvents();
    ASSERT_EQ(first->theBike()->numberOfChildren(), parts + 1);
    // The new part's name is being edited: Escape leaves it as it came.
    auto* editor = qobject_cast<QLineEdit*>(first->bikeTable()->currentEditor());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    validateMenu(edit);
    EXPECT_EQ(menuItemTitle(undo), "Undo Add");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_TRUE(first->isDocumentEdited());

    // The other window has its own history.
    makeKey(second);
    validateMenu(edit);
    EXPECT_EQ(menuItemTitle(undo), "Undo");
    EXPECT_FALSE(undo->isEnabled());

    makeKey(first);
    QTest::keyClick(first->bikeTable(), Qt::Key_Z, Qt::ControlModifier);
    processPendingEvents();
    EXPECT_EQ(first->theBike()->numberOfChildren(), parts);
    EXPECT_FALSE(first->isDocumentEdited());
    validateMenu(edit);
    EXPECT_EQ(menuItemTitle(redo), "Redo Add");
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_FALSE(undo->isEnabled());
}

// Every key the README lists reaches its item under any desktop: where the
// desktop has no key of its own for a command, the usual one stands in.
TEST_F(ControllerTest, EveryListedMenuKeyIsSet) {
    controller->awakeFromNib();
    const std::vector<std::pair<std::string, QString>> listed = {
        {"newDocument:", "Ctrl+N"},       {"openDocument:", "Ctrl+O"},      {"performClose:", "Ctrl+W"},
        {"saveDocument:", "Ctrl+S"},      {"saveDocumentAs:", "Ctrl+Shift+S"}, {"terminate:", "Ctrl+Q"},
        {"undo:", "Ctrl+Z"},              {"redo:", "Ctrl+Shift+Z"},        {"addPart:", "Ctrl+Shift+P"},
        {"addSubpart:", "Ctrl+Shift+U"},  {"addEntryForPart:", "Ctrl+Shift+E"}, {"addEntryForBike:", "Ctrl+Shift+B"},
        {"expandAll:", "Ctrl+Right"},     {"collapseAll:", "Ctrl+Left"}};
    std::map<std::string, const QAction*> items;
    for (const QMenu* menu : controller->mainMenus())
        for (const QAction* entry : menu->actions()) items[menuItemAction(entry)] = entry;
    for (const auto& [action, key] : listed) {
        SCOPED_TRACE(action);
        ASSERT_TRUE(items.count(action));
        const QKeySequence shortcut = items[action]->shortcut();
        EXPECT_FALSE(shortcut.isEmpty());
        // The README's key, unless the desktop has one of its own for it.
        const QKeySequence readme = QKeySequence::fromString(key, QKeySequence::PortableText);
        if (shortcut != readme) {
            bool desktops = false;
            for (int standard = QKeySequence::UnknownKey + 1; standard <= QKeySequence::Cancel; ++standard)
                desktops = desktops ||
                           QKeySequence::keyBindings(static_cast<QKeySequence::StandardKey>(standard)).contains(shortcut);
            EXPECT_TRUE(desktops) << shortcut.toString().toStdString();
        }
    }
}

} // namespace
} // namespace cogbook
