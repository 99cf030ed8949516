// The application's document controller: the registered templates, the
// template menu, the New item's title, and new documents from a template.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <map>

#include "app/controller_fixture.h"
#include "foundation/hooks.h"
#include "platform/application.h"

namespace cogbook {
namespace {

using test_support::menuItemSending;
using test_support::menuTitles;
using test_support::processPendingEvents;
using test_support::templateNamed;

class DocumentControllerTest : public test_support::ControllerTest {
protected:
    // The controller as at a new launch, over what the defaults file holds.
    void relaunch() {
        userDefaults().synchronize();
        TearDown();
        UserDefaults::resetStandardUserDefaults(defaults.defaultsPath().toStdString());
        SetUp();
        controller->awakeFromNib();
    }
    // A new document made and shown in the key window.
    MyDocument* newKeyDocument() {
        controller->newDocumentMenuItem()->trigger();
        MyDocument* document = frontDocument();
        if (document != nullptr) QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents(); // activation reaches a window through the event queue
        return document;
    }
};

TEST_F(DocumentControllerTest, FirstLaunchOffersTheDefaultBike) {
    controller->awakeFromNib();
    EXPECT_EQ(menuTitles(controller->newDocFromTemplateMenu()), QStringList({"Empty Bike", "Bike"}));
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Bike");
    EXPECT_EQ(storedPreferred(), 0u);

    MyDocument* document = newKeyDocument();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->theBike()->numberOfChildren(), 11u);
    // Every document window shows the one main menu.
    const auto bar = document->documentWindow()->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(controller->mainMenus().size()));
    EXPECT_EQ(bar[0]->menu(), controller->mainMenus()[0]);
}

TEST_F(DocumentControllerTest, AChosenTemplateIsUsedAndRememberedAcrossLaunches) {
    userDefaults().setObjectForKey(
        PlistValue(PlistArray{templateNamed("Road", {"Frame"}), templateNamed("Commuter", {"Rack", "Lights", "Frame"})}),
        ZRSWBikeTemplates);
    struct Choice {
        int menuItem;
        std::uint32_t preferred;
        const char* title;
        std::size_t parts;
    };
    for (const Choice& choice : {Choice{2, 1u, "New Commuter", 3}, Choice{0, 2147483647u, "New Empty Bike", 0}}) {
        SCOPED_TRACE(choice.title);
        relaunch();
        EXPECT_EQ(menuTitles(controller->newDocFromTemplateMenu()), QStringList({"Empty Bike", "Road", "Commuter"}));
        controller->newDocFromTemplateMenu()->actions().value(choice.menuItem)->trigger();
        ASSERT_NE(frontDocument(), nullptr);
        EXPECT_EQ(frontDocument()->theBike()->numberOfChildren(), choice.parts);
        EXPECT_EQ(storedPreferred(), choice.preferred);
        EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), choice.title);

        relaunch();
        EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), choice.title);
        controller->newDocumentMenuItem()->trigger();
        ASSERT_NE(frontDocument(), nullptr);
        EXPECT_EQ(frontDocument()->theBike()->numberOfChildren(), choice.parts);
    }
}

TEST_F(DocumentControllerTest, APreferredIndexBeyondTheTemplatesMeansTheEmptyBike) {
    std::vector<std::string> logged;
    const LogHook previous = setLogHook([&](std::string_view line) { logged.emplace_back(line); });
    userDefaults().setObjectForKey(PlistValue(5), ZRSWPreferredBike);
    controller->awakeFromNib();
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Empty Bike");
    controller->newDocumentMenuItem()->trigger();
    setLogHook(previous);
    ASSERT_NE(frontDocument(), nullptr);
    EXPECT_EQ(frontDocument()->theBike()->numberOfChildren(), 0u);
    EXPECT_TRUE(alerts.messages.empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("preferred template 5"), std::string::npos) << logged[0];
    // The stored choice is left for the user to change; a template that
    // exists can still be chosen.
    EXPECT_EQ(storedPreferred(), 5u);
    controller->newDocFromTemplateMenu()->actions().value(1)->trigger();
    EXPECT_EQ(controller->documents().size(), 2u);
}

