// What is due, where the user sees it: the Service Due list of the document,
// and the bar a record opened from a file shows while parts of it want
// service. Both follow the record as it changes.
#include <QLocale>
#include <QPushButton>

#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "document/ZRSWServiceDueWindow.h"
#include "foundation/notification_center.h"
#include "platform/application.h"
#include "platform/message_bar.h"

namespace cogbook {

void MyDocument::installServiceCommands() {
    addCommand("showServiceDue:", [this](QAction*) { showServiceDue(); });
    addCommand("exportServiceLogAsCSV:", [this](QAction*) { exportServiceLogAsCsv(); });
    addCommand("importServiceEntriesFromCSV:", [this](QAction*) { importServiceEntriesFromCsv(); });
    // The bar goes in once the window is made. Observed under the key of the
    // record's other observers, which the document removes as it ends.
    NotificationCenter::defaultCenter().addObserver(&recordChangePending_,
                                                    std::string(kZRSWBikeDocumentDidLoadNotification), this,
                                                    [this](const Notification&) { installServiceDueBar(); });
}

ZRSWServiceDueWindow* MyDocument::serviceDueWindow() const { return serviceDueWindow_; }

MessageBar* MyDocument::serviceDueBar() const { return serviceDueBar_; }

void MyDocument::showServiceDue() {
    if (documentWindow() == nullptr) return;
    if (!serviceDueWindow_) {
        serviceDueWindow_ = new ZRSWServiceDueWindow(this);
    } else {
        // What is due moves with the calendar as well as with the record.
        serviceDueWindow_->refresh();
    }
    serviceDueWindow_->show();
    serviceDueWindow_->raise();
    serviceDueWindow_->activateWindow();
    serviceDueWindow_->focusContent();
}

QString MyDocument::serviceDueBarText() const {
    std::size_t overdue = 0;
    std::size_t due = 0;
    for (const PartDue& part : serviceDue().parts) {
        if (part.state == DueState::overdue) ++overdue;
        if (part.state == DueState::due) ++due;
    }
    const QLocale locale;
    if (overdue > 0 && due > 0) {
        return tr("%1 parts need service: %2 overdue, %3 due.")
            .arg(locale.toString(static_cast<qulonglong>(overdue + due)), locale.toString(static_cast<qulonglong>(overdue)),
                 locale.toString(static_cast<qulonglong>(due)));
    }
    if (overdue == 1) return tr("1 part is overdue for service.");
    if (overdue > 1) return tr("%1 parts are overdue for service.").arg(locale.toString(static_cast<qulonglong>(overdue)));
    if (due == 1) return tr("1 part is due for service.");
    if (due > 1) return tr("%1 parts are due for service.").arg(locale.toString(static_cast<qulonglong>(due)));
    return {};
}

void MyDocument::installServiceDueBar() {
    DocumentWindow* window = documentWindow();
    if (window == nullptr || serviceDueBar_) return;
    serviceDueBar_ = MessageBar::installIn(window, tr("Service due"));
    QPushButton* show = serviceDueBar_->addButton(tr("Show Service Due"), tr("Show Service Due"));
    show->setToolTip(tr("The parts with a service interval, most urgent first (Ctrl+Shift+D)"));
    connect(show, &QPushButton::clicked, this, [this] { Application::performGuarded([this] { showServiceDue(); }); });
    connect(this, &MyDocument::recordChanged, this, &MyDocument::updateServiceDueBar);
    // Dismissed from the keyboard, the bar hands the keys back to the outline.
    connect(serviceDueBar_, &MessageBar::dismissed, this, [this](bool hadKeyboard) {
        if (hadKeyboard && documentWindow() && bikeTable_) documentWindow()->makeFirstResponder(bikeTable_);
    });
    // News for a record opened from a file; a new record has nothing due yet
    // that its user does not know of.
    if (fileName().isEmpty()) return;
    const QString text = serviceDueBarText();
    if (!text.isEmpty()) serviceDueBar_->showMessage(text);
}

void MyDocument::updateServiceDueBar() {
    // A bar dismissed (or never shown) stays away; one showing follows the
    // record, and goes once nothing is due any more.
    if (!serviceDueBar_ || serviceDueBar_->isHidden()) return;
    const QString text = serviceDueBarText();
    if (text.isEmpty()) {
        serviceDueBar_->dismiss();
    } else if (text != serviceDueBar_->message()) {
        serviceDueBar_->showMessage(text);
    }
}

} // namespace cogbook
