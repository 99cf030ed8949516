// The service log as CSV from the window: export whole or not at all; import previewed, one step.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>

#include "document/ZRSWImportPreviewSheet.h"
#include "document/document_fixture.h"
#include "foundation/undo_manager.h"
#include "model/service_csv.h"
#include "platform/file_choosers.h"

namespace cogbook {
namespace {

using test_support::entry;
using test_support::localDay;
using test_support::part;
using test_support::processPendingEvents;

void writeText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ServiceCsvWindowTest : public test_support::DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        FileChooserHooks hooks;
        hooks.chooseExportPath = [this](QWidget*, const FileKind&, const QString& suggested) {
            suggestedPaths << suggested;
            return chosenPath;
        };
        hooks.chooseImportPath = [this](QWidget*, const FileKind&, const QString&) { return chosenPath; };
        previousHooks_ = setFileChooserHooks(std::move(hooks));
    }
    void TearDown() override {
        DocumentTest::TearDown();
        setFileChooserHooks(std::move(previousHooks_));
    }

    // Bike › Drivetrain › Chain with two entries (a cost, a reading, notes of
    // two lines), one under Drivetrain, one under the bike itself.
    MyDocument* openServicedBike() {
        auto waxed = entry("Chain", "Waxed", localDay(2026, 3, 1), "Hot wax\nTwo coats");
        waxed->setCost(12.5);
        waxed->setOdometer(1200);
        auto replaced = entry("Chain", "Replaced, 11-speed", localDay(2025, 6, 2));
        replaced->setCost(39.9);
        auto root = part("Bike", {part("Drivetrain", {part("Chain", {waxed, replaced}),
                                                      entry("Drivetrain", "Cleaned", localDay(2026, 1, 5))}),
                                  entry("Bike", "Washed", localDay(2026, 2, 1))});
        return keyDocumentShowing(root, "serviced.cogbook");
    }
    // The preview of PATH in DOCUMENT, as the File menu's command brings it.
    ZRSWImportPreviewSheet* preview(MyDocument* document, const QString& path) {
        chosenPath = path;
        perform(document, "importServiceEntriesFromCSV:");
        ZRSWImportPreviewSheet* sheet = document->importPreviewSheet();
        return sheet != nullptr && sheet->isShowing() ? sheet : nullptr;
    }
    static void press(QPushButton* button) {
        Application::performAsOneEvent([&] { button->click(); });
        processPendingEvents();
    }
    static QStringList texts(const QListWidget* list) {
        QStringList result;
        for (int row = 0; row < list->count(); ++row) result << list->item(row)->text();
        return result;
    }
    static std::string csvOf(const MyDocument* document) { return serviceLogCsv(*document->theBike()); }

    QString chosenPath;
    QStringList suggestedPaths;

private:
    FileChooserHooks previousHooks_;
};

TEST_F(ServiceCsvWindowTest, ExportedEntriesImportIntoAnEmptyBikeAsOneStepThatUndoesAndRedoes) {
    MyDocument* source = openServicedBike();
    ASSERT_NE(source, nullptr);
    const QString csvPath = defaults.filePath("log.csv");
    chosenPath = csvPath;
    perform(source, "exportServiceLogAsCSV:");
    EXPECT_EQ(suggestedPaths, QStringList({defaults.filePath("serviced.csv")}));
    QFile written(csvPath);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().toStdString(), csvOf(source));
    EXPECT_TRUE(alerts.messages.empty());

    MyDocument* target = keyDocumentShowing(part("Empty"), "empty.cogbook");
    ASSERT_NE(target, nullptr);
    const std::vector<std::uint8_t> before = recordBytes(target);
    ZRSWImportPreviewSheet* sheet = preview(target, csvPath);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(texts(sheet->partsList()), QStringList({"Drivetrain", "Drivetrain › Chain"}));
    EXPECT_EQ(sheet->entriesList()->count(), 3);
    EXPECT_FALSE(sheet->badRowsList()->isVisibleTo(sheet->sheet()));
    ASSERT_TRUE(sheet->importButton()->isEnabled());
    press(sheet->importButton());

    EXPECT_EQ(csvOf(target), csvOf(source));
    EXPECT_EQ(target->bikeTable()->numberOfSelectedRows(), 4);
    UndoManager& history = target->undoManager();
    EXPECT_EQ(history.undoStepCount(), 1u);
    EXPECT_EQ(history.undoActionName(), "Import");
    Application::performAsOneEvent([&] { history.undo(); });
    processPendingEvents();
    EXPECT_EQ(recordBytes(target), before);
}

