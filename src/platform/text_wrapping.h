// Wrapping long notes without freezing the window. A plain-text view that
// wraps at word boundaries, breaking a word only where it is wider than the
// view, looks for the end of the word again for every line it breaks it
// into: laying out a run of N characters with no break opportunity takes
// time in proportion to N squared (80,000 characters: seconds). Text holding
// such a run is wrapped anywhere instead, which takes linear time and looks
// the same for the run itself.
#pragma once

#include <QString>
#include <QTextOption>

class QPlainTextEdit;

namespace cogbook {

// Runs longer than this are wrapped anywhere: far wider than any view, and
// short enough that wrapping them at word boundaries stays quick.
inline constexpr qsizetype kLongestRunWrappedAtWords = 1000;

// The number of characters of TEXT's longest stretch without a line break
// opportunity.
qsizetype longestUnbreakableRun(const QString& text);

QTextOption::WrapMode wrapModeForText(const QString& text);

// Shows TEXT in VIEW, wrapped as wrapModeForText says; the old text is never
// laid out again in the slow way on the way.
void setPlainTextWrapped(QPlainTextEdit& view, const QString& text);

// After the user changed VIEW's text: the wrapping its text now needs.
void rewrapForText(QPlainTextEdit& view);

} // namespace cogbook
