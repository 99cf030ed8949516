#include "platform/side_windows.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/document.h"
#include "platform/document_controller.h"
#include "platform/responder.h"

namespace cogbook {
namespace {

// The document's commands a side window takes the keys of.
constexpr std::array<std::string_view, 4> kSideWindowCommands{"undo:", "redo:", "saveDocument:", "performClose:"};

class SideWindow : public QObject, public Responder {
public:
    SideWindow(QWidget* window, Document* document) : QObject(window), window_(window), document_(document) {
        addCommand("performClose:", [this](QAction*) { window_->close(); });
        window->installEventFilter(this);
        adoptMenuKeys();
    }

    Document* document() const {
        // A document closing is out of the controller's list before it ends.
        const auto* controller = DocumentController::sharedDocumentController();
        if (!document_ || controller == nullptr) return nullptr;
        const auto& open = controller->documents();
        return std::find(open.begin(), open.end(), document_.data()) != open.end() ? document_.data() : nullptr;
    }

    Responder* nextResponder() const override {
        if (Document* open = document()) return open;
        return DocumentController::sharedDocumentController();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The menus may be built after the window: each showing looks again.
        if (watched == window_ && event->type() == QEvent::Show) adoptMenuKeys();
        return false;
    }

private:
    // The menu items themselves go in, not copies: their keys, titles and
    // enabled states stay the menus' (validated before each key is handled).
    void adoptMenuKeys() {
        for (const std::string_view action : kSideWindowCommands)
            if (QAction* item = registeredMenuItemForAction(action)) window_->addAction(item);
    }

    QWidget* window_;
    QPointer<Document> document_;
};

SideWindow* sideWindowOf(const QWidget* window) {
    if (window == nullptr) return nullptr;
    // A plain object, without a meta-object of its own to be found by.
    for (QObject* child : window->children())
        if (auto* side = dynamic_cast<SideWindow*>(child)) return side;
    return nullptr;
}

} // namespace

void attachWindowToDocument(QWidget* window, Document* document) {
    if (window == nullptr || document == nullptr || sideWindowOf(window) != nullptr) return;
    new SideWindow(window, document);
}

Document* sideWindowDocument(const QWidget* window) {
    const SideWindow* side = sideWindowOf(window);
    return side ? side->document() : nullptr;
}

Responder* sideWindowResponder(const QWidget* window) {
    return sideWindowOf(window);
}

} // namespace cogbook
