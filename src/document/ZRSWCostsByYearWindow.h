// What the bike has cost year by year: a small table (year, cost, entries
// with a cost) beside a bar chart of the same totals, following every change
// of the record. A record without costs says so instead. The document owns
// the window.
#pragma once

#include <QLabel>
#include <QStackedWidget>
#include <QTableWidget>

#include <map>

#include "document/document_following_window.h"
#include "platform/bar_chart.h"

namespace cogbook {

class MyDocument;
class ZRBicycleList;

struct YearCosts {
    double total = 0.0;
    int entries = 0;
};

// The costs of BIKE's entries by the year of their date (local time), with
// how many entries carry a cost in each year.
std::map<long long, YearCosts> yearCostsOf(const ZRBicycleList& bike);

class ZRSWCostsByYearWindow : public DocumentFollowingWindow {
    Q_OBJECT
public:
    explicit ZRSWCostsByYearWindow(MyDocument* document);

    void showWindow();
    // "Costs by Year — Road bike".
    static QString titleForBike(const QString& bikeName);
    void refresh() override;

    QTableWidget* table() const { return table_; }
    BarChart* chart() const { return chart_; }
    // The "No costs recorded yet." state is showing.
    bool isShowingEmptyState() const;

protected:
    QString currentTitle() const override;

private:
    QStackedWidget* pages_ = nullptr;
    QLabel* emptyLabel_ = nullptr;
    QWidget* costsPage_ = nullptr;
    QTableWidget* table_ = nullptr;
    BarChart* chart_ = nullptr;
};

} // namespace cogbook
