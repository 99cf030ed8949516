// Feeds arbitrary bytes to the record-file reader. Anything it accepts must
// keep the node invariants, survive every walk over the tree, and write back
// to a file that reads as the same tree.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "model/record_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cogbook;
    ZRBicycleListPtr bike;
    try {
        bike = readRecordFile(std::span<const std::uint8_t>(data, size));
    } catch (const RecordFileError&) {
        return 0;
    }
    if (findInvariantViolation(*bike)) std::abort();
    (void)bike->stringFromBicycleList();
    (void)bike->templateDictionary();
    (void)bike->plistConversion();
    bike->prepareAsRootOfSubtree();
    for (auto node = bike->nextPartOrEntry(); node; node = node->nextPartOrEntry()) {
    }
    bike->prepareAsRootOfSubtree();
    for (auto node = bike->previousPartOrEntry(); node; node = node->previousPartOrEntry()) {
    }
    const auto bytes = writeRecordFile(*bike);
    auto again = readRecordFile(bytes);
    if (writeRecordFile(*again) != bytes) std::abort();
    return 0;
}
