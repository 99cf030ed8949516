// Commands by name, sent along a responder chain: the document of the key
// window first, then the document controller. A menu item names its command
// (its action) and carries a tag; it is enabled when a responder in the chain
// takes the command and that responder's validateMenuItem agrees.
#pragma once

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace cogbook {

class Responder {
public:
    virtual ~Responder() = default;

    using Command = std::function<void(QAction* sender)>;
    void addCommand(std::string action, Command command);
    bool respondsToAction(std::string_view action) const;
    // Runs ACTION here if this responder takes it; answers whether it did.
    bool performAction(std::string_view action, QAction* sender);
    // Called after each command this responder ran (that did not throw).
    virtual void didPerformAction(std::string_view action);

    // Whether ITEM, whose action this responder takes, is enabled now. May
    // also retitle ITEM.
    virtual bool validateMenuItem(QAction* item);

    virtual Responder* nextResponder() const { return nullptr; }

private:
    std::map<std::string, Command, std::less<>> commands_;
};

// The chain's first responder: set by the document controller.
using FirstResponderProvider = std::function<Responder*()>;
void setFirstResponderProvider(FirstResponderProvider provider);
Responder* firstResponder();

// The responder in the chain that takes ACTION, or null.
Responder* targetForAction(std::string_view action);
// Sends ACTION along the chain; beeps when nobody takes it. Guarded: a
// failure is reported by the application's event-loop boundary.
void sendAction(std::string_view action, QAction* sender);

// A menu item that sends ACTION when chosen.
QAction* makeMenuItem(QMenu* menu, const QString& title, std::string action,
                      const QKeySequence& shortcut = {}, int tag = 0);
std::string menuItemAction(const QAction* item);
// A menu item's title as the user reads it; "&" in it is a plain character,
// not a keyboard mnemonic.
void setMenuItemTitle(QAction* item, const QString& title);
QString menuItemTitle(const QAction* item);
int menuItemTag(const QAction* item);

// Enables (and lets the responders retitle) every item of MENU, its submenus
// included, as the chain stands now.
void validateMenu(QMenu* menu);
// Menus validated each time they open, and before any shortcut is handled.
void registerMenuForValidation(QMenu* menu);
void validateRegisteredMenus();
// The item of the registered menus that sends ACTION (the first found), or
// null; TITLES gets the titles leading to it, the item's last, as the user
// reads them ("Record", "Add Part").
QAction* registeredMenuItemForAction(std::string_view action, QStringList* titles = nullptr);

} // namespace cogbook
