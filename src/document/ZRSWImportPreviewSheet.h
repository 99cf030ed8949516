// The sheet that shows what an import of service entries from CSV will do
// before anything is done: the entries and where they go, the parts to be
// made, and the rows left out, with their line numbers and why. With rows
// left out, Import stays off until the user chooses to import the good rows
// only. The sheet is window-modal and returns at once; Import runs the
// caller's completion, Cancel (or Escape) runs nothing.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>

#include <functional>

#include "model/service_csv.h"

namespace cogbook {

class ZRSWImportPreviewSheet : public QObject {
    Q_OBJECT
public:
    // Over WINDOW; ends with OWNER.
    ZRSWImportPreviewSheet(QWidget* window, QObject* owner);
    ~ZRSWImportPreviewSheet() override;

    using Completion = std::function<void()>;
    // Shows PLAN, read from the file FILENAME, over the window. A sheet
    // already showing is brought forward, unchanged.
    void beginSheet(const QString& fileName, const ServiceImportPlan& plan, Completion completion);
    bool isShowing() const;

    // Loaded on first use; null before.
    QDialog* sheet() const { return sheet_; }
    QLabel* summaryLabel() const { return summary_; }
    QListWidget* entriesList() const { return entries_; }
    QListWidget* partsList() const { return parts_; }
    QListWidget* badRowsList() const { return badRows_; }
    QCheckBox* goodRowsOnlyBox() const { return goodRowsOnly_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void loadSheet();
    void updateImportButton();
    void sheetDidEnd(int result);

    QPointer<QWidget> window_;
    QPointer<QDialog> sheet_;
    QPointer<QLabel> summary_;
    QPointer<QListWidget> entries_;
    QPointer<QListWidget> parts_;
    QPointer<QListWidget> badRows_;
    QPointer<QCheckBox> goodRowsOnly_;
    QPointer<QPushButton> import_;
    QPointer<QPushButton> cancel_;
    QWidget* partsLabel_ = nullptr;
    QWidget* badRowsLabel_ = nullptr;
    bool hasEntries_ = false;
    bool hasBadRows_ = false;
    Completion completion_;
};

} // namespace cogbook
