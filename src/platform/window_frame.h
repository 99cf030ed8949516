// Window frames remembered by name in the user defaults, so that a window
// comes back where the user left it.
#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace cogbook {

// Sets WINDOW's frame from the frame saved under NAME, if there is one:
// converted from the scale it was saved at to the session's, and brought
// within the screen it overlaps most (the primary screen when it overlaps
// none). Answers whether it did.
bool setFrameUsingName(QWidget* window, const QString& name);
// From now on WINDOW's frame is saved under NAME whenever it moves or changes
// size (a burst of changes is saved once).
void setFrameAutosaveName(QWidget* window, const QString& name);
void saveFrameUsingName(QWidget* window, const QString& name);

// The stored text form of a frame, "x y width height", followed by " @scale"
// for a scale other than 1, and back. A text that is no frame gives an
// invalid one.
struct SavedFrame {
    QRect frame;
    double scale = 1.0;
};
QString stringFromFrame(const QRect& frame, double scale = 1.0);
SavedFrame savedFrameFromString(const QString& text);
QRect frameFromString(const QString& text);

} // namespace cogbook
