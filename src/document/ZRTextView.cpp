#include "document/ZRTextView.h"

namespace cogbook {

ZRTextView::ZRTextView(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setObjectName(QStringLiteral("cellFieldEditor"));
}

} // namespace cogbook
