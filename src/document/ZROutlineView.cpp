#include "document/ZROutlineView.h"

#include "platform/document.h"

namespace cogbook {

ZROutlineView::ZROutlineView(QWidget* parent) : OutlineView(parent) {}

void ZROutlineView::textDidEndEditing(const TextNotification& notification) {
    const QString key = QLatin1String(kTextMovementKey);
    if (notification.userInfo.value(key).toInt() != kTextMovementReturn) {
        OutlineView::textDidEndEditing(notification);
        return;
    }
    TextNotification stay{notification.name, notification.object, notification.userInfo};
    stay.userInfo.insert(key, static_cast<int>(kTextMovementOther));
    OutlineView::textDidEndEditing(stay);
    if (auto* documentWindow = qobject_cast<DocumentWindow*>(window())) {
        documentWindow->makeFirstResponder(this);
    } else {
        setFocus(Qt::OtherFocusReason);
    }
}

} // namespace cogbook
