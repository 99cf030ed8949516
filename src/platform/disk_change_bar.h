// The bar a document window shows when its file was changed on disk while
// the window holds changes of its own: a message, and a choice between the
// file's new version and the window's.
#pragma once

#include <QFrame>

class QLabel;
class QMainWindow;
class QPushButton;

namespace cogbook {

class DiskChangeBar : public QFrame {
    Q_OBJECT
public:
    explicit DiskChangeBar(QWidget* parent = nullptr);

    // A hidden bar placed above WINDOW's content.
    static DiskChangeBar* installIn(QMainWindow* window);

    void showMessage(const QString& text);
    QString message() const;
    QPushButton* reloadButton() const { return reload_; }
    QPushButton* keepMineButton() const { return keepMine_; }

signals:
    void reloadRequested();
    void keepMineRequested();

private:
    QLabel* label_;
    QPushButton* reload_;
    QPushButton* keepMine_;
};

} // namespace cogbook
