// The outline's keys, the focus frame, moving between panes, the empty
// outline's hint, and the colours that keep them legible.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include <utility>
#include <vector>

#include "platform/keyboard_focus.h"
#include "platform/legible_colors.h"
#include "platform/outline_items.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::ItemPtr;
using test_support::part;

// A window of three panes: an outline, a text pane and a field.
class KeyboardTest : public ::testing::Test {
protected:
    KeyboardTest() {
        // A (A1 (a1x), A2), B
        source.top = {part("A", {part("A1", {entry("a1x")}), entry("A2")}), entry("B")};
        view = new OutlineView;
        view->setColumnIdentifiers({"name"});
        view->setDataSource(&source);
        text = new QPlainTextEdit;
        field = new QLineEdit;
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* pane : std::vector<QWidget*>{view, text, field}) layout->addWidget(pane);
        window.resize(400, 500);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        view->setFocus();
    }

    QString selected() const {
        const std::vector<long> rows = view->selectedRowIndexes();
        if (rows.size() != 1) return QStringLiteral("%1 rows").arg(rows.size());
        return test_support::itemOf(view->itemAtRow(rows.front()))->name;
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    void* named(const QString& name) const {
        for (long row = 0; row < view->numberOfRows(); ++row)
            if (test_support::itemOf(view->itemAtRow(row))->name == name) return view->itemAtRow(row);
        return nullptr;
    }

    test_support::ItemSource source;
    QWidget window;
    OutlineView* view;
    QPlainTextEdit* text;
    QLineEdit* field;
};

TEST_F(KeyboardTest, DownOrUpWithNothingSelectedSelectsTheFirstOrLastRow) {
    // The focus made the first row current without selecting it.
    ASSERT_EQ(view->numberOfSelectedRows(), 0);
    press(Qt::Key_Down);
    EXPECT_EQ(selected(), "A");
    press(Qt::Key_Down);
    EXPECT_EQ(selected(), "B");

    view->deselectAll();
    press(Qt::Key_Up);
    EXPECT_EQ(selected(), "B");
}

TEST_F(KeyboardTest, RightAndLeftStepIntoAndOutOfPartsAsInOtherTreeViews) {
    view->selectRowByExtendingSelection(0, false);
    const struct {
        int key;
        QString selected;
        QStringList expanded;
    } steps[] = {
        {Qt::Key_Right, "A", {"A"}},          // a collapsed part expands, the row stays
        {Qt::Key_Right, "A1", {"A"}},         // an expanded part steps to its first child
        {Qt::Key_Right, "A1", {"A", "A1"}},
        {Qt::Key_Right, "a1x", {"A", "A1"}},
        {Qt::Key_Right, "a1x", {"A", "A1"}},  // a leaf goes nowhere
        {Qt::Key_Left, "A1", {"A", "A1"}},    // a leaf steps out to its parent
        {Qt::Key_Left, "A1", {"A"}},          // an expanded part collapses
        {Qt::Key_Left, "A", {"A"}},           // a collapsed child steps out
        {Qt::Key_Left, "A", {}},
        {Qt::Key_Left, "A", {}},              // the top level goes nowhere
        {Qt::Key_Right, "A", {"A"}},
        {Qt::Key_Down, "A1", {"A"}},
        {Qt::Key_Down, "A2", {"A"}},
        {Qt::Key_Left, "A", {"A"}},           // to the parent, not the row above
    };
    for (const auto& step : steps) {
        press(step.key);
        SCOPED_TRACE(step.selected.toStdString());
        EXPECT_EQ(selected(), step.selected);
        QStringList expanded;
        for (const QString name : {"A", "A1"})
            if (named(name) != nullptr && view->isItemExpanded(named(name))) expanded << name;
        EXPECT_EQ(expanded, step.expanded);
    }
}

TEST_F(KeyboardTest, CtrlTabAndF6CycleThroughThePanesAndShiftGoesBack) {
    installPaneCycle(&window, {view, text, field});
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focus;
    } steps[] = {
        {Qt::Key_Tab, Qt::ControlModifier, text},
        {Qt::Key_F6, Qt::NoModifier, field},
        {Qt::Key_Tab, Qt::ControlModifier, view}, // round again
        {Qt::Key_F6, Qt::ShiftModifier, field},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, text},
    };
    for (const auto& step : steps) {
        press(step.key, step.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), step.focus) << step.key;
    }
    // From a widget that is no pane, the first pane.
    QLineEdit outside(&window);
    outside.show();
    outside.setFocus();
    press(Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), view);
}

