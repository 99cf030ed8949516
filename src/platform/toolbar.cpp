#include "platform/toolbar.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <algorithm>

#include "foundation/hooks.h"
#include "foundation/user_defaults.h"
#include "platform/application.h"
#include "platform/responder.h"
#include "platform/toolbar_customization.h"

namespace cogbook {
namespace {

constexpr std::string_view kItemIdentifiersKey = "Item Identifiers";
constexpr std::string_view kDisplayModeKey = "Display Mode";

std::vector<QPointer<Toolbar>>& liveToolbars() {
    static std::vector<QPointer<Toolbar>> toolbars;
    return toolbars;
}

bool isSpacing(const QString& identifier) {
    return identifier == QLatin1String(NSToolbarFlexibleSpaceItemIdentifier) ||
           identifier == QLatin1String(NSToolbarSpaceItemIdentifier) ||
           identifier == QLatin1String(NSToolbarSeparatorItemIdentifier);
}

Qt::ToolButtonStyle buttonStyle(ToolbarDisplayMode mode) {
    switch (mode) {
    case ToolbarDisplayMode::IconOnly:
        return Qt::ToolButtonIconOnly;
    case ToolbarDisplayMode::LabelOnly:
        return Qt::ToolButtonTextOnly;
    default:
        return Qt::ToolButtonTextUnderIcon;
    }
}

} // namespace

ToolbarItem::ToolbarItem(QString identifier) : identifier_(std::move(identifier)) {}

ToolbarItem::~ToolbarItem() = default;

void ToolbarItem::setLabel(const QString& label) {
    label_ = label;
    if (button_) button_->setText(label);
}

void ToolbarItem::setToolTip(const QString& toolTip) {
    toolTip_ = toolTip;
    if (button_) button_->setToolTip(toolTip);
}

void ToolbarItem::setImage(std::shared_ptr<const Image> image) {
    image_ = std::move(image);
    if (button_) button_->setIcon(image_ ? image_->icon() : QIcon());
}

void ToolbarItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (button_) button_->setEnabled(enabled);
}

void ToolbarItem::sendAction() {
    if (target_ == nullptr || action_.empty() || !enabled_) return;
    Application::performGuarded([this] { target_->performAction(action_, nullptr); });
}

