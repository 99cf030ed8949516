// A document's service log: every service entry of the record in one
// sortable, filterable table, newest first, with the count and total cost of
// the rows shown below it. It follows every change of the record while it is
// open; choosing a row brings the document's window forward on that entry.
// The document owns it.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "document/document_following_window.h"
#include "document/service_log_model.h"

namespace cogbook {

class MyDocument;

class ZRSWServiceLogWindow : public DocumentFollowingWindow {
    Q_OBJECT
public:
    explicit ZRSWServiceLogWindow(MyDocument* document);

    // Shows the window up to date, in front, with the keys in the table.
    void showWindow();
    // "Service Log — Road bike".
    static QString titleForBike(const QString& bikeName);

    // Brings the document's window forward with ROW's entry (a row of the
    // table as shown) selected in the outline.
    void chooseRow(int row);

    // Catches up with the record, keeping the selected entry selected and
    // the table scrolled where it was, as far as they are still there.
    void refresh() override;

    QTableView* table() const { return table_; }
    QLineEdit* filterField() const { return filterField_; }
    QLineEdit* fromField() const { return fromField_; }
    QLineEdit* toField() const { return toField_; }
    QComboBox* sortChooser() const { return sortChooser_; }
    QLabel* footer() const { return footer_; }
    ServiceLogModel* logModel() const { return model_; }
    ServiceLogProxy* shownRows() const { return proxy_; }

protected:
    QString currentTitle() const override;
    // Only the notes' rows change: a hundred thousand rows are not made again
    // for each run of keystrokes.
    void notesChanged(const std::vector<ZRBicycleListPtr>& items) override;
    void changeEvent(QEvent* event) override;

private:
    void buildInterface();
    void applyFilter();
    void updateFooter();
    void syncSortChooser();

    ServiceLogModel* model_ = nullptr;
    ServiceLogProxy* proxy_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* filterField_ = nullptr;
    QLineEdit* fromField_ = nullptr;
    QLineEdit* toField_ = nullptr;
    QComboBox* sortChooser_ = nullptr;
    QLabel* footer_ = nullptr;
    // A date field holds text that names no day: the footer says what to type.
    bool unreadableDate_ = false;
    // When the document's notes were last typed into, as of the last refresh.
    double notesTypedAt_ = 0.0;
};

} // namespace cogbook
