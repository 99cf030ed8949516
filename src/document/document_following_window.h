// A window of its own on one document's record (the service log, the costs
// by year, what is due): it catches up with every change of the record while
// it shows, and once on showing again after changes made while it was
// hidden; it is titled after the document's name and listed under that title
// in the Window menu; the document's Undo, Redo and Save keys work in it; it
// ends with the document.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {

class MyDocument;

class DocumentFollowingWindow : public QWidget {
    Q_OBJECT
public:
    ~DocumentFollowingWindow() override;

    // Catches up with the record now.
    virtual void refresh() = 0;

protected:
    // PARENT: the window it stays in front of, or none.
    DocumentFollowingWindow(MyDocument* document, QWidget* parent);

    // The document, while it lives.
    MyDocument* followedDocument() const { return document_; }
    // The title for the document's name as it is now.
    virtual QString currentTitle() const = 0;
    // While the window shows, the notes of ITEMS changed and nothing else: by
    // default nothing to do (the window shows no notes).
    virtual void notesChanged(const std::vector<ZRBicycleListPtr>& items);
    // Titles the window afresh; the window's own constructor calls it once.
    void retitle();

    void showEvent(QShowEvent* event) override;

private:
    void recordChanged();

    QPointer<MyDocument> document_;
    // The record changed while the window was hidden.
    bool stale_ = true;
};

} // namespace cogbook
