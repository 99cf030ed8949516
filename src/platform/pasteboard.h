// Pasteboards in the manner of the desktop framework the program was designed
// for: the general pasteboard is the desktop clipboard, a drag pasteboard the
// data a drag carries. The program asks for data by type names of its own;
// one table, filled by whoever owns the names, maps each name to the MIME type
// the desktop exchanges it under.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

namespace cogbook {

class OutlineView;

// Plain text; mapped to "text/plain" from the start.
inline constexpr std::string_view kStringPasteboardType = "NSStringPboardType";

// Maps the type NAME to MIME; a name registered again keeps its first MIME
// type (the table is process-wide and read from anywhere).
void registerPasteboardType(std::string_view name, const QString& mime);
// NAME's MIME type, or an empty string for a name never registered.
QString mimeTypeForPasteboardType(std::string_view name);

class Pasteboard {
public:
    // The desktop clipboard.
    static Pasteboard& generalPasteboard();
    // Over a drag's data: writable, or read-only.
    explicit Pasteboard(QMimeData* data);
    explicit Pasteboard(const QMimeData* data);
    Pasteboard(const Pasteboard&) = delete;
    Pasteboard& operator=(const Pasteboard&) = delete;

    // Replaces the contents with nothing but TYPES, not yet given data.
    // Unregistered names are refused (false; nothing changes).
    bool declareTypes(const std::vector<std::string>& types);
    // Stores BYTES (or TEXT) under TYPE, one of the declared types. Answers
    // whether it was stored.
    bool setDataForType(std::span<const std::uint8_t> bytes, std::string_view type);
    bool setStringForType(const QString& text, std::string_view type);

    // The first of TYPES, in TYPES' order, that the pasteboard holds.
    std::optional<std::string> availableTypeFromArray(const std::vector<std::string>& types) const;
    std::optional<std::vector<std::uint8_t>> dataForType(std::string_view type) const;
    std::optional<QString> stringForType(std::string_view type) const;

private:
    Pasteboard(); // the clipboard's
    const QMimeData* contents() const;
    // Puts what was declared and stored so far on the clipboard.
    void publish();

    bool general_ = false;
    QMimeData* writable_ = nullptr;
    const QMimeData* readable_ = nullptr;
    std::vector<std::string> declared_;
    // The clipboard's contents being built: declared types and their data.
    std::vector<std::pair<QString, QByteArray>> staged_;
};

// How a drop would go.
enum DragOperation : unsigned {
    kDragOperationNone = 0,
    kDragOperationCopy = 1,
    kDragOperationMove = 16,
};

// What a drop target learns about the drag over it.
class DraggingInfo {
public:
    // SOURCE is the view the drag began in, null when it came from another
    // program; COPY whether the user holds the copy modifier.
    DraggingInfo(const QMimeData* data, OutlineView* source, bool copy)
        : pasteboard_(data), source_(source), copy_(copy) {}
    const Pasteboard& draggingPasteboard() const { return pasteboard_; }
    OutlineView* draggingSource() const { return source_; }
    bool copyRequested() const { return copy_; }

private:
    Pasteboard pasteboard_;
    OutlineView* source_;
    bool copy_;
};

} // namespace cogbook
