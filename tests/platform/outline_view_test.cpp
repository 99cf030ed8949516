#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "platform/outline_item_model.h"
#include "platform/outline_items.h"
#include "support/scoped_time_zone.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::Item;
using test_support::ItemPtr;
using test_support::part;
using test_support::itemOf;

// Collects what the model checker finds wrong.
std::vector<QString>* modelFailures = nullptr;
void recordModelFailure(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (modelFailures && context.category && QByteArray(context.category) == "qt.modeltest")
        modelFailures->push_back(message);
}

class OutlineViewTest : public ::testing::Test {
protected:
    OutlineViewTest() {
        // A (A1 (a1x, a1y), A2), B (B1, B2), C
        a1 = part("A1", {entry("a1x"), entry("a1y")});
        a = part("A", {a1, entry("A2")});
        b = part("B", {entry("B1"), entry("B2")});
        source.top = {a, b, entry("C")};
        view.setColumnIdentifiers({"name", "date"});
        view.setColumnTitles({"Name", "Date"});
        view.resize(500, 400);
        view.setDataSource(&source);
    }

    static QString nameOf(void* item) { return item ? itemOf(item)->name : QString("<null>"); }
    std::vector<QString> rows() const {
        std::vector<QString> names;
        for (long row = 0; row < view.numberOfRows(); ++row) names.push_back(nameOf(view.itemAtRow(row)));
        return names;
    }
    // The rows as the tree view lays them out itself.
    std::vector<QString> treeRows() const {
        std::vector<QString> names;
        for (QModelIndex index = view.model()->index(0, 0); index.isValid(); index = view.indexBelow(index))
            names.push_back(nameOf(view.itemForIndex(index)));
        return names;
    }
    ItemPtr find(const QString& name) const {
        std::vector<ItemPtr> pending = source.top;
        while (!pending.empty()) {
            ItemPtr item = pending.back();
            pending.pop_back();
            if (item && item->name == name) return item;
            if (item) pending.insert(pending.end(), item->children.begin(), item->children.end());
        }
        return nullptr;
    }

    test_support::ItemSource source;
    ItemPtr a, a1, b;
    OutlineView view;
};

using Names = std::vector<QString>;

TEST_F(OutlineViewTest, LoadsChildrenWhenShownAndNumbersRowsThroughNestedExpansion) {
    EXPECT_EQ(rows(), (Names{"A", "B", "C"}));
    EXPECT_EQ(source.countAsked.count(a.get()), 0u);
    EXPECT_TRUE(view.model()->hasChildren(view.indexForItem(a.get())));
    EXPECT_FALSE(view.model()->hasChildren(view.indexForItem(find("C").get())));
    EXPECT_EQ(source.countAsked.count(a.get()), 0u) << "a triangle needs no children";

    view.expandItem(a.get());
    EXPECT_EQ(rows(), (Names{"A", "A1", "A2", "B", "C"}));
    EXPECT_EQ(source.countAsked.count(a1.get()), 0u);
    view.expandItem(a1.get());
    EXPECT_EQ(rows(), (Names{"A", "A1", "a1x", "a1y", "A2", "B", "C"}));
    EXPECT_EQ(rows(), treeRows());
    const void* a1x = view.itemAtRow(2);
    EXPECT_EQ(view.levelForItem(a1x), 2);
    EXPECT_EQ(view.parentForItem(a1x), a1.get());
    EXPECT_EQ(view.parentForItem(a.get()), nullptr);
    EXPECT_EQ(view.rowForItem(b.get()), 5);
    EXPECT_EQ(view.itemAtRow(7), nullptr);
    EXPECT_EQ(view.itemAtRow(-1), nullptr);

    // Collapsed from the keyboard, as the user would.
    view.selectRowByExtendingSelection(0, false);
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(rows(), (Names{"A", "B", "C"}));
    EXPECT_EQ(view.rowForItem(a1x), kOutlineNoRow);
    EXPECT_TRUE(view.isItemExpanded(a1.get()));
    view.expandItem(a.get());
    EXPECT_EQ(view.rowForItem(a1x), 2);
}

