#include "foundation/undo_manager.h"

#include <algorithm>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/notification_center.h"

namespace cogbook {
namespace {

// Every manager alive, so that a target going away can be forgotten by all
// of them and the end of an event can close all their groups.
std::vector<UndoManager*>& allManagers() {
    static std::vector<UndoManager*> managers;
    return managers;
}

std::string titled(std::string_view verb, const std::string& name) {
    std::string title(verb);
    if (!name.empty()) title += ' ' + name;
    return title;
}

} // namespace

int UndoManager::openEventGroups_ = 0;
bool UndoManager::eventStateSet_ = false;

UndoManager::UndoManager() { allManagers().push_back(this); }

UndoManager::~UndoManager() {
    if (eventGroupOpen_) --openEventGroups_;
    std::erase(allManagers(), this);
}

void UndoManager::registerUndoWithTarget(const void* target, Action action) {
    if (disabled_ > 0 || !action) return;
    if (mode_ == Mode::Normal) {
        redoStack_.clear();
        ++generation_;
    }
    const bool outsideGroups = level_ == 0;
    if (outsideGroups) {
        beginUndoGrouping();
        if (groupsByEvent_) {
            eventGroupOpen_ = true;
            ++openEventGroups_;
        }
    }
    open_.entries.push_back(Entry{target, std::move(action)});
    // Without grouping by event, a registration outside any group is a step
    // of its own.
    if (outsideGroups && !groupsByEvent_) endUndoGrouping();
}

void UndoManager::beginUndoGrouping() {
    if (level_++ == 0 && hasPendingName_ && mode_ == Mode::Normal) {
        open_.name = std::move(pendingName_);
        hasPendingName_ = false;
    }
}

void UndoManager::endUndoGrouping() {
    if (level_ == 0) {
        AssertionHandler::currentHandler().handleFailureInMethod("endUndoGrouping", this,
                                                                 "endUndoGrouping without beginUndoGrouping");
    }
    if (--level_ == 0) closeOutermostGroup();
}

void UndoManager::closeOutermostGroup() {
    if (eventGroupOpen_) {
        eventGroupOpen_ = false;
        --openEventGroups_;
    }
    Group group = std::exchange(open_, Group{});
    if (group.entries.empty()) return;
    switch (mode_) {
    case Mode::Undoing: redoStack_.push_back(std::move(group)); return;
    case Mode::Redoing: undoStack_.push_back(std::move(group)); return;
    case Mode::Normal: break;
    }
    undoStack_.push_back(std::move(group));
    closedThisEvent_ = true;
    eventStateSet_ = true;
    NotificationCenter::defaultCenter().postNotificationName(kUndoManagerDidCloseUndoGroupNotification, this);
}

void UndoManager::endEventGroup() {
    if (eventGroupOpen_ && level_ == 1) endUndoGrouping();
}

void UndoManager::endEventGroups() {
    if (!needsEventEnd()) return;
    if (openEventGroups_ > 0) {
        // Closing may post notifications whose observers make new managers or
        // close others: walk a copy, and check each one is still alive.
        const std::vector<UndoManager*> managers = allManagers();
        for (UndoManager* manager : managers) {
            if (std::find(allManagers().begin(), allManagers().end(), manager) != allManagers().end())
                manager->endEventGroup();
        }
    }
    // What was named or closed belongs to the event just handled.
    eventStateSet_ = false;
    for (UndoManager* manager : allManagers()) {
        manager->closedThisEvent_ = false;
        manager->hasPendingName_ = false;
        manager->pendingName_.clear();
    }
}

void UndoManager::setActionName(std::string name) {
    if (level_ > 0) {
        open_.name = std::move(name);
    } else if (mode_ == Mode::Undoing) {
        if (!redoStack_.empty()) redoStack_.back().name = std::move(name);
    } else if (closedThisEvent_ && !undoStack_.empty()) {
        undoStack_.back().name = std::move(name);
    } else {
        pendingName_ = std::move(name);
        hasPendingName_ = true;
        eventStateSet_ = true;
    }
}

std::string UndoManager::undoActionName() const {
    if (level_ > 0 && mode_ == Mode::Normal && !open_.entries.empty()) return open_.name;
    return undoStack_.empty() ? std::string() : undoStack_.back().name;
}

std::string UndoManager::redoActionName() const {
    return redoStack_.empty() ? std::string() : redoStack_.back().name;
}

std::string UndoManager::undoMenuItemTitle() const { return titled("Undo", canUndo() ? undoActionName() : ""); }

std::string UndoManager::redoMenuItemTitle() const { return titled("Redo", canRedo() ? redoActionName() : ""); }

bool UndoManager::canUndo() const {
    return !undoStack_.empty() || (mode_ == Mode::Normal && eventGroupOpen_ && !open_.entries.empty());
}

bool UndoManager::canRedo() const { return !redoStack_.empty(); }

void UndoManager::undo() { run(undoStack_, Mode::Undoing, kUndoManagerDidUndoChangeNotification); }

void UndoManager::redo() { run(redoStack_, Mode::Redoing, kUndoManagerDidRedoChangeNotification); }

void UndoManager::run(std::vector<Group>& from, Mode mode, std::string_view notification) {
    endEventGroup();
    if (level_ > 0) {
        AssertionHandler::currentHandler().handleFailureInMethod(mode == Mode::Undoing ? "undo" : "redo", this,
                                                                 "undo or redo with an undo group still open");
    }
    if (from.empty() || mode_ != Mode::Normal) return;
    Group step = std::move(from.back());
    from.pop_back();
    ++generation_;
    mode_ = mode;
    beginUndoGrouping();
    open_.name = step.name;
    // Whatever happens, the step's own group closes and the manager is back
    // to normal; a call that fails drops the calls after it.
    struct Finish {
        UndoManager* manager;
        ~Finish() {
            manager->level_ = 1;
            manager->endUndoGrouping();
            manager->mode_ = Mode::Normal;
        }
    };
    {
        Finish finish{this};
        for (auto entry = step.entries.rbegin(); entry != step.entries.rend(); ++entry) entry->action();
    }
    NotificationCenter::defaultCenter().postNotificationName(notification, this);
}

void UndoManager::enableUndoRegistration() {
    if (disabled_ == 0) {
        AssertionHandler::currentHandler().handleFailureInMethod(
            "enableUndoRegistration", this, "enableUndoRegistration without disableUndoRegistration");
    }
    --disabled_;
}

void UndoManager::removeAllActions() {
    ++generation_;
    undoStack_.clear();
    redoStack_.clear();
    open_.entries.clear();
}

void UndoManager::removeAllActionsWithTarget(const void* target) {
    ++generation_;
    const auto fromGroup = [target](Group& group) {
        std::erase_if(group.entries, [target](const Entry& entry) { return entry.target == target; });
    };
    const auto fromStack = [&](std::vector<Group>& stack) {
        for (Group& group : stack) fromGroup(group);
        std::erase_if(stack, [](const Group& group) { return group.entries.empty(); });
    };
    fromStack(undoStack_);
    fromStack(redoStack_);
    fromGroup(open_);
}

void UndoManager::removeAllActionsWithTargetEverywhere(const void* target) {
    for (UndoManager* manager : allManagers()) manager->removeAllActionsWithTarget(target);
}

} // namespace cogbook