TEST_F(KeyboardTest, TheFocusFrameIsDrawnAroundThePaneWithTheKeysOnly) {
    FocusFrame* frame = FocusFrame::attach(text);
    const auto edgeColour = [&] { return text->grab().toImage().pixelColor(0, text->height() / 2); };
    EXPECT_FALSE(frame->isFramingFocus());
    const QColor unfocused = edgeColour();

    text->setFocus();
    EXPECT_TRUE(frame->isFramingFocus());
    EXPECT_EQ(edgeColour(), focusFrameColor(text->palette()));
    EXPECT_NE(unfocused, focusFrameColor(text->palette()));
    text->resize(text->width() + 30, text->height());
    EXPECT_EQ(frame->geometry(), text->rect()) << "the frame follows the pane's size";

    // Something inside the pane (a cell editor) counts as the pane.
    FocusFrame* outlineFrame = FocusFrame::attach(view);
    QLineEdit editor(view->viewport());
    editor.show();
    editor.setFocus();
    EXPECT_TRUE(outlineFrame->isFramingFocus());
    EXPECT_FALSE(frame->isFramingFocus());
}

TEST_F(KeyboardTest, AnEmptyOutlineShowsItsHintUntilItHasRows) {
    view->setPlaceholderText("Add something");
    EXPECT_EQ(view->visiblePlaceholder(), nullptr);

    const std::vector<ItemPtr> all = std::exchange(source.top, {});
    view->reloadData();
    QWidget* hint = view->visiblePlaceholder();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->accessibleName(), "Add something");
    EXPECT_TRUE(hint->testAttribute(Qt::WA_TransparentForMouseEvents)) << "clicks reach the outline";
    EXPECT_GE(contrastRatio(hint->palette().color(QPalette::WindowText), view->palette().color(QPalette::Base)),
              kLegibleContrast);

    source.top = all;
    view->reloadData();
    EXPECT_EQ(view->visiblePlaceholder(), nullptr);
}

QPalette paletteOf(QColor base, QColor text, QColor highlight, QColor placeholder) {
    QPalette palette;
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    return palette;
}

TEST(LegibleColors, KeepThePalettesOwnChoiceOnlyWhereItReads) {
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(contrastRatio(QColor(0, 0, 0, 0), Qt::white), 1.0, 0.01) << "transparent is the background";

    const QPalette light = paletteOf(Qt::white, Qt::black, QColor(48, 140, 198), QColor(0, 0, 0, 128));
    EXPECT_EQ(focusFrameColor(light), QColor(48, 140, 198));
    EXPECT_EQ(legiblePlaceholderColor(light), QColor(0, 0, 0, 128));

    // A dark palette whose highlight and placeholder are lost in its background.
    const QPalette dark = paletteOf(QColor(30, 30, 30), QColor(230, 230, 230), QColor(40, 40, 48), QColor(50, 50, 50));
    EXPECT_EQ(focusFrameColor(dark), QColor(230, 230, 230));
    const QColor placeholder = legiblePlaceholderColor(dark);
    EXPECT_GE(contrastRatio(placeholder, dark.color(QPalette::Base)), kLegibleContrast);
    EXPECT_LT(contrastRatio(placeholder, dark.color(QPalette::Base)),
              contrastRatio(dark.color(QPalette::Text), dark.color(QPalette::Base)))
        << "still fainter than the text";
}

TEST(LegibleColors, APlaceholderStaysLegibleWhenTheApplicationPaletteChanges) {
    const QPalette before = QApplication::palette();
    QWidget parent;
    QPlainTextEdit text(&parent);
    keepPlaceholderLegible(&text);
    QApplication::setPalette(paletteOf(QColor(30, 30, 30), QColor(230, 230, 230), Qt::blue, QColor(45, 45, 45)));
    test_support::processPendingEvents();
    const double contrast = contrastRatio(text.palette().color(QPalette::PlaceholderText), QColor(30, 30, 30));
    QApplication::setPalette(before);
    EXPECT_GE(contrast, kLegibleContrast);
}

} // namespace
} // namespace cogbook
