// What the search tests share: a document stand-in over a tree built by hand,
// which records what it is asked to focus on, and ends as a document does.
#pragma once

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "foundation/notification_center.h"
#include "model/ZRBicycleList.h"
#include "search/ZRSWSearchableDocument.h"
#include "search/find_string.h"
#include "support/gui_support.h"

namespace cogbook::test_support {

inline ZRBicycleListPtr part(const std::string& name, std::vector<ZRBicycleListPtr> children = {}) {
    auto node = ZRBicycleList::create();
    node->setPartName(name);
    node->setExpandable(true);
    for (const auto& child : children) node->addChildPartOrEntry(child);
    return node;
}

inline ZRBicycleListPtr entry(const std::string& name, const std::string& description = "",
                              const std::string& notes = "") {
    auto node = ZRBicycleList::create();
    node->setPartName(name);
    node->setDescription(description);
    node->setNotes(notes);
    return node;
}

class FakeDocument : public ZRSWSearchableDocument {
public:
    explicit FakeDocument(ZRBicycleListPtr root) : root_(std::move(root)) {}
    ~FakeDocument() override {
        NotificationCenter::defaultCenter().postNotificationName(kSearchedDocumentWillDeallocNotification, this);
    }

    const void* documentIdentity() const override { return this; }
    const ZRBicycleListPtr& searchRoot() const override { return root_; }
    ZRBicycleList* lastSelectedItem() const override { return selected.get(); }
    void focusOnSearchResult(const ZRBicycleList* item) override {
        focused.push_back(item);
        selected = item ? const_cast<ZRBicycleList*>(item)->shared_from_this() : nullptr;
        if (item) notes.setPlainText(QString::fromStdString(item->notes()));
    }
    QPlainTextEdit* searchNotesView() const override { return &notes; }
    QWidget* searchDocumentWindow() const override { return nullptr; }

    void replaceRoot(ZRBicycleListPtr root) { root_ = std::move(root); }

    ZRBicycleListPtr selected;
    std::vector<const ZRBicycleList*> focused;
    mutable QPlainTextEdit notes;

private:
    ZRBicycleListPtr root_;
};

class SearchTest : public testing::Test {
protected:
    void SetUp() override { clearFindStringForTesting(); }
    void TearDown() override { processPendingEvents(); }

    ScriptedAlerts alerts;
};

} // namespace cogbook::test_support
