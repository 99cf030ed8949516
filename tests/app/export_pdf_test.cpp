// cogbook export-pdf: the printed record as a PDF file, written whole or not
// at all, also where there is no display.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "app/app_test_support.h"
#include "document/record_printer.h"
#include "support/pdf_text.h"

namespace cogbook {
namespace {

using test::readText;
using test::resource;
using test::runCli;
using test::ScratchFolder;
using test_support::readPdfPages;
using test_support::withoutSpace;

const PdfRenderer kPdf = [](const ZRBicycleList& bike, const std::string& name) {
    return recordPdfBytes(bike, QString::fromStdString(name));
};

test::CliResult runCliWithPdf(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = runCommandLine(std::move(args), out, err, kPdf);
    return {status, out.str(), err.str()};
}

TEST(ExportPdfTest, ThePdfSaysWhatPrintSays) {
    ScratchFolder folder;
    const std::string pdf = folder.file("sample.pdf");
    const auto result = runCliWithPdf({"export-pdf", resource("sample.cogbook"), pdf});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"sample.pdf"});

    const auto printed = runCli({"print", resource("sample.cogbook")});
    ASSERT_EQ(printed.status, 0);
    const auto pages = readPdfPages(QString::fromStdString(pdf));
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages[0].header.rfind("sample.cogbook ", 0), 0u) << pages[0].header;
    EXPECT_EQ(withoutSpace(test_support::bodiesOf(pages)), withoutSpace(printed.out));
}

TEST(ExportPdfTest, AnOutputThatCannotBeWrittenLeavesNothing) {
    ScratchFolder folder;
    const std::string badOut = folder.file("missing/sample.pdf");
    const auto missingFolder = runCliWithPdf({"export-pdf", resource("sample.cogbook"), badOut});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_EQ(missingFolder.err.rfind("cogbook: " + badOut + ": ", 0), 0u) << missingFolder.err;
    EXPECT_TRUE(folder.names().empty());

    // Exporting a record onto itself would lose it.
    const std::string record = folder.file("bike.cogbook");
    test::writeFile(record, test::readBytes(resource("sample.cogbook")));
    const auto onto = runCliWithPdf({"export-pdf", record, record});
    EXPECT_EQ(onto.status, 1);
    EXPECT_NE(onto.err.find(record), std::string::npos);
    EXPECT_EQ(test::readBytes(record), test::readBytes(resource("sample.cogbook")));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"bike.cogbook"});

    // A damaged record names the record, and writes nothing.
    test::writeFile(folder.file("bad.cogbook"), std::string("not a record"));
    const auto damaged = runCliWithPdf({"export-pdf", folder.file("bad.cogbook"), folder.file("bad.pdf")});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("bad.cogbook: not a valid record"), std::string::npos) << damaged.err;
    EXPECT_EQ(runCliWithPdf({"export-pdf", record}).status, 2);
    // The build without windows says what it lacks.
    EXPECT_EQ(runCli({"export-pdf", record, folder.file("x.pdf")}).status, 1);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.cogbook", "bike.cogbook"}));
}

TEST(ExportPdfTest, TheProgramExportsWithoutADisplay) {
    ScratchFolder folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    const std::string pdf = folder.file("out.pdf");
    program.start(QStringLiteral(COGBOOK_PROGRAM), {QStringLiteral("export-pdf"),
                                                   QString::fromStdString(resource("sample.cogbook")),
                                                   QString::fromStdString(pdf)});
    ASSERT_TRUE(program.waitForFinished(120000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(readText(pdf).rfind("%PDF-", 0), 0u);
}

} // namespace
} // namespace cogbook
