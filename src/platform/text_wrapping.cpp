#include "platform/text_wrapping.h"

#include <QPlainTextEdit>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace cogbook {

qsizetype longestUnbreakableRun(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    qsizetype longest = 0;
    qsizetype previous = 0;
    for (qsizetype next = finder.toNextBoundary(); next != -1; next = finder.toNextBoundary()) {
        longest = std::max(longest, next - previous);
        previous = next;
    }
    return std::max(longest, text.size() - previous);
}

QTextOption::WrapMode wrapModeForText(const QString& text) {
    // A text shorter than the limit cannot hold a run longer than it.
    if (text.size() <= kLongestRunWrappedAtWords || longestUnbreakableRun(text) <= kLongestRunWrappedAtWords)
        return QTextOption::WrapAtWordBoundaryOrAnywhere;
    return QTextOption::WrapAnywhere;
}

void setPlainTextWrapped(QPlainTextEdit& view, const QString& text) {
    const QTextOption::WrapMode mode = wrapModeForText(text);
    if (mode == view.wordWrapMode()) {
        view.setPlainText(text);
        return;
    }
    // Each change of mode lays out what the view holds then: the slow mode
    // is taken only with the text that needs no other.
    if (mode == QTextOption::WrapAnywhere) {
        view.setWordWrapMode(mode);
        view.setPlainText(text);
    } else {
        view.setPlainText(text);
        view.setWordWrapMode(mode);
    }
}

void rewrapForText(QPlainTextEdit& view) {
    const QTextOption::WrapMode mode = wrapModeForText(view.toPlainText());
    if (mode != view.wordWrapMode()) view.setWordWrapMode(mode);
}

} // namespace cogbook
