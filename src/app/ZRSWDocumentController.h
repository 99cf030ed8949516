// The application's document controller: the templates in the user
// defaults, the template menu, and new documents from a chosen template.
#pragma once

#include <QPointer>

#include <memory>
#include <optional>
#include <string>

#include "platform/document_controller.h"

class QAction;
class QMenu;

namespace cogbook {

class ZRSWHelpWindow;

// "New " followed by TITLE, or by "Empty Bike" when there is none.
QString _newTitle(const std::optional<std::string>& title);

class ZRSWDocumentController : public DocumentController {
    Q_OBJECT
public:
    // Registers the default user defaults, once per process: the preferred
    // template 0 and the one template of the "defaultBike" resource.
    static void initialize();
    // The registration itself, without the once-flag (the defaults are
    // registered again after they have been reloaded).
    static void registerDefaultUserDefaults();

    ZRSWDocumentController();
    ~ZRSWDocumentController() override;

    // Builds the main menu and fills the template menu; the New item is
    // titled after the preferred template.
    void awakeFromNib();

    void newDocumentWithTemplate(QAction* sender);
    void setNewDocumentMenuItemTitleWith(const std::optional<std::string>& templateTitle);

    QMenu* newDocFromTemplateMenu() const { return newDocFromTemplateMenu_; }
    QAction* newDocumentMenuItem() const { return newDocumentMenuItem_; }
    // The menus every document window's menu bar shows.
    const std::vector<QMenu*>& mainMenus() const { return mainMenus_; }

    // The document a launch without files starts with: a new one from the
    // preferred template, or, when that cannot be made (reported to the
    // user), an empty bike, so that the program is never left without a
    // window to work in.
    Document* newDocumentAtLaunch() override;

    void prepareDocumentWindow(QMainWindow* window) override;
    void showAboutBox();
    // The handbook's window, made on first use; null before.
    void showHandbook();
    ZRSWHelpWindow* helpWindow() const { return helpWindow_.get(); }

protected:
    Document* makeUntitledDocument() override;
    Document* makeDocumentForReading() override;

private:
    void buildMainMenu();
    void appendTemplateItem(const QString& title);

    QPointer<QMenu> newDocFromTemplateMenu_;
    QPointer<QAction> newDocumentMenuItem_;
    std::vector<QMenu*> mainMenus_;
    std::unique_ptr<ZRSWHelpWindow> helpWindow_;
};

} // namespace cogbook
