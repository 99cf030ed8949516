// The handbook: F1 opens its window over the pages built into the program,
// and every link leads to a page that is there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "app/ZRSWHelpWindow.h"
#include "app/controller_fixture.h"
#include "document/MyDocument.h"
#include "support/gui_support.h"

namespace cogbook {
namespace {

using test_support::processPendingEvents;

// The targets of the links on the page shown, in order.
QStringList links(const QTextBrowser* browser) {
    QStringList result;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isAnchor() && !result.contains(format.anchorHref())) result << format.anchorHref();
        }
    }
    return result;
}

QString heading(const QTextBrowser* browser) { return browser->document()->firstBlock().text(); }

class HandbookTest : public test_support::ControllerTest {
protected:
    void SetUp() override {
        ControllerTest::SetUp();
        controller->awakeFromNib();
    }
    // F1, as the user presses it in DOCUMENT's window, brought to the front.
    void pressHelpKey(MyDocument* document) {
        QApplication::setActiveWindow(document->documentWindow());
        processPendingEvents();
        QTest::keyClick(document->bikeTable(), Qt::Key_F1);
        processPendingEvents();
    }
};

TEST_F(HandbookTest, HelpKeyOpensOneWindowWhoseLinksReachEverySection) {
    auto* document = static_cast<MyDocument*>(controller->newDocument());
    ASSERT_NE(document, nullptr);
    pressHelpKey(document);

    ZRSWHelpWindow* help = controller->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->accessibleName().isEmpty());
    QTextBrowser* browser = help->browser();
    EXPECT_EQ(heading(browser), "Cogbook Handbook");

    const QStringList sections = links(browser);
    QStringList headings;
    for (const QString& link : sections) {
        SCOPED_TRACE(link.toStdString());
        // As a click resolves it: against the page it is on.
        browser->setSource(browser->source().resolved(QUrl(link)));
        headings << heading(browser);
        // Every page's links name pages that are there.
        for (const QString& target : links(browser)) {
            const QUrl url = browser->source().resolved(QUrl(target));
            if (url.scheme() == QLatin1String("qrc")) {
                EXPECT_TRUE(QFile::exists(QLatin1Char(':') + url.path())) << target.toStdString();
            }
        }
        browser->backward();
    }
    EXPECT_EQ(headings, QStringList({"Getting started", "The window", "Editing", "Moving and copying", "Searching",
                                     "Printing", "Service planning", "Templates", "The file format", "The command line",
                                     "Keys"}));
    EXPECT_EQ(browser->source(), ZRSWHelpWindow::contentsUrl());

    // One window for the program: Escape puts it away, F1 brings the same one
    // back at the page read last.
    browser->setSource(ZRSWHelpWindow::contentsUrl().resolved(QUrl(QStringLiteral("keys.md"))));
    QTest::keyClick(browser, Qt::Key_Escape);
    processPendingEvents();
    EXPECT_FALSE(help->isVisible());
    pressHelpKey(document);
    EXPECT_EQ(controller->helpWindow(), help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(heading(browser), "Keys");
}

} // namespace
} // namespace cogbook
