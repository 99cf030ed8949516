#include "platform/keyboard_focus.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QShortcut>

#include <algorithm>
#include <memory>

#include "platform/document.h"
#include "platform/legible_colors.h"

namespace cogbook {

FocusFrame::FocusFrame(QWidget* pane) : QWidget(pane), pane_(pane) {
    setObjectName(QStringLiteral("focusFrame"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(pane->rect());
    pane->installEventFilter(this);
    // Shown only while framing: over the pane, it costs the pane's scrolling
    // a repaint in place of a copy.
    connect(qApp, &QApplication::focusChanged, this, &FocusFrame::follow);
    follow();
}

void FocusFrame::follow() {
    const bool framing = isFramingFocus();
    if (framing) raise();
    setVisible(framing);
}

FocusFrame* FocusFrame::attach(QWidget* pane) {
    return pane != nullptr ? new FocusFrame(pane) : nullptr;
}

bool FocusFrame::isFramingFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    return pane_ && focus != nullptr && (focus == pane_ || pane_->isAncestorOf(focus));
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pane_) {
        if (event->type() == QEvent::Resize) setGeometry(pane_->rect());
        // Above whatever the pane adds later (its scroll bars, say).
        if (event->type() == QEvent::ChildAdded) raise();
    }
    return false;
}

void FocusFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(focusFrameColor(palette()));
    pen.setWidth(kWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
}

namespace {

void moveFocus(QWidget* window, const std::vector<QPointer<QWidget>>& panes, bool forward) {
    std::vector<QWidget*> shown;
    for (const auto& pane : panes)
        if (pane && pane->isVisible() && pane->focusPolicy() != Qt::NoFocus) shown.push_back(pane);
    if (shown.empty()) return;
    const QWidget* focus = window->focusWidget();
    const auto current = std::find_if(shown.begin(), shown.end(), [focus](const QWidget* pane) {
        return focus != nullptr && (focus == pane || pane->isAncestorOf(focus));
    });
    const auto count = static_cast<long>(shown.size());
    long next = forward ? 0 : count - 1;
    if (current != shown.end()) next = ((current - shown.begin()) + (forward ? 1 : count - 1)) % count;
    QWidget* target = shown[static_cast<std::size_t>(next)];
    if (auto* documentWindow = qobject_cast<DocumentWindow*>(window)) {
        documentWindow->makeFirstResponder(target);
    } else {
        target->setFocus(Qt::TabFocusReason);
    }
}

} // namespace

void installPaneCycle(QWidget* window, const std::vector<QWidget*>& panes) {
    if (window == nullptr) return;
    auto kept = std::make_shared<std::vector<QPointer<QWidget>>>(panes.begin(), panes.end());
    const struct {
        QKeySequence key;
        bool forward;
    } keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), true},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), false},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), false},
        {QKeySequence(Qt::Key_F6), true},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), false},
    };
    for (const auto& [key, forward] : keys) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window,
                         [window, kept, forward = forward] { moveFocus(window, *kept, forward); });
    }
}

} // namespace cogbook
