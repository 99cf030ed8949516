// The sheet over a document window that edits the bike's own description and
// notes; its name is shown but not edited (saving names the bike after its
// file), with the record's distance unit and currency. The sheet is
// window-modal and returns at once; OK hands the edited details to the caller
// (refused with a beep while the currency is no code), Cancel (or Escape)
// hands over nothing.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <functional>

namespace cogbook {

struct BikeDetails {
    QString description;
    QString notes;
    // "km" or "mi"; a currency code of three capital letters, or empty for
    // none.
    QString distanceUnit = QStringLiteral("km");
    QString currency;
};

class ZRSWBikeDetailsSheet : public QObject {
    Q_OBJECT
public:
    explicit ZRSWBikeDetailsSheet(QWidget* window);
    ~ZRSWBikeDetailsSheet() override;

    using Completion = std::function<void(const BikeDetails&)>;
    // Shows NAME and DETAILS over the window; COMPLETION runs when the user
    // chooses OK. A sheet already showing is brought forward, unchanged.
    void beginSheet(const QString& name, const BikeDetails& details, Completion completion);
    bool isShowing() const;

    // Loaded on first use; null before.
    QDialog* sheet() const { return sheet_; }
    QLineEdit* nameField() const { return nameField_; }
    QLineEdit* descriptionField() const { return descriptionField_; }
    QPlainTextEdit* notesField() const { return notesField_; }
    QComboBox* unitField() const { return unitField_; }
    QComboBox* currencyField() const { return currencyField_; }
    QLabel* problemLabel() const { return problemLabel_; }
    QPushButton* okayButton() const { return okayButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void loadSheet();
    void okay();
    void sheetDidEnd(int result);

    QPointer<QWidget> window_;
    QPointer<QDialog> sheet_;
    QPointer<QLineEdit> nameField_;
    QPointer<QLineEdit> descriptionField_;
    QPointer<QPlainTextEdit> notesField_;
    QPointer<QComboBox> unitField_;
    QPointer<QComboBox> currencyField_;
    QPointer<QLabel> problemLabel_;
    QPointer<QPushButton> okayButton_;
    QPointer<QPushButton> cancelButton_;
    Completion completion_;
    bool okayed_ = false;
};

} // namespace cogbook
