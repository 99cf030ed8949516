// What the document tests share: documents in real windows under a test
// document controller, over scratch user defaults with the default template.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

#include <string>
#include <vector>

#include "document/MyDocument.h"
#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/file_io.h"
#include "foundation/plist.h"
#include "model/record_file.h"
#include "platform/document_controller.h"
#include "support/gui_support.h"
#include "support/tree_builder.h"

namespace cogbook::test_support {

// Key presses carrying the given event time (none: the time they are
// handled), as the window system sends them; any character of the basic
// plane, as an input method would deliver it.
inline void typeAt(QWidget* widget, const QString& text, double seconds = 0.0) {
    const auto stamp = static_cast<quint64>(seconds * 1000.0);
    for (const QChar c : text) {
        const int key = c.unicode() < 128 && c.isLetter() ? Qt::Key_A + (c.toLower().unicode() - 'a') : c.unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        press.setTimestamp(stamp);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        release.setTimestamp(stamp);
        QApplication::sendEvent(widget, &release);
    }
}

// The default locale for as long as it lives.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(previous_); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    QLocale previous_;
};

inline PlistValue defaultTemplate() {
    const auto bytes = readWholeFile(COGBOOK_RESOURCE_DIR "/defaultBike.plist");
    return readPlist(bytes);
}

class TestDocumentController : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return new MyDocument; }
    Document* makeDocumentForReading() override { return new MyDocument(MyDocument::ForReading{}); }
};

class DocumentTest : public testing::Test {
protected:
    void SetUp() override {
        PlistDictionary registered;
        registered.emplace_back(std::string(ZRSWPreferredBike), PlistValue(0));
        registered.emplace_back(std::string(ZRSWBikeTemplates), PlistValue(PlistArray{defaultTemplate()}));
        UserDefaults::standardUserDefaults().registerDefaults(registered);
    }
    void TearDown() override { test_support::closeAllDocuments(controller); }

    MyDocument* newDocument() { return static_cast<MyDocument*>(controller.newDocument()); }
    MyDocument* open(const QString& path) {
        return static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(path));
    }
    // A document showing ROOT's tree, saved at PATH and opened again.
    MyDocument* documentShowing(const ZRBicycleListPtr& root, const QString& path) {
        writeFileAtomically(path.toStdString(), writeRecordFile(*root));
        return open(path);
    }

    // The rows as the user sees them: indentation by level, then the name.
    static std::vector<std::string> visibleRows(const MyDocument* document) {
        std::vector<std::string> rows;
        OutlineView* view = document->bikeTable();
        for (long row = 0; row < view->numberOfRows(); ++row) {
            void* item = view->itemAtRow(row);
            rows.push_back(std::string(static_cast<std::size_t>(view->levelForItem(item)) * 2, ' ') +
                           static_cast<ZRBicycleList*>(item)->partName());
        }
        return rows;
    }

    static std::vector<std::uint8_t> recordBytes(const MyDocument* document) {
        return writeRecordFile(*document->theBike());
    }

    test_support::ScratchDefaults defaults;
    test_support::ScriptedAlerts alerts;
    TestDocumentController controller;
};

} // namespace cogbook::test_support
