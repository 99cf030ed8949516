#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextCursor>

#include "platform/text_wrapping.h"

namespace cogbook {
namespace {

QString prose(qsizetype length) {
    QString text;
    while (text.size() < length) text += QStringLiteral("Chain waxed, cassette and rings cleaned. ");
    return text;
}

TEST(TextWrapping, OnlyTextWithARunLongerThanAnyViewIsWrappedAnywhere) {
    const QString longRun(5000, QLatin1Char('Q'));
    // Ideographs may be broken between any two: no long run, however long.
    const QString ideographs = QString(4000, QChar(0x8F66));
    struct Case {
        const char* what;
        QString text;
        QTextOption::WrapMode mode;
    } cases[] = {
        {"nothing", QString(), QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"a long note of words", prose(200000), QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"one word of 900 letters", QString(900, QLatin1Char('x')), QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"ideographs", ideographs, QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"a pasted receipt alone", longRun, QTextOption::WrapAnywhere},
        {"a pasted receipt amid words", prose(3000) + longRun + prose(3000), QTextOption::WrapAnywhere},
        {"a pasted receipt at the end", prose(3000) + QLatin1Char('\n') + longRun, QTextOption::WrapAnywhere},
    };
    for (const Case& c : cases) EXPECT_EQ(wrapModeForText(c.text), c.mode) << c.what;

    EXPECT_EQ(longestUnbreakableRun(prose(3000) + longRun + QStringLiteral(" end")), 5001) << "with its space";
    EXPECT_EQ(longestUnbreakableRun(QStringLiteral("ab cd")), 3);
    EXPECT_EQ(longestUnbreakableRun(QString()), 0);
}

TEST(TextWrapping, AViewShowsEachTextWholeWithTheWrappingItNeeds) {
    QPlainTextEdit view;
    view.resize(300, 200);
    const QString receipt = QStringLiteral("Receipt: ") + QString(3000, QLatin1Char('Q'));
    const QString words = prose(5000);

    // Back and forth, as the selection moves between items.
    for (const QString& text : {receipt, words, receipt, QString(), words}) {
        setPlainTextWrapped(view, text);
        EXPECT_EQ(view.toPlainText(), text);
        EXPECT_EQ(view.wordWrapMode(), wrapModeForText(text));
    }

    // The user pastes a receipt into the notes, then takes it out again.
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(receipt);
    rewrapForText(view);
    EXPECT_EQ(view.wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(view.toPlainText(), words + receipt);
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, static_cast<int>(receipt.size()));
    cursor.removeSelectedText();
    rewrapForText(view);
    EXPECT_EQ(view.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    EXPECT_EQ(view.toPlainText(), words);
}

} // namespace
} // namespace cogbook
