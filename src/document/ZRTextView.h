// The text editor of outline cells: a frameless one-line editor, one for the
// cells of every document window. Which keys end an edit (Return, Tab and
// Backtab) and what Escape does is the outline's business, which watches
// whatever editor it is lent; the typing history while an edit lasts is the
// line edit's own.
#pragma once

#include <QLineEdit>

namespace cogbook {

class ZRTextView : public QLineEdit {
    Q_OBJECT
public:
    explicit ZRTextView(QWidget* parent = nullptr);
};

// The one editor of the outline cells of every document window, made on
// first use and kept for the rest of the run.
ZRTextView* _tableCellFieldEditor();

} // namespace cogbook
