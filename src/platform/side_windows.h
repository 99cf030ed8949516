// The windows a document shows beside its own (a list, a chart). They have no
// menu bar, yet while one is the key window the commands that make sense
// there still reach its document: Undo and Redo (the very Edit menu items,
// so the same steps under the same titles) and Save, by the menu items' own
// keys. Close closes the side window alone.
#pragma once

class QWidget;

namespace cogbook {

class Document;
class Responder;

// Makes WINDOW one of DOCUMENT's side windows, for as long as WINDOW lives.
void attachWindowToDocument(QWidget* window, Document* document);
// The document WINDOW is a side window of, while that document is open; null
// otherwise.
Document* sideWindowDocument(const QWidget* window);
// Where the commands start while WINDOW is the key window: the side window's
// own (Close), then its document's. Null for a window not attached.
Responder* sideWindowResponder(const QWidget* window);

} // namespace cogbook
