// The bar a document window shows when its file was changed on disk while
// the window holds changes of its own: a message, and a choice between the
// file's new version and the window's. It stays until the choice is made.
#pragma once

#include "platform/message_bar.h"

namespace cogbook {

class DiskChangeBar : public MessageBar {
    Q_OBJECT
public:
    explicit DiskChangeBar(QWidget* parent = nullptr);

    // A hidden bar placed above WINDOW's content.
    static DiskChangeBar* installIn(QMainWindow* window);

    QPushButton* reloadButton() const { return reload_; }
    QPushButton* keepMineButton() const { return keepMine_; }

signals:
    void reloadRequested();
    void keepMineRequested();

private:
    QPushButton* reload_;
    QPushButton* keepMine_;
};

} // namespace cogbook
