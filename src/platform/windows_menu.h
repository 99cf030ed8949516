// The Window menu: every document window, then the other windows that asked
// to be listed (each under its own title); choosing one brings it to the front.
#pragma once

#include <QString>

class QMenu;
class QWidget;

namespace cogbook {

// Lists WINDOW under TITLE (a window listed already takes the new title). A
// window is dropped from the list when it is destroyed.
void addWindowsItem(QWidget* window, const QString& title);
void removeWindowsItem(QWidget* window);

// Fills MENU afresh with the document windows, front-most first, and the
// listed windows that are open. The key window's item is checked.
void fillWindowsMenu(QMenu* menu);

} // namespace cogbook
