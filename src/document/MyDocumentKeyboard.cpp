// Where the keys go in the document's window: a frame around the pane that
// has them, Ctrl+Tab and F6 between the outline and the notes, the outline
// back in charge after each command on the record's items, and the hint an
// empty bike shows in the outline.
#include "document/MyDocument.h"

#include <algorithm>
#include <array>

#include "platform/keyboard_focus.h"
#include "platform/legible_colors.h"
#include "platform/responder.h"

namespace cogbook {

void MyDocument::prepareKeyboard() {
    bikeTable_->setAccessibleName(tr("Parts and entries"));
    notesView_->setAccessibleName(tr("Notes"));
    // Framed like any text field, and both panes show when they have the keys.
    notesView_->setFrameShape(QFrame::StyledPanel);
    FocusFrame::attach(bikeTable_);
    FocusFrame::attach(notesView_);
    keepPlaceholderLegible(notesView_);
    installPaneCycle(documentWindow(), {bikeTable_, notesView_});
    bikeTable_->setPlaceholderText(emptyBikeHint());
}

QString MyDocument::emptyBikeHint() const {
    // Named as the menus name it, with its key, whatever they are today.
    QStringList path;
    const QAction* item = registeredMenuItemForAction("addPart:", &path);
    if (item == nullptr) return tr("Add a part with the Add Part command.");
    const QString key = item->shortcut().toString(QKeySequence::NativeText);
    const QString where = path.join(QStringLiteral(" > "));
    return key.isEmpty() ? tr("Add a part with %1.").arg(where) : tr("Add a part with %1 (%2).").arg(where, key);
}

void MyDocument::didPerformAction(std::string_view action) {
    // The text commands act on a text view that has the keys, and leave them there.
    static constexpr std::array<std::string_view, 6> kTextCommands{"cut:", "copy:", "paste:", "delete:", "undo:",
                                                                   "redo:"};
    static constexpr std::array<std::string_view, 6> kItemCommands{
        "addPart:", "addSubpart:", "addEntryForPart:", "addEntryForBike:", "expandAll:", "collapseAll:"};
    const bool textCommand = std::find(kTextCommands.begin(), kTextCommands.end(), action) != kTextCommands.end();
    if (!textCommand && std::find(kItemCommands.begin(), kItemCommands.end(), action) == kItemCommands.end()) return;
    DocumentWindow* window = documentWindow();
    if (ending_ || isClosing() || !bikeTable_ || window == nullptr) return;
    QWidget* focus = window->focusWidget();
    // The outline has them already, or its cell editor (an add opens one).
    if (focus != nullptr && (focus == bikeTable_ || bikeTable_->isAncestorOf(focus))) return;
    if (textCommand && (qobject_cast<QLineEdit*>(focus) != nullptr || qobject_cast<QPlainTextEdit*>(focus) != nullptr))
        return;
    bikeTable_->setFocus(Qt::OtherFocusReason);
}

} // namespace cogbook
