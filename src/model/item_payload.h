// The form in which items travel between documents and programs: through the
// clipboard and by drag and drop. The payload is the array archive of the
// items with their subtrees; the plain text that goes with it is the form the
// record prints in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {

// Payloads larger than this are refused unread: nobody copies that much, and
// the bytes may come from any program.
inline constexpr std::size_t kMaxItemsPayloadBytes = 64u << 20;

// ITEMS less every item that lies below another of them (it travels with that
// one), and less repeats; the order is kept.
std::vector<ZRBicycleListPtr> itemsWithoutDescendants(const std::vector<ZRBicycleListPtr>& items);

// The payload of ITEMS (descendants of others left out): each item with its
// subtree, nothing of the tree it is filed in.
std::vector<std::uint8_t> writeItemsPayload(const std::vector<ZRBicycleListPtr>& items);

// New items from a payload, each with its subtree and filed nowhere, in the
// payload's order; an item that also lies below another is left out. Throws
// RecordFileError for bytes that are no such payload, that are too large, or
// whose items break the node invariants: nothing half-read is ever answered.
std::vector<ZRBicycleListPtr> readItemsPayload(std::span<const std::uint8_t> bytes);

// ITEMS and everything below them, one line per item and its notes under it,
// as the record prints.
std::string textOfItems(const std::vector<ZRBicycleListPtr>& items);

} // namespace cogbook
