// Editing an outline view's cells in place: the editor each cell opens, how
// an edit ends, and what the view does when it has ended.
#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

#include <algorithm>

#include "foundation/hooks.h"
#include "platform/date_picker.h"
#include "platform/date_text.h"
#include "platform/document.h"
#include "platform/outline_item_model.h"
#include "platform/outline_view.h"

namespace cogbook {
namespace {

constexpr const char* kInitialTextProperty = "platformInitialText";
// Set on editors the window lent: they are never deleted by a cell.
constexpr const char* kLentProperty = "platformLentEditor";

OutlineView* viewOfViewport(QWidget* viewport) {
    return viewport ? qobject_cast<OutlineView*>(viewport->parentWidget()) : nullptr;
}

// The editor the view's window lends for the view, if its document has one.
QLineEdit* lentFieldEditor(OutlineView* view) {
    auto* window = qobject_cast<DocumentWindow*>(view->window());
    Document* document = window ? window->document() : nullptr;
    return document ? document->windowWillReturnFieldEditorToObject(window, view) : nullptr;
}

QDateTime withDay(const QDateTime& old, QDate day) {
    const QDateTime local = old.isValid() ? old.toLocalTime() : QDateTime();
    const QTime time = local.isValid() ? local.time() : QTime(12, 0);
    return QDateTime(day, time);
}

// A day picked from the calendar is typed into the field and committed, as
// if the user had typed it and left the cell.
void commitPickedDay(QLineEdit* field, QDate day) {
    OutlineView* view = OutlineView::viewEditingWith(field);
    if (view == nullptr) return;
    field->setText(editingTextForDate(day, QLocale()));
    view->endEditing();
}

// Says, under the editor, why its text was refused; the editor keeps it as
// its tool tip while the edit stays open.
void explainRefusal(QWidget* editor, const QString& why) {
    if (why.isEmpty()) return;
    editor->setToolTip(why);
    QToolTip::showText(editor->mapToGlobal(QPoint(0, editor->height())), why, editor);
}

} // namespace

void OutlineViewDataSource::outlineViewSetObjectValueForTableColumnByItem(OutlineView*, const QVariant&,
                                                                          const TableColumn&, void*) {}

// ---------------------------------------------------------------------------
// TextFieldCell

QWidget* TextFieldCell::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    OutlineView* view = viewOfViewport(parent);
    if (view == nullptr) return nullptr;
    // One edit at a time: the open one ends first, and stays if it cannot.
    if (view->currentEditor() != nullptr && !view->endEditing()) return nullptr;
    QLineEdit* editor = lentFieldEditor(view);
    const bool lent = editor != nullptr;
    if (lent) {
        // The lent editor may still be at work in another view.
        if (OutlineView* other = OutlineView::viewEditingWith(editor); other != nullptr && other != view) {
            if (!other->endEditing()) other->abortEditing();
        }
        editor->setParent(parent);
        editor->setProperty(kLentProperty, true);
    } else {
        editor = new QLineEdit(parent);
    }
    editor->setFrame(false);
    view->editorOpened(editor, index, lent);
    return editor;
}

void TextFieldCell::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (OutlineView* view = OutlineView::viewEditingWith(editor)) view->editorClosing(editor);
    // A lent editor is only hidden: it serves the next edit, here or in
    // another view.
    if (editor->property(kLentProperty).toBool()) return;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TextFieldCell::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QVariant value = index.data(Qt::EditRole);
    const bool isDate = value.typeId() == QMetaType::QDateTime;
    QString text;
    if (isDate) {
        const QDateTime date = value.toDateTime();
        text = date.isValid() ? editingTextForDate(date.toLocalTime().date(), QLocale()) : QString();
    } else {
        text = value.toString();
    }
    // A lent editor serves every column: the calendar only for dates.
    DatePicker* picker = DatePicker::of(line);
    if (isDate && picker == nullptr) {
        picker = new DatePicker(line);
        connect(picker, &DatePicker::dayChosen, line, [line](QDate day) { commitPickedDay(line, day); });
    }
    if (picker != nullptr) {
        picker->setActive(isDate);
        if (isDate) picker->setFallbackDay(value.toDateTime().toLocalTime().date());
    }
    line->setToolTip(QString());
    line->setText(text);
    line->setProperty(kInitialTextProperty, text);
}

