#include "document/ZRSWServiceDueWindow.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "document/MyDocument.h"
#include "document/document_support.h"
#include "document/service_columns.h"
#include "document/service_due_cell.h"
#include "model/service_due.h"
#include "model/service_log.h"
#include "platform/images.h"
#include "platform/legible_colors.h"

namespace cogbook {
namespace {

enum Column { kPartListColumn, kStateListColumn, kDueListColumn, kLastServiceListColumn, kReadingListColumn, kListColumnCount };

} // namespace

ZRSWServiceDueWindow::ZRSWServiceDueWindow(MyDocument* document)
    : DocumentFollowingWindow(document, document->documentWindow()), pages_(new QStackedWidget(this)),
      list_(new QTreeWidget), empty_(new QLabel) {
    setObjectName(QStringLiteral("serviceDueWindow"));
    setAccessibleName(tr("Service Due"));
    list_->setObjectName(QStringLiteral("serviceDueList"));
    list_->setAccessibleName(tr("Parts with a service interval"));
    list_->setAccessibleDescription(tr("Most urgent first. Press Enter to select the part in the outline."));
    list_->setColumnCount(kListColumnCount);
    list_->setHeaderLabels({tr("Part"), tr("State"), tr("Due"), tr("Last Service"), tr("Reading")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionResizeMode(kPartListColumn, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (int column = kStateListColumn; column < kListColumnCount; ++column)
        list_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(list_, &QTreeWidget::itemActivated, this, &ZRSWServiceDueWindow::chooseItem);

    empty_->setObjectName(QStringLiteral("serviceDueEmpty"));
    empty_->setTextFormat(Qt::PlainText);
    empty_->setWordWrap(true);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setMargin(24);
    empty_->setFocusPolicy(Qt::StrongFocus);
    empty_->setText(tr("No part has a service interval.") + QStringLiteral("\n\n") +
                    tr("To set one, select a part in the outline and choose Record > Service Interval…"));
    empty_->setAccessibleName(tr("No part has a service interval."));
    keepPlaceholderLegible(empty_, QPalette::WindowText);

    pages_->addWidget(list_);
    pages_->addWidget(empty_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);
    // Escape closes the list, as it does a panel.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    resize(640, 320);
    retitle();
}

bool ZRSWServiceDueWindow::showsList() const { return pages_->currentWidget() == list_; }

void ZRSWServiceDueWindow::focusContent() { pages_->currentWidget()->setFocus(); }

QString ZRSWServiceDueWindow::stateText(const PartDue& due) {
    switch (due.state) {
    case DueState::overdue: return tr("Overdue");
    case DueState::due: return tr("Due");
    case DueState::soon: return tr("Soon");
    case DueState::ok: return tr("OK");
    case DueState::unknown: break;
    }
    return tr("Unknown");
}

QString ZRSWServiceDueWindow::currentTitle() const {
    return tr("Service Due — %1").arg(followedDocument()->displayName());
}

void ZRSWServiceDueWindow::refresh() {
    const MyDocument* document = followedDocument();
    if (!document || document->isEnding()) return;
    const ServiceDueOverview& overview = document->serviceDue();
    const ZRBicycleListPtr chosen = partOfItem(list_->currentItem());
    const bool listHadFocus = list_->hasFocus() || empty_->hasFocus();
    list_->clear();
    parts_.clear();
    const QLocale locale;
    const DistanceUnit unit = recordDistanceUnit(*document->theBike());
    QTreeWidgetItem* toChoose = nullptr;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(overview.parts.size()));
    for (const PartDue& due : overview.parts) {
        auto* row = new QTreeWidgetItem;
        const QString path = QString::fromStdString(partPath(*due.part));
        row->setText(kPartListColumn, path.isEmpty() ? QString::fromStdString(due.part->partName()) : path);
        row->setData(kPartListColumn, Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(parts_.size())));
        parts_.push_back(due.part);
        row->setText(kStateListColumn, stateText(due));
        // The outline's Due column's icons and colours.
        if (auto image = imageNamed(QLatin1String(dueImageName(due.state)))) row->setIcon(kStateListColumn, image->icon());
        if (due.state != DueState::unknown) {
            const QPalette palette = list_->palette();
            const QColor legible = legibleTint(dueStateTint(due.state), palette.color(QPalette::Base),
                                               palette.color(QPalette::Text));
            row->setForeground(kStateListColumn, legible);
            row->setForeground(kDueListColumn, legible);
        }
        if (needsService(due.state)) {
            QFont bold = list_->font();
            bold.setBold(true);
            row->setFont(kStateListColumn, bold);
            row->setFont(kDueListColumn, bold);
        }
        row->setText(kDueListColumn, QString::fromStdString(due.text));
        if (due.lastService) {
            row->setText(kLastServiceListColumn,
                         locale.toString(document_support::outlineDate(*due.lastService).date(), QLocale::ShortFormat));
        }
        if (due.lastOdometer) row->setText(kReadingListColumn, QString::fromStdString(distanceText(*due.lastOdometer, unit)));
        for (int column = kStateListColumn; column < kListColumnCount; ++column)
            row->setTextAlignment(column, Qt::AlignLeading | Qt::AlignVCenter);
        if (chosen && due.part == chosen) toChoose = row;
        rows.append(row);
    }
    list_->addTopLevelItems(rows);
    pages_->setCurrentWidget(rows.isEmpty() ? static_cast<QWidget*>(empty_) : list_);
    if (!toChoose && !rows.isEmpty()) toChoose = rows.constFirst();
    if (toChoose) list_->setCurrentItem(toChoose);
    if (listHadFocus) pages_->currentWidget()->setFocus();
}

ZRBicycleListPtr ZRSWServiceDueWindow::partOfItem(const QTreeWidgetItem* item) const {
    if (item == nullptr) return nullptr;
    const auto index = static_cast<std::size_t>(item->data(kPartListColumn, Qt::UserRole).toULongLong());
    return index < parts_.size() ? parts_[index].lock() : nullptr;
}

void ZRSWServiceDueWindow::changeEvent(QEvent* event) {
    DocumentFollowingWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) refresh();
}

void ZRSWServiceDueWindow::chooseItem(QTreeWidgetItem* item) {
    MyDocument* document = followedDocument();
    if (!document || item == nullptr) return;
    // Only a part still listed is looked for: the list follows the record.
    const ZRBicycleListPtr part = partOfItem(item);
    if (!part || document->serviceDue().find(*part) == nullptr) return;
    DocumentWindow* window = document->documentWindow();
    if (window == nullptr) return;
    document->focusOnItemByExtendingSelection(part.get(), false);
    window->raise();
    window->activateWindow();
    window->makeFirstResponder(document->bikeTable());
}

} // namespace cogbook
