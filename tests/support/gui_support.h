// What the tests with windows share: answers to every dialog (no test ever
// waits on one), user defaults in a scratch file, and a record of beeps.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <string>
#include <vector>

#include "foundation/hooks.h"
#include "foundation/user_defaults.h"
#include "platform/alerts.h"
#include "platform/document.h"
#include "platform/document_controller.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace cogbook::test_support {

struct ShownMessage {
    AlertStyle style;
    QString text;
    QString detail;
};

// Answers dialogs as told, records the messages shown, and fails the test on
// a question nobody prepared an answer for.
class ScriptedAlerts {
public:
    ScriptedAlerts() {
        AlertHooks hooks;
        hooks.message = [this](QWidget*, AlertStyle style, const QString& text, const QString& detail) {
            messages.push_back({style, text, detail});
        };
        hooks.askSaveChanges = [this](QWidget*, const QString& name) {
            saveQuestions << name;
            if (saveAnswers.empty()) {
                ADD_FAILURE() << "unexpected save question for " << name.toStdString();
                return SaveChangesAnswer::Cancel;
            }
            const SaveChangesAnswer answer = saveAnswers.front();
            saveAnswers.pop_front();
            return answer;
        };
        hooks.confirmRevert = [this](QWidget*, const QString&) { return confirmRevert; };
        hooks.chooseFilesToOpen = [this](QWidget*, const QString&) { return filesToOpen; };
        hooks.chooseSavePath = [this](QWidget*, const QString& suggested) {
            suggestedSavePaths << suggested;
            return savePath;
        };
        previous_ = setAlertHooks(std::move(hooks));
        previousBeep_ = setBeepHook([this] { ++beeps; });
    }
    ~ScriptedAlerts() {
        setAlertHooks(std::move(previous_));
        setBeepHook(std::move(previousBeep_));
    }
    ScriptedAlerts(const ScriptedAlerts&) = delete;
    ScriptedAlerts& operator=(const ScriptedAlerts&) = delete;

    std::vector<ShownMessage> messages;
    std::deque<SaveChangesAnswer> saveAnswers;
    QStringList saveQuestions;
    bool confirmRevert = true;
    QStringList filesToOpen;
    QString savePath;
    QStringList suggestedSavePaths;
    int beeps = 0;

private:
    AlertHooks previous_;
    BeepHook previousBeep_;
};

// The process-wide user defaults over a fresh file in a scratch folder; the
// folder also holds whatever files a test writes.
class ScratchDefaults {
public:
    ScratchDefaults() {
        UserDefaults::resetStandardUserDefaults(defaultsPath().toStdString());
    }
    ~ScratchDefaults() { UserDefaults::resetStandardUserDefaults(std::string()); }
    ScratchDefaults(const ScratchDefaults&) = delete;
    ScratchDefaults& operator=(const ScratchDefaults&) = delete;

    QString defaultsPath() const { return folder_.filePath(QStringLiteral("defaults.plist")); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
};

// Runs the events posted so far, deferred deletions included.
inline void processPendingEvents() {
    for (int round = 0; round < 3; ++round) {
        QApplication::sendPostedEvents(nullptr, 0);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
}

// Closes every open document without asking, and lets them end.
inline void closeAllDocuments(DocumentController& controller) {
    for (Document* document : controller.orderedDocuments()) {
        document->updateChangeCount(Document::ChangeCleared);
        document->close();
    }
    processPendingEvents();
}

} // namespace cogbook::test_support
