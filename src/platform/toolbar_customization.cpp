#include "platform/toolbar_customization.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "foundation/hooks.h"
#include "platform/toolbar.h"

namespace cogbook {
namespace {

constexpr int kIdentifierRole = Qt::UserRole + 1;

bool mayRepeat(const QString& identifier) {
    return identifier == QLatin1String(NSToolbarFlexibleSpaceItemIdentifier) ||
           identifier == QLatin1String(NSToolbarSpaceItemIdentifier) ||
           identifier == QLatin1String(NSToolbarSeparatorItemIdentifier);
}

QPushButton* button(const QString& title, QWidget* parent) {
    auto* made = new QPushButton(title, parent);
    made->setAutoDefault(false);
    QString name = title;
    made->setAccessibleName(name.remove(QLatin1Char('&')));
    return made;
}

} // namespace

ToolbarCustomizationDialog::ToolbarCustomizationDialog(Toolbar* toolbar)
    : QDialog(toolbar ? toolbar->window() : nullptr), toolbar_(toolbar) {
    setWindowTitle(tr("Customize Toolbar"));
    setAccessibleName(tr("Customize Toolbar"));
    setWindowModality(Qt::WindowModal);

    available_ = new QListWidget(this);
    available_->setAccessibleName(tr("Available items"));
    current_ = new QListWidget(this);
    current_->setAccessibleName(tr("Toolbar items"));
    auto* availableLabel = new QLabel(tr("A&vailable items:"), this);
    availableLabel->setBuddy(available_);
    auto* currentLabel = new QLabel(tr("&Toolbar:"), this);
    currentLabel->setBuddy(current_);

    QPushButton* add = button(tr("&Add"), this);
    QPushButton* remove = button(tr("&Remove"), this);
    QPushButton* up = button(tr("Move &Up"), this);
    QPushButton* down = button(tr("Move &Down"), this);
    QPushButton* defaults = button(tr("Restore De&fault Set"), this);
    connect(add, &QPushButton::clicked, this, &ToolbarCustomizationDialog::addChosenItem);
    connect(available_, &QListWidget::itemActivated, this, &ToolbarCustomizationDialog::addChosenItem);
    connect(remove, &QPushButton::clicked, this, &ToolbarCustomizationDialog::removeChosenItem);
    connect(up, &QPushButton::clicked, this, [this] { moveChosenItem(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveChosenItem(1); });
    connect(defaults, &QPushButton::clicked, this, &ToolbarCustomizationDialog::restoreDefaultSet);

    mode_ = new QComboBox(this);
    mode_->setAccessibleName(tr("Show"));
    mode_->addItem(tr("Icon and Text"), static_cast<int>(ToolbarDisplayMode::IconAndLabel));
    mode_->addItem(tr("Icon Only"), static_cast<int>(ToolbarDisplayMode::IconOnly));
    mode_->addItem(tr("Text Only"), static_cast<int>(ToolbarDisplayMode::LabelOnly));
    auto* modeLabel = new QLabel(tr("&Show:"), this);
    modeLabel->setBuddy(mode_);
    connect(mode_, &QComboBox::activated, this, [this](int index) {
        if (toolbar_) toolbar_->setDisplayModeByUser(static_cast<ToolbarDisplayMode>(mode_->itemData(index).toInt()));
    });

    auto* buttons = new QVBoxLayout;
    for (QPushButton* each : {add, remove, up, down, defaults}) buttons->addWidget(each);
    buttons->addStretch();

    auto* grid = new QGridLayout;
    grid->addWidget(availableLabel, 0, 0);
    grid->addWidget(currentLabel, 0, 2);
    grid->addWidget(available_, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(current_, 1, 2);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(modeLabel);
    modeRow->addWidget(mode_);
    modeRow->addStretch();
    auto* done = new QDialogButtonBox(QDialogButtonBox::Close, this);
    done->button(QDialogButtonBox::Close)->setText(tr("Done"));
    done->button(QDialogButtonBox::Close)->setAccessibleName(tr("Done"));
    connect(done, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(modeRow);
    layout->addWidget(done);

    if (toolbar_) {
        for (const QString& identifier : toolbar_->allowedItemIdentifiers()) {
            const std::unique_ptr<ToolbarItem> item = toolbar_->paletteItem(identifier);
            if (!item) continue;
            auto* row = new QListWidgetItem(item->paletteLabel(), available_);
            if (item->image()) row->setIcon(item->image()->icon());
            row->setData(kIdentifierRole, identifier);
        }
    }
    available_->setCurrentRow(0);
    refresh();
}

QStringList ToolbarCustomizationDialog::toolbarIdentifiers() const {
    return toolbar_ ? toolbar_->itemIdentifiers() : QStringList();
}

void ToolbarCustomizationDialog::refresh() {
    const int row = current_->currentRow();
    current_->clear();
    if (!toolbar_) return;
    for (const auto& item : toolbar_->items()) {
        const QString label = item->paletteLabel().isEmpty() ? item->label() : item->paletteLabel();
        auto* entry = new QListWidgetItem(label, current_);
        if (item->image()) entry->setIcon(item->image()->icon());
        entry->setData(kIdentifierRole, item->itemIdentifier());
    }
    current_->setCurrentRow(std::min(row, current_->count() - 1));
    mode_->setCurrentIndex(std::max(0, mode_->findData(static_cast<int>(toolbar_->displayMode()))));
}

void ToolbarCustomizationDialog::apply(const QStringList& identifiers, int currentRow) {
    if (!toolbar_) return;
    toolbar_->setItemIdentifiersByUser(identifiers);
    refresh();
    current_->setCurrentRow(std::min(currentRow, current_->count() - 1));
}

void ToolbarCustomizationDialog::addChosenItem() {
    const QListWidgetItem* chosen = available_->currentItem();
    if (chosen == nullptr || !toolbar_) return;
    const QString identifier = chosen->data(kIdentifierRole).toString();
    QStringList identifiers = toolbarIdentifiers();
    if (!mayRepeat(identifier) && identifiers.contains(identifier)) {
        beep();
        return;
    }
    const int at = current_->currentRow() < 0 ? static_cast<int>(identifiers.size()) : current_->currentRow() + 1;
    identifiers.insert(at, identifier);
    apply(identifiers, at);
}

void ToolbarCustomizationDialog::removeChosenItem() {
    const int row = current_->currentRow();
    QStringList identifiers = toolbarIdentifiers();
    if (row < 0 || row >= identifiers.size()) {
        beep();
        return;
    }
    identifiers.removeAt(row);
    apply(identifiers, row);
}

void ToolbarCustomizationDialog::moveChosenItem(int by) {
    const int row = current_->currentRow();
    QStringList identifiers = toolbarIdentifiers();
    const int to = row + by;
    if (row < 0 || row >= identifiers.size() || to < 0 || to >= identifiers.size()) {
        beep();
        return;
    }
    identifiers.move(row, to);
    apply(identifiers, to);
}

void ToolbarCustomizationDialog::restoreDefaultSet() {
    if (toolbar_) apply(toolbar_->defaultItemIdentifiers(), 0);
}

} // namespace cogbook