TEST_F(OutlineViewTest, RefusesWhatItDoesNotKnow) {
    const Item stranger;
    TableColumn foreign("name", "Name", 0);
    QStandardItemModel otherModel(1, 1);
    EXPECT_EQ(view.rowForItem(&stranger), kOutlineNoRow);
    EXPECT_EQ(view.levelForItem(&stranger), -1);
    EXPECT_FALSE(view.indexForItem(a.get(), 2).isValid());
    EXPECT_EQ(view.itemForIndex(otherModel.index(0, 0)), nullptr);
    EXPECT_EQ(view.columnForIndex(otherModel.index(0, 0)), nullptr);
    TextFieldCell cell;
    view.setDataCellForColumn(&foreign, &cell);
    EXPECT_EQ(view.dataCellForColumn(&foreign), nullptr);
    EXPECT_NE(view.dataCellForColumn(view.tableColumns()[0]), &cell);
    view.expandItem(&stranger);
    view.scrollRowToVisible(99);
    EXPECT_EQ(rows(), (Names{"A", "B", "C"}));
}

TEST_F(OutlineViewTest, ReloadKeepsExpansionOfItemsThatStayOrMove) {
    view.expandItem(a.get());
    view.expandItem(a1.get());
    view.expandItem(b.get());
    QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(view.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(view.model(), &QAbstractItemModel::dataChanged);
    view.reloadData();
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_GT(changes.count(), 0) << "unchanged rows are still redrawn";

    // A new part before expanded siblings, and an expanded subtree moved.
    source.top.insert(source.top.begin(), part("X"));
    a->children.erase(a->children.begin());
    b->children.push_back(a1);
    view.reloadData();
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(rows(), (Names{"X", "A", "A2", "B", "B1", "B2", "A1", "a1x", "a1y", "C"}));
    EXPECT_EQ(rows(), treeRows());

    // Reordered: everything after X leaves and comes back.
    std::rotate(source.top.begin() + 1, source.top.begin() + 2, source.top.end());
    view.reloadData();
    EXPECT_EQ(rows(), (Names{"X", "B", "B1", "B2", "A1", "a1x", "a1y", "C", "A", "A2"}));
    EXPECT_EQ(rows(), treeRows());
}

TEST_F(OutlineViewTest, ReloadKeepsTheSelectionOfItemsStillShownAndLetsGoOfTheRest) {
    view.expandItem(a.get());
    view.expandItem(b.get());
    const ItemPtr b1 = find("B1");
    std::weak_ptr<Item> a2 = find("A2");
    view.selectRowByExtendingSelection(view.rowForItem(a2.lock().get()), false);
    view.selectRowByExtendingSelection(view.rowForItem(b1.get()), true);
    QSignalSpy changed(&view, &OutlineView::selectionDidChange);

    a->children.pop_back();
    source.top.insert(source.top.begin(), entry("Y"));
    view.reloadData();
    EXPECT_TRUE(a2.expired()) << "the view still holds a removed item";
    EXPECT_EQ(view.selectedRowIndexes(), std::vector<long>{view.rowForItem(b1.get())});
    EXPECT_EQ(view.selectedRow(), view.rowForItem(b1.get()));
    EXPECT_GE(changed.count(), 1);

    b->children.erase(b->children.begin());
    source.top.push_back(b1);
    view.reloadData();
    EXPECT_EQ(view.selectedRowIndexes(), std::vector<long>{view.numberOfRows() - 1});

    std::weak_ptr<Item> shown = b;
    view.setDataSource(nullptr);
    EXPECT_EQ(view.numberOfRows(), 0);
    EXPECT_EQ(view.numberOfSelectedRows(), 0);
    source.top.clear();
    b.reset();
    EXPECT_TRUE(shown.expired());
}

TEST_F(OutlineViewTest, ItemThatStopsBeingExpandableIsCollapsed) {
    view.expandItem(a.get());
    a->expandable = false;
    view.reloadData();
    EXPECT_EQ(rows(), (Names{"A", "B", "C"}));
    EXPECT_EQ(rows(), treeRows());
    EXPECT_FALSE(view.isItemExpanded(a.get()));
    EXPECT_FALSE(view.model()->hasChildren(view.indexForItem(a.get())));

    a->expandable = true;
    view.reloadData();
    EXPECT_TRUE(view.model()->hasChildren(view.indexForItem(a.get())));
    view.expandItem(a.get());
    EXPECT_EQ(rows(), (Names{"A", "A1", "A2", "B", "C"}));
}

TEST_F(OutlineViewTest, NullChildrenAreLeftOut) {
    b->children.insert(b->children.begin() + 1, nullptr);
    source.padding = 2;
    view.reloadData();
    view.expandItemExpandChildren(nullptr, true);
    EXPECT_EQ(rows(), (Names{"A", "A1", "a1x", "a1y", "A2", "B", "B1", "B2", "C"}));
    EXPECT_EQ(rows(), treeRows());
    view.grab();
}

class OutlineViewRandomTest : public OutlineViewTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(OutlineViewRandomTest, ModelStaysConsistentThroughRandomEdits) {
    std::vector<QString> failures;
    modelFailures = &failures;
    const QtMessageHandler previous = qInstallMessageHandler(recordModelFailure);
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::Warning);

    std::mt19937 random(GetParam());
    int serial = 0;
    std::vector<ItemPtr> all; // every item ever made, to pick from
    const auto pick = [&] { return all[random() % all.size()]; };
    const auto contains = [](const ItemPtr& root, const Item* item) {
        std::vector<const Item*> pending{root.get()};
        while (!pending.empty()) {
            const Item* next = pending.back();
            pending.pop_back();
            if (next == item) return true;
            for (const auto& child : next->children) pending.push_back(child.get());
        }
        return false;
    };
    const std::function<ItemPtr(int)> grow = [&](int depth) {
        const QString name = QString::number(serial++);
        ItemPtr item = depth < 3 && random() % 2 ? part("p" + name) : entry("e" + name);
        all.push_back(item);
        for (int i = 0; item->expandable && i < int(random() % 4); ++i) item->children.push_back(grow(depth + 1));
        return item;
    };
    source.top.clear();
    for (int i = 0; i < 6; ++i) source.top.push_back(grow(0));
    view.setDataSource(&source);
    view.expandItemExpandChildren(nullptr, true);
    // A twin told of every row change one by one: this view tells of all but
    // the first as one layout change, and must end up just the same.
    static_cast<OutlineItemModel*>(view.model())->setRowChangesBeforeBatch(0);
    QSignalSpy layouts(view.model(), &QAbstractItemModel::layoutChanged);
    OutlineView twin;
    twin.setColumnIdentifiers({"name", "date"});
    static_cast<OutlineItemModel*>(twin.model())->setRowChangesBeforeBatch(std::numeric_limits<int>::max());
    twin.setDataSource(&source);
    twin.expandItemExpandChildren(nullptr, true);
    const auto twinRows = [&] {
        std::vector<QString> names;
        for (long row = 0; row < twin.numberOfRows(); ++row) names.push_back(nameOf(twin.itemAtRow(row)));
        return names;
    };

    for (int round = 0; round < 60; ++round) {
        if (round % 7 == 0) {
            const ItemPtr folded = pick();
            view.collapseItemCollapseChildren(folded.get(), false);
            twin.collapseItemCollapseChildren(folded.get(), false);
        }
        std::map<const Item*, bool> expandedBefore;
        for (const auto& item : all) {
            if (view.indexForItem(item.get()).isValid()) expandedBefore[item.get()] = view.isItemExpanded(item.get());
        }
        std::vector<long> chosen;
        for (long i = 0; i < 3 && view.numberOfRows() > 0; ++i) chosen.push_back(long(random() % view.numberOfRows()));
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
        view.selectRowIndexesByExtendingSelection(chosen, false);
        twin.selectRowIndexesByExtendingSelection(chosen, false);
        // Detach an item (or make one), then file it somewhere outside itself;
        // every third round moves many at once, as an undone drop does.
        const int moves = round % 3 == 0 ? 80 : 1;
        for (int move = 0; move < moves; ++move) {
            ItemPtr moving = random() % 3 == 0 ? grow(1) : pick();
            std::erase(source.top, moving);
            for (const auto& item : all) std::erase(item->children, moving);
            if (random() % 4 != 0) {
                ItemPtr target = pick();
                auto& list = target->expandable && !contains(moving, target.get()) ? target->children : source.top;
                list.insert(list.begin() + static_cast<long>(random() % (list.size() + 1)), moving);
            }
        }
        view.reloadData();
        twin.reloadData();

        ASSERT_EQ(rows(), treeRows()) << "round " << round;
        if (moves == 1) {
            for (const auto& [item, expanded] : expandedBefore) {
                if (!view.indexForItem(item).isValid()) continue;
                EXPECT_EQ(view.isItemExpanded(item), expanded) << item->name.toStdString() << " round " << round;
            }
        }
        ASSERT_EQ(rows(), twinRows()) << "round " << round;
        for (const auto& item : all) {
            if (view.indexForItem(item.get()).isValid() && twin.indexForItem(item.get()).isValid()) {
                EXPECT_EQ(view.isItemExpanded(item.get()), twin.isItemExpanded(item.get())) << "round " << round;
            }
        }
        EXPECT_EQ(view.selectedRowIndexes(), twin.selectedRowIndexes()) << "round " << round;
        EXPECT_EQ(view.itemForIndex(view.currentIndex()), twin.itemForIndex(twin.currentIndex())) << "round " << round;
    }
    EXPECT_GT(layouts.count(), 0);
    qInstallMessageHandler(previous);
    modelFailures = nullptr;
    EXPECT_TRUE(failures.empty()) << failures.front().toStdString();
}
INSTANTIATE_TEST_SUITE_P(Seeds, OutlineViewRandomTest, ::testing::Values(7u, 8u, 9u, 10u));

