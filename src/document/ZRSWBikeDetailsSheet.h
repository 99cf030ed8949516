// The sheet over a document window that edits the bike's own description and
// notes; its name is shown but not edited (saving names the bike after its
// file). The sheet is window-modal and returns at once; OK hands the edited
// details to the caller, Cancel (or Escape) hands over nothing.
#pragma once

#include <QDialog>
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
    QPushButton* okayButton() const { return okayButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

private:
    void loadSheet();
    void sheetDidEnd(int result);

    QPointer<QWidget> window_;
    QPointer<QDialog> sheet_;
    QPointer<QLineEdit> nameField_;
    QPointer<QLineEdit> descriptionField_;
    QPointer<QPlainTextEdit> notesField_;
    QPointer<QPushButton> okayButton_;
    QPointer<QPushButton> cancelButton_;
    Completion completion_;
};

} // namespace cogbook
