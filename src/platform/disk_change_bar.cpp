#include "platform/disk_change_bar.h"

#include <QPushButton>

namespace cogbook {

DiskChangeBar::DiskChangeBar(QWidget* parent)
    : MessageBar(parent, false), reload_(addButton(tr("Re&load"), tr("Reload"))),
      keepMine_(addButton(tr("&Keep Mine"), tr("Keep Mine"))) {
    setAccessibleName(tr("File changed on disk"));
    reload_->setAccessibleDescription(tr("Show the version on disk; the changes in this window are lost"));
    keepMine_->setAccessibleDescription(tr("Keep the changes in this window; saving replaces the version on disk"));
    // The choice is the user's to make, with a click as with the keys.
    reload_->setFocusPolicy(Qt::StrongFocus);
    keepMine_->setFocusPolicy(Qt::StrongFocus);
    connect(reload_, &QPushButton::clicked, this, &DiskChangeBar::reloadRequested);
    connect(keepMine_, &QPushButton::clicked, this, &DiskChangeBar::keepMineRequested);
}

DiskChangeBar* DiskChangeBar::installIn(QMainWindow* window) {
    auto* bar = new DiskChangeBar;
    placeIn(window, bar);
    return bar;
}

} // namespace cogbook
