// The name a record goes by inside, where the document's name labels its
// items: the file's name without its extension, as saving names the bike.
#include <gtest/gtest.h>

#include <QApplication>

#include "document/document_fixture.h"
#include "platform/application.h"

namespace cogbook {
namespace {

using test_support::node;

class RecordNamesTest : public test_support::DocumentTest {
protected:
    // The names of what Add Entry for Bike and Add Part file in DOCUMENT.
    static std::pair<std::string, std::string> addedNames(MyDocument* document) {
        QApplication::setActiveWindow(document->documentWindow());
        Application::performAsOneEvent([&] { document->performAction("addEntryForBike:", nullptr); });
        document->bikeTable()->abortEditing();
        Application::performAsOneEvent([&] { document->performAction("addPart:", nullptr); });
        document->bikeTable()->abortEditing();
        const ZRBicycleList* bike = document->theBike();
        return {bike->childAtIndex(0)->partName(), bike->childAtIndex(bike->numberOfChildren() - 1)->partName()};
    }
};

TEST_F(RecordNamesTest, OnlyTheLastExtensionGoesAndAnUntitledRecordKeepsItsName) {
    MyDocument* dotted = documentShowing(node("Bike", true), defaults.filePath(QStringLiteral("my.old.bike.cogbook")));
    ASSERT_NE(dotted, nullptr);
    EXPECT_EQ(addedNames(dotted), std::make_pair(std::string("my.old.bike"), std::string("my.old.bike subpart")))
        << "only the extension goes";

    MyDocument* untitled = newDocument();
    ASSERT_NE(untitled, nullptr);
    const std::string shown = untitled->displayName().toStdString();
    EXPECT_EQ(addedNames(untitled), std::make_pair(shown, shown + " subpart"));
}

} // namespace
} // namespace cogbook
