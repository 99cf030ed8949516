// The sheet over a document window that edits the bike's own description and
// notes; its name is shown but not edited (saving names the bike after its
// file), with the record's distance unit and currency. The sheet is
// window-modal and returns at once; OK hands the edited details to the caller
// (refused with a beep while the currency is no code), Cancel (or Escape)
// hands over nothing.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

#include <functional>

#include "document/window_modal_sheet.h"

namespace cogbook {

struct BikeDetails {
    QString description;
    QString notes;
    // "km" or "mi"; a currency code of three capital letters, or empty for
    // none.
    QString distanceUnit = QStringLiteral("km");
    QString currency;
};

class ZRSWBikeDetailsSheet : public WindowModalSheet {
    Q_OBJECT
public:
    explicit ZRSWBikeDetailsSheet(QWidget* window);

    using Completion = std::function<void(const BikeDetails&)>;
    // Shows NAME and DETAILS over the window; COMPLETION runs when the user
    // chooses OK. A sheet already showing is brought forward, unchanged.
    void beginSheet(const QString& name, const BikeDetails& details, Completion completion);

    QLineEdit* nameField() const { return nameField_; }
    QLineEdit* descriptionField() const { return descriptionField_; }
    QPlainTextEdit* notesField() const { return notesField_; }
    QComboBox* unitField() const { return unitField_; }
    QComboBox* currencyField() const { return currencyField_; }
    QLabel* problemLabel() const { return problemLabel_; }

protected:
    Buttons loadInterface(QDialog* sheet) override;
    // Refused while the currency is no code.
    void okay() override;

private:
    QPointer<QLineEdit> nameField_;
    QPointer<QLineEdit> descriptionField_;
    QPointer<QPlainTextEdit> notesField_;
    QPointer<QComboBox> unitField_;
    QPointer<QComboBox> currencyField_;
    QPointer<QLabel> problemLabel_;
};

} // namespace cogbook
