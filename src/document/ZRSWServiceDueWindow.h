// The Service Due list of one document: every part with a service interval,
// most urgent first, with its state, what is left of its interval, and its
// last service. It follows the record as it changes; choosing a row (Enter
// or a double click) brings the document's window forward with the part
// selected in the outline.
#pragma once

#include <memory>
#include <vector>

#include "document/document_following_window.h"
#include "model/ZRBicycleList.h"

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace cogbook {

class MyDocument;
struct PartDue;

class ZRSWServiceDueWindow : public DocumentFollowingWindow {
    Q_OBJECT
public:
    // A window of its own, ending with DOCUMENT's window (its parent).
    explicit ZRSWServiceDueWindow(MyDocument* document);

    QTreeWidget* list() const { return list_; }
    // What shows instead of the list while no part has an interval.
    QLabel* emptyLabel() const { return empty_; }
    bool showsList() const;
    // The keys to the list, or to the text shown instead of it.
    void focusContent();

    // Shown as the part's state: "Overdue", "Due", "Soon", "OK", "Unknown".
    static QString stateText(const PartDue& due);

    // The rows again, from the document's current service state; the
    // chosen part stays chosen while it is listed.
    void refresh() override;

protected:
    QString currentTitle() const override;
    // The states' colours are chosen for the palette: a new one (a dark
    // desktop theme chosen meanwhile) has them chosen again.
    void changeEvent(QEvent* event) override;

private:
    void chooseItem(QTreeWidgetItem* item);
    // The part ITEM lists, while it is alive.
    ZRBicycleListPtr partOfItem(const QTreeWidgetItem* item) const;

    QStackedWidget* pages_;
    QTreeWidget* list_;
    QLabel* empty_;
    // Each row's part, by row: the list keeps no part alive.
    std::vector<std::weak_ptr<ZRBicycleList>> parts_;
};

} // namespace cogbook