TEST_F(DocumentControllerTest, MenuItemsFollowTheKeyDocument) {
    controller->awakeFromNib();
    QMenu* file = controller->mainMenus()[0];
    QMenu* record = controller->mainMenus()[2];
    ASSERT_NE(menuItemSending(file, "printPreview:"), nullptr);
    QAction* preferences = menuItemSending(controller->mainMenus()[4], "runPreferences:");
    ASSERT_NE(preferences, nullptr);
    EXPECT_FALSE(preferences->shortcut().isEmpty());
    // Without a document there is nothing to print.
    validateMenu(file);
    EXPECT_FALSE(menuItemSending(file, "printDocument:")->isEnabled());

    MyDocument* document = newKeyDocument();
    ASSERT_EQ(controller->currentDocument(), document);
    validateMenu(file);
    validateMenu(record);
    for (const char* action : {"printDocument:", "exportDocumentAsPDF:", "saveDocument:"})
        EXPECT_TRUE(menuItemSending(file, action)->isEnabled()) << action;
    EXPECT_FALSE(menuItemSending(file, "revertDocumentToSaved:")->isEnabled()) << "never saved";
    EXPECT_FALSE(menuItemSending(record, "addSubpart:")->isEnabled());

    document->bikeTable()->selectRowByExtendingSelection(0, false);
    validateMenu(record);
    EXPECT_EQ(menuItemTitle(menuItemSending(record, "addSubpart:")), "Add Subpart to Frame");
    EXPECT_EQ(menuItemTitle(menuItemSending(record, "addEntryForPart:")), "Add Entry for Frame");
    EXPECT_TRUE(menuItemSending(record, "addEntryForPart:")->isEnabled());
}

TEST_F(DocumentControllerTest, EditMenuUndoesInTheKeyWindowWithTheStandardKeys) {
    controller->awakeFromNib();
    MyDocument* second = newKeyDocument();
    MyDocument* first = newKeyDocument();
    ASSERT_TRUE(first && second && first != second);
    QMenu* edit = controller->mainMenus()[1];
    QAction* undo = menuItemSending(edit, "undo:");
    QAction* redo = menuItemSending(edit, "redo:");
    ASSERT_TRUE(undo && redo);
    const auto makeKey = [](MyDocument* document) {
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
    };

    const std::size_t parts = first->theBike()->numberOfChildren();
    // As the menu sends it: within the handling of one event.
    Application::performAsOneEvent([&] { menuItemSending(controller->mainMenus()[2], "addPart:")->trigger(); });
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
TEST_F(DocumentControllerTest, EveryListedMenuKeyIsSet) {
    controller->awakeFromNib();
    const std::vector<std::pair<std::string, QString>> listed = {
        {"newDocument:", "Ctrl+N"},       {"openDocument:", "Ctrl+O"},      {"performClose:", "Ctrl+W"},
        {"saveDocument:", "Ctrl+S"},      {"saveDocumentAs:", "Ctrl+Shift+S"}, {"terminate:", "Ctrl+Q"},
        {"undo:", "Ctrl+Z"},              {"redo:", "Ctrl+Shift+Z"},        {"addPart:", "Ctrl+Shift+P"},
        {"addSubpart:", "Ctrl+Shift+U"},  {"addEntryForPart:", "Ctrl+Shift+E"}, {"addEntryForBike:", "Ctrl+Shift+B"},
        {"expandAll:", "Ctrl+Right"},     {"collapseAll:", "Ctrl+Left"},    {"printDocument:", "Ctrl+P"},
        {"cut:", "Ctrl+X"},               {"copy:", "Ctrl+C"},              {"paste:", "Ctrl+V"},
        {"delete:", "Del"}};
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
