#include "platform/pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <map>

namespace cogbook {
namespace {

std::map<std::string, QString, std::less<>>& typeTable() {
    static std::map<std::string, QString, std::less<>> table{{std::string(kStringPasteboardType), QStringLiteral("text/plain")}};
    return table;
}

QByteArray bytesOf(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

} // namespace

void registerPasteboardType(std::string_view name, const QString& mime) {
    typeTable().try_emplace(std::string(name), mime);
}

QString mimeTypeForPasteboardType(std::string_view name) {
    const auto& table = typeTable();
    const auto found = table.find(name);
    return found == table.end() ? QString() : found->second;
}

Pasteboard::Pasteboard() : general_(true) {}
Pasteboard::Pasteboard(QMimeData* data) : writable_(data), readable_(data) {}
Pasteboard::Pasteboard(const QMimeData* data) : readable_(data) {}

Pasteboard& Pasteboard::generalPasteboard() {
    static Pasteboard general;
    return general;
}

const QMimeData* Pasteboard::contents() const {
    if (!general_) return readable_;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
}

bool Pasteboard::declareTypes(const std::vector<std::string>& types) {
    if (!general_ && writable_ == nullptr) return false;
    if (std::any_of(types.begin(), types.end(), [](const std::string& type) {
            return mimeTypeForPasteboardType(type).isEmpty();
        })) {
        return false;
    }
    declared_ = types;
    staged_.clear();
    if (general_) {
        publish();
    } else {
        writable_->clear();
    }
    return true;
}

bool Pasteboard::setDataForType(std::span<const std::uint8_t> bytes, std::string_view type) {
    if (std::find(declared_.begin(), declared_.end(), type) == declared_.end()) return false;
    const QString mime = mimeTypeForPasteboardType(type);
    if (!general_) {
        if (writable_ == nullptr) return false;
        writable_->setData(mime, bytesOf(bytes));
        return true;
    }
    std::erase_if(staged_, [&](const auto& entry) { return entry.first == mime; });
    staged_.emplace_back(mime, bytesOf(bytes));
    publish();
    return contents() != nullptr && contents()->hasFormat(mime);
}

bool Pasteboard::setStringForType(const QString& text, std::string_view type) {
    const QByteArray utf8 = text.toUtf8();
    return setDataForType(std::span(reinterpret_cast<const std::uint8_t*>(utf8.constData()),
                                    static_cast<std::size_t>(utf8.size())),
                          type);
}

void Pasteboard::publish() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) return;
    // The clipboard takes a whole new set each time: the data is shared, not
    // copied, and the desktop never sees a half-written set.
    auto* data = new QMimeData;
    for (const auto& [mime, bytes] : staged_) data->setData(mime, bytes);
    clipboard->setMimeData(data, QClipboard::Clipboard);
}

std::optional<std::string> Pasteboard::availableTypeFromArray(const std::vector<std::string>& types) const {
    const QMimeData* data = contents();
    if (data == nullptr) return std::nullopt;
    for (const auto& type : types) {
        const QString mime = mimeTypeForPasteboardType(type);
        if (!mime.isEmpty() && data->hasFormat(mime)) return type;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> Pasteboard::dataForType(std::string_view type) const {
    const QMimeData* data = contents();
    const QString mime = mimeTypeForPasteboardType(type);
    if (data == nullptr || mime.isEmpty() || !data->hasFormat(mime)) return std::nullopt;
    const QByteArray bytes = data->data(mime);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::optional<QString> Pasteboard::stringForType(std::string_view type) const {
    const auto bytes = dataForType(type);
    if (!bytes) return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char*>(bytes->data()), static_cast<qsizetype>(bytes->size()));
}

} // namespace cogbook
