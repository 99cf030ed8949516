// Reading back what a PDF says, as a person would copy it out: the text of
// each page through pdftotext, its first line (the header) and last line (the
// footer) apart from the body.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace cogbook::test_support {

struct PdfPage {
    std::string header;
    std::string body;
    std::string footer;
};

// The pages of the PDF at PATH; none (and a test failure) when it cannot be read.
inline std::vector<PdfPage> readPdfPages(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext could not read " << path.toStdString() << ": "
                      << process.readAllStandardError().toStdString() << process.errorString().toStdString();
        return {};
    }
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    QStringList pages = text.split(QLatin1Char('\f'));
    // pdftotext ends every page with a form feed, the last one too.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    std::vector<PdfPage> result;
    for (const QString& page : pages) {
        QStringList lines = page.split(QLatin1Char('\n'));
        while (!lines.isEmpty() && lines.first().trimmed().isEmpty()) lines.removeFirst();
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
        PdfPage parsed;
        if (!lines.isEmpty()) parsed.header = lines.takeFirst().simplified().toStdString();
        if (!lines.isEmpty()) parsed.footer = lines.takeLast().simplified().toStdString();
        parsed.body = lines.join(QLatin1Char('\n')).toStdString();
        result.push_back(parsed);
    }
    return result;
}

// TEXT without any white space: wrapping and tab stops are the page's, the
// characters and their order are the text's.
inline std::string withoutSpace(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; }),
               text.end());
    return text;
}

inline std::string bodiesOf(const std::vector<PdfPage>& pages) {
    std::string text;
    for (const PdfPage& page : pages) text += page.body + "\n";
    return text;
}

} // namespace cogbook::test_support