std::optional<QVariant> TextFieldCell::objectValueForEditor(const QWidget* editor, const QModelIndex& index) const {
    const auto* line = qobject_cast<const QLineEdit*>(editor);
    if (line == nullptr) return std::nullopt;
    const QString text = line->text();
    const QVariant old = index.data(Qt::EditRole);
    if (old.typeId() != QMetaType::QDateTime) return QVariant(text);
    // The text as it was given: the value as it was, to the last fraction.
    if (text == line->property(kInitialTextProperty).toString()) return old;
    const std::optional<QDate> day = dateFromEditingText(text, QLocale());
    if (!day) return std::nullopt;
    const QDateTime oldDate = old.toDateTime();
    if (oldDate.isValid() && oldDate.toLocalTime().date() == *day) return old;
    return QVariant(withDay(oldDate, *day));
}

QString TextFieldCell::refusalForEditor(const QWidget*, const QModelIndex& index) const {
    if (index.data(Qt::EditRole).typeId() != QMetaType::QDateTime) return {};
    return dateTypingHint(QLocale());
}

bool TextFieldCell::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    OutlineView* view = editor ? OutlineView::viewEditingWith(editor) : nullptr;
    if (view == nullptr) return QStyledItemDelegate::eventFilter(object, event);

    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Cancel)) {
            view->abortEditing();
            return true;
        }
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: view->endEditingWithMovement(kTextMovementReturn); return true;
        case Qt::Key_Tab: view->endEditingWithMovement(kTextMovementTab); return true;
        case Qt::Key_Backtab: view->endEditingWithMovement(kTextMovementBacktab); return true;
        default: return false;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // A menu or popup opening over the edit leaves it open; its command
        // ends the edit if it needs to.
        if (reason == Qt::PopupFocusReason) return false;
        for (QWidget* focus = QApplication::focusWidget(); focus != nullptr; focus = focus->parentWidget()) {
            if (focus == editor) return false;
        }
        // The cell is left: the edit ends, and text that is no value is
        // dropped with a beep (the old value stays).
        if (!view->endEditing()) view->abortEditing();
        return false;
    }
    return false;
}

// ---------------------------------------------------------------------------
// OutlineView

void OutlineView::editorOpened(QWidget* editor, const QModelIndex& index, bool lent) {
    editor_ = editor;
    editedIndex_ = index;
    if (lent) lentEditor_ = editor;
}

void OutlineView::editorClosing(const QWidget* editor) {
    if (editor_ != editor) return;
    if (!editor_->toolTip().isEmpty()) {
        editor_->setToolTip(QString());
        QToolTip::hideText();
    }
    // A calendar still open has no edit left to take its day.
    if (DatePicker* picker = DatePicker::of(qobject_cast<QLineEdit*>(editor_.data()))) picker->close();
    editor_ = nullptr;
    editedIndex_ = QPersistentModelIndex();
}

OutlineView* OutlineView::viewEditingWith(const QWidget* editor) {
    if (editor == nullptr) return nullptr;
    for (QWidget* above = editor->parentWidget(); above != nullptr; above = above->parentWidget()) {
        if (auto* view = qobject_cast<OutlineView*>(above)) return view->editor_ == editor ? view : nullptr;
    }
    return nullptr;
}

int OutlineView::editedColumn() const {
    if (editor_ == nullptr || !editedIndex_.isValid()) return -1;
    return header()->visualIndex(editedIndex_.column());
}

long OutlineView::editedRow() const {
    if (editor_ == nullptr || !editedIndex_.isValid()) return kOutlineNoRow;
    return rowForItem(itemForIndex(editedIndex_));
}

bool OutlineView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == QAbstractItemView::EditKeyPressed && index.isValid()) {
        const QModelIndex outlineCell = index.siblingAtColumn(std::max(0, treePosition()));
        if (outlineCell.isValid() && outlineCell != index) {
            selectionModel()->setCurrentIndex(outlineCell, QItemSelectionModel::NoUpdate);
            return QTreeView::edit(outlineCell, trigger, event);
        }
    }
    return QTreeView::edit(index, trigger, event);
}

