// What the platform's document tests share: a plain text document standing
// in for a record, its controller, and whole-file access.
#pragma once

#include <gtest/gtest.h>

#include <QFile>

#include <stdexcept>
#include <string>

#include "platform/document.h"
#include "platform/document_controller.h"
#include "support/gui_support.h"

namespace cogbook::test_support {

class TextDocument : public Document {
public:
    std::string text = "fresh";
    bool failNextWrite = false;
    QStringList typesWritten;

    std::vector<std::uint8_t> dataRepresentationOfType(const QString& type) override {
        typesWritten << type;
        if (failNextWrite) {
            failNextWrite = false;
            throw std::runtime_error("cannot encode");
        }
        return {text.begin(), text.end()};
    }
    bool loadDataRepresentationOfType(std::vector<std::uint8_t> data, const QString&) override {
        const std::string incoming(data.begin(), data.end());
        if (incoming.starts_with("bad")) throw std::runtime_error("not a text record");
        text = incoming;
        return true;
    }
    void edit(const std::string& replacement) {
        text = replacement;
        updateChangeCount(ChangeDone);
    }

protected:
    DocumentWindow* makeWindow() override { return new DocumentWindow; }
};

class TextController : public DocumentController {
protected:
    Document* makeUntitledDocument() override { return new TextDocument; }
    Document* makeDocumentForReading() override { return new TextDocument; }
};

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes in place, as a simple editor does.
inline void writeInPlace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class TextDocumentTest : public testing::Test {
protected:
    void TearDown() override { closeAllDocuments(controller); }
    TextDocument* newDocument() { return static_cast<TextDocument*>(controller.newDocument()); }
    // The file NAME in the scratch folder, written with CONTENT and opened.
    TextDocument* open(const QString& name, const QByteArray& content) {
        const QString path = defaults.filePath(name);
        writeInPlace(path, content);
        auto* document = static_cast<TextDocument*>(controller.openDocumentWithContentsOfFile(path));
        EXPECT_NE(document, nullptr);
        return document;
    }

    ScratchDefaults defaults;
    ScriptedAlerts alerts;
    TextController controller;
};

} // namespace cogbook::test_support
