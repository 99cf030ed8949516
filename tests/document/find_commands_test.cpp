// The find commands reach the installed find services with their own document, or beep once logged.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <string>
#include <vector>

#include "document/document_find_services.h"
#include "document/document_fixture.h"
#include "foundation/hooks.h"
#include "platform/responder.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::node;
using test_support::processPendingEvents;

// Writes down each request as "what document [detail]".
class RecordingFindServices : public DocumentFindServices {
public:
    void documentWindowDidBecomeKey(MyDocument& document) override { calls.push_back("key " + nameOf(document)); }
    void performFindPanelAction(MyDocument& document, int tag) override {
        calls.push_back("find " + nameOf(document) + " " + std::to_string(tag));
    }
    void searchUsingToolbarText(MyDocument& document, const QString& text) override {
        calls.push_back("field " + nameOf(document) + " " + text.toStdString());
    }
    void showSearchPanel(MyDocument& document) override { calls.push_back("panel " + nameOf(document)); }

    std::vector<std::string> calls;

private:
    static std::string nameOf(const MyDocument& document) { return document.theBike()->partName(); }
};

class FindCommandsTest : public test_support::DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        previous = setDocumentFindServices(nullptr);
        test_support::addFindCommands(&menu);
    }
    void TearDown() override {
        DocumentTest::TearDown();
        setDocumentFindServices(previous);
    }

    MyDocument* showBike(const std::string& name, const char* file) {
        return keyDocumentShowing(node(name, true, {node("Brakes", true)}), file);
    }
    // Return in the document's search field, with TEXT in it.
    static void searchFromField(MyDocument* document, const char* text) {
        document->toolbarSearchField()->setText(QLatin1String(text));
        QTest::keyClick(document->toolbarSearchField(), Qt::Key_Return);
    }
    // "Search Panel", from the search item's menu form.
    static void chooseSearchPanel(MyDocument* document) {
        document->toolbar()->setDisplayMode(ToolbarDisplayMode::LabelOnly);
        ASSERT_NE(document->activeSearchItem(), nullptr);
        QAction* searchMenu = document->activeSearchItem()->buttonAction();
        ASSERT_TRUE(searchMenu != nullptr && searchMenu->menu() != nullptr);
        searchMenu->menu()->actions().at(0)->trigger();
    }

    DocumentFindServices* previous = nullptr;
    QMenu menu;
};

TEST_F(FindCommandsTest, EachCommandReachesTheServicesWithTheDocumentInFront) {
    RecordingFindServices services;
    setDocumentFindServices(&services);
    MyDocument* road = showBike("Road", "road.cogbook");
    MyDocument* gravel = showBike("Gravel", "gravel.cogbook");
    EXPECT_EQ(services.calls, (std::vector<std::string>{"key Road", "key Gravel"}));
    services.calls.clear();

    for (QAction* command : menu.actions()) command->trigger();
    QApplication::setActiveWindow(road->documentWindow());
    menu.actions().at(1)->trigger();
    searchFromField(road, "brake");
    searchFromField(gravel, "");
    chooseSearchPanel(gravel);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"find Gravel 1", "find Gravel 2", "find Gravel 3",
                                                        "find Gravel 7", "key Road", "find Road 2",
                                                        "field Road brake", "field Gravel ", "panel Gravel"}));
    EXPECT_EQ(alerts.beeps, 0);
}

TEST_F(FindCommandsTest, WithoutServicesEachCommandBeepsAndTheLogSaysWhyOnce) {
    std::vector<std::string> logged;
    const LogHook previousLog = setLogHook([&](std::string_view line) { logged.emplace_back(line); });
    MyDocument* road = showBike("Road", "road.cogbook");
    MyDocument* gravel = showBike("Gravel", "gravel.cogbook");
    // A window coming to the front is no command: nothing to refuse.
    QApplication::setActiveWindow(road->documentWindow());
    EXPECT_EQ(alerts.beeps, 0);

    for (QAction* command : menu.actions()) command->trigger();
    searchFromField(road, "brake");
    chooseSearchPanel(gravel);
    setLogHook(previousLog);
    EXPECT_EQ(alerts.beeps, 6);
    EXPECT_EQ(logged, std::vector<std::string>{"MyDocument has no search installed: the find commands do nothing"});
}

} // namespace
} // namespace cogbook
