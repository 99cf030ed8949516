// Record files: the keyed archive of a bike's tree, every node stored once as a
// "ZRBicycleList" object with its field dictionary under "bicycleList1".
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {

// Why a record could not be read, in words for the user ("the archive holds a
// NSArray, not a bicycle record").
class RecordFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Trees deeper than this are refused on reading.
inline constexpr std::size_t kMaxRecordDepth = 10000;

// The archive of the tree that holds ROOT (any node: its whole tree is stored,
// and ROOT is the archive's root object).
std::vector<std::uint8_t> writeRecordFile(const ZRBicycleList& root);

// Reads a record file: its root object must be a bike (a ZRBicycleList filed
// under nothing) and the tree must keep the node invariants. Old-form items
// ("bicycleList0") are converted. Throws RecordFileError; nothing half-built
// is ever returned.
ZRBicycleListPtr readRecordFile(std::span<const std::uint8_t> bytes);

// The general form for archives of nodes: ROOTS archived as an array when
// there are several. Decoding answers the root objects; the trees they were
// filed in stay alive through `owners`.
struct ZRDecodedNodes {
    std::vector<ZRBicycleListPtr> roots;
    std::vector<ZRBicycleListPtr> owners; // the tops of every decoded tree
};
std::vector<std::uint8_t> archiveNodes(const std::vector<ZRBicycleListPtr>& roots);
ZRDecodedNodes unarchiveNodes(std::span<const std::uint8_t> bytes);
// The same array form holding only ROOTS and their subtrees: no parent link
// of a root is stored, and so nothing of the trees they are filed in. ROOTS
// must not hold a node and one of its descendants.
std::vector<std::uint8_t> archiveSubtrees(const std::vector<ZRBicycleListPtr>& roots);

} // namespace cogbook