TEST_F(ServiceCsvWindowTest, BadRowsAreListedByLineAndNothingIsImportedUntilTheUserAcceptsTheGoodRows) {
    MyDocument* document = keyDocumentShowing(part("Bike", {part("Chain")}), "bike.cogbook");
    ASSERT_NE(document, nullptr);
    const QString path = defaults.filePath("mixed.csv");
    writeText(path, "Date,Part,Description\r\n"
                    "2026-03-01,Chain,Waxed\r\n"
                    "someday,Chain,Oops\r\n"
                    "2026-03-02,Tyres,Swapped\r\n"
                    "2026-02-30,Tyres,Bad day\r\n");
    const std::vector<std::uint8_t> before = recordBytes(document);

    ZRSWImportPreviewSheet* sheet = preview(document, path);
    ASSERT_NE(sheet, nullptr);
    const QStringList bad = texts(sheet->badRowsList());
    ASSERT_EQ(bad.size(), 2);
    EXPECT_TRUE(bad[0].startsWith("Line 3: ")) << bad[0].toStdString();
    EXPECT_TRUE(bad[1].startsWith("Line 5: ")) << bad[1].toStdString();
    EXPECT_FALSE(sheet->importButton()->isEnabled());
    EXPECT_TRUE(sheet->cancelButton()->isDefault());
    press(sheet->cancelButton());
    EXPECT_EQ(recordBytes(document), before);
    EXPECT_EQ(document->undoManager().undoStepCount(), 0u);

    // Accepting the good rows only files those, under the part they name.
    sheet = preview(document, path);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(texts(sheet->partsList()), QStringList({"Tyres"}));
    sheet->goodRowsOnlyBox()->setChecked(true);
    ASSERT_TRUE(sheet->importButton()->isEnabled());
    press(sheet->importButton());
    EXPECT_EQ(document->recordCounts(), (MyDocument::RecordCounts{2, 2}));
    EXPECT_EQ(nodeAt(document, {0, 0})->description(), "Waxed");
    EXPECT_EQ(nodeAt(document, {1})->partName(), "Tyres");
    EXPECT_EQ(nodeAt(document, {1, 0})->description(), "Swapped");
}

TEST_F(ServiceCsvWindowTest, UnreadableFilesAreRefusedNamingThemWithNothingChanged) {
    MyDocument* document = keyDocumentShowing(part("Bike", {part("Chain")}), "bike.cogbook");
    ASSERT_NE(document, nullptr);
    const std::vector<std::uint8_t> before = recordBytes(document);
    const QString latin1 = defaults.filePath("latin1.csv");
    writeText(latin1, "Date,Part,Description\n2026-03-01,Cha\xeene,Gr\xe4ssed\n");
    const QString huge = defaults.filePath("huge.csv");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64{65} * 1024 * 1024)); // sparse: nothing is written
    }
    for (const QString& path : {latin1, huge, defaults.filePath("missing.csv")}) {
        SCOPED_TRACE(path.toStdString());
        alerts.messages.clear();
        EXPECT_EQ(preview(document, path), nullptr);
        ASSERT_EQ(alerts.messages.size(), 1u);
        EXPECT_TRUE(alerts.messages[0].text.contains(path));
        EXPECT_FALSE(alerts.messages[0].detail.isEmpty());
    }
    EXPECT_EQ(recordBytes(document), before);
}

TEST_F(ServiceCsvWindowTest, AFailedExportReportsTheFileAndLeavesNothingBehind) {
    MyDocument* document = openServicedBike();
    ASSERT_NE(document, nullptr);
    const QString folder = defaults.filePath("out");
    ASSERT_TRUE(QDir().mkpath(folder + "/taken.csv"));
    writeText(folder + "/plain-file", "x");
    const QString recordFile = document->fileName();
    const QByteArray recordBefore = [&] {
        QFile file(recordFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    for (const QString& target : {folder + "/taken.csv", folder + "/plain-file/log.csv", recordFile}) {
        SCOPED_TRACE(target.toStdString());
        alerts.messages.clear();
        EXPECT_FALSE(document->exportServiceLogAsCsvToFile(target));
        ASSERT_EQ(alerts.messages.size(), 1u);
        EXPECT_TRUE(alerts.messages[0].text.contains(target));
    }
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    EXPECT_EQ(QDir(folder).entryList(all), QStringList({"plain-file", "taken.csv"}));
    EXPECT_TRUE(QDir(folder + "/taken.csv").entryList(all).isEmpty());
    QFile record(recordFile);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.readAll(), recordBefore);
}

} // namespace
} // namespace cogbook
