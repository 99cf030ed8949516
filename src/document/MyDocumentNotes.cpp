// The notes pane: it shows the selected item's notes, and what is typed is
// written to the item at once; typing within a moment of the last change is
// one undo step.
#include "document/MyDocument.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>

#include "document/document_support.h"
#include "foundation/hooks.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"
#include "platform/text_wrapping.h"

namespace cogbook {

using namespace document_support;

namespace {

// Keys that would change the text of the notes pane.
bool editsText(const QKeyEvent* key) {
    if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) ||
        key->matches(QKeySequence::Delete) || key->matches(QKeySequence::DeleteEndOfWord) ||
        key->matches(QKeySequence::DeleteStartOfWord) || key->matches(QKeySequence::DeleteEndOfLine)) {
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab: return true;
    default: break;
    }
    const QString text = key->text();
    return !text.isEmpty() && text.front().isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

const ZRBicycleList* MyDocument::itemShownInNotes() const {
    if (!bikeTable_ || bikeTable_->numberOfSelectedRows() != 1) return nullptr;
    return static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
}

void MyDocument::setNotesViewText(const QString& text) {
    if (!notesView_ || notesView_->toPlainText() == text) return;
    settingNotes_ = true;
    setPlainTextWrapped(*notesView_, text);
    settingNotes_ = false;
}

void MyDocument::outlineViewSelectionDidChange() {
    if (!notesView_ || !bikeTable_) return;
    const bool one = bikeTable_->numberOfSelectedRows() == 1;
    notesView_->setReadOnly(!one);
    if (one) {
        showNotesForItem(static_cast<const ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow())));
    } else {
        setNotesViewText(QString());
    }
}

void MyDocument::showNotesForItem(const ZRBicycleList* item) {
    if (item != nullptr) setNotesViewText(QString::fromStdString(item->notes()));
}

bool MyDocument::textShouldBeginEditing() {
    if (bikeTable_ && bikeTable_->numberOfSelectedRows() == 1) return true;
    beep();
    return false;
}

void MyDocument::textDidChange() {
    const double timestamp = currentEventTimestamp();
    // Typing joins the notes step only while that is still the latest thing
    // in the history and changes the same item: after an undo, a redo or any
    // other change it would be recorded nowhere (and a redo could write over
    // it), and another item's notes would not be put back by its undo.
    const UndoManager& history = undoManager();
    const bool stepIsLatest = &history == notesStepManager_ && history.generation() == notesStepGeneration_ &&
                              itemShownInNotes() == notesStepItem_;
    _logNotesViewStringWithUndo(timestamp - lastTimeNotesViewTextChanged_ > kNotesUndoCoalescingInterval ||
                                !stepIsLatest);
    lastTimeNotesViewTextChanged_ = timestamp;
}

void MyDocument::textDidEndEditing() { _logNotesViewStringWithUndo(false); }

MyDocument& MyDocument::_logNotesViewStringWithUndo(bool withUndo) {
    if (!bikeTable_ || !notesView_ || bikeTable_->numberOfSelectedRows() != 1) return *this;
    if (withUndo) undoManager().setActionName("Notes Change");
    const std::string notes = notesView_->toPlainText().toStdString();
    auto* item = static_cast<ZRBicycleList*>(bikeTable_->itemAtRow(bikeTable_->selectedRow()));
    if (item != nullptr) _newNotesForItemWithUndo(notes, item->shared_from_this(), withUndo);
    return *this;
}

void MyDocument::_newNotesForItemWithUndo(const std::string& notes, const ZRBicycleListPtr& item, bool withUndo) {
    const bool markerChanges = item->notes().empty() != notes.empty();
    if (withUndo) {
        UndoManager& history = undoManager();
        history.registerUndoWithTarget(undoTarget(), [this, old = item->notes(), item] {
            _newNotesForItemWithUndo(old, item, true);
        });
        if (!history.isUndoing() && !history.isRedoing()) {
            notesStepManager_ = &history;
            notesStepGeneration_ = history.generation();
            notesStepItem_ = item.get();
        }
    }
    item->setNotes(notes);
    // Most keystrokes add to a step already open, which announces nothing:
    // the views that show notes are told here.
    noteNotesChanged(item);
    // Undo and redo change the notes behind the pane's back: the pane shows
    // what the item holds, or the next keystroke would write the old text
    // back over them.
    if (item.get() == itemShownInNotes() && notesView_ && notesView_->toPlainText().toStdString() != notes) {
        setNotesViewText(QString::fromStdString(notes));
        notesView_->moveCursor(QTextCursor::End);
    }
    if (markerChanges && bikeTable_) bikeTable_->viewport()->update();
}

void MyDocument::noteNotesChanged(const ZRBicycleListPtr& item) {
    // Notes alone so far in this event's change, or a change of anything.
    std::optional<std::vector<ZRBicycleListPtr>> notes =
        recordChangePending_ ? std::move(changedNotesOnly_) : std::vector<ZRBicycleListPtr>{};
    // What is due and the costs do not depend on notes.
    noteRecordChanged(false);
    changedNotesOnly_ = std::move(notes);
    if (!changedNotesOnly_) return;
    if (std::find(changedNotesOnly_->begin(), changedNotesOnly_->end(), item) == changedNotesOnly_->end())
        changedNotesOnly_->push_back(item);
}

bool MyDocument::eventFilter(QObject* watched, QEvent* event) {
    if (watched != notesView_) return Document::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // Undo and Redo are the document's, also while typing notes.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->ignore();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
        if (notesView_->isReadOnly() && editsText(static_cast<QKeyEvent*>(event))) {
            textShouldBeginEditing();
            return true;
        }
        return false;
    case QEvent::FocusOut: textDidEndEditing(); return false;
    default: return false;
    }
}

} // namespace cogbook