TEST_F(OutlineViewTest, SelectionByRowByProgramAndMouse) {
    view.expandItem(a.get()); // A A1 A2 B C
    QSignalSpy changed(&view, &OutlineView::selectionDidChange);
    view.selectRowByExtendingSelection(1, false);
    EXPECT_EQ(view.selectedRow(), 1);
    view.selectRowByExtendingSelection(3, true);
    view.selectRowByExtendingSelection(2, true);
    EXPECT_EQ(view.selectedRowIndexes(), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(view.selectedRow(), 2) << "the latest, not the highest";
    view.selectRowByExtendingSelection(3, true);
    EXPECT_EQ(view.selectedRow(), 3);
    EXPECT_EQ(changed.count(), 3);
    view.selectRowByExtendingSelection(5, false);
    view.selectRowByExtendingSelection(-1, true);
    EXPECT_EQ(view.numberOfSelectedRows(), 3) << "a row out of range changes nothing";
    view.deselectAll();
    EXPECT_EQ(view.numberOfSelectedRows(), 0);
    EXPECT_EQ(view.selectedRow(), kOutlineNoRow);
    EXPECT_EQ(changed.count(), 4);

    // Several at once, of different parents: whole rows, each its own.
    view.selectRowIndexesByExtendingSelection({1, 3}, false);
    EXPECT_EQ(view.selectedRowIndexes(), (std::vector<long>{1, 3}));
    view.selectRowIndexesByExtendingSelection({4, 2}, true);
    EXPECT_EQ(view.selectedRowIndexes(), (std::vector<long>{1, 2, 3, 4}));
    EXPECT_EQ(view.selectedRow(), 2) << "the last row given is the latest";
    for (long row = 1; row <= 4; ++row) {
        const QModelIndex index = view.indexForItem(view.itemAtRow(row));
        EXPECT_TRUE(view.selectionModel()->isRowSelected(index.row(), index.parent())) << row;
    }
    EXPECT_EQ(changed.count(), 6);

    view.show();
    const auto click = [&](long row, Qt::KeyboardModifiers modifiers) {
        const QRect rect = view.visualRect(view.indexForItem(view.itemAtRow(row)));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, rect.center());
    };
    click(3, Qt::NoModifier);
    EXPECT_EQ(view.selectedRowIndexes(), std::vector<long>{3});
    click(1, Qt::ControlModifier);
    EXPECT_EQ(view.selectedRowIndexes(), (std::vector<long>{1, 3}));
    EXPECT_EQ(view.selectedRow(), 1);
    EXPECT_EQ(changed.count(), 8);
}

