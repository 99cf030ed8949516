// The handbook's window: one for the whole program, not modal, over the
// Markdown pages built into the program. It opens on the contents; links
// lead from page to page, Back and Forward retrace them. Escape or the
// close key hides it, keeping its place for the next time.
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

class QPushButton;

namespace cogbook {

// Reads pages ending in ".md" as Markdown, whichever way they are reached.
class HandbookBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

protected:
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override;
};

class ZRSWHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit ZRSWHelpWindow(QWidget* parent = nullptr);

    // The first page: the handbook's table of contents.
    static QUrl contentsUrl();

    // Shows the window (on the contents the first time) and brings it forward.
    void showHandbook();
    QTextBrowser* browser() const { return browser_; }

private:
    HandbookBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
    QPushButton* contents_;
};

} // namespace cogbook
