// As its document ends, the find panel moves to the next searchable one the lookup finds.
#include <QLabel>

#include <memory>

#include "platform/document.h"
#include "platform/document_controller.h"
#include "search/ZRSWFindManager.h"
#include "search/searchable_documents.h"
#include "search_fixture.h"

namespace cogbook::test_support {
namespace {

// An open document that is not searchable itself: its searchable side is
// kept beside it.
class PlainDocument : public Document {
public:
    std::vector<std::uint8_t> dataRepresentationOfType(const QString&) override { return {}; }
    bool loadDataRepresentationOfType(std::vector<std::uint8_t>, const QString&) override { return false; }

protected:
    DocumentWindow* makeWindow() override { return nullptr; }
};

// Searchable itself, as the default lookup expects.
class SearchableDocument : public PlainDocument, public FakeDocument {
public:
    SearchableDocument() : FakeDocument(part("Own")) {}
};

class Controller : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return nullptr; }
    Document* makeDocumentForReading() override { return nullptr; }
};

class SearchableDocumentsTest : public SearchTest {
protected:
    void TearDown() override {
        setSearchableDocumentLookup({});
        delete ZRSWFindManager::existingFindManager();
        SearchTest::TearDown();
    }
};

TEST_F(SearchableDocumentsTest, TheFindPanelMovesToTheNextDocumentTheLookupFinds) {
    Controller controller;
    PlainDocument ending, unsearchable, next;
    for (Document* document : {&ending, &unsearchable, &next}) controller.addDocument(document);
    auto endingSide = std::make_unique<FakeDocument>(part("Road"));
    FakeDocument nextSide(part("Gravel"));
    const SearchableDocumentLookup previous = setSearchableDocumentLookup([&](Document* document) -> ZRSWSearchableDocument* {
        if (document == &ending) return endingSide.get();
        if (document == &next) return &nextSide;
        return nullptr;
    });
    EXPECT_FALSE(previous);

    ZRSWFindManager* manager = ZRSWFindManager::sharedFindManager();
    manager->runFindPanelForBikeDocument(endingSide.get());
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Road");
    endingSide.reset();
    EXPECT_EQ(manager->currentDocument(), &nextSide);
    EXPECT_EQ(manager->findCaptionField()->text(), "Search in Gravel");

    // The default lookup takes a document that is searchable itself.
    setSearchableDocumentLookup({});
    SearchableDocument own;
    EXPECT_EQ(searchableDocumentFor(&own), static_cast<ZRSWSearchableDocument*>(&own));
    EXPECT_EQ(searchableDocumentFor(&next), nullptr);
    EXPECT_EQ(searchableDocumentFor(nullptr), nullptr);
}

} // namespace
} // namespace cogbook::test_support
