// Moving and copying items: the clipboard commands, drag and drop within a
// document and between two, and data from elsewhere.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>
#include <string>
#include <vector>

#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "model/item_payload.h"
#include "platform/application.h"
#include "platform/pasteboard.h"

namespace cogbook {
namespace {

using test_support::At;
using test_support::node;

constexpr const char* kItemsMime = "application/x-cogbook-items";

class PasteboardTest : public test_support::DocumentTest {
protected:
    // Parts A and C, entries B and D (described so); C holds the entry c1.
    MyDocument* openFourItems(const QString& name = QStringLiteral("four.cogbook")) {
        auto bike = node("Bike", true,
                         {node("A", true), node("Bike", false), node("C", true, {node("C", false)}), node("Bike", false)});
        bike->childAtIndex(1)->setDescription("B");
        bike->childAtIndex(2)->childAtIndex(0)->setDescription("c1");
        bike->childAtIndex(3)->setDescription("D");
        MyDocument* document = documentShowing(bike, defaults.filePath(name));
        EXPECT_NE(document, nullptr);
        document->expandAll();
        return document;
    }

    // Parts by name, entries (named after their part) by description.
    static std::vector<std::string> names(const ZRBicycleList* parent) {
        std::vector<std::string> result;
        for (std::size_t i = 0; i < parent->numberOfChildren(); ++i) {
            const ZRBicycleList* child = parent->childAtIndex(i).get();
            result.push_back(child->expandable() ? child->partName() : child->description());
        }
        return result;
    }
    static std::vector<const void*> selected(MyDocument* document) {
        std::vector<const void*> result;
        for (const long row : document->bikeTable()->selectedRowIndexes())
            result.push_back(document->bikeTable()->itemAtRow(row));
        return result;
    }

