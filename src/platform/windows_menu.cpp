#include "platform/windows_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "platform/document.h"
#include "platform/document_controller.h"
#include "platform/responder.h"

namespace cogbook {
namespace {

struct ListedWindow {
    QPointer<QWidget> window;
    QString title;
};

std::vector<ListedWindow>& listedWindows() {
    static std::vector<ListedWindow> windows;
    return windows;
}

void prune() {
    std::erase_if(listedWindows(), [](const ListedWindow& listed) { return listed.window.isNull(); });
}

void addWindowItem(QMenu* menu, QWidget* window, const QString& title) {
    QAction* item = menu->addAction(QString());
    setMenuItemTitle(item, title);
    item->setCheckable(true);
    item->setChecked(window == QApplication::activeWindow());
    QPointer<QWidget> target(window);
    QObject::connect(item, &QAction::triggered, item, [target] {
        if (!target) return;
        if (target->isMinimized()) target->showNormal();
        target->show();
        target->raise();
        target->activateWindow();
    });
}

} // namespace

void addWindowsItem(QWidget* window, const QString& title) {
    if (window == nullptr) return;
    prune();
    auto& windows = listedWindows();
    const auto found =
        std::find_if(windows.begin(), windows.end(), [window](const ListedWindow& listed) { return listed.window == window; });
    if (found != windows.end()) {
        found->title = title;
        return;
    }
    windows.push_back({window, title});
}

void removeWindowsItem(QWidget* window) {
    std::erase_if(listedWindows(), [window](const ListedWindow& listed) {
        return listed.window.isNull() || listed.window == window;
    });
}

void fillWindowsMenu(QMenu* menu) {
    menu->clear();
    if (auto* controller = DocumentController::sharedDocumentController()) {
        for (Document* document : controller->orderedDocuments()) {
            if (DocumentWindow* window = document->window()) addWindowItem(menu, window, document->displayName());
        }
    }
    prune();
    bool separated = menu->isEmpty();
    for (const ListedWindow& listed : listedWindows()) {
        if (!listed.window->isVisible()) continue;
        if (!separated) {
            menu->addSeparator();
            separated = true;
        }
        addWindowItem(menu, listed.window, listed.title);
    }
}

} // namespace cogbook
