// The preferences panel: new templates' titles, removal, OK and Cancel, and the open bikes' pop-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <optional>

#include "app/ZRSWPreferencesManager.h"
#include "app/ZRSWTemplateTitleSheetManager.h"
#include "app/controller_fixture.h"
#include "foundation/file_io.h"
#include "foundation/hooks.h"
#include "model/record_file.h"
#include "support/tree_builder.h"

namespace cogbook {
namespace {

using test_support::menuTitles;
using test_support::processPendingEvents;
using test_support::templateNamed;

std::vector<std::string> partNames(const PlistValue& bikeTemplate) {
    std::vector<std::string> names;
    const PlistValue* children = bikeTemplate.find("children");
    const PlistValue* keys = bikeTemplate.find("childKeyArray");
    if (!children || !keys) return names;
    for (const PlistValue& key : keys->array()) names.push_back(children->find(key.string())->find("partName")->string());
    return names;
}

class PreferencesTest : public test_support::ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        userDefaults().setObjectForKey(PlistValue(PlistArray{templateNamed("Road", {"Frame"}),
                                                             templateNamed("Commuter", {"Rack"}),
                                                             templateNamed("Tandem"), templateNamed("Track")}),
                                       ZRSWBikeTemplates);
        userDefaults().setObjectForKey(PlistValue(2), ZRSWPreferredBike);
        controller->awakeFromNib();
        preferences = std::make_unique<ZRSWPreferencesManager>();
    }
    void TearDown() override {
        preferences.reset();
        ControllerTest::TearDown();
    }

