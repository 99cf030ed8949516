// Window frames remembered by name in the user defaults, so that a window
// comes back where the user left it.
#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace cogbook {

// Sets WINDOW's frame from the frame saved under NAME, if there is one that
// fits on a screen. Answers whether it did.
bool setFrameUsingName(QWidget* window, const QString& name);
// From now on WINDOW's frame is saved under NAME whenever it moves or changes
// size (a burst of changes is saved once).
void setFrameAutosaveName(QWidget* window, const QString& name);
void saveFrameUsingName(QWidget* window, const QString& name);

// The stored text form of a frame ("x y width height") and back.
QString stringFromFrame(const QRect& frame);
QRect frameFromString(const QString& text);

} // namespace cogbook
