// The item commands through the Edit menu, its keys in a text view, and the context menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include "app/controller_fixture.h"
#include "platform/application.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::processPendingEvents;

constexpr const char* kItemsMime = "application/x-cogbook-items";

using test_support::menuItemSending;

class EditCommandsTest : public test_support::ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        controller->awakeFromNib();
        controller->newDocumentMenuItem()->trigger();
        processPendingEvents();
        document = static_cast<MyDocument*>(controller->orderedDocuments().front());
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
        outline = document->bikeTable();
        Application::performAsOneEvent([&] { document->documentWindow()->makeFirstResponder(outline); });
        QGuiApplication::clipboard()->clear();
    }
    QMenu* edit() const { return controller->mainMenus()[1]; }
    std::size_t parts() const { return document->theBike()->numberOfChildren(); }
    static bool clipboardHoldsItems() {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data != nullptr && data->hasFormat(QLatin1String(kItemsMime));
    }
    void key(QWidget* widget, Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget, which, modifiers);
        processPendingEvents();
    }

    MyDocument* document = nullptr;
    OutlineView* outline = nullptr;
};

TEST_F(EditCommandsTest, TheEditMenuOffersTheCommandsWithTheStandardKeysWhenTheyApply) {
    QAction* cut = menuItemSending(edit(), "cut:");
    QAction* copy = menuItemSending(edit(), "copy:");
    QAction* paste = menuItemSending(edit(), "paste:");
    QAction* remove = menuItemSending(edit(), "delete:");
    ASSERT_TRUE(cut && copy && paste && remove);

    outline->deselectAll();
    validateMenu(edit());
    EXPECT_FALSE(cut->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(paste->isEnabled()) << "no items on the clipboard";

    outline->selectRowByExtendingSelection(0, false);
    const std::string first = static_cast<ZRBicycleList*>(outline->itemAtRow(0))->partName();
    validateMenu(edit());
    EXPECT_TRUE(cut->isEnabled() && copy->isEnabled() && remove->isEnabled());
    key(outline, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(clipboardHoldsItems());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(QString::fromStdString(first)));
    validateMenu(edit());
    EXPECT_TRUE(paste->isEnabled());

    // Delete, then Backspace, each take the selected row; Ctrl+V brings one back.
    const std::size_t before = parts();
    key(outline, Qt::Key_Delete);
    EXPECT_EQ(parts(), before - 1);
    outline->selectRowByExtendingSelection(0, false);
    key(outline, Qt::Key_Backspace);
    EXPECT_EQ(parts(), before - 2);
    key(outline, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(parts(), before - 1);
    key(outline, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(parts(), before - 2);
    EXPECT_EQ(alerts.beeps, 0);
}

TEST_F(EditCommandsTest, InATextViewTheKeysAreItsTextCommands) {
    outline->selectRowByExtendingSelection(0, false);
    const std::size_t before = parts();

    // The notes: Ctrl+C copies their text, not the item; Delete deletes text.
    QPlainTextEdit* notes = document->notesView();
    Application::performAsOneEvent([&] { document->documentWindow()->makeFirstResponder(notes); });
    QTest::keyClicks(notes, QStringLiteral("Torque 5 Nm"));
    notes->selectAll();
    key(notes, Qt::Key_C, Qt::ControlModifier);
    EXPECT_FALSE(clipboardHoldsItems());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Torque 5 Nm"));
    key(notes, Qt::Key_Delete);
    EXPECT_EQ(notes->toPlainText(), QString());
    EXPECT_EQ(parts(), before);
    // Chosen from the menu, the command goes to the notes as well.
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    Application::performAsOneEvent([&] { menuItemSending(edit(), "paste:")->trigger(); });
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("pasted"));
    EXPECT_EQ(parts(), before);

    // A cell being edited: Delete and Backspace edit its text.
    outline->editColumnRowWithEventSelect(outline->columnWithIdentifier(QStringLiteral("partName")), 0, nullptr, true);
    auto* editor = qobject_cast<QLineEdit*>(outline->currentEditor());
    ASSERT_NE(editor, nullptr);
    const QString name = editor->text();
    editor->setCursorPosition(0);
    key(editor, Qt::Key_Delete);
    EXPECT_EQ(editor->text(), name.mid(1));
    EXPECT_EQ(parts(), before);
    QTest::keyClick(editor, Qt::Key_Escape);
}

TEST_F(EditCommandsTest, ARightClickSelectsTheRowAndOffersTheItemCommands) {
    document->expandAll();
    outline->selectRowByExtendingSelection(0, false);
    const long row = 1;
    auto* clicked = static_cast<ZRBicycleList*>(outline->itemAtRow(row));
    const QRect rect = outline->visualRect(outline->indexForItem(clicked, 0));
    QContextMenuEvent click(QContextMenuEvent::Mouse, rect.center(), outline->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(outline->viewport(), &click);
    processPendingEvents();
    EXPECT_EQ(outline->selectedRowIndexes(), std::vector<long>{row});

    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->accessibleName().isEmpty());
    QStringList titles;
    for (const QAction* entry : menu->actions()) {
        if (!entry->isSeparator()) titles << menuItemTitle(entry);
    }
    const QString name = QString::fromStdString(clicked->partName());
    EXPECT_EQ(titles, QStringList({"Add Part", "Add Subpart to " + name, "Add Entry for " + name, "Add Entry for Bike",
                                   "Cut", "Copy", "Paste", "Delete"}));
    EXPECT_FALSE(menuItemSending(menu, "paste:")->isEnabled());
    const std::size_t before = clicked->parent()->numberOfChildren();
    const ZRBicycleListPtr parent = clicked->parent();
    Application::performAsOneEvent([&] { menuItemSending(menu, "delete:")->trigger(); });
    menu->close();
    EXPECT_EQ(parent->numberOfChildren(), before - 1);

    // Rows already selected stay selected: the command takes them all.
    outline->selectRowByExtendingSelection(0, false);
    outline->selectRowByExtendingSelection(2, true);
    const QRect second = outline->visualRect(outline->indexForItem(outline->itemAtRow(2), 0));
    QContextMenuEvent again(QContextMenuEvent::Mouse, second.center(), outline->viewport()->mapToGlobal(second.center()));
    QApplication::sendEvent(outline->viewport(), &again);
    processPendingEvents();
    EXPECT_EQ(outline->selectedRowIndexes(), (std::vector<long>{0, 2}));
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

} // namespace
} // namespace cogbook