TEST_F(OutlineViewTest, ExpandsAndCollapsesWithDescendants) {
    view.expandItemExpandChildren(a.get(), true);
    EXPECT_EQ(rows(), (Names{"A", "A1", "a1x", "a1y", "A2", "B", "C"}));
    view.collapseItemCollapseChildren(a.get(), true);
    view.expandItem(a.get());
    EXPECT_EQ(rows(), (Names{"A", "A1", "A2", "B", "C"})) << "A1 was collapsed with A";
    view.expandItemExpandChildren(nullptr, true);
    EXPECT_EQ(view.numberOfRows(), 9);
    EXPECT_EQ(rows(), treeRows());
    view.collapseItemCollapseChildren(nullptr, true);
    EXPECT_EQ(rows(), (Names{"A", "B", "C"}));

    // An item filed under itself must not have us expand forever.
    b->children.push_back(b);
    view.reloadData();
    view.expandItemExpandChildren(b.get(), true);
    EXPECT_EQ(rows(), (Names{"A", "B", "B1", "B2", "B", "C"}));
    b->children.pop_back();
}

TEST_F(OutlineViewTest, ColumnsComeFromPropertiesAndMoveByVisualIndex) {
    OutlineView other;
    other.setProperty("columnTitles", QStringList{"Name", "Date", "Notes"});
    other.setDataSource(&source);
    other.setProperty("columnIdentifiers", QStringList{"name", "date", "notes"});
    EXPECT_EQ(other.numberOfRows(), 3);
    EXPECT_EQ(other.model()->headerData(2, Qt::Horizontal).toString(), "Notes");

    other.moveColumnToColumn(0, 2);
    other.moveColumnToColumn(3, 0);
    EXPECT_EQ(other.columnWithIdentifier("name"), 2);
    EXPECT_EQ(other.columnWithIdentifier("date"), 0);
    EXPECT_EQ(other.columnWithIdentifier("none"), -1);
    std::vector<QString> order;
    for (const TableColumn* column : other.tableColumns()) order.push_back(column->identifier());
    EXPECT_EQ(order, (Names{"date", "notes", "name"}));
    const QModelIndex name = other.indexForItem(a.get(), other.tableColumnWithIdentifier("name")->logicalIndex());
    EXPECT_EQ(other.model()->data(name).toString(), "A");
}

