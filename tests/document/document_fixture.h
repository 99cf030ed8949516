// What the document tests share: documents in real windows under a test
// document controller, over scratch user defaults with the default template.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "document/MyDocument.h"
#include "document/ZRSWDefaultsKeys.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/file_io.h"
#include "foundation/plist.h"
#include "model/record_file.h"
#include "platform/application.h"
#include "platform/pasteboard.h"
#include "platform/document_controller.h"
#include "platform/responder.h"
#include "platform/toolbar.h"
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

// A local calendar day at HOUR: the same day in any time zone's view of it.
inline Date localDay(int year, int month, int day, int hour = 12) {
    return Date::fromUnixSeconds(static_cast<double>(QDateTime(QDate(year, month, day), QTime(hour, 0)).toSecsSinceEpoch()));
}
inline Date daysAgo(double days) { return Date(Date::now().timeIntervalSinceReferenceDate() - days * 86400.0); }

inline PlistValue defaultTemplate() {
    const auto bytes = readWholeFile(COGBOOK_RESOURCE_DIR "/defaultBike.plist");
    return readPlist(bytes);
}

// The Find menu's commands, in its order: Find…, Find Next, Find Previous,
// Use Selection for Find.
inline std::vector<QAction*> addFindCommands(QMenu* menu) {
    return {makeMenuItem(menu, "Find…", "performFindPanelAction:", {}, kFindPanelActionShowFindPanel),
            makeMenuItem(menu, "Find Next", "performFindPanelAction:", {}, kFindPanelActionNext),
            makeMenuItem(menu, "Find Previous", "performFindPanelAction:", {}, kFindPanelActionPrevious),
            makeMenuItem(menu, "Use Selection for Find", "performFindPanelAction:", {},
                         kFindPanelActionSetFindString)};
}

// Where over a row a drag hovers.
enum class At { Above, On, Below };

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
    // A new document in the key window, as the New command leaves it.
    MyDocument* newKeyDocument() {
        MyDocument* document = newDocument();
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
        return document;
    }
    MyDocument* open(const QString& path) {
        return static_cast<MyDocument*>(controller.openDocumentWithContentsOfFile(path));
    }
    // A document showing ROOT's tree, saved at PATH and opened again.
    MyDocument* documentShowing(const ZRBicycleListPtr& root, const QString& path) {
        writeFileAtomically(path.toStdString(), writeRecordFile(*root));
        return open(path);
    }

    // A document showing ROOT's tree from the file NAME, in the key window.
    MyDocument* keyDocumentShowing(const ZRBicycleListPtr& root, const char* name) {
        MyDocument* document = documentShowing(root, defaults.filePath(QLatin1String(name)));
        if (document == nullptr) return nullptr;
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
        return document;
    }

    // The item at PATH, child indexes from the bike down, in DOCUMENT.
    static ZRBicycleList* nodeAt(const MyDocument* document, std::initializer_list<std::size_t> path) {
        const ZRBicycleList* current = document->theBike();
        for (const std::size_t index : path) current = current->childAtIndex(index).get();
        return const_cast<ZRBicycleList*>(current);
    }
    static long rowOf(const MyDocument* document, const ZRBicycleList* item) {
        return document->bikeTable()->rowForItem(item);
    }
    // ACTION sent to DOCUMENT as a menu item sends it: within one event.
    static void perform(MyDocument* document, const char* action) {
        Application::performAsOneEvent([&] { document->performAction(action, nullptr); });
    }

    static void undo(MyDocument* document) { perform(document, "undo:"); }
    static void redo(MyDocument* document) { perform(document, "redo:"); }
    // Selects exactly ITEMS' rows.
    static void select(MyDocument* document, std::initializer_list<const ZRBicycleList*> items) {
        document->bikeTable()->deselectAll();
        for (const ZRBicycleList* item : items)
            document->bikeTable()->selectRowByExtendingSelection(rowOf(document, item), true);
    }
    // Opens the edit of ITEM's cell in COLUMN: the shared cell editor, or null.
    static QLineEdit* editCell(MyDocument* document, const ZRBicycleList* item, const char* column) {
        OutlineView* view = document->bikeTable();
        view->editColumnRowWithEventSelect(view->columnWithIdentifier(QLatin1String(column)), rowOf(document, item),
                                           nullptr, true);
        return qobject_cast<QLineEdit*>(view->currentEditor());
    }
    // Replaces the cell's text by typing (an empty text by Delete), then KEY.
    static void typeIntoCell(QLineEdit* editor, const QString& text, Qt::Key key = Qt::Key_Return) {
        if (editor == nullptr) {
            ADD_FAILURE() << "no cell is being edited";
            return;
        }
        editor->selectAll();
        if (text.isEmpty()) QTest::keyClick(editor, Qt::Key_Delete);
        else QTest::keyClicks(editor, text);
        QTest::keyClick(editor, key);
        processPendingEvents();
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

    // The drag of NODES as the outline starts it; the data it carries.
    static std::unique_ptr<QMimeData> startDrag(MyDocument* document, std::initializer_list<const ZRBicycleList*> nodes) {
        auto data = std::make_unique<QMimeData>();
        Pasteboard pasteboard(data.get());
        std::vector<void*> items;
        for (const ZRBicycleList* node : nodes) items.push_back(const_cast<ZRBicycleList*>(node));
        EXPECT_TRUE(document->outlineViewWriteItemsToPasteboard(document->bikeTable(), items, pasteboard));
        return data;
    }
    static QPoint pointAt(MyDocument* document, const ZRBicycleList* node, At at) {
        OutlineView* view = document->bikeTable();
        const QRect rect = view->visualRect(view->indexForItem(node, 0));
        EXPECT_TRUE(rect.isValid());
        const int y = at == At::Above ? rect.top() + 1 : at == At::On ? rect.center().y() : rect.bottom() - 1;
        return {rect.center().x(), y};
    }
    // A drag from FROM (DOCUMENT's own outline if null) hovering over
    // DOCUMENT at POINT and let go there: taken or not.
    static bool drop(MyDocument* document, const QMimeData* data, QPoint point, bool copy = false,
                     OutlineView* from = nullptr) {
        const DraggingInfo info(data, from != nullptr ? from : document->bikeTable(), copy);
        if (document->bikeTable()->draggingUpdated(point, info) == kDragOperationNone) return false;
        bool taken = false;
        Application::performAsOneEvent([&] { taken = document->bikeTable()->performDragOperation(info); });
        return taken;
    }

    static QStringList toolbarLabels(const MyDocument* document) {
        QStringList result;
        for (const auto& item : document->toolbar()->items()) result << item->label();
        return result;
    }

    static std::vector<std::uint8_t> recordBytes(const MyDocument* document) {
        return writeRecordFile(*document->theBike());
    }

    test_support::ScratchDefaults defaults;
    test_support::ScriptedAlerts alerts;
    TestDocumentController controller;
};

} // namespace cogbook::test_support
