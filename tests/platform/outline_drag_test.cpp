// Drops onto an outline view: where a drop at a point proposes to land, what
// the indicator shows, and which data comes in at all; and the pasteboards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QMimeData>

#include <optional>
#include <vector>

#include "platform/outline_items.h"
#include "platform/pasteboard.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::ItemPtr;
using test_support::part;

constexpr const char* kThings = "Things dragged";

// Takes every drop, or moves it to AIM when one is set; remembers what it was
// asked.
class DropSource : public test_support::ItemSource {
public:
    DragOperation outlineViewValidateDropProposedItemProposedChildIndex(OutlineView* view, const DraggingInfo& info,
                                                                      void* item, long index) override {
        proposed = {item, index};
        copyAsked = info.copyRequested();
        if (aim) view->setDropItemDropChildIndex(aim->first, aim->second);
        return answer;
    }
    bool outlineViewAcceptDropItemChildIndex(OutlineView*, const DraggingInfo&, void* item, long index) override {
        accepted = {item, index};
        return true;
    }

    DragOperation answer = kDragOperationMove;
    std::optional<std::pair<void*, long>> aim;
    std::pair<void*, long> proposed{nullptr, -2};
    std::optional<std::pair<void*, long>> accepted;
    bool copyAsked = false;
};

class OutlineDragTest : public ::testing::Test {
protected:
    OutlineDragTest() {
        registerPasteboardType(kThings, QStringLiteral("application/x-test-things"));
        // A (a1, a2), B (b1), C
        a = part("A", {entry("a1"), entry("a2")});
        b = part("B", {entry("b1")});
        c = entry("C");
        source.top = {a, b, c};
        view.setColumnIdentifiers({"name"});
        view.resize(400, 300);
        view.setDataSource(&source);
        view.registerForDraggedTypes({kThings});
        view.expandItem(a.get());
        view.show();
        data.setData(QStringLiteral("application/x-test-things"), "x");
    }
    QRect rowRect(const ItemPtr& node) const { return view.visualRect(view.indexForItem(node.get(), 0)); }
    QPoint above(const ItemPtr& node) const { return {20, rowRect(node).top() + 1}; }
    QPoint onto(const ItemPtr& node) const { return {20, rowRect(node).center().y()}; }
    QPoint below(const ItemPtr& node) const { return {20, rowRect(node).bottom() - 1}; }
    std::pair<void*, long> update(QPoint point, bool copy = false) {
        view.draggingUpdated(point, DraggingInfo(&data, &view, copy));
        return {view.proposedDropItem(), view.proposedDropChildIndex()};
    }
    std::pair<void*, long> at(const ItemPtr& node, long index) const { return {node.get(), index}; }

    DropSource source;
    OutlineView view;
    ItemPtr a, b, c;
    QMimeData data;
};

TEST_F(OutlineDragTest, APointProposesAPlaceBetweenRowsOrOntoOne) {
    EXPECT_EQ(update(above(a)), at(nullptr, 0));
    EXPECT_EQ(update(onto(a)), at(a, kOutlineDropOnItemIndex));
    EXPECT_EQ(update(below(a)), at(a, 0)) << "below an open part: its first child";
    EXPECT_EQ(update(below(b)), at(nullptr, 2)) << "below a closed part: after it";
    EXPECT_EQ(update(above(a->children[1])), at(a, 1));
    EXPECT_EQ(update(below(a->children[1])), at(a, 2));
    EXPECT_EQ(update(QPoint(20, view.viewport()->height() - 2)), at(nullptr, 3)) << "below every row";
    EXPECT_EQ(source.proposed, at(nullptr, 3)) << "the data source is asked what the view proposes";
    update(onto(c), true);
    EXPECT_TRUE(source.copyAsked);
}

