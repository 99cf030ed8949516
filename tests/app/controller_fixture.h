// The document controller over scratch defaults, hand-built templates, and menus as read.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <memory>
#include <string>
#include <vector>

#include "app/ZRSWDocumentController.h"
#include "document/MyDocument.h"
#include "document/ZRSWDefaultsKeys.h"
#include "platform/responder.h"
#include "support/gui_support.h"

namespace cogbook::test_support {

// A template titled NAME whose bike has the parts PARTS.
inline PlistValue templateNamed(const std::string& name, const std::vector<std::string>& parts = {}) {
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

inline QStringList menuTitles(const QMenu* menu) {
    QStringList result;
    for (const QAction* item : menu->actions()) result << menuItemTitle(item);
    return result;
}

// The item of MENU sending ACTION; null when there is none.
inline QAction* menuItemSending(const QMenu* menu, const std::string& action) {
    for (QAction* item : menu->actions())
        if (menuItemAction(item) == action) return item;
    return nullptr;
}

class ControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ZRSWDocumentController::registerDefaultUserDefaults();
        controller = std::make_unique<ZRSWDocumentController>();
    }
    void TearDown() override {
        if (controller) closeAllDocuments(*controller);
        controller.reset();
    }

    static UserDefaults& userDefaults() { return UserDefaults::standardUserDefaults(); }
    static std::uint32_t storedPreferred() { return userDefaults().unsignedIntForKey(ZRSWPreferredBike); }
    MyDocument* frontDocument() const {
        const auto documents = controller->orderedDocuments();
        return documents.empty() ? nullptr : static_cast<MyDocument*>(documents.front());
    }

    ScratchDefaults defaults;
    ScriptedAlerts alerts;
    std::unique_ptr<ZRSWDocumentController> controller;
};

} // namespace cogbook::test_support
