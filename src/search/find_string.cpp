#include "search/find_string.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace cogbook {
namespace {

std::optional<QString>& processFindString() {
    static std::optional<QString> string;
    return string;
}

QClipboard* findClipboard() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard && clipboard->supportsFindBuffer() ? clipboard : nullptr;
}

} // namespace

std::optional<QString> findString() {
    if (QClipboard* clipboard = findClipboard()) {
        // Only a plain string counts; anything else leaves the string as it was.
        const QMimeData* data = clipboard->mimeData(QClipboard::FindBuffer);
        if (data && data->hasText()) return data->text();
    }
    return processFindString();
}

void publishFindString(const QString& string) {
    processFindString() = string;
    if (QClipboard* clipboard = findClipboard()) clipboard->setText(string, QClipboard::FindBuffer);
}

void clearFindStringForTesting() {
    processFindString().reset();
}

} // namespace cogbook
