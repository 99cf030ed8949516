// Undo and redo as recorded calls. A change registers its inverse (a callable
// on a target that keeps its arguments alive); the registrations made while
// one user event is handled form one step. Undo runs a step's calls in the
// reverse order of registration, and whatever they register meanwhile
// becomes the redo step; redo is the mirror image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cogbook {

// Posted with the manager as the object.
inline constexpr std::string_view kUndoManagerDidCloseUndoGroupNotification =
    "NSUndoManagerDidCloseUndoGroupNotification";
inline constexpr std::string_view kUndoManagerDidUndoChangeNotification = "NSUndoManagerDidUndoChangeNotification";
inline constexpr std::string_view kUndoManagerDidRedoChangeNotification = "NSUndoManagerDidRedoChangeNotification";

class UndoManager {
public:
    using Action = std::function<void()>;

    UndoManager();
    ~UndoManager();
    UndoManager(const UndoManager&) = delete;
    UndoManager& operator=(const UndoManager&) = delete;

    // Records ACTION, a call on TARGET, as the undo of the change being made
    // (as the redo while undoing). Outside an open group this opens one that
    // closes when the current event has been handled. Outside undo and redo
    // it clears the redo steps.
    void registerUndoWithTarget(const void* target, Action action);

    // Explicit groups nest; registrations in a nested group belong to the
    // outermost one, which is the step.
    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return level_; }
    bool groupsByEvent() const { return groupsByEvent_; }
    void setGroupsByEvent(bool groupsByEvent) { groupsByEvent_ = groupsByEvent; }
    // Closes the group this manager opened for the event being handled.
    void endEventGroup();
    // Closes every manager's event group: the current event has been handled.
    static void endEventGroups();
    // Whether the end of the current event has anything to close or forget.
    static bool needsEventEnd() { return openEventGroups_ > 0 || eventStateSet_; }
    static bool anyEventGroupOpen() { return openEventGroups_ > 0; }

    // Names the open group; else the step closed in this event (the redo step
    // while undoing); else the step this event goes on to make.
    void setActionName(std::string name);
    std::string undoActionName() const;
    std::string redoActionName() const;
    // "Undo" or "Redo", followed by a space and the action name if it has one.
    std::string undoMenuItemTitle() const;
    std::string redoMenuItemTitle() const;

    bool canUndo() const;
    bool canRedo() const;
    bool isUndoing() const { return mode_ == Mode::Undoing; }
    bool isRedoing() const { return mode_ == Mode::Redoing; }
    std::size_t undoStepCount() const { return undoStack_.size(); }
    // Moves on whenever the history changes: a change recorded outside undo
    // and redo, an undo, a redo, calls forgotten. Equal values mean nothing
    // came between.
    std::uint64_t generation() const { return generation_; }
    std::size_t redoStepCount() const { return redoStack_.size(); }

    // Closes the event group first. Undo with an explicit group still open is
    // an assertion failure. Nothing to undo (redo) does nothing.
    void undo();
    void redo();

    void disableUndoRegistration() { ++disabled_; }
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return disabled_ == 0; }

    void removeAllActions();
    // Forgets every call on TARGET; steps left empty go.
    void removeAllActionsWithTarget(const void* target);
    // The same in every undo manager there is: TARGET is going away.
    static void removeAllActionsWithTargetEverywhere(const void* target);

private:
    enum class Mode { Normal, Undoing, Redoing };
    struct Entry {
        const void* target;
        Action action;
    };
    struct Group {
        std::string name;
        std::vector<Entry> entries;
    };

    void closeOutermostGroup();
    void run(std::vector<Group>& from, Mode mode, std::string_view notification);

    std::vector<Group> undoStack_;
    std::vector<Group> redoStack_;
    Group open_;
    int level_ = 0;
    bool eventGroupOpen_ = false;
    bool groupsByEvent_ = true;
    int disabled_ = 0;
    Mode mode_ = Mode::Normal;
    std::uint64_t generation_ = 0;
    bool closedThisEvent_ = false;
    bool hasPendingName_ = false;
    std::string pendingName_;

    static int openEventGroups_;
    static bool eventStateSet_;
};

} // namespace cogbook
