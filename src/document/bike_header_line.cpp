#include "document/bike_header_line.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace cogbook {
namespace {

constexpr int kHorizontalMargin = 8;
constexpr int kVerticalMargin = 4;
// Between the name and the description.
QString separator() { return QStringLiteral("  \u2014  "); }

QFont boldVersion(QFont font) {
    font.setBold(true);
    return font;
}

} // namespace

BikeHeaderLine::BikeHeaderLine(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAccessibleName(tr("Bike"));
    setBike(QString(), QString());
}

void BikeHeaderLine::setBike(const QString& name, const QString& description) {
    name_ = name;
    description_ = description;
    const QString shown = description_.isEmpty() ? name_ : name_ + separator() + description_;
    // The whole text for a line cut short, and for whoever cannot see it.
    setToolTip(tr("%1\nDouble-click or press Return to edit the bike's details.").arg(shown));
    setAccessibleDescription(tr("%1. Press Return to edit the bike's description and notes.").arg(shown));
    update();
}

QString BikeHeaderLine::shownDescription() const {
    return description_.isEmpty() ? tr("No description: double-click to describe the bike") : description_;
}

int BikeHeaderLine::lineHeight() const {
    return std::max(QFontMetrics(boldVersion(font())).height(), fontMetrics().height());
}

QSize BikeHeaderLine::sizeHint() const {
    const QFontMetrics bold(boldVersion(font()));
    return {bold.horizontalAdvance(name_) + fontMetrics().horizontalAdvance(separator() + shownDescription()) +
                2 * kHorizontalMargin,
            lineHeight() + 2 * kVerticalMargin};
}

QSize BikeHeaderLine::minimumSizeHint() const { return {0, lineHeight() + 2 * kVerticalMargin}; }

void BikeHeaderLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(kHorizontalMargin, 0, -kHorizontalMargin, 0);
    const QFont bold = boldVersion(font());
    const QFontMetrics boldMetrics(bold);

    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString name = boldMetrics.elidedText(name_, Qt::ElideRight, area.width());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, name);

    const int used = boldMetrics.horizontalAdvance(name);
    const QRect rest = area.adjusted(used, 0, 0, 0);
    if (rest.width() > 0) {
        painter.setFont(font());
        // A hint without a description, in the colour the palette gives hints.
        painter.setPen(palette().color(description_.isEmpty() ? QPalette::PlaceholderText : QPalette::WindowText));
        const QString text =
            fontMetrics().elidedText(separator() + shownDescription(), Qt::ElideRight, rest.width());
        painter.drawText(rest, Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 1, -2, -1);
        focus.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void BikeHeaderLine::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    event->accept();
    emit activated();
}

void BikeHeaderLine::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            event->accept();
            emit activated();
            return;
        }
        break;
    default: break;
    }
    QWidget::keyPressEvent(event);
}

} // namespace cogbook
