#include "document/ZRTextView.h"

#include <QPointer>

namespace cogbook {

ZRTextView::ZRTextView(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setObjectName(QStringLiteral("cellFieldEditor"));
}

ZRTextView* _tableCellFieldEditor() {
    // Held weakly: should anything ever delete it, the next call makes another.
    static QPointer<ZRTextView> editor;
    if (!editor) editor = new ZRTextView;
    return editor;
}

} // namespace cogbook
