#include "document/ZRSWBikeDetailsSheet.h"

#include <QRegularExpressionValidator>

#include <algorithm>
#include <utility>

#include "document/service_columns.h"
#include "foundation/hooks.h"

#include "ui_ZRSWBikeDetails.h"

namespace cogbook {

ZRSWBikeDetailsSheet::ZRSWBikeDetailsSheet(QWidget* window) : WindowModalSheet(window) {}

WindowModalSheet::Buttons ZRSWBikeDetailsSheet::loadInterface(QDialog* sheet) {
    Ui::ZRSWBikeDetails ui;
    ui.setupUi(sheet);
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
    return {ui.okayButton, ui.cancelButton};
}

void ZRSWBikeDetailsSheet::beginSheet(const QString& name, const BikeDetails& details, Completion completion) {
    if (bringForwardOrLoad()) return;
    nameField_->setText(name);
    nameField_->setCursorPosition(0);
    descriptionField_->setText(details.description);
    descriptionField_->selectAll();
    notesField_->setPlainText(details.notes);
    unitField_->setCurrentIndex(std::max(0, unitField_->findData(details.distanceUnit)));
    currencyField_->setEditText(details.currency);
    problemLabel_->clear();
    problemLabel_->hide();
    descriptionField_->setFocus();
    openSheet([this, completion = std::move(completion)] {
        completion(BikeDetails{descriptionField_->text(), notesField_->toPlainText(),
                               unitField_->currentData().toString(), currencyField_->currentText().trimmed().toUpper()});
    });
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
    endWithOkay();
}

} // namespace cogbook