TEST_F(OutlineDragTest, TheIndicatorShowsWhereTheDataSourceSaysTheDropGoes) {
    update(onto(b));
    EXPECT_EQ(view.dropIndicatorRect().top(), rowRect(b).top());
    EXPECT_EQ(view.dropIndicatorRect().height(), rowRect(b).height() - 1) << "a frame round the row";

    update(above(b));
    EXPECT_EQ(view.dropIndicatorRect().height(), 0) << "a line";
    EXPECT_EQ(view.dropIndicatorRect().top(), rowRect(b).top());

    // Moved by the data source: onto C becomes between a1 and a2, indented
    // as A's children are.
    source.aim = std::pair<void*, long>(a.get(), 1);
    update(onto(c));
    EXPECT_EQ(view.proposedDropItem(), a.get());
    EXPECT_EQ(view.dropIndicatorRect().top(), rowRect(a->children[1]).top());
    EXPECT_EQ(view.dropIndicatorRect().left(), view.indentation());
    // After A's last child: below the row of a2.
    source.aim = std::pair<void*, long>(a.get(), 2);
    update(onto(c));
    EXPECT_EQ(view.dropIndicatorRect().top(), rowRect(a->children[1]).bottom() + 1);

    source.aim.reset();
    source.answer = kDragOperationNone;
    update(onto(c));
    EXPECT_EQ(view.proposedDragOperation(), kDragOperationNone);
    EXPECT_TRUE(view.dropIndicatorRect().isNull()) << "a refused drop shows nowhere";
    EXPECT_FALSE(view.performDragOperation(DraggingInfo(&data, &view, false)));
    EXPECT_FALSE(source.accepted);
}

TEST_F(OutlineDragTest, OnlyRegisteredDataComesIn) {
    QMimeData text;
    text.setText(QStringLiteral("a1"));
    QDragEnterEvent foreign(onto(a), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &foreign);
    EXPECT_FALSE(foreign.isAccepted());

    QDragEnterEvent ours(onto(a), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &ours);
    EXPECT_TRUE(ours.isAccepted());
    QDropEvent drop(below(c), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction) << "as the data source answered";
    EXPECT_TRUE(source.copyAsked) << "the copy modifier reaches the data source";
    EXPECT_EQ(source.accepted, at(nullptr, 3));

    // Unregistered, the view takes no drops at all.
    view.registerForDraggedTypes({});
    QDragEnterEvent again(onto(a), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &again);
    EXPECT_FALSE(again.isAccepted());
}

TEST(Pasteboard, TypesByNameInTheOrderAsked) {
    registerPasteboardType("Pasteboard test A", QStringLiteral("application/x-test-a"));
    registerPasteboardType("Pasteboard test B", QStringLiteral("application/x-test-b"));
    registerPasteboardType("Pasteboard test A", QStringLiteral("application/x-other")); // the first mapping stays
    EXPECT_EQ(mimeTypeForPasteboardType("Pasteboard test A"), QStringLiteral("application/x-test-a"));

    for (const bool general : {false, true}) {
        SCOPED_TRACE(general ? "clipboard" : "drag");
        QMimeData dragged;
        Pasteboard drag(&dragged);
        Pasteboard& board = general ? Pasteboard::generalPasteboard() : drag;
        EXPECT_FALSE(board.declareTypes({"Pasteboard test A", "never registered"}));
        ASSERT_TRUE(board.declareTypes({"Pasteboard test A", "Pasteboard test B", std::string(kStringPasteboardType)}));
        const std::vector<std::uint8_t> bytes = {0, 1, 2, 255};
        EXPECT_FALSE(board.setDataForType(bytes, "Pasteboard test C")) << "not declared";
        EXPECT_TRUE(board.setDataForType(bytes, "Pasteboard test B"));
        EXPECT_TRUE(board.setStringForType(QStringLiteral("Ölwechsel"), kStringPasteboardType));
        EXPECT_EQ(board.availableTypeFromArray({"Pasteboard test A", "Pasteboard test B"}), "Pasteboard test B");
        EXPECT_EQ(board.dataForType("Pasteboard test B"), bytes);
        EXPECT_FALSE(board.dataForType("Pasteboard test A").has_value());
        EXPECT_EQ(board.stringForType(kStringPasteboardType), QStringLiteral("Ölwechsel"));
        if (general) {
            EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Ölwechsel"));
        }
        // Declaring again starts afresh.
        ASSERT_TRUE(board.declareTypes({"Pasteboard test A"}));
        EXPECT_FALSE(board.availableTypeFromArray({"Pasteboard test B"}).has_value());
    }
}

} // namespace
} // namespace cogbook
