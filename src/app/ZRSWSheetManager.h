// A sheet with OK and Cancel, run window-modally on a window until one of
// its buttons (or Return or Escape) ends it.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QPushButton>

namespace cogbook {

class ZRSWSheetManager : public QObject {
    Q_OBJECT
public:
    // The sheet runs on WINDOW.
    explicit ZRSWSheetManager(QWidget* sheetWindow);
    ~ZRSWSheetManager() override;

    // Runs the sheet until closeSheet ends it (Escape counts as Cancel), then
    // hides it.
    void runTheSheet();
    // Ends the sheet; cancelled when SENDER is the Cancel button.
    virtual void closeSheet(QObject* sender);
    bool cancelled() const { return cancelled_; }

    QDialog* sheet() const { return sheet_; }
    QPushButton* okayButton() const { return okayButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

protected:
    // Takes the loaded sheet and its buttons, and wires the buttons.
    void setSheet(QDialog* sheet, QPushButton* okayButton, QPushButton* cancelButton);
    QWidget* window() const { return window_; }

private:
    QPointer<QWidget> window_;
    QPointer<QPushButton> okayButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QDialog> sheet_;
    bool cancelled_ = false;
};

} // namespace cogbook
