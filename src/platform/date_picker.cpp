#include "platform/date_picker.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/date_text.h"

namespace cogbook {

DatePicker::DatePicker(QLineEdit* field) : QObject(field), field_(field) {
    button_ = new QAction(field->style()->standardIcon(QStyle::SP_ArrowDown), tr("Choose a Day"), this);
    button_->setToolTip(tr("Choose the day from a calendar (Alt+Down)"));
    button_->setVisible(false);
    field->addAction(button_, QLineEdit::TrailingPosition);
    // The button the field makes for the action is named after it.
    for (QObject* shown : button_->associatedObjects()) {
        auto* widget = qobject_cast<QWidget*>(shown);
        if (widget != nullptr && widget != field) widget->setAccessibleName(button_->text());
    }
    connect(button_, &QAction::triggered, this, [this] { popUp(); });
    field->installEventFilter(this);
}

DatePicker::~DatePicker() {
    delete popup_.data();
}

DatePicker* DatePicker::of(const QLineEdit* field) {
    return field ? field->findChild<DatePicker*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void DatePicker::setActive(bool active) {
    active_ = active;
    button_->setVisible(active);
    if (!active) close();
}

bool DatePicker::popUp() {
    close();
    if (!active_ || !field_->isVisible()) return false;
    const std::optional<QDate> typed = dateFromEditingText(field_->text(), QLocale());
    QDate day = typed ? *typed : fallbackDay_;
    if (!day.isValid()) day = QDate::currentDate();

    auto* popup = new QFrame(field_, Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    popup->setAccessibleName(tr("Calendar"));
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(1, 1, 1, 1);
    calendar_ = new QCalendarWidget(popup);
    calendar_->setAccessibleName(tr("Day"));
    calendar_->setLocale(QLocale());
    calendar_->setSelectedDate(day);
    layout->addWidget(calendar_);
    connect(calendar_, &QCalendarWidget::clicked, this, &DatePicker::choose);
    connect(calendar_, &QCalendarWidget::activated, this, &DatePicker::choose);
    popup->installEventFilter(this);
    popup_ = popup;

    // Under the field, or above it when there is no room below; on its screen.
    const QSize size = popup->sizeHint();
    QPoint at = field_->mapToGlobal(QPoint(0, field_->height()));
    if (const QScreen* screen = field_->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.y() + size.height() > room.bottom()) at.setY(field_->mapToGlobal(QPoint(0, 0)).y() - size.height());
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
        at.setY(std::max(at.y(), room.top()));
    }
    popup->move(at);
    popup->show();
    calendar_->setFocus(Qt::PopupFocusReason);
    return true;
}

void DatePicker::close() {
    if (popup_) popup_->close();
}

QCalendarWidget* DatePicker::openCalendar() const {
    return popup_ && popup_->isVisible() ? calendar_ : nullptr;
}

void DatePicker::choose(QDate day) {
    if (!popup_ || !day.isValid()) return;
    close();
    emit dayChosen(day);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress && active_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier) {
            popUp();
            return true;
        }
    }
    if (watched == popup_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)) {
        close();
        return true;
    }
    if (watched == popup_ && event->type() == QEvent::Hide) {
        // Closed by a pick, Escape or a click elsewhere: typing goes on in
        // the field, as it was.
        calendar_ = nullptr;
        if (field_->isVisible()) field_->setFocus(Qt::PopupFocusReason);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace cogbook
