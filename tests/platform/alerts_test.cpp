// The real message box, not the test hook: whatever it is given to show, it
// shows a readable amount of it, as plain text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "platform/alerts.h"

namespace cogbook {
namespace {

TEST(Alerts, AMessageBoxShowsABoundedPlainText) {
    const AlertHooks scripted = setAlertHooks({});
    const QString huge = QStringLiteral("<b>") + QString(20'000'000, QLatin1Char('C'));
    qsizetype shownText = -1, shownDetail = -1;
    Qt::TextFormat format = Qt::AutoText;
    // Answers the box once it is up.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shownText = box->text().size();
        shownDetail = box->informativeText().size();
        format = box->textFormat();
        box->accept();
    });
    showMessage(nullptr, AlertStyle::Warning, huge, huge);
    setAlertHooks(scripted);
    EXPECT_GT(shownText, 0) << "the box was not shown";
    EXPECT_LE(shownText, 2001);
    EXPECT_LE(shownDetail, 2001);
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
} // namespace cogbook
