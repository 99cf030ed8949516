#include "document/ZRSWBikeDetailsSheet.h"

#include <QDialog>
#include <QRegularExpressionValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <utility>

#include "document/service_columns.h"
#include "foundation/hooks.h"

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
    unitField_ = ui.unitField;
    currencyField_ = ui.currencyField;
    problemLabel_ = ui.problemLabel;
    problemLabel_->hide();
    unitField_->addItem(tr("Kilometres (km)"), QStringLiteral("km"));
    unitField_->addItem(tr("Miles (mi)"), QStringLiteral("mi"));
    currencyField_->addItem(QString());
    currencyField_->addItems(commonCurrencyCodes());
    currencyField_->lineEdit()->setPlaceholderText(tr("local currency"));
    currencyField_->lineEdit()->setAccessibleName(tr("Currency"));
    // Letters only, at most three; capitals as they are typed.
    currencyField_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z]{0,3}")), currencyField_));
    connect(currencyField_->lineEdit(), &QLineEdit::textEdited, currencyField_, [this](const QString& text) {
        if (text != text.toUpper()) {
            const int cursor = currencyField_->lineEdit()->cursorPosition();
            currencyField_->lineEdit()->setText(text.toUpper());
            currencyField_->lineEdit()->setCursorPosition(cursor);
        }
    });
    okayButton_ = ui.okayButton;
    cancelButton_ = ui.cancelButton;
    connect(okayButton_, &QPushButton::clicked, this, &ZRSWBikeDetailsSheet::okay);
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
    unitField_->setCurrentIndex(std::max(0, unitField_->findData(details.distanceUnit)));
    currencyField_->setEditText(details.currency);
    problemLabel_->clear();
    problemLabel_->hide();
    okayed_ = false;
    completion_ = std::move(completion);
    descriptionField_->setFocus();
    sheet_->open();
}

void ZRSWBikeDetailsSheet::okay() {
    const QString currency = currencyField_->currentText().trimmed().toUpper();
    if (!currency.isEmpty() && !isCurrencyCode(currency)) {
        beep();
        problemLabel_->setText(tr("A currency is a code of three letters, such as EUR, or nothing."));
        problemLabel_->show();
        currencyField_->setFocus();
        return;
    }
    okayed_ = true;
    sheet_->accept();
}

void ZRSWBikeDetailsSheet::sheetDidEnd(int result) {
    // Taken before it runs: what it does may begin the sheet again.
    Completion completion = std::exchange(completion_, nullptr);
    if (result != QDialog::Accepted || !completion || !std::exchange(okayed_, false)) return;
    completion(BikeDetails{descriptionField_->text(), notesField_->toPlainText(), unitField_->currentData().toString(),
                           currencyField_->currentText().trimmed().toUpper()});
}

} // namespace cogbook