Toolbar::Toolbar(const QString& identifier, QWidget* parent) : QToolBar(parent), identifier_(identifier) {
    setObjectName(identifier);
    setAccessibleName(tr("Toolbar"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(buttonStyle(displayMode_));
    liveToolbars().emplace_back(this);
    if (auto* application = Application::instance()) {
        connect(application, &Application::eventLoopWillWait, this, &Toolbar::validateVisibleItems);
    }
}

Toolbar::~Toolbar() {
    delete customization_.data();
    // The views belong to whoever made the items, not to the toolbar.
    for (const auto& item : items_) {
        if (item->view_) {
            item->view_->hide();
            item->view_->setParent(nullptr);
        }
    }
    std::erase_if(liveToolbars(), [this](const QPointer<Toolbar>& toolbar) { return toolbar.isNull() || toolbar == this; });
}

void Toolbar::setDisplayMode(ToolbarDisplayMode mode) {
    if (mode == ToolbarDisplayMode::Default) mode = ToolbarDisplayMode::IconAndLabel;
    if (mode == displayMode_) return;
    displayMode_ = mode;
    setToolButtonStyle(buttonStyle(mode));
    layOutItems();
}

void Toolbar::setDelegate(ToolbarDelegate* delegate, Responder* delegateResponder) {
    if (delegate == nullptr) {
        clearLayout();
        for (const auto& item : items_) {
            if (item->view_) {
                item->view_->hide();
                item->view_->setParent(nullptr);
            }
        }
        items_.clear();
        delegate_ = nullptr;
        delegateResponder_ = nullptr;
        return;
    }
    delegate_ = delegate;
    delegateResponder_ = delegateResponder;
    if (autosaves_) {
        const PlistValue* saved = UserDefaults::standardUserDefaults().objectForKey(identifier_.toStdString());
        const PlistValue* mode = saved && saved->isDictionary() ? saved->find(kDisplayModeKey) : nullptr;
        if (mode && mode->isInteger() && mode->integer() >= 1 && mode->integer() <= 3) {
            displayMode_ = static_cast<ToolbarDisplayMode>(mode->integer());
            setToolButtonStyle(buttonStyle(displayMode_));
        }
    }
    applyItemIdentifiers(savedOrDefaultIdentifiers());
}

QStringList Toolbar::allowedItemIdentifiers() {
    return delegate_ ? delegate_->toolbarAllowedItemIdentifiers(this) : QStringList();
}

QStringList Toolbar::defaultItemIdentifiers() {
    return delegate_ ? sanitized(delegate_->toolbarDefaultItemIdentifiers(this)) : QStringList();
}

QStringList Toolbar::savedOrDefaultIdentifiers() {
    if (autosaves_) {
        const PlistValue* saved = UserDefaults::standardUserDefaults().objectForKey(identifier_.toStdString());
        const PlistValue* list = saved && saved->isDictionary() ? saved->find(kItemIdentifiersKey) : nullptr;
        if (list && list->isArray()) {
            QStringList identifiers;
            for (const PlistValue& value : list->array()) {
                if (value.isString()) identifiers << QString::fromStdString(value.string());
            }
            return sanitized(identifiers);
        }
    }
    return defaultItemIdentifiers();
}

// Only what the delegate allows, and each item but the spacings once: a
// damaged or outdated saved arrangement never shows anything else.
QStringList Toolbar::sanitized(const QStringList& identifiers) {
    const QStringList allowed = allowedItemIdentifiers();
    QStringList result;
    for (const QString& identifier : identifiers) {
        if (!allowed.contains(identifier)) continue;
        if (!isSpacing(identifier) && result.contains(identifier)) continue;
        result << identifier;
    }
    return result;
}

QStringList Toolbar::itemIdentifiers() const {
    QStringList identifiers;
    for (const auto& item : items_) identifiers << item->identifier_;
    return identifiers;
}

std::unique_ptr<ToolbarItem> Toolbar::makeItem(const QString& identifier, bool willBeInserted) {
    if (identifier == QLatin1String(NSToolbarCustomizeToolbarItemIdentifier)) {
        auto item = std::make_unique<ToolbarItem>(identifier);
        item->setLabel(tr("Customize"));
        item->setPaletteLabel(tr("Customize"));
        item->setToolTip(tr("Customize this toolbar."));
        item->setImage(imageNamed(QStringLiteral("Customize")));
        return item;
    }
    if (isSpacing(identifier)) {
        auto item = std::make_unique<ToolbarItem>(identifier);
        const QString label = identifier == QLatin1String(NSToolbarSpaceItemIdentifier)    ? tr("Space")
                              : identifier == QLatin1String(NSToolbarSeparatorItemIdentifier) ? tr("Separator")
                                                                                             : tr("Flexible Space");
        item->setPaletteLabel(label);
        return item;
    }
    if (delegate_ == nullptr) return nullptr;
    std::unique_ptr<ToolbarItem> item =
        delegate_->toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(this, identifier, willBeInserted);
    if (item && identifier == QLatin1String(NSToolbarPrintItemIdentifier)) {
        if (item->label().isEmpty()) item->setLabel(tr("Print"));
        if (item->paletteLabel().isEmpty()) item->setPaletteLabel(tr("Print"));
        if (item->toolTip().isEmpty()) item->setToolTip(tr("Print this document."));
        if (!item->image()) item->setImage(imageNamed(QStringLiteral("Print")));
    }
    return item;
}

std::unique_ptr<ToolbarItem> Toolbar::paletteItem(const QString& identifier) {
    return makeItem(identifier, false);
}

void Toolbar::applyItemIdentifiers(const QStringList& identifiers) {
    // Items that stay keep their identity; the rest leave, then the new come.
    clearLayout();
    std::vector<std::unique_ptr<ToolbarItem>> kept;
    std::vector<std::unique_ptr<ToolbarItem>> old = std::move(items_);
    items_.clear();
    for (const QString& identifier : identifiers) {
        const auto found = std::find_if(old.begin(), old.end(), [&](const std::unique_ptr<ToolbarItem>& item) {
            return item && item->identifier_ == identifier;
        });
        kept.push_back(found != old.end() ? std::move(*found) : nullptr);
    }
    for (auto& item : old) {
        if (!item) continue;
        if (item->view_) {
            item->view_->hide();
            item->view_->setParent(nullptr);
        }
        if (delegate_) delegate_->toolbarDidRemoveItem(this, item.get());
        item.reset();
    }
    for (std::size_t index = 0; index < kept.size(); ++index) {
        if (!kept[index]) {
            kept[index] = makeItem(identifiers[static_cast<qsizetype>(index)], true);
            if (!kept[index]) continue;
            if (delegate_) delegate_->toolbarWillAddItem(this, kept[index].get());
        }
        items_.push_back(std::move(kept[index]));
    }
    layOutItems();
}

void Toolbar::clearLayout() {
    for (const auto& item : items_) {
        if (item->view_) {
            item->view_->hide();
            item->view_->setParent(nullptr);
        }
    }
    clear();
    for (QAction* action : layoutActions_) delete action;
    layoutActions_.clear();
}

void Toolbar::layOutItems() {
    clearLayout();
    for (const auto& owned : items_) {
        ToolbarItem* item = owned.get();
        const QString& identifier = item->identifier_;
        if (identifier == QLatin1String(NSToolbarSeparatorItemIdentifier)) {
            layoutActions_.push_back(addSeparator());
            continue;
        }
        if (identifier == QLatin1String(NSToolbarSpaceItemIdentifier) ||
            identifier == QLatin1String(NSToolbarFlexibleSpaceItemIdentifier)) {
            auto* space = new QWidget;
            if (identifier == QLatin1String(NSToolbarSpaceItemIdentifier)) {
                space->setFixedWidth(16);
            } else {
                space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            }
            layoutActions_.push_back(addWidget(space));
            continue;
        }
        if (item->view_ && displayMode_ != ToolbarDisplayMode::LabelOnly) {
            auto* holder = new QWidget;
            auto* layout = new QVBoxLayout(holder);
            layout->setContentsMargins(2, 0, 2, 0);
            layout->setSpacing(1);
            QWidget* view = item->view_;
            if (item->minSize_.isValid()) view->setMinimumWidth(item->minSize_.width());
            if (item->maxSize_.isValid()) view->setMaximumWidth(item->maxSize_.width());
            view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            view->setToolTip(item->toolTip_);
            layout->addWidget(view);
            view->show();
            if (displayMode_ == ToolbarDisplayMode::IconAndLabel) {
                auto* label = new QLabel(item->label_);
                label->setAlignment(Qt::AlignCenter);
                layout->addWidget(label);
            }
            holder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            holder->setMaximumWidth(item->maxSize_.isValid() ? item->maxSize_.width() + 4 : QWIDGETSIZE_MAX);
            if (auto* field = qobject_cast<QLineEdit*>(view)) {
                // The field sends the item's action when Return is pressed in it.
                disconnect(field, &QLineEdit::returnPressed, this, nullptr);
                connect(field, &QLineEdit::returnPressed, this, [this, field] {
                    for (const auto& candidate : items_) {
                        if (candidate->view_ == field) candidate->sendAction();
                    }
                });
            }
            layoutActions_.push_back(addWidget(holder));
            continue;
        }
        if (!item->button_) {
            item->button_ = std::make_unique<QAction>(item->label_);
            item->button_->setToolTip(item->toolTip_);
            if (item->image_) item->button_->setIcon(item->image_->icon());
            item->button_->setEnabled(item->enabled_);
            if (identifier == QLatin1String(NSToolbarCustomizeToolbarItemIdentifier)) {
                connect(item->button_.get(), &QAction::triggered, this, [this] { runCustomizationPalette(); });
            } else {
                connect(item->button_.get(), &QAction::triggered, this, [item] { item->sendAction(); });
            }
        }
        item->button_->setMenu(displayMode_ == ToolbarDisplayMode::LabelOnly ? item->menuForm_.get() : nullptr);
        addAction(item->button_.get());
        if (auto* button = qobject_cast<QToolButton*>(widgetForAction(item->button_.get()))) {
            button->setAccessibleName(item->label_);
            if (item->button_->menu()) button->setPopupMode(QToolButton::InstantPopup);
        }
    }
    validateVisibleItems();
}

void Toolbar::validateVisibleItems() {
    if (delegate_ == nullptr) return;
    for (const auto& item : items_) {
        if (item->target_ == nullptr || item->target_ != delegateResponder_) continue;
        const bool enabled = delegate_->validateToolbarItem(item.get());
        if (enabled != item->enabled_) item->setEnabled(enabled);
    }
}

void Toolbar::setItemIdentifiersByUser(const QStringList& identifiers) {
    applyItemIdentifiers(sanitized(identifiers));
    saveConfiguration();
    applyConfigurationToSiblings();
}

void Toolbar::setDisplayModeByUser(ToolbarDisplayMode mode) {
    setDisplayMode(mode);
    saveConfiguration();
    applyConfigurationToSiblings();
}

void Toolbar::saveConfiguration() const {
    if (!autosaves_) return;
    PlistArray identifiers;
    for (const QString& identifier : itemIdentifiers()) identifiers.emplace_back(identifier.toStdString());
    PlistDictionary configuration;
    configuration.emplace_back(std::string(kItemIdentifiersKey), PlistValue(std::move(identifiers)));
    configuration.emplace_back(std::string(kDisplayModeKey), PlistValue(static_cast<std::int64_t>(displayMode_)));
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(std::move(configuration)), identifier_.toStdString());
}

void Toolbar::applyConfigurationToSiblings() {
    const QStringList identifiers = itemIdentifiers();
    for (const QPointer<Toolbar>& other : std::vector<QPointer<Toolbar>>(liveToolbars())) {
        if (other.isNull() || other == this || other->identifier_ != identifier_ || !other->delegate_) continue;
        other->setDisplayMode(displayMode_);
        if (other->itemIdentifiers() != identifiers) other->applyItemIdentifiers(other->sanitized(identifiers));
    }
}

ToolbarCustomizationDialog* Toolbar::runCustomizationPalette() {
    if (!allowsUserCustomization_ || delegate_ == nullptr) {
        beep();
        return nullptr;
    }
    if (!customization_) customization_ = new ToolbarCustomizationDialog(this);
    customization_->show();
    customization_->raise();
    customization_->activateWindow();
    return customization_;
}

QMenu* Toolbar::makeContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const std::pair<ToolbarDisplayMode, QString> modes[] = {
        {ToolbarDisplayMode::IconAndLabel, tr("Icon and Text")},
        {ToolbarDisplayMode::IconOnly, tr("Icon Only")},
        {ToolbarDisplayMode::LabelOnly, tr("Text Only")},
    };
    for (const auto& [mode, title] : modes) {
        QAction* item = menu->addAction(title);
        item->setCheckable(true);
        item->setChecked(displayMode_ == mode);
        connect(item, &QAction::triggered, this, [this, mode = mode] { setDisplayModeByUser(mode); });
    }
    if (allowsUserCustomization_) {
        menu->addSeparator();
        QAction* customize = menu->addAction(tr("Customize Toolbar…"));
        connect(customize, &QAction::triggered, this, [this] { runCustomizationPalette(); });
    }
    return menu;
}

void Toolbar::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

} // namespace cogbook
