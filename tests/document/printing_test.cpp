// Print, preview and PDF export: the pages hold the record's plain text, and never edit it.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QPrinter>

#include "document/document_fixture.h"
#include "document/record_printer.h"
#include "foundation/undo_manager.h"
#include "platform/application.h"
#include "platform/print_panels.h"
#include "support/pdf_text.h"

namespace cogbook {
namespace {

using test_support::bodiesOf;
using test_support::readPdfPages;
using test_support::withoutSpace;

// Answers the print panel, the preview and the PDF file chooser: the printer
// is pointed at a PDF file, so that what would reach the paper can be read.
class ScriptedPrintPanels {
public:
    explicit ScriptedPrintPanels(QString output) : pdfPath(std::move(output)) {
        PrintPanelHooks hooks;
        hooks.runPrintPanel = [this](QPrinter& printer, QWidget*) {
            ++panels;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(this->pdfPath);
            return print;
        };
        hooks.runPrintPreview = [this](QPrinter& printer, QWidget*, const std::function<void(QPrinter*)>& paint) {
            ++previews;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(this->pdfPath);
            paint(&printer);
        };
        hooks.choosePdfPath = [this](QWidget*, const QString& suggested) {
            suggestedPaths << suggested;
            return chosenPath;
        };
        previous_ = setPrintPanelHooks(std::move(hooks));
    }
    ~ScriptedPrintPanels() { setPrintPanelHooks(std::move(previous_)); }
    ScriptedPrintPanels(const ScriptedPrintPanels&) = delete;
    ScriptedPrintPanels& operator=(const ScriptedPrintPanels&) = delete;

    QString pdfPath;
    bool print = true;
    int panels = 0;
    int previews = 0;
    QString chosenPath;
    QStringList suggestedPaths;

private:
    PrintPanelHooks previous_;
};

class PrintingTest : public test_support::DocumentTest {
protected:
    // A record of a few parts with entries, notes over several lines, a
    // description too long for one printed line, and characters beyond ASCII.
    static ZRBicycleListPtr serviceHistory() {
        auto bike = test_support::node("Tandem", true);
        for (int index = 0; index < 40; ++index) {
            auto part = test_support::node("Part " + std::to_string(index), true);
            bike->addChildPartOrEntry(part);
            auto entry = test_support::node("Part " + std::to_string(index), false);
            entry->setDescription(index == 7 ? std::string(40, 'x') + " " + std::string(200, 'y') : "Serviced");
            if (index % 3 == 0) entry->setNotes("Dérailleur trued\nnew cable");
            part->addChildPartOrEntry(entry);
        }
        return bike;
    }

    std::vector<test_support::PdfPage> printedPages() { return readPdfPages(panels.pdfPath); }

    ScriptedPrintPanels panels{defaults.filePath(QStringLiteral("printed.pdf"))};
};

TEST_F(PrintingTest, PrintAndPreviewShowTheRecordsPlainTextOnHeadedPages) {
    MyDocument* document = documentShowing(serviceHistory(), defaults.filePath(QStringLiteral("Tandem.cogbook")));
    ASSERT_NE(document, nullptr);
    const std::string text = *document->theBike()->stringFromBicycleList();

    perform(document, "printDocument:");
    EXPECT_EQ(panels.panels, 1);
    auto pages = printedPages();
    ASSERT_GE(pages.size(), 2u);
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    for (std::size_t index = 0; index < pages.size(); ++index) {
        EXPECT_EQ(pages[index].header, "Tandem.cogbook " + today);
        EXPECT_EQ(pages[index].footer, "Page " + std::to_string(index + 1));
    }
    EXPECT_EQ(withoutSpace(bodiesOf(pages)), withoutSpace(text));

    // The toolbar's print and the preview give the same pages.
    QFile::remove(panels.pdfPath);
    document->_printFromToolbar();
    EXPECT_EQ(withoutSpace(bodiesOf(printedPages())), withoutSpace(text));
    QFile::remove(panels.pdfPath);
    perform(document, "printPreview:");
    EXPECT_EQ(panels.previews, 1);
    EXPECT_EQ(printedPages().size(), pages.size());

    // A cancelled print panel prints nothing.
    QFile::remove(panels.pdfPath);
    panels.print = false;
    perform(document, "printDocument:");
    EXPECT_FALSE(QFile::exists(panels.pdfPath));
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(PrintingTest, AnEmptyRecordPrintsOneEmptyPage) {
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(static_cast<std::int64_t>(kNSNotFound)),
                                                         ZRSWPreferredBike);
    MyDocument* document = newDocument();
    ASSERT_NE(document, nullptr);
    perform(document, "printDocument:");
    const auto pages = printedPages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(withoutSpace(pages[0].body), "");
    EXPECT_EQ(pages[0].footer, "Page 1");
}

TEST_F(PrintingTest, PrintingRecordsNoStepOfItsOwn) {
    MyDocument* second = newKeyDocument();
    MyDocument* first = newKeyDocument();
    ASSERT_TRUE(first && second);

    // One row selected, its notes unchanged: no document becomes edited.
    first->bikeTable()->selectRowByExtendingSelection(0, false);
    perform(first, "printDocument:");
    EXPECT_EQ(panels.panels, 1);
    EXPECT_FALSE(first->isDocumentEdited());
    EXPECT_FALSE(second->isDocumentEdited());

    // Notes being typed: printed, and the typing stays its one step.
    first->notesView()->setFocus();
    test_support::typeAt(first->notesView(), QStringLiteral("Greased"), 10.0);
    perform(first, "printDocument:");
    EXPECT_EQ(first->undoManager().undoStepCount(), 1u);
    EXPECT_NE(bodiesOf(printedPages()).find("Greased"), std::string::npos);
}

TEST_F(PrintingTest, ExportWritesThePdfOrNothing) {
    const QString record = defaults.filePath(QStringLiteral("Tandem.cogbook"));
    MyDocument* document = documentShowing(serviceHistory(), record);
    ASSERT_NE(document, nullptr);
    const std::string text = *document->theBike()->stringFromBicycleList();

    // The chooser proposes the record's name beside it; cancelling it writes nothing.
    EXPECT_FALSE(document->exportAsPdf());
    ASSERT_EQ(panels.suggestedPaths.size(), 1);
    EXPECT_EQ(panels.suggestedPaths[0], defaults.filePath(QStringLiteral("Tandem.pdf")));

    panels.chosenPath = defaults.filePath(QStringLiteral("history.pdf"));
    perform(document, "exportDocumentAsPDF:");
    EXPECT_EQ(withoutSpace(bodiesOf(readPdfPages(panels.chosenPath))), withoutSpace(text));
    EXPECT_TRUE(alerts.messages.empty());

    // A folder that is not there: the user is told, naming the file.
    const QString missing = defaults.filePath(QStringLiteral("no such folder/history.pdf"));
    EXPECT_FALSE(document->exportAsPdfToFile(missing));
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_TRUE(alerts.messages[0].text.contains(missing));
    EXPECT_FALSE(QDir(defaults.filePath(QStringLiteral("no such folder"))).exists());

    // The record's own file is never replaced by its PDF.
    const auto before = readWholeFile(record.toStdString());
    EXPECT_FALSE(document->exportAsPdfToFile(record));
    EXPECT_EQ(alerts.messages.size(), 2u);
    EXPECT_EQ(readWholeFile(record.toStdString()), before);
    EXPECT_FALSE(document->isDocumentEdited());
}

} // namespace
} // namespace cogbook
