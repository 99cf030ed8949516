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
#include "model/service_due.h"
#include "model/service_log.h"
#include "platform/legible_colors.h"

namespace cogbook {
namespace {

enum Column { kPartColumn, kStateColumn, kDueColumn, kLastServiceColumn, kReadingColumn, kColumnCount };

// Text that must read against the list's background: plain body text wants
// more contrast than the hints do.
constexpr double kStateTextContrast = 4.5;

// WANTED where it reads well on the palette's base; otherwise blended
// towards the palette's text colour until it does.
QColor legibleTint(const QColor& wanted, const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    QColor color = wanted;
    for (int step = 1; step <= 10 && contrastRatio(color, base) < kStateTextContrast; ++step) {
        const double t = step / 10.0;
        color = QColor::fromRgbF(static_cast<float>(wanted.redF() * (1 - t) + text.redF() * t),
                                 static_cast<float>(wanted.greenF() * (1 - t) + text.greenF() * t),
                                 static_cast<float>(wanted.blueF() * (1 - t) + text.blueF() * t));
    }
    return color;
}

QColor stateColor(DueState state) {
    switch (state) {
    case DueState::overdue: return QColor(0xc0, 0x1c, 0x28);
    case DueState::due: return QColor(0xc6, 0x46, 0x00);
    case DueState::soon: return QColor(0x98, 0x6a, 0x00);
    case DueState::ok: return QColor(0x26, 0x80, 0x3c);
    case DueState::unknown: break;
    }
    return {};
}

QIcon stateIcon(const QStyle* style, DueState state) {
    switch (state) {
    case DueState::overdue: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case DueState::due: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case DueState::soon: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case DueState::ok:
    case DueState::unknown: break;
    }
    return {};
}

} // namespace

ZRSWServiceDueWindow::ZRSWServiceDueWindow(MyDocument* document)
    : QWidget(document->documentWindow(), Qt::Window), document_(document), pages_(new QStackedWidget(this)),
      list_(new QTreeWidget), empty_(new QLabel) {
    setObjectName(QStringLiteral("serviceDueWindow"));
    setAccessibleName(tr("Service Due"));
    list_->setObjectName(QStringLiteral("serviceDueList"));
    list_->setAccessibleName(tr("Parts with a service interval"));
    list_->setAccessibleDescription(tr("Most urgent first. Press Enter to select the part in the outline."));
    list_->setColumnCount(kColumnCount);
    list_->setHeaderLabels({tr("Part"), tr("State"), tr("Due"), tr("Last Service"), tr("Reading")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setSectionResizeMode(kPartColumn, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (int column = kStateColumn; column < kColumnCount; ++column)
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
    auto* close = new QShortcut(QKeySequence::Close, this, nullptr, nullptr, Qt::WindowShortcut);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    resize(640, 320);
    connect(document, &MyDocument::recordChanged, this, &ZRSWServiceDueWindow::reload);
    connect(document, &Document::displayNameChanged, this, &ZRSWServiceDueWindow::updateTitle);
    updateTitle();
    reload();
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

void ZRSWServiceDueWindow::updateTitle() {
    if (document_) setWindowTitle(tr("Service Due — %1").arg(document_->displayName()));
}

void ZRSWServiceDueWindow::reload() {
    if (!document_ || document_->isEnding()) return;
    const ServiceDueOverview& overview = document_->serviceDue();
    const ZRBicycleListPtr chosen = partOfItem(list_->currentItem());
    const bool listHadFocus = list_->hasFocus() || empty_->hasFocus();
    list_->clear();
    parts_.clear();
    const QLocale locale;
    const DistanceUnit unit = recordDistanceUnit(*document_->theBike());
    QTreeWidgetItem* toChoose = nullptr;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(overview.parts.size()));
    for (const PartDue& due : overview.parts) {
        auto* row = new QTreeWidgetItem;
        const QString path = QString::fromStdString(partPath(*due.part));
        row->setText(kPartColumn, path.isEmpty() ? QString::fromStdString(due.part->partName()) : path);
        row->setData(kPartColumn, Qt::UserRole, QVariant::fromValue(static_cast<qulonglong>(parts_.size())));
        parts_.push_back(due.part);
        row->setText(kStateColumn, stateText(due));
        row->setIcon(kStateColumn, stateIcon(style(), due.state));
        if (const QColor color = stateColor(due.state); color.isValid()) {
            const QColor legible = legibleTint(color, list_->palette());
            row->setForeground(kStateColumn, legible);
            row->setForeground(kDueColumn, legible);
        }
        if (needsService(due.state)) {
            QFont bold = list_->font();
            bold.setBold(true);
            row->setFont(kStateColumn, bold);
            row->setFont(kDueColumn, bold);
        }
        row->setText(kDueColumn, QString::fromStdString(due.text));
        if (due.lastService) {
            row->setText(kLastServiceColumn,
                         locale.toString(document_support::outlineDate(*due.lastService).date(), QLocale::ShortFormat));
        }
        if (due.lastOdometer) row->setText(kReadingColumn, QString::fromStdString(distanceText(*due.lastOdometer, unit)));
        for (int column = kStateColumn; column < kColumnCount; ++column)
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
    const auto index = static_cast<std::size_t>(item->data(kPartColumn, Qt::UserRole).toULongLong());
    return index < parts_.size() ? parts_[index].lock() : nullptr;
}

void ZRSWServiceDueWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) reload();
}

void ZRSWServiceDueWindow::chooseItem(QTreeWidgetItem* item) {
    if (!document_ || item == nullptr) return;
    // Only a part still listed is looked for: the list follows the record.
    const ZRBicycleListPtr part = partOfItem(item);
    if (!part || document_->serviceDue().find(*part) == nullptr) return;
    DocumentWindow* window = document_->documentWindow();
    if (window == nullptr) return;
    document_->focusOnItemByExtendingSelection(part.get(), false);
    window->raise();
    window->activateWindow();
    window->makeFirstResponder(document_->bikeTable());
}

} // namespace cogbook
