#include "platform/responder.h"

#include <QPointer>

#include <utility>
#include <vector>

#include "foundation/hooks.h"
#include "platform/application.h"

namespace cogbook {
namespace {

constexpr const char* kActionProperty = "platformAction";
constexpr const char* kTagProperty = "platformTag";

FirstResponderProvider& provider() {
    static FirstResponderProvider installed;
    return installed;
}

std::vector<QPointer<QMenu>>& registeredMenus() {
    static std::vector<QPointer<QMenu>> menus;
    return menus;
}

QAction* findMenuItem(const QList<QAction*>& items, std::string_view action, QStringList& titles) {
    for (QAction* item : items) {
        if (QMenu* submenu = item->menu()) {
            titles << item->iconText();
            if (QAction* found = findMenuItem(submenu->actions(), action, titles)) return found;
            titles.removeLast();
        } else if (menuItemAction(item) == action) {
            titles << item->iconText();
            return item;
        }
    }
    return nullptr;
}

} // namespace

void Responder::addCommand(std::string action, Command command) {
    commands_[std::move(action)] = std::move(command);
}

bool Responder::respondsToAction(std::string_view action) const {
    return commands_.find(action) != commands_.end();
}

bool Responder::performAction(std::string_view action, QAction* sender) {
    const auto found = commands_.find(action);
    if (found == commands_.end()) return false;
    const Command command = found->second; // the command may replace itself
    command(sender);
    didPerformAction(action);
    return true;
}

void Responder::didPerformAction(std::string_view) {}

bool Responder::validateMenuItem(QAction*) {
    return true;
}

void setFirstResponderProvider(FirstResponderProvider replacement) {
    provider() = std::move(replacement);
}

Responder* firstResponder() {
    return provider() ? provider()() : nullptr;
}

Responder* targetForAction(std::string_view action) {
    for (Responder* responder = firstResponder(); responder != nullptr; responder = responder->nextResponder()) {
        if (responder->respondsToAction(action)) return responder;
    }
    return nullptr;
}

void sendAction(std::string_view action, QAction* sender) {
    Application::performGuarded([&] {
        Responder* target = targetForAction(action);
        if (target == nullptr || (sender != nullptr && !target->validateMenuItem(sender))) {
            beep();
            return;
        }
        target->performAction(action, sender);
    });
}

QAction* makeMenuItem(QMenu* menu, const QString& title, std::string action, const QKeySequence& shortcut,
                      int tag) {
    auto* item = menu->addAction(title);
    item->setProperty(kActionProperty, QString::fromStdString(action));
    item->setProperty(kTagProperty, tag);
    if (!shortcut.isEmpty()) item->setShortcut(shortcut);
    QObject::connect(item, &QAction::triggered, item, [item, action = std::move(action)] {
        sendAction(action, item);
    });
    return item;
}

std::string menuItemAction(const QAction* item) {
    return item->property(kActionProperty).toString().toStdString();
}

void setMenuItemTitle(QAction* item, const QString& title) {
    QString escaped = title;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    item->setText(escaped);
}

QString menuItemTitle(const QAction* item) {
    QString title = item->text();
    title.replace(QLatin1String("&&"), QLatin1String("&"));
    return title;
}

int menuItemTag(const QAction* item) {
    return item->property(kTagProperty).toInt();
}

void validateMenu(QMenu* menu) {
    Application::performGuarded([menu] {
        for (QAction* item : menu->actions()) {
            if (QMenu* submenu = item->menu()) {
                validateMenu(submenu);
                continue;
            }
            const std::string action = menuItemAction(item);
            if (action.empty()) continue; // items without a command manage themselves
            Responder* target = targetForAction(action);
            item->setEnabled(target != nullptr && target->validateMenuItem(item));
        }
    });
}

void registerMenuForValidation(QMenu* menu) {
    registeredMenus().emplace_back(menu);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { validateMenu(menu); });
}

void validateRegisteredMenus() {
    auto& menus = registeredMenus();
    std::erase_if(menus, [](const QPointer<QMenu>& menu) { return menu.isNull(); });
    for (const auto& menu : menus) validateMenu(menu);
}

QAction* registeredMenuItemForAction(std::string_view action, QStringList* titles) {
    QStringList path;
    for (const auto& menu : registeredMenus()) {
        if (!menu) continue;
        path = QStringList{menu->menuAction()->iconText()};
        if (QAction* found = findMenuItem(menu->actions(), action, path)) {
            if (titles != nullptr) *titles = path;
            return found;
        }
    }
    return nullptr;
}

} // namespace cogbook
