#include "document/ZRSWCostsByYearWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QShortcut>
#include <QVBoxLayout>

#include <vector>

#include "document/MyDocument.h"
#include "model/service_costs.h"
#include "platform/currency_text.h"

namespace cogbook {

std::map<long long, YearCosts> yearCostsOf(const ZRBicycleList& bike) {
    // The totals are the model's; the counts come from one more walk.
    std::map<long long, YearCosts> years;
    for (const auto& [year, total] : costsByYear(bike)) years[year].total = total;
    std::vector<const ZRBicycleList*> stack{&bike};
    while (!stack.empty()) {
        const ZRBicycleList* at = stack.back();
        stack.pop_back();
        if (!at->expandable() && at->cost()) ++years[localCivilDate(at->date()).year].entries;
        if (const auto& children = at->children())
            for (const auto& child : *children) stack.push_back(child.get());
    }
    return years;
}

ZRSWCostsByYearWindow::ZRSWCostsByYearWindow(MyDocument* document)
    : DocumentFollowingWindow(document, nullptr) {
    setObjectName(QStringLiteral("costsByYearWindow"));
    resize(640, 360);

    emptyLabel_ = new QLabel(tr("No costs recorded yet."), this);
    emptyLabel_->setAlignment(Qt::AlignCenter);
    emptyLabel_->setAccessibleName(emptyLabel_->text());
    emptyLabel_->setFocusPolicy(Qt::TabFocus);

    costsPage_ = new QWidget(this);
    table_ = new QTableWidget(0, 3, costsPage_);
    table_->setAccessibleName(tr("Costs by year"));
    table_->setHorizontalHeaderLabels({tr("Year"), tr("Cost"), tr("Entries")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setTabKeyNavigation(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    chart_ = new BarChart(costsPage_);
    chart_->setAccessibleName(tr("Chart of costs by year"));
    auto* costsLayout = new QHBoxLayout(costsPage_);
    costsLayout->setContentsMargins(0, 0, 0, 0);
    costsLayout->addWidget(table_, 2);
    costsLayout->addWidget(chart_, 3);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(emptyLabel_);
    pages_->addWidget(costsPage_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    retitle();
}

QString ZRSWCostsByYearWindow::titleForBike(const QString& bikeName) {
    return tr("Costs by Year \u2014 %1").arg(bikeName);
}

QString ZRSWCostsByYearWindow::currentTitle() const {
    return titleForBike(followedDocument()->bikeName());
}

void ZRSWCostsByYearWindow::showWindow() {
    show();
    raise();
    activateWindow();
    pages_->currentWidget() == emptyLabel_ ? emptyLabel_->setFocus() : table_->setFocus();
}

bool ZRSWCostsByYearWindow::isShowingEmptyState() const {
    return pages_->currentWidget() == emptyLabel_;
}

void ZRSWCostsByYearWindow::refresh() {
    std::map<long long, YearCosts> years;
    QString currency;
    if (const MyDocument* document = followedDocument(); document && !document->isEnding() && document->theBike()) {
        years = yearCostsOf(*document->theBike());
        currency = QString::fromStdString(document->theBike()->currency().value_or(std::string()));
    }
    const QLocale locale;
    std::vector<BarChartValue> bars;
    table_->setRowCount(static_cast<int>(years.size()));
    int row = 0;
    for (const auto& [year, costs] : years) {
        const QString yearText = QString::number(year);
        const QString costText = currencyText(costs.total, currency, locale);
        const auto cell = [this, row](int column, const QString& text, Qt::Alignment alignment) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(alignment | Qt::AlignVCenter);
            table_->setItem(row, column, item);
        };
        cell(0, yearText, Qt::AlignLeft);
        cell(1, costText, Qt::AlignRight);
        cell(2, locale.toString(costs.entries), Qt::AlignRight);
        bars.push_back({yearText, costs.total, costText});
        ++row;
    }
    chart_->setValues(std::move(bars));
    const bool wasEmpty = isShowingEmptyState();
    pages_->setCurrentWidget(years.empty() ? static_cast<QWidget*>(emptyLabel_) : costsPage_);
    if (isActiveWindow() && wasEmpty != isShowingEmptyState())
        isShowingEmptyState() ? emptyLabel_->setFocus() : table_->setFocus();
}

} // namespace cogbook
