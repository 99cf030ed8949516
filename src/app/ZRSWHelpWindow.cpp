#include "app/ZRSWHelpWindow.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace cogbook {

void HandbookBrowser::doSetSource(const QUrl& url, QTextDocument::ResourceType type) {
    // A link names only a file; the type is not guessed from a MIME
    // database the system may not have.
    if (url.path().endsWith(QLatin1String(".md"))) type = QTextDocument::MarkdownResource;
    QTextBrowser::doSetSource(url, type);
}

QUrl ZRSWHelpWindow::contentsUrl() { return QUrl(QStringLiteral("qrc:/handbook/index.md")); }

ZRSWHelpWindow::ZRSWHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(tr("Cogbook Handbook"));
    setAccessibleName(tr("Cogbook Handbook"));
    resize(760, 680);

    browser_ = new HandbookBrowser(this);
    browser_->setAccessibleName(tr("Handbook page"));
    browser_->setOpenExternalLinks(true);
    browser_->setFrameShape(QFrame::NoFrame);

    const auto button = [this](const QString& title, const QString& name) {
        auto* made = new QPushButton(title, this);
        made->setAccessibleName(name);
        made->setAutoDefault(false);
        return made;
    };
    back_ = button(tr("&Back"), tr("Back"));
    forward_ = button(tr("&Forward"), tr("Forward"));
    contents_ = button(tr("&Contents"), tr("Contents"));
    back_->setToolTip(tr("The page shown before (Alt+Left)"));
    forward_->setToolTip(tr("The page shown after (Alt+Right)"));
    contents_->setToolTip(tr("The table of contents"));
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents_, &QPushButton::clicked, browser_, [this] { browser_->setSource(contentsUrl()); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 6, 6, 6);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(contents_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    setFocusProxy(browser_);

    // The keys that close a window close this one; the help key, pressed
    // here, leaves it where it is.
    // (A key bound twice would be ambiguous and do nothing: each once.)
    QList<QKeySequence> closeKeys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close))
        if (!key.isEmpty() && !closeKeys.contains(key)) closeKeys << key;
    for (const QKeySequence& key : closeKeys)
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &ZRSWHelpWindow::showHandbook);
}

void ZRSWHelpWindow::showHandbook() {
    if (browser_->source().isEmpty()) browser_->setSource(contentsUrl(), QTextDocument::MarkdownResource);
    show();
    raise();
    activateWindow();
    browser_->setFocus();
}

} // namespace cogbook
