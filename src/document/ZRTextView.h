// The text editor of outline cells: a one-line field editor (Return, Tab and
// Backtab end the edit rather than becoming text) that keeps an undo history
// of its own typing while an edit lasts.
#pragma once

#include <QLineEdit>

namespace cogbook {

class ZRTextView : public QLineEdit {
    Q_OBJECT
public:
    explicit ZRTextView(QWidget* parent = nullptr);
};

} // namespace cogbook
