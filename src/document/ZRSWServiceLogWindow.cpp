#include "document/ZRSWServiceLogWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "document/MyDocument.h"
#include "platform/currency_text.h"
#include "platform/date_picker.h"
#include "platform/date_text.h"
#include "platform/legible_colors.h"

namespace cogbook {

namespace {

// A date field's bound: none for an empty field; READABLE says whether the
// text named a day at all.
QDate boundOf(const QLineEdit* field, bool& readable) {
    const QString text = field->text().trimmed();
    if (text.isEmpty()) return {};
    const std::optional<QDate> day = dateFromEditingText(text, QLocale());
    if (!day) readable = false;
    return day.value_or(QDate());
}

QLineEdit* dateField(QWidget* parent, const QString& accessibleName, const QString& placeholder) {
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(accessibleName);
    field->setPlaceholderText(placeholder);
    field->setClearButtonEnabled(true);
    keepPlaceholderLegible(field);
    field->setMaximumWidth(field->fontMetrics().averageCharWidth() * 18);
    auto* picker = new DatePicker(field);
    picker->setActive(true);
    picker->setFallbackDay(QDate::currentDate());
    QObject::connect(picker, &DatePicker::dayChosen, field,
                     [field](QDate day) { field->setText(editingTextForDate(day, QLocale())); });
    return field;
}

// Whether ENTRY is still filed in BIKE's tree.
bool isInTree(const ZRBicycleList& entry, const ZRBicycleList* bike) {
    const ZRBicycleList* at = &entry;
    for (ZRBicycleListPtr up = at->parent(); up; up = up->parent()) {
        if (at->childIndex() == kZRNotFound) return false;
        if (up.get() == bike) return true;
        at = up.get();
    }
    return false;
}

} // namespace

ZRSWServiceLogWindow::ZRSWServiceLogWindow(MyDocument* document) : DocumentFollowingWindow(document, nullptr) {
    buildInterface();
    retitle();
}

QString ZRSWServiceLogWindow::titleForBike(const QString& bikeName) {
    return tr("Service Log \u2014 %1").arg(bikeName);
}

void ZRSWServiceLogWindow::buildInterface() {
    setObjectName(QStringLiteral("serviceLogWindow"));
    resize(820, 460);

    model_ = new ServiceLogModel(this);
    proxy_ = new ServiceLogProxy(model_, this);

    filterField_ = new QLineEdit(this);
    filterField_->setAccessibleName(tr("Filter entries"));
    filterField_->setPlaceholderText(tr("Part, description or notes"));
    filterField_->setClearButtonEnabled(true);
    keepPlaceholderLegible(filterField_);
    fromField_ = dateField(this, tr("From date"), tr("From"));
    toField_ = dateField(this, tr("To date"), tr("To"));
    sortChooser_ = new QComboBox(this);
    sortChooser_->setAccessibleName(tr("Sort entries by"));
    for (int column = 0; column < ServiceLogModel::ColumnCount; ++column) {
        const QString name = model_->headerData(column, Qt::Horizontal).toString();
        sortChooser_->addItem(tr("%1, ascending").arg(name), QVariant::fromValue(column * 2));
        sortChooser_->addItem(tr("%1, descending").arg(name), QVariant::fromValue(column * 2 + 1));
    }

    const auto labelFor = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* controls = new QHBoxLayout;
    controls->addWidget(labelFor(tr("&Filter:"), filterField_));
    controls->addWidget(filterField_, 1);
    controls->addWidget(labelFor(tr("F&rom:"), fromField_));
    controls->addWidget(fromField_);
    controls->addWidget(labelFor(tr("&To:"), toField_));
    controls->addWidget(toField_);
    controls->addWidget(labelFor(tr("&Sort by:"), sortChooser_));
    controls->addWidget(sortChooser_);

    table_ = new QTableView(this);
    table_->setAccessibleName(tr("Service entries"));
    table_->setModel(proxy_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    // Rows of one height: a table of a hundred thousand rows lays out at once.
    QHeaderView* rows = table_->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* columns = table_->horizontalHeader();
    columns->setStretchLastSection(true);
    columns->resizeSection(ServiceLogModel::DateColumn, 100);
    columns->resizeSection(ServiceLogModel::PartColumn, 200);
    columns->resizeSection(ServiceLogModel::DescriptionColumn, 180);
    columns->resizeSection(ServiceLogModel::CostColumn, 90);
    columns->resizeSection(ServiceLogModel::OdometerColumn, 90);
    table_->setSortingEnabled(true);
    table_->sortByColumn(ServiceLogModel::DateColumn, Qt::DescendingOrder);

    footer_ = new QLabel(this);
    footer_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    footer_->setFocusPolicy(Qt::TabFocus);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(table_, 1);
    layout->addWidget(footer_);
    setTabOrder(filterField_, fromField_);
    setTabOrder(fromField_, toField_);
    setTabOrder(toField_, sortChooser_);
    setTabOrder(sortChooser_, table_);
    setTabOrder(table_, footer_);

    connect(filterField_, &QLineEdit::textChanged, this, &ZRSWServiceLogWindow::applyFilter);
    connect(fromField_, &QLineEdit::textChanged, this, &ZRSWServiceLogWindow::applyFilter);
    connect(toField_, &QLineEdit::textChanged, this, &ZRSWServiceLogWindow::applyFilter);
    connect(columns, &QHeaderView::sortIndicatorChanged, this, &ZRSWServiceLogWindow::syncSortChooser);
    connect(sortChooser_, &QComboBox::activated, this, [this](int at) {
        const int choice = sortChooser_->itemData(at).toInt();
        table_->sortByColumn(choice / 2, choice % 2 == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    });
    // Enter, Return or a double click on a row chooses it.
    connect(table_, &QTableView::activated, this, [this](const QModelIndex& index) { chooseRow(index.row()); });

    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        filterField_->setFocus(Qt::ShortcutFocusReason);
        filterField_->selectAll();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    syncSortChooser();
}

void ZRSWServiceLogWindow::showWindow() {
    show();
    raise();
    activateWindow();
    if (!table_->currentIndex().isValid() && proxy_->rowCount() > 0)
        table_->setCurrentIndex(proxy_->index(0, 0));
    table_->setFocus(Qt::OtherFocusReason);
}

void ZRSWServiceLogWindow::changeEvent(QEvent* event) {
    // Notes typed in a quick run change the record without a new undo step,
    // and so without a change announced: coming back to the log catches up.
    MyDocument* document = followedDocument();
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && document &&
        document->lastTimeNotesViewTextChanged() != notesTypedAt_)
        refresh();
    DocumentFollowingWindow::changeEvent(event);
}

QString ZRSWServiceLogWindow::currentTitle() const {
    return titleForBike(followedDocument()->bikeName());
}

void ZRSWServiceLogWindow::refresh() {
    MyDocument* document = followedDocument();
    if (!document || document->isEnding() || document->theBike() == nullptr) {
        model_->clear();
        updateFooter();
        return;
    }
    // What was selected, and where the table was scrolled.
    const QModelIndex current = table_->currentIndex();
    const ZRBicycleListPtr selected =
        current.isValid() ? model_->entryAtRow(proxy_->mapToSource(current).row()) : ZRBicycleListPtr();
    const int scrolled = table_->verticalScrollBar()->value();

    model_->setRecord(*document->theBike(), document->bikeName());
    notesTypedAt_ = document->lastTimeNotesViewTextChanged();

    if (const int row = model_->rowOfEntry(selected.get()); row >= 0) {
        const QModelIndex at = proxy_->mapFromSource(model_->index(row, current.column()));
        if (at.isValid()) table_->setCurrentIndex(at);
    }
    // The scroll range follows the new rows first, or the old place is cut short.
    table_->doItemsLayout();
    table_->verticalScrollBar()->setValue(scrolled);
    updateFooter();
}

void ZRSWServiceLogWindow::notesChanged(const std::vector<ZRBicycleListPtr>& items) {
    for (const ZRBicycleListPtr& item : items) model_->notesChanged(*item);
    if (const MyDocument* document = followedDocument()) notesTypedAt_ = document->lastTimeNotesViewTextChanged();
    // The filter may show more rows, or fewer.
    updateFooter();
}

void ZRSWServiceLogWindow::applyFilter() {
    bool readable = true;
    const QDate from = boundOf(fromField_, readable);
    const QDate to = boundOf(toField_, readable);
    unreadableDate_ = !readable;
    proxy_->setFilter(filterField_->text(), from, to);
    updateFooter();
}

void ZRSWServiceLogWindow::updateFooter() {
    const QLocale locale;
    const int shown = proxy_->rowCount();
    const int all = model_->rowCount();
    const QString currency = model_->currency();
    QString text = shown == all ? (all == 1 ? tr("1 entry") : tr("%1 entries").arg(locale.toString(all)))
                                : tr("%1 of %2 entries").arg(locale.toString(shown), locale.toString(all));
    const MyDocument* document = followedDocument();
    const double bikeTotal = document && !document->isEnding() ? document->serviceCostTotals().total : 0.0;
    if (shown == all) {
        text += tr(" \u00b7 total %1").arg(currencyText(bikeTotal, currency, locale));
    } else {
        text += tr(" \u00b7 total %1 (bike: %2)")
                    .arg(currencyText(proxy_->shownTotal(), currency, locale), currencyText(bikeTotal, currency, locale));
    }
    if (unreadableDate_) text += QStringLiteral(" \u00b7 ") + dateTypingHint(locale);
    footer_->setText(text);
    footer_->setAccessibleName(text);
}

void ZRSWServiceLogWindow::syncSortChooser() {
    const QHeaderView* header = table_->horizontalHeader();
    const int choice = header->sortIndicatorSection() * 2 + (header->sortIndicatorOrder() == Qt::DescendingOrder ? 1 : 0);
    const int at = sortChooser_->findData(choice);
    if (at >= 0) sortChooser_->setCurrentIndex(at);
}

void ZRSWServiceLogWindow::chooseRow(int row) {
    MyDocument* document = followedDocument();
    if (!document || document->isEnding() || row < 0 || row >= proxy_->rowCount()) return;
    const ZRBicycleListPtr entry = model_->entryAtRow(proxy_->mapToSource(proxy_->index(row, 0)).row());
    DocumentWindow* window = document->documentWindow();
    if (window == nullptr) return;
    if (!isInTree(*entry, document->theBike())) {
        refresh();
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
    document->focusOnItemByExtendingSelection(entry.get(), false);
    if (document->bikeTable()) window->makeFirstResponder(document->bikeTable());
}

} // namespace cogbook
