// A bar across the top of a window's content with a short message, buttons
// for what the message offers, and a close button: news the user may act on
// or ignore. It never takes the keyboard when it appears; Escape, while the
// keyboard is in the bar, dismisses it, as the close button does.
#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QMainWindow;
class QPushButton;
class QToolButton;

namespace cogbook {

class MessageBar : public QFrame {
    Q_OBJECT
public:
    // DISMISSABLE false: no close button and no Escape; the bar goes only
    // when the caller hides it (a choice the user must make).
    explicit MessageBar(QWidget* parent = nullptr, bool dismissable = true);

    // A hidden bar placed above WINDOW's content, named ACCESSIBLENAME.
    static MessageBar* installIn(QMainWindow* window, const QString& accessibleName);
    // Places BAR, hidden, above WINDOW's content.
    static void placeIn(QMainWindow* window, MessageBar* bar);

    // A button before the close button; its click is the caller's to connect.
    QPushButton* addButton(const QString& text, const QString& accessibleName);
    QToolButton* closeButton() const { return close_; }

    // Shows TEXT, leaving the keyboard where it is.
    void showMessage(const QString& text);
    QString message() const;
    // Hidden by the user (or the caller) until the next showMessage.
    void dismiss();

signals:
    // HADKEYBOARD: the keyboard was in the bar (and went on to the next
    // control of the window).
    void dismissed(bool hadKeyboard);

private:
    QLabel* label_;
    QToolButton* close_;
};

} // namespace cogbook