    // A drag from another program as the window system delivers it.
    struct Delivered {
        bool entered = false, moved = false, dropped = false;
        Qt::DropAction action = Qt::IgnoreAction;
    };
    static Delivered dragFromElsewhere(OutlineView* view, const QMimeData& data, QPoint point) {
        Delivered result;
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        result.entered = enter.isAccepted();
        if (!result.entered) return result;
        QDragMoveEvent over(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &over);
        result.moved = over.isAccepted();
        result.action = over.dropAction();
        QDropEvent drop(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
        Application::performAsOneEvent([&] { QApplication::sendEvent(view->viewport(), &drop); });
        result.dropped = drop.isAccepted();
        return result;
    }
};

TEST_F(PasteboardTest, DropsOntoTheDraggedItemsOrBelowThemAreRefused) {
    MyDocument* document = openFourItems();
    ZRBicycleList* c = nodeAt(document, {2});
    ZRBicycleList* c1 = nodeAt(document, {2, 0});
    select(document, {c});
    const auto data = startDrag(document, {c});
    OutlineView* view = document->bikeTable();
    const struct {
        const ZRBicycleList* over;
        At at;
        bool copy;
        DragOperation expected;
    } hovers[] = {
        {c, At::On, false, kDragOperationNone},    {c, At::On, true, kDragOperationNone},
        {c1, At::On, false, kDragOperationNone},   {c1, At::Above, true, kDragOperationNone},
        {c, At::Above, false, kDragOperationMove}, // beside itself is a place like any other
        {c, At::Above, true, kDragOperationCopy},
    };
    for (const auto& over : hovers) {
        SCOPED_TRACE(testing::Message() << "row " << &over - hovers);
        const QPoint point = pointAt(document, over.over, over.at);
        EXPECT_EQ(view->draggingUpdated(point, DraggingInfo(data.get(), view, over.copy)), over.expected);
        EXPECT_EQ(view->dropIndicatorRect().isNull(), over.expected == kDragOperationNone);
    }
    EXPECT_EQ(view->proposedDropItem(), nullptr);
    EXPECT_EQ(view->proposedDropChildIndex(), 2);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(PasteboardTest, DropsOntoAnEntryLandBeforeItAndOntoAPartAtItsTop) {
    MyDocument* document = openFourItems();
    ZRBicycleList* b = nodeAt(document, {1});
    ZRBicycleList* d = nodeAt(document, {3});

    // An unselected row dragged alone becomes the selection.
    select(document, {nodeAt(document, {0})});
    auto data = startDrag(document, {d});
    EXPECT_EQ(selected(document), std::vector<const void*>{d});
    ASSERT_TRUE(drop(document, data.get(), pointAt(document, b, At::On)));
    EXPECT_EQ(names(document->theBike()), (std::vector<std::string>{"A", "D", "B", "C"}));
    EXPECT_EQ(nodeAt(document, {1}), d) << "moved, not copied";

    // A copy (the copy modifier held) onto a part goes first in it, named
    // after it; the original stays.
    ZRBicycleList* c = nodeAt(document, {3});
    data = startDrag(document, {b});
    ASSERT_TRUE(drop(document, data.get(), pointAt(document, c, At::On), true));
    EXPECT_EQ(names(document->theBike()), (std::vector<std::string>{"A", "D", "B", "C"}));
    ASSERT_EQ(c->numberOfChildren(), 2u);
    EXPECT_NE(c->childAtIndex(0).get(), b);
    EXPECT_EQ(c->childAtIndex(0)->creationDate(), b->creationDate());
    EXPECT_EQ(c->childAtIndex(0)->partName(), "C");
    EXPECT_EQ(selected(document), std::vector<const void*>{c->childAtIndex(0).get()});
}

TEST_F(PasteboardTest, MovingTwoItemsWithinTheirParentKeepsThemInOrderAndSelected) {
    MyDocument* document = openFourItems();
    ZRBicycleList* a = nodeAt(document, {0});
    ZRBicycleList* b = nodeAt(document, {1});
    // Dropped just above an item, or below every row.
    const struct {
        const ZRBicycleList* above;
        std::vector<std::string> order;
    } moves[] = {
        {nodeAt(document, {3}), {"C", "A", "B", "D"}},
        {b, {"A", "B", "C", "D"}}, // where they are already
        {nullptr, {"C", "D", "A", "B"}},
    };
    const auto original = recordBytes(document);
    for (const auto& move : moves) {
        SCOPED_TRACE(move.order[0] + move.order[1] + move.order[2] + move.order[3]);
        select(document, {a, b});
        const auto data = startDrag(document, {a, b});
        const QPoint point = move.above ? pointAt(document, move.above, At::Above)
                                        : QPoint(5, document->bikeTable()->viewport()->height() - 2);
        ASSERT_TRUE(drop(document, data.get(), point));
        EXPECT_EQ(names(document->theBike()), move.order);
        EXPECT_EQ(selected(document), (std::vector<const void*>{a, b}));
        if (document->undoManager().canUndo()) undo(document);
        EXPECT_EQ(recordBytes(document), original);
    }
}

TEST_F(PasteboardTest, PasteGoesWhereTheSelectionSays) {
    MyDocument* document = openFourItems(QStringLiteral("Paste place.cogbook"));
    ZRBicycleList* a = nodeAt(document, {0});
    ZRBicycleList* b = nodeAt(document, {1});
    ZRBicycleList* c = nodeAt(document, {2});
    select(document, {nodeAt(document, {2, 0})});
    perform(document, "copy:");

    // A part selected: at its top, named after it.
    select(document, {a});
    perform(document, "paste:");
    EXPECT_EQ(names(a), std::vector<std::string>{"c1"});
    EXPECT_EQ(a->childAtIndex(0)->partName(), "A");

    // An entry selected: right below it.
    select(document, {b});
    perform(document, "paste:");
    EXPECT_EQ(names(document->theBike()), (std::vector<std::string>{"A", "B", "c1", "C", "D"}));
    EXPECT_EQ(nodeAt(document, {2})->partName(), "Bike")
        << "an entry at the top level takes the bike's own name, not the window's";

    // Nothing, or several rows: the top of the bike. Pasted twice, both
    // copies stay, told apart by their creation dates.
    document->bikeTable()->deselectAll();
    perform(document, "paste:");
    select(document, {a, c});
    perform(document, "paste:");
    ASSERT_EQ(names(document->theBike()).size(), 7u);
    EXPECT_EQ(names(document->theBike())[0], "c1");
    EXPECT_EQ(names(document->theBike())[1], "c1");
    EXPECT_NE(document->theBike()->childAtIndex(0)->creationDate(), document->theBike()->childAtIndex(1)->creationDate());
    EXPECT_EQ(selected(document), std::vector<const void*>{document->theBike()->childAtIndex(0).get()});
}

TEST_F(PasteboardTest, ManyItemsCopiedKeepTheirOrderAndLeaveOutWhatTravelsWithAnAncestor) {
    MyDocument* document = openFourItems();
    ZRBicycleList* a = nodeAt(document, {0});
    ZRBicycleList* c = nodeAt(document, {2});
    ZRBicycleList* c1 = nodeAt(document, {2, 0});
    select(document, {c, c1, a});
    perform(document, "copy:");
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.contains(QLatin1String("\tA\n")) && text.contains(QLatin1String("\tC\tc1\n"))) << text.toStdString();

    select(document, {nodeAt(document, {3})});
    perform(document, "paste:");
    EXPECT_EQ(names(document->theBike()), (std::vector<std::string>{"A", "B", "C", "D", "A", "C"}))
        << "c1 comes once, inside its part";
    EXPECT_EQ(names(nodeAt(document, {5})), std::vector<std::string>{"c1"});
    EXPECT_EQ(selected(document), (std::vector<const void*>{nodeAt(document, {4}), nodeAt(document, {5})}));
}

TEST_F(PasteboardTest, CutSelectsTheParentAndPastePutsTheEntryBackAtItsTop) {
    MyDocument* document = openFourItems();
    ZRBicycleList* c = nodeAt(document, {2});
    select(document, {nodeAt(document, {2, 0})});
    perform(document, "cut:");
    EXPECT_EQ(c->numberOfChildren(), 0u);
    EXPECT_EQ(selected(document), std::vector<const void*>{c});
    perform(document, "paste:");
    EXPECT_EQ(names(c), std::vector<std::string>{"c1"});
}

// Counts the outline's questions for the top level: one for every reload.
class CountingSource : public OutlineViewDataSource {
public:
    explicit CountingSource(MyDocument* document) : document_(document) {}
    long outlineViewNumberOfChildrenOfItem(OutlineView* view, void* item) override {
        if (item == nullptr) ++topLevelAsked;
        return document_->outlineViewNumberOfChildrenOfItem(view, item);
    }
    bool outlineViewIsItemExpandable(OutlineView* view, void* item) override {
        return document_->outlineViewIsItemExpandable(view, item);
    }
    OutlineItem outlineViewChildOfItem(OutlineView* view, long index, void* item) override {
        return document_->outlineViewChildOfItem(view, index, item);
    }
    QVariant outlineViewObjectValueForTableColumnByItem(OutlineView* view, const TableColumn& column,
                                                         void* item) override {
        return document_->outlineViewObjectValueForTableColumnByItem(view, column, item);
    }
    int topLevelAsked = 0;

private:
    MyDocument* document_;
};

TEST_F(PasteboardTest, ACommandOnManyItemsRefreshesTheOutlineOnce) {
    MyDocument* document = openFourItems();
    CountingSource counting(document);
    OutlineView* view = document->bikeTable();
    view->setDataSource(&counting);
    view->expandItemExpandChildren(nullptr, true);
    const auto reloadsFor = [&](std::initializer_list<const ZRBicycleList*> nodes, const char* action) {
        select(document, nodes);
        counting.topLevelAsked = 0;
        perform(document, action);
        return counting.topLevelAsked;
    };
    const int one = reloadsFor({nodeAt(document, {0})}, "delete:");
    EXPECT_GE(one, 1);
    undo(document);
    EXPECT_EQ(reloadsFor({nodeAt(document, {0}), nodeAt(document, {1}), nodeAt(document, {2, 0}), nodeAt(document, {3})},
                         "delete:"),
              one);
    EXPECT_EQ(names(document->theBike()), std::vector<std::string>{"C"});
    counting.topLevelAsked = 0;
    undo(document);
    EXPECT_EQ(counting.topLevelAsked, one) << "and so does its undo";
    EXPECT_EQ(reloadsFor({nodeAt(document, {0}), nodeAt(document, {1}), nodeAt(document, {3})}, "copy:"), 0);
    EXPECT_EQ(reloadsFor({nodeAt(document, {2})}, "paste:"), one);
    view->setDataSource(document);
}

TEST_F(PasteboardTest, DataFromElsewhereIsCopiedOrRefused) {
    MyDocument* document = openFourItems();
    const auto original = recordBytes(document);
    ZRBicycleList* b = nodeAt(document, {1});
    OutlineView* view = document->bikeTable();

    // Items from another run of the program: copied, whatever the keys say.
    auto chain = node("Chain", true, {node("Chain", false)});
    QMimeData items;
    const auto payload = writeItemsPayload({chain});
    const QByteArray payloadBytes(reinterpret_cast<const char*>(payload.data()), static_cast<qsizetype>(payload.size()));
    items.setData(QLatin1String(kItemsMime), payloadBytes);
    Delivered delivered = dragFromElsewhere(view, items, pointAt(document, b, At::Above));
    EXPECT_TRUE(delivered.entered && delivered.moved && delivered.dropped);
    EXPECT_EQ(delivered.action, Qt::CopyAction);
    EXPECT_EQ(names(document->theBike()), (std::vector<std::string>{"A", "Chain", "B", "C", "D"}));
    EXPECT_EQ(document->undoManager().undoActionName(), "Copy");
    undo(document);
    EXPECT_EQ(recordBytes(document), original);

    // Plain text is no item: refused as it comes in.
    QMimeData text;
    text.setText(QStringLiteral("2024-01-01\tChain\tWaxed\n"));
    EXPECT_FALSE(dragFromElsewhere(view, text, pointAt(document, b, At::On)).entered);

    // Damaged or hostile bytes under our type: a beep, nothing changes.
    const std::vector<QByteArray> hostile = {QByteArray("bplist00garbage"), QByteArray("hello"),
                                             payloadBytes.left(payloadBytes.size() / 2)};
    int beeps = alerts.beeps;
    for (const QByteArray& bytes : hostile) {
        QMimeData bad;
        bad.setData(QLatin1String(kItemsMime), bytes);
        EXPECT_FALSE(dragFromElsewhere(view, bad, pointAt(document, b, At::Above)).dropped);
        EXPECT_EQ(alerts.beeps, ++beeps);

        auto* clip = new QMimeData;
        clip->setData(QLatin1String(kItemsMime), bytes);
        clip->setText(QStringLiteral("text too"));
        QGuiApplication::clipboard()->setMimeData(clip);
        select(document, {b});
        perform(document, "paste:");
        EXPECT_EQ(alerts.beeps, ++beeps);
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
    perform(document, "paste:");
    EXPECT_EQ(alerts.beeps, ++beeps);
    EXPECT_EQ(recordBytes(document), original);
    EXPECT_EQ(document->undoManager().undoStepCount(), 0u);
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(PasteboardTest, ItemsThatWouldNestDeeperThanARecordMayAreRefused) {
    MyDocument* document = openFourItems();
    // One item spanning all the levels a record may have below its bike.
    auto top = node("Deep", true);
    ZRBicycleListPtr tip = top;
    for (std::size_t level = 2; level < kMaxRecordDepth; ++level) {
        auto next = node("Deep", true);
        tip->addChildPartOrEntry(next);
        tip = next;
    }
    const auto payload = writeItemsPayload({top});
    auto* data = new QMimeData;
    data->setData(QLatin1String(kItemsMime),
                  QByteArray(reinterpret_cast<const char*>(payload.data()), static_cast<qsizetype>(payload.size())));
    QGuiApplication::clipboard()->setMimeData(data);

    // Under part C it would be one level too deep to open again.
    const auto original = recordBytes(document);
    select(document, {nodeAt(document, {2})});
    perform(document, "paste:");
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(recordBytes(document), original);

    // At the top it just fits.
    document->bikeTable()->deselectAll();
    perform(document, "paste:");
    EXPECT_EQ(alerts.beeps, 1);
    EXPECT_EQ(names(document->theBike()).front(), "Deep");
}

} // namespace
} // namespace cogbook