void OutlineView::editColumnRowWithEventSelect(int column, long row, QEvent* event, bool select) {
    if (!endEditing()) return;
    const int logical = header()->logicalIndex(column);
    const QModelIndex index = indexForItem(itemAtRow(row), logical);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEditable)) return;
    scrollTo(index);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    if (!edit(index, QAbstractItemView::AllEditTriggers, event)) return;
    if (auto* line = qobject_cast<QLineEdit*>(editor_.data())) {
        if (select) {
            line->selectAll();
        } else {
            line->deselect();
        }
    }
}

bool OutlineView::endEditingWithMovement(int movement) {
    QWidget* editor = editor_;
    if (editor == nullptr) return true;
    const auto* cell = qobject_cast<const TextFieldCell*>(itemDelegateForIndex(editedIndex_));
    if (cell == nullptr || !editedIndex_.isValid()) {
        beep();
        return false;
    }
    if (!cell->objectValueForEditor(editor, editedIndex_)) {
        beep();
        explainRefusal(editor, cell->refusalForEditor(editor, editedIndex_));
        return false;
    }
    textDidEndEditing(TextNotification{QLatin1String(kTextDidEndEditingNotification), editor,
                                       QVariantMap{{QLatin1String(kTextMovementKey), movement}}});
    return true;
}

void OutlineView::abortEditing() {
    if (QWidget* editor = editor_) {
        const bool hadFocus = editor->hasFocus();
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        editorClosing(editor);
        if (hadFocus) setFocus(Qt::OtherFocusReason);
    }
}

void OutlineView::textDidEndEditing(const TextNotification& notification) {
    QWidget* editor = editor_;
    if (editor == nullptr || notification.object != editor) return;
    const QModelIndex index = editedIndex_;
    const auto* cell = qobject_cast<const TextFieldCell*>(itemDelegateForIndex(index));
    const std::optional<QVariant> value = cell ? cell->objectValueForEditor(editor, index) : std::nullopt;
    const OutlineNode* node = model_->nodeForIndex(index);
    // The item stays alive through the commit, whatever the data source does.
    const OutlineItem item = node ? node->item : nullptr;
    const int logical = index.column();
    const bool hadFocus = editor->hasFocus();
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    editorClosing(editor);
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    if (!item || !value || logical < 0 || static_cast<std::size_t>(logical) >= columns_.size()) return;
    if (dataSource_ != nullptr) {
        dataSource_->outlineViewSetObjectValueForTableColumnByItem(this, *value,
                                                                  *columns_[static_cast<std::size_t>(logical)],
                                                                  item.get());
    }

    QModelIndex next;
    switch (notification.userInfo.value(QLatin1String(kTextMovementKey)).toInt()) {
    case kTextMovementReturn: {
        const long row = rowForItem(item.get());
        if (row != kOutlineNoRow) next = indexForItem(itemAtRow(row + 1), logical);
        break;
    }
    case kTextMovementTab: next = neighbourEditableCell(item.get(), logical, true); break;
    case kTextMovementBacktab: next = neighbourEditableCell(item.get(), logical, false); break;
    default: break;
    }
    if (next.isValid() && (next.flags() & Qt::ItemIsEditable)) {
        editColumnRowWithEventSelect(header()->visualIndex(next.column()), rowForItem(itemForIndex(next)), nullptr,
                                     true);
    }
}

QModelIndex OutlineView::neighbourEditableCell(const void* item, int logical, bool forward) const {
    long row = rowForItem(item);
    if (row == kOutlineNoRow) return {};
    const int columns = header()->count();
    int visual = header()->visualIndex(logical);
    const int step = forward ? 1 : -1;
    for (;;) {
        visual += step;
        if (visual < 0 || visual >= columns) {
            row += step;
            if (row < 0 || row >= numberOfRows()) return {};
            visual = forward ? 0 : columns - 1;
        }
        // A hidden column's cells are not there to be edited.
        if (header()->isSectionHidden(header()->logicalIndex(visual))) continue;
        const QModelIndex candidate = indexForItem(itemAtRow(row), header()->logicalIndex(visual));
        if (candidate.isValid() && (candidate.flags() & Qt::ItemIsEditable)) return candidate;
    }
}

} // namespace cogbook
