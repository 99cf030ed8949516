#include "document/ZRSWBikeDetailsSheet.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

#include "ui_ZRSWBikeDetails.h"

namespace cogbook {

ZRSWBikeDetailsSheet::ZRSWBikeDetailsSheet(QWidget* window) : window_(window) {}

ZRSWBikeDetailsSheet::~ZRSWBikeDetailsSheet() {
    // A sheet whose window has gone went with it. Ending with its owner, it
    // hands nothing over.
    completion_ = nullptr;
    delete sheet_.data();
}

void ZRSWBikeDetailsSheet::loadSheet() {
    auto* sheet = new QDialog(window_);
    Ui::ZRSWBikeDetails ui;
    ui.setupUi(sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet_ = sheet;
    nameField_ = ui.nameField;
    descriptionField_ = ui.descriptionField;
    notesField_ = ui.notesField;
    okayButton_ = ui.okayButton;
    cancelButton_ = ui.cancelButton;
    connect(okayButton_, &QPushButton::clicked, sheet, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, sheet, &QDialog::reject);
    connect(sheet, &QDialog::finished, this, &ZRSWBikeDetailsSheet::sheetDidEnd);
}

bool ZRSWBikeDetailsSheet::isShowing() const { return sheet_ && sheet_->isVisible(); }

void ZRSWBikeDetailsSheet::beginSheet(const QString& name, const BikeDetails& details, Completion completion) {
    if (isShowing()) {
        sheet_->raise();
        sheet_->activateWindow();
        return;
    }
    if (!sheet_) loadSheet();
    nameField_->setText(name);
    nameField_->setCursorPosition(0);
    descriptionField_->setText(details.description);
    descriptionField_->selectAll();
    notesField_->setPlainText(details.notes);
    completion_ = std::move(completion);
    descriptionField_->setFocus();
    sheet_->open();
}

void ZRSWBikeDetailsSheet::sheetDidEnd(int result) {
    // Taken before it runs: what it does may begin the sheet again.
    Completion completion = std::exchange(completion_, nullptr);
    if (result != QDialog::Accepted || !completion) return;
    completion(BikeDetails{descriptionField_->text(), notesField_->toPlainText()});
}

} // namespace cogbook
