#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/exceptions.h"
#include "foundation/hooks.h"
#include "foundation/notification_center.h"
#include "foundation/undo_manager.h"

namespace cogbook {
namespace {

// A field with undo, the way documents write theirs: each change registers
// the same change with the old value.
struct Field {
    UndoManager& undo;
    std::string value;
    std::vector<std::string>* trace = nullptr;

    void set(const std::string& next) {
        undo.registerUndoWithTarget(this, [this, old = value] { set(old); });
        if (trace) trace->push_back(value + "->" + next);
        value = next;
    }
};

struct Counts {
    int closed = 0, undone = 0, redone = 0;
    explicit Counts(const UndoManager& manager) : manager_(&manager) {
        auto& center = NotificationCenter::defaultCenter();
        center.addObserver(this, std::string(kUndoManagerDidCloseUndoGroupNotification), manager_,
                           [this](const Notification&) { ++closed; });
        center.addObserver(this, std::string(kUndoManagerDidUndoChangeNotification), manager_,
                           [this](const Notification&) { ++undone; });
        center.addObserver(this, std::string(kUndoManagerDidRedoChangeNotification), manager_,
                           [this](const Notification&) { ++redone; });
    }
    ~Counts() { NotificationCenter::defaultCenter().removeObserver(this); }
    Counts(const Counts&) = delete;
    Counts& operator=(const Counts&) = delete;

private:
    const UndoManager* manager_;
};

TEST(UndoManager, OneEventIsOneStepUndoneInReverseAndRedoneAsTheMirror) {
    UndoManager undo;
    Counts counts(undo);
    std::vector<std::string> trace;
    Field a{undo, "a0", &trace};
    Field b{undo, "b0", &trace};

    a.set("a1");
    b.set("b1");
    a.set("a2");
    undo.setActionName("Name Change");
    EXPECT_TRUE(undo.canUndo()) << "an open event group can be undone";
    EXPECT_EQ(counts.closed, 0);
    UndoManager::endEventGroups();
    EXPECT_EQ(counts.closed, 1);
    EXPECT_EQ(undo.undoStepCount(), 1u);
    EXPECT_EQ(undo.undoMenuItemTitle(), "Undo Name Change");
    EXPECT_EQ(undo.redoMenuItemTitle(), "Redo");
    EXPECT_FALSE(undo.canRedo());

    trace.clear();
    undo.undo();
    EXPECT_EQ(trace, (std::vector<std::string>{"a2->a1", "b1->b0", "a1->a0"}));
    EXPECT_EQ(a.value, "a0");
    EXPECT_EQ(b.value, "b0");
    EXPECT_EQ(counts.undone, 1);
    EXPECT_EQ(counts.closed, 1) << "the redo step is no new change";
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(undo.redoMenuItemTitle(), "Redo Name Change");

    trace.clear();
    undo.redo();
    EXPECT_EQ(trace, (std::vector<std::string>{"a0->a1", "b0->b1", "a1->a2"}));
    EXPECT_EQ(a.value, "a2");
    EXPECT_EQ(counts.redone, 1);
    EXPECT_EQ(undo.undoMenuItemTitle(), "Undo Name Change");

    // Undo closes an event group still open, so the newest change goes first.
    b.set("b2");
    undo.undo();
    EXPECT_EQ(b.value, "b1");
    EXPECT_EQ(a.value, "a2");
    EXPECT_EQ(undo.undoStepCount(), 1u);
}

TEST(UndoManager, NewChangesClearRedoButChangesMadeByUndoDoNot) {
    UndoManager undo;
    Field a{undo, "0"};
    for (const char* value : {"1", "2", "3"}) {
        a.set(value);
        UndoManager::endEventGroups();
    }
    undo.undo();
    undo.undo();
    EXPECT_EQ(a.value, "1");
    EXPECT_EQ(undo.redoStepCount(), 2u);
    undo.redo();
    EXPECT_EQ(a.value, "2");
    EXPECT_EQ(undo.redoStepCount(), 1u);
    a.set("x");
    EXPECT_FALSE(undo.canRedo());
    UndoManager::endEventGroups();
    undo.undo();
    undo.undo();
    undo.undo();
    EXPECT_EQ(a.value, "0");
    undo.undo();
    EXPECT_EQ(a.value, "0") << "nothing left to undo does nothing";
}

TEST(UndoManager, ExplicitGroupsNestAndMisuseIsAnAssertion) {
    UndoManager undo;
    Counts counts(undo);
    Field a{undo, "0"};
    undo.beginUndoGrouping();
    a.set("1");
    undo.beginUndoGrouping();
    a.set("2");
    undo.endUndoGrouping();
    UndoManager::endEventGroups();
    EXPECT_EQ(counts.closed, 0) << "an explicit group outlives the event";
    EXPECT_THROW(undo.undo(), InternalInconsistencyException);
    a.set("3");
    undo.endUndoGrouping();
    EXPECT_EQ(counts.closed, 1);
    undo.setActionName("Move");
    EXPECT_EQ(undo.undoActionName(), "Move") << "names the step just closed";
    undo.undo();
    EXPECT_EQ(a.value, "0");
    EXPECT_THROW(undo.endUndoGrouping(), InternalInconsistencyException);

    // An empty group is no step and no change.
    undo.beginUndoGrouping();
    undo.endUndoGrouping();
    EXPECT_EQ(counts.closed, 1);
    EXPECT_EQ(undo.undoStepCount(), 0u);
}

TEST(UndoManager, ANameGivenBeforeTheFirstRegistrationNamesThisEventsStepNotTheLastOne) {
    UndoManager undo;
    Field a{undo, "0"};
    a.set("1");
    undo.setActionName("Name Change");
    UndoManager::endEventGroups();

    undo.setActionName("Notes Change");
    a.set("2");
    UndoManager::endEventGroups();
    EXPECT_EQ(undo.undoActionName(), "Notes Change");
    undo.undo();
    EXPECT_EQ(undo.undoActionName(), "Name Change");

    // A name given in an event that makes no step is forgotten with it.
    undo.setActionName("Add");
    UndoManager::endEventGroups();
    a.set("3");
    UndoManager::endEventGroups();
    EXPECT_EQ(undo.undoActionName(), "");
    EXPECT_EQ(undo.undoMenuItemTitle(), "Undo");
}

TEST(UndoManager, WithoutGroupingByEventEachRegistrationIsAStep) {
    UndoManager undo;
    undo.setGroupsByEvent(false);
    Field a{undo, "0"};
    a.set("1");
    a.set("2");
    EXPECT_EQ(undo.undoStepCount(), 2u);
    EXPECT_FALSE(UndoManager::anyEventGroupOpen());
    undo.disableUndoRegistration();
    a.set("3");
    undo.enableUndoRegistration();
    EXPECT_EQ(undo.undoStepCount(), 2u);
    EXPECT_THROW(undo.enableUndoRegistration(), InternalInconsistencyException);
}

TEST(UndoManager, ForgettingATargetDropsItsCallsInEveryManagerAndReleasesTheirArguments) {
    UndoManager first;
    UndoManager second;
    int gone = 0;
    const int target = 0;
    const int other = 0;
    auto held = std::shared_ptr<int>(new int(7), [&gone](const int* value) {
        ++gone;
        delete value;
    });
    first.registerUndoWithTarget(&target, [held] {});
    first.registerUndoWithTarget(&other, [] {});
    second.registerUndoWithTarget(&target, [held] {});
    UndoManager::endEventGroups();
    second.registerUndoWithTarget(&target, [held] {});
    held.reset();
    EXPECT_EQ(gone, 0) << "a recorded call keeps its arguments alive";

    UndoManager::removeAllActionsWithTargetEverywhere(&target);
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(first.undoStepCount(), 1u) << "the step keeps its other call";
    EXPECT_EQ(second.undoStepCount(), 0u) << "a step left empty goes";
    UndoManager::endEventGroups();
    EXPECT_FALSE(second.canUndo()) << "the open group lost its call too";
}

TEST(UndoManager, AFailingCallLeavesTheManagerUsable) {
    UndoManager undo;
    Field a{undo, "0"};
    a.set("1");
    undo.registerUndoWithTarget(&a, [] { throw std::runtime_error("gone wrong"); });
    undo.setActionName("Add");
    UndoManager::endEventGroups();
    EXPECT_THROW(undo.undo(), std::runtime_error);
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(a.value, "1") << "the calls after the failing one are dropped";
    EXPECT_FALSE(undo.canUndo());
    a.set("2");
    UndoManager::endEventGroups();
    undo.undo();
    EXPECT_EQ(a.value, "1");
}

TEST(UndoManager, ADestroyedManagerIsNoLongerAnEventGroupToClose) {
    {
        UndoManager undo;
        undo.registerUndoWithTarget(&undo, [] {});
        EXPECT_TRUE(UndoManager::anyEventGroupOpen());
    }
    EXPECT_FALSE(UndoManager::anyEventGroupOpen());
    UndoManager::endEventGroups();
}

} // namespace
} // namespace cogbook