    static std::vector<std::string> storedTitles() {
        std::vector<std::string> titles;
        for (const PlistValue& bikeTemplate : *userDefaults().arrayForKey(ZRSWBikeTemplates))
            titles.push_back(bikeTemplate.find("partName")->string());
        return titles;
    }
    QStringList tableTitles() const {
        QStringList titles;
        QTableWidget* table = preferences->templatesTableView();
        for (int row = 0; row < table->rowCount(); ++row) titles << table->item(row, 0)->text();
        return titles;
    }
    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        for (const QModelIndex& index : preferences->templatesTableView()->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Selects ROWS as a click and control-clicks would.
    void select(const std::vector<int>& rows) {
        QTableWidget* table = preferences->templatesTableView();
        table->clearSelection();
        for (const int row : rows)
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static void click(QAbstractButton* button) {
        ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Answers the title sheet as a person would: TITLE typed (none keeps the proposed one), the
    // check box set to MAKEDEFAULT, then Return, or Escape to cancel.
    void makeTemplate(std::optional<QString> title, bool makeDefault = false, bool cancel = false) {
        bool answered = false;
        QTimer::singleShot(0, [&] {
            ZRSWTemplateTitleSheetManager* sheet = preferences->templateTitleSheetManager();
            if (!sheet || !sheet->sheet() || !sheet->sheet()->isVisible()) {
                ADD_FAILURE() << "no title sheet";
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
                return;
            }
            answered = true;
            proposedTitles << sheet->titleField()->text();
            EXPECT_EQ(sheet->sheet()->windowModality(), Qt::WindowModal);
            if (title) {
                sheet->titleField()->selectAll();
                QTest::keyClicks(sheet->titleField(), *title);
            }
            if (makeDefault != sheet->defaultSwitch()->isChecked()) QTest::mouseClick(sheet->defaultSwitch(), Qt::LeftButton);
            QTest::keyClick(sheet->titleField(), cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
        click(preferences->newTemplateButton());
        EXPECT_TRUE(answered);
    }

    MyDocument* openRecord(const QString& path, const std::vector<std::string>& parts) {
        auto bike = test_support::part("");
        for (const auto& name : parts) bike->addChildPartOrEntry(test_support::part(name, {test_support::entry(name)}));
        writeFileAtomically(path.toStdString(), writeRecordFile(*bike));
        return static_cast<MyDocument*>(controller->openDocumentWithContentsOfFile(path));
    }

    std::unique_ptr<ZRSWPreferencesManager> preferences;
    QStringList proposedTitles;
};

TEST_F(PreferencesTest, NewTemplatesGetUniqueTrimmedTitlesAndOnlyTheParts) {
    MyDocument* document = openRecord(defaults.filePath(QStringLiteral("Road")), {"Frame", "Wheels"});
    ASSERT_NE(document, nullptr);
    preferences->runPreferences();
    const int n = ZRSWPreferencesManager::titleCounter();

    // Keeping the proposed title, the document's name, which is taken.
    makeTemplate(std::nullopt);
    EXPECT_EQ(proposedTitles.value(0), "Road");
    makeTemplate(std::nullopt);
    // Spaces alone give the counter; the counter's title taken, it grows.
    makeTemplate(QStringLiteral("   "));
    makeTemplate(QStringLiteral(" \t "), true);
    makeTemplate(QStringLiteral("  Gravel\t"));
    const QString first = QStringLiteral("Road %1").arg(n);
    const QString second = QStringLiteral("Road %1").arg(n + 1);
    const QString counter = QString::number(n + 2);
    const QString counterAgain = counter + QStringLiteral(" %1").arg(n + 2);
    EXPECT_EQ(tableTitles(), QStringList({"Road", "Commuter", "Tandem", "Track", first, second, counter,
                                          counterAgain, "Gravel"}));
    EXPECT_EQ(ZRSWPreferencesManager::titleCounter(), n + 3);
    // The one made default is selected; the last one changed nothing there.
    EXPECT_EQ(preferences->indexOfDefaultTemplate(), 7u);
    EXPECT_EQ(selectedRows(), std::vector<int>{7});
    EXPECT_TRUE(preferences->defaultSwitch()->isChecked());

    // Every control of the panel and the sheet can be named by a screen
    // reader and reached from the keyboard.
    int controls = 0;
    for (QWidget* window : {static_cast<QWidget*>(preferences->preferencesPanel()),
                            static_cast<QWidget*>(preferences->templateTitleSheetManager()->sheet())}) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus) continue;
            ++controls;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
        }
    }
    EXPECT_GE(controls, 11);

    // A template keeps the parts, not their entries; a cancelled sheet adds nothing.
    makeTemplate(QStringLiteral("Never"), false, true);
    ASSERT_EQ(preferences->templatesList().size(), 9u);
    const PlistValue& made = preferences->templatesList().back();
    ASSERT_EQ(partNames(made), (std::vector<std::string>{"Frame", "Wheels"}));
    EXPECT_EQ(made.find("children")->find(made.find("childKeyArray")->array()[0].string())->find("children"), nullptr);

    // OK stores it all and rebuilds the menu; the new default names New.
    click(preferences->okayButton());
    EXPECT_FALSE(preferences->preferencesPanel()->isVisible());
    EXPECT_EQ(storedTitles().size(), 9u);
    EXPECT_EQ(storedPreferred(), 7u);
    EXPECT_EQ(menuTitles(controller->newDocFromTemplateMenu()).size(), 10);
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), QStringLiteral("New ") + counterAgain);
    controller->newDocFromTemplateMenu()->actions().back()->trigger();
    EXPECT_EQ(static_cast<MyDocument*>(controller->orderedDocuments().front())->theBike()->partName(), "Gravel");
}

TEST_F(PreferencesTest, RemovingTemplatesKeepsOrDropsTheDefault) {
    preferences->runPreferences();
    EXPECT_EQ(tableTitles(), QStringList({"Road", "Commuter", "Tandem", "Track"}));
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    EXPECT_TRUE(preferences->defaultSwitch()->isChecked());
    EXPECT_TRUE(preferences->defaultSwitch()->isEnabled());

    // Two rows: the check box is off and disabled, Remove works.
    select({0, 1});
    EXPECT_FALSE(preferences->defaultSwitch()->isChecked());
    EXPECT_FALSE(preferences->defaultSwitch()->isEnabled());
    click(preferences->removeTemplatesButton());
    EXPECT_EQ(tableTitles(), QStringList({"Tandem", "Track"}));
    EXPECT_EQ(preferences->indexOfDefaultTemplate(), 0u);
    EXPECT_EQ(selectedRows(), std::vector<int>{0});

    // Removing the default leaves none, and nothing selected.
    click(preferences->removeTemplatesButton());
    EXPECT_EQ(tableTitles(), QStringList({"Track"}));
    EXPECT_EQ(preferences->indexOfDefaultTemplate(), kNSNotFound);
    EXPECT_TRUE(selectedRows().empty());
    EXPECT_FALSE(preferences->removeTemplatesButton()->isEnabled());
    EXPECT_FALSE(preferences->defaultSwitch()->isEnabled());

    click(preferences->okayButton());
    EXPECT_EQ(storedTitles(), std::vector<std::string>{"Track"});
    EXPECT_EQ(storedPreferred(), 2147483647u);
    EXPECT_EQ(menuItemTitle(controller->newDocumentMenuItem()), "New Empty Bike");
    EXPECT_EQ(menuTitles(controller->newDocFromTemplateMenu()), QStringList({"Empty Bike", "Track"}));
}

TEST_F(PreferencesTest, CancelAndClosingDropTheChanges) {
    preferences->runPreferences();
    // The default turned off and on elsewhere, a template removed: all undone by Cancel.
    select({2});
    click(preferences->defaultSwitch());
    EXPECT_EQ(preferences->indexOfDefaultTemplate(), kNSNotFound);
    select({3});
    click(preferences->defaultSwitch());
    EXPECT_EQ(preferences->indexOfDefaultTemplate(), 3u);
    select({0});
    click(preferences->removeTemplatesButton());
    click(preferences->cancelButton());
    EXPECT_FALSE(preferences->preferencesPanel()->isVisible());
    EXPECT_EQ(storedTitles(), (std::vector<std::string>{"Road", "Commuter", "Tandem", "Track"}));
    EXPECT_EQ(storedPreferred(), 2u);
    EXPECT_EQ(menuTitles(controller->newDocFromTemplateMenu()), QStringList({"Empty Bike", "Road", "Commuter", "Tandem", "Track"}));

    // The next opening starts from what is stored; Escape closes as Cancel does.
    preferences->runPreferences();
    EXPECT_EQ(tableTitles().size(), 4);
    EXPECT_EQ(selectedRows(), std::vector<int>{2});
    select({1});
    click(preferences->removeTemplatesButton());
    QTest::keyClick(preferences->templatesTableView(), Qt::Key_Escape);
    EXPECT_FALSE(preferences->preferencesPanel()->isVisible());
    EXPECT_EQ(storedTitles().size(), 4u);
}

TEST_F(PreferencesTest, AStoredDefaultBeyondTheTemplatesIsNone) {
    std::vector<std::string> logged;
    const LogHook previous = setLogHook([&](std::string_view line) { logged.emplace_back(line); });
    userDefaults().setObjectForKey(PlistValue(4), ZRSWPreferredBike);
    preferences->runPreferences();
    setLogHook(previous);
    EXPECT_EQ(preferences->indexOfDefaultTemplate(), kNSNotFound);
    EXPECT_TRUE(selectedRows().empty());
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_NE(logged[0].find("preferred template 4"), std::string::npos);
    click(preferences->okayButton());
    EXPECT_EQ(storedPreferred(), kNSNotFound);
}

TEST_F(PreferencesTest, ThePopUpKnowsEachDocumentByItself) {
    // Two records of one name in two folders.
    QDir(defaults.filePath(QString())).mkpath(QStringLiteral("shop"));
    QDir(defaults.filePath(QString())).mkpath(QStringLiteral("home"));
    MyDocument* shop = openRecord(defaults.filePath(QStringLiteral("shop/Bike.cogbook")), {"Fork"});
    MyDocument* home = openRecord(defaults.filePath(QStringLiteral("home/Bike.cogbook")), {"Saddle", "Bell"});
    ASSERT_TRUE(shop && home);
    preferences->runPreferences();
    QComboBox* popUp = preferences->bikesPopUp();
    ASSERT_EQ(preferences->popUpDocuments(), (std::vector<MyDocument*>{home, shop}));
    EXPECT_TRUE(popUp->itemText(0).contains(QStringLiteral("home")));
    EXPECT_TRUE(popUp->itemText(1).contains(QStringLiteral("shop")));

    popUp->setCurrentIndex(1);
    makeTemplate(QStringLiteral("Shop bike"));
    EXPECT_EQ(partNames(preferences->templatesList().back()), std::vector<std::string>{"Fork"});

    // Saved under a new name while the panel is open: the entry follows.
    alerts.savePath = defaults.filePath(QStringLiteral("home/Saddlebag.cogbook"));
    ASSERT_TRUE(home->saveDocumentAs());
    EXPECT_EQ(popUp->itemText(0), "Saddlebag.cogbook");
    EXPECT_EQ(popUp->itemText(1), "Bike.cogbook");
    popUp->setCurrentIndex(0);
    makeTemplate(std::nullopt);
    EXPECT_EQ(proposedTitles.back(), "Saddlebag.cogbook");
    EXPECT_EQ(partNames(preferences->templatesList().back()), (std::vector<std::string>{"Saddle", "Bell"}));

    // Documents made and closed while the panel is open come and go.
    controller->newDocumentMenuItem()->trigger();
    ASSERT_EQ(popUp->count(), 3);
    EXPECT_EQ(popUp->itemText(2), "Untitled");
    shop->close();
    processPendingEvents();
    EXPECT_EQ(popUp->count(), 2);
    EXPECT_EQ(preferences->popUpDocuments()[0], home);
    EXPECT_TRUE(alerts.messages.empty());
}

} // namespace
} // namespace cogbook
