#include "app/ZRSWSheetManager.h"

namespace cogbook {

ZRSWSheetManager::ZRSWSheetManager(QWidget* sheetWindow) : window_(sheetWindow) {}

ZRSWSheetManager::~ZRSWSheetManager() {
    // A sheet whose window has gone went with it.
    delete sheet_.data();
}

void ZRSWSheetManager::setSheet(QDialog* sheet, QPushButton* okayButton, QPushButton* cancelButton) {
    sheet_ = sheet;
    okayButton_ = okayButton;
    cancelButton_ = cancelButton;
    sheet->setWindowModality(Qt::WindowModal);
    connect(okayButton, &QPushButton::clicked, this, [this] { closeSheet(okayButton_); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { closeSheet(cancelButton_); });
}

void ZRSWSheetManager::runTheSheet() {
    if (!sheet_) return;
    cancelled_ = sheet_->exec() != QDialog::Accepted;
    sheet_->hide();
}

void ZRSWSheetManager::closeSheet(QObject* sender) {
    cancelled_ = sender == cancelButton_;
    if (!sheet_) return;
    if (cancelled_) {
        sheet_->reject();
    } else {
        sheet_->accept();
    }
}

} // namespace cogbook
