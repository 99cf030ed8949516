#include "platform/message_bar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace cogbook {

MessageBar::MessageBar(QWidget* parent, bool dismissable)
    : QFrame(parent), label_(new QLabel(this)), close_(new QToolButton(this)) {
    // The look of the window's other bars: a tool tip's colours, which every
    // palette keeps legible.
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setForegroundRole(QPalette::ToolTipText);
    close_->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close_->setAutoRaise(true);
    close_->setToolTip(tr("Close (Esc)"));
    close_->setAccessibleName(tr("Close"));
    close_->setFocusPolicy(Qt::TabFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(label_, 1);
    layout->addWidget(close_);
    if (dismissable) {
        connect(close_, &QToolButton::clicked, this, &MessageBar::dismiss);
        auto* escape =
            new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, this, &MessageBar::dismiss);
    } else {
        close_->setVisible(false);
    }
    hide();
}

MessageBar* MessageBar::installIn(QMainWindow* window, const QString& accessibleName) {
    auto* bar = new MessageBar;
    bar->setAccessibleName(accessibleName);
    placeIn(window, bar);
    return bar;
}

void MessageBar::placeIn(QMainWindow* window, MessageBar* bar) {
    // The content and the bar share a plain column, so that the window's own
    // layout (menus, tool bars, other bars) stays as it was.
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    if (QWidget* content = window->takeCentralWidget()) layout->addWidget(content, 1);
    window->setCentralWidget(column);
}

QPushButton* MessageBar::addButton(const QString& text, const QString& accessibleName) {
    auto* button = new QPushButton(text, this);
    button->setAccessibleName(accessibleName);
    // Reached with Tab; a click does not pull the keys away from the window's content.
    button->setFocusPolicy(Qt::TabFocus);
    auto* row = static_cast<QHBoxLayout*>(layout());
    row->insertWidget(row->indexOf(close_), button);
    return button;
}

void MessageBar::showMessage(const QString& text) {
    label_->setText(text);
    setAccessibleDescription(text);
    show();
}

QString MessageBar::message() const { return label_->text(); }

void MessageBar::dismiss() {
    if (isHidden()) return;
    // Hidden, the bar hands the keys to the window's next control; the
    // caller may want them elsewhere.
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    emit dismissed(hadFocus);
}

} // namespace cogbook
