// Feeds arbitrary bytes to the reader of items from the clipboard or a drop.
// Whatever it accepts must be items filed nowhere, none below another, each
// keeping the node invariants; filed into a bike they must make a record that
// reads back as the same tree.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <unordered_set>

#include "model/item_payload.h"
#include "model/record_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cogbook;
    std::vector<ZRBicycleListPtr> items;
    try {
        items = readItemsPayload(std::span<const std::uint8_t>(data, size));
    } catch (const RecordFileError&) {
        return 0;
    }
    if (items.empty()) std::abort();
    std::unordered_set<const ZRBicycleList*> seen;
    for (const auto& item : items) {
        if (item->parent() || !seen.insert(item.get()).second) std::abort();
        if (findInvariantViolation(*item)) std::abort();
    }
    (void)textOfItems(items);
    auto bike = ZRBicycleList::create();
    bike->setExpandable(true);
    for (auto it = items.rbegin(); it != items.rend(); ++it) bike->insertChildPartOrEntryAtIndex(*it, 0);
    if (findInvariantViolation(*bike)) std::abort();
    const auto bytes = writeRecordFile(*bike);
    auto again = readRecordFile(bytes);
    if (writeRecordFile(*again) != bytes) std::abort();
    // Written again as a payload, the same items come back.
    if (readItemsPayload(writeItemsPayload(items)).size() != items.size()) std::abort();
    return 0;
}
