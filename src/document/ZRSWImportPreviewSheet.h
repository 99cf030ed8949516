// The sheet that shows what an import of service entries from CSV will do
// before anything is done: the entries and where they go, the parts to be
// made, and the rows left out, with their line numbers and why. With rows
// left out, Import stays off until the user chooses to import the good rows
// only. The sheet is window-modal and returns at once; Import runs the
// caller's completion, Cancel (or Escape) runs nothing.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QString>

#include <functional>

#include "document/window_modal_sheet.h"
#include "model/service_csv.h"

namespace cogbook {

class ZRSWImportPreviewSheet : public WindowModalSheet {
    Q_OBJECT
public:
    // Over WINDOW; ends with OWNER.
    ZRSWImportPreviewSheet(QWidget* window, QObject* owner);

    using Completion = std::function<void()>;
    // Shows PLAN, read from the file FILENAME, over the window. A sheet
    // already showing is brought forward, unchanged.
    void beginSheet(const QString& fileName, const ServiceImportPlan& plan, Completion completion);

    QLabel* summaryLabel() const { return summary_; }
    QListWidget* entriesList() const { return entries_; }
    QListWidget* partsList() const { return parts_; }
    QListWidget* badRowsList() const { return badRows_; }
    QCheckBox* goodRowsOnlyBox() const { return goodRowsOnly_; }
    // The sheet's OK.
    QPushButton* importButton() const { return okayButton(); }

protected:
    Buttons loadInterface(QDialog* sheet) override;
    // Import does nothing while it is off.
    void okay() override;

private:
    void updateImportButton();

    QPointer<QLabel> summary_;
    QPointer<QListWidget> entries_;
    QPointer<QListWidget> parts_;
    QPointer<QListWidget> badRows_;
    QPointer<QCheckBox> goodRowsOnly_;
    QWidget* partsLabel_ = nullptr;
    QWidget* badRowsLabel_ = nullptr;
    bool hasEntries_ = false;
    bool hasBadRows_ = false;
};

} // namespace cogbook
