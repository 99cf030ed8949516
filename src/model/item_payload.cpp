#include "model/item_payload.h"

#include <unordered_set>

#include "model/record_file.h"

namespace cogbook {

std::vector<ZRBicycleListPtr> itemsWithoutDescendants(const std::vector<ZRBicycleListPtr>& items) {
    std::unordered_set<const ZRBicycleList*> given;
    for (const auto& item : items) given.insert(item.get());
    std::unordered_set<const ZRBicycleList*> kept;
    std::vector<ZRBicycleListPtr> result;
    result.reserve(items.size());
    for (const auto& item : items) {
        if (!item || kept.contains(item.get())) continue;
        bool below = false;
        // A walk that gives up on a (broken) cycle rather than looping.
        std::size_t steps = 0;
        for (ZRBicycleListPtr up = item->parent(); up && !below && steps <= kMaxRecordDepth; up = up->parent(), ++steps)
            below = given.contains(up.get());
        if (below) continue;
        kept.insert(item.get());
        result.push_back(item);
    }
    return result;
}

std::vector<std::uint8_t> writeItemsPayload(const std::vector<ZRBicycleListPtr>& items) {
    return archiveSubtrees(itemsWithoutDescendants(items));
}

std::vector<ZRBicycleListPtr> readItemsPayload(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxItemsPayloadBytes) {
        throw RecordFileError("the items take " + std::to_string(bytes.size()) + " bytes, more than the " +
                              std::to_string(kMaxItemsPayloadBytes) + " accepted");
    }
    ZRDecodedNodes decoded = unarchiveNodes(bytes);
    std::vector<ZRBicycleListPtr> items = itemsWithoutDescendants(decoded.roots);
    if (items.empty()) throw RecordFileError("the archive holds no items");
    // Items another program archived with the tree they were filed in come
    // out of that tree, which goes when the decoded owners do.
    for (const auto& item : items) {
        if (ZRBicycleListPtr parent = item->parent()) parent->removeChild(*item);
    }
    for (const auto& item : items) {
        if (auto violation = findInvariantViolation(*item)) throw RecordFileError(*violation);
    }
    return items;
}

namespace {

void appendLine(std::string& text, const ZRBicycleList& item) {
    // The calendar date, year first, from the local-time text form.
    text += item.date().description().substr(0, 10);
    text += '\t';
    text += item.partName();
    if (!item.description().empty()) {
        text += '\t';
        text += item.description();
    }
    text += '\n';
    if (!item.notes().empty()) {
        text += item.notes();
        text += "\n\n";
    }
}

} // namespace

std::string textOfItems(const std::vector<ZRBicycleListPtr>& items) {
    std::string text;
    for (const auto& item : itemsWithoutDescendants(items)) {
        appendLine(text, *item);
        if (auto below = item->stringFromBicycleList()) text += *below;
    }
    return text;
}

} // namespace cogbook
