// A calendar that drops down from a line edit where a day is typed. Alt+Down
// in the field, or the small button at its right end, opens it on the day the
// field names (or, when its text names none, the day it was given); a day
// picked with a click or Enter is handed on through dayChosen and the
// calendar closes. Escape closes it and leaves the field as it was.
#pragma once

#include <QDate>
#include <QObject>
#include <QPointer>

class QAction;
class QCalendarWidget;
class QWidget;
class QLineEdit;

namespace cogbook {

class DatePicker : public QObject {
    Q_OBJECT
public:
    // A picker for FIELD, which owns it; inactive until told otherwise.
    explicit DatePicker(QLineEdit* field);
    ~DatePicker() override;
    // The picker made for FIELD, if there is one.
    static DatePicker* of(const QLineEdit* field);

    // Whether the field offers the calendar: its button shows and Alt+Down
    // opens it. A field that serves other texts too turns it off for them.
    void setActive(bool active);
    bool isActive() const { return active_; }
    void setFallbackDay(QDate day) { fallbackDay_ = day; }

    // Opens the calendar under the field (closing it first if it is open);
    // answers whether it is open.
    bool popUp();
    void close();
    // The calendar while it is open, or null.
    QCalendarWidget* openCalendar() const;
    // The button at the field's right end.
    QAction* buttonAction() const { return button_; }

signals:
    void dayChosen(QDate day);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(QDate day);

    QLineEdit* field_;
    QAction* button_;
    QPointer<QWidget> popup_;
    QCalendarWidget* calendar_ = nullptr;
    QDate fallbackDay_;
    bool active_ = false;
};

} // namespace cogbook
