#include "platform/disk_change_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace cogbook {

DiskChangeBar::DiskChangeBar(QWidget* parent)
    : QFrame(parent), label_(new QLabel(this)), reload_(new QPushButton(tr("Re&load"), this)),
      keepMine_(new QPushButton(tr("&Keep Mine"), this)) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setAccessibleName(tr("File changed on disk"));
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setForegroundRole(QPalette::ToolTipText);
    reload_->setAccessibleName(tr("Reload"));
    reload_->setAccessibleDescription(tr("Show the version on disk; the changes in this window are lost"));
    keepMine_->setAccessibleName(tr("Keep Mine"));
    keepMine_->setAccessibleDescription(tr("Keep the changes in this window; saving replaces the version on disk"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(label_, 1);
    layout->addWidget(reload_);
    layout->addWidget(keepMine_);
    connect(reload_, &QPushButton::clicked, this, &DiskChangeBar::reloadRequested);
    connect(keepMine_, &QPushButton::clicked, this, &DiskChangeBar::keepMineRequested);
    hide();
}

DiskChangeBar* DiskChangeBar::installIn(QMainWindow* window) {
    // The content and the bar share a plain column, so that the window's own
    // layout (menus, tool bars) stays as it was.
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new DiskChangeBar(column);
    layout->addWidget(bar);
    if (QWidget* content = window->takeCentralWidget()) layout->addWidget(content, 1);
    window->setCentralWidget(column);
    return bar;
}

void DiskChangeBar::showMessage(const QString& text) {
    label_->setText(text);
    setAccessibleDescription(text);
    show();
}

QString DiskChangeBar::message() const { return label_->text(); }

} // namespace cogbook