struct DrawnCell : TextFieldCell {
    void drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const override {
        drawn.push_back(configuredFor);
        TextFieldCell::drawWithFrameInView(frame, painter, option, index);
    }
    void* configuredFor = nullptr;
    mutable std::vector<void*> drawn;
};

struct Configurer : OutlineViewDelegate {
    void outlineViewWillDisplayCellForTableColumnItem(OutlineView*, TextFieldCell* cell, const TableColumn& column,
                                                      void* item) override {
        seen.insert({item, column.identifier()});
        if (auto* drawn = dynamic_cast<DrawnCell*>(cell)) drawn->configuredFor = item;
    }
    std::set<std::pair<void*, QString>> seen;
};

TEST_F(OutlineViewTest, DelegateConfiguresTheCellBeforeEachRowIsDrawn) {
    view.expandItem(b.get());
    Configurer configurer;
    view.setOutlineDelegate(&configurer);
    auto cell = std::make_unique<DrawnCell>();
    TableColumn* dates = view.tableColumnWithIdentifier("date");
    view.setDataCellForColumn(dates, cell.get());
    EXPECT_EQ(view.dataCellForColumn(dates), cell.get());
    EXPECT_NE(view.dataCellForColumn(view.tableColumnWithIdentifier("name")), nullptr);
    view.grab();

    std::multiset<void*> expected;
    for (long row = 0; row < view.numberOfRows(); ++row) {
        expected.insert(view.itemAtRow(row));
        EXPECT_EQ(configurer.seen.count({view.itemAtRow(row), "name"}), 1u) << row;
        EXPECT_EQ(configurer.seen.count({view.itemAtRow(row), "date"}), 1u) << row;
    }
    EXPECT_EQ(std::multiset<void*>(cell->drawn.begin(), cell->drawn.end()), expected);

    cell.reset();
    view.grab();
}

TEST_F(OutlineViewTest, DatesShowAsTheLocalDayInTheLocaleShortFormat) {
    const test_support::ScopedTimeZone zone("America/New_York");
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime evening(QDate(2024, 3, 1), QTime(2, 0), Qt::UTC); // Feb 29 in New York
    a->date = evening;
    const QModelIndex index = view.indexForItem(a.get(), 1);
    const QString shown = view.model()->data(index).toString();
    QLocale::setDefault(previous);
    EXPECT_EQ(shown, QLocale(QLocale::German, QLocale::Germany).toString(QDate(2024, 2, 29), QLocale::ShortFormat));
    EXPECT_EQ(view.model()->data(index, Qt::EditRole).toDateTime(), evening);
    EXPECT_EQ(view.model()->data(view.indexForItem(b.get(), 1)).toString(), "");
}

} // namespace
} // namespace cogbook
