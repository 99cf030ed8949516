// Reading and writing whole files, safely: bounded reads, and (from
// atomic_write.h) atomic replacement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/atomic_write.h"

namespace cogbook {

// Inputs larger than this are refused before they are read: no record or JSON
// form of a real bike comes near it, and reading it whole would take the
// memory of the machine.
inline constexpr std::size_t kMaxInputBytes = std::size_t{512} * 1024 * 1024;

// Reads the file at PATH whole, refusing more than LIMIT bytes. Throws
// std::runtime_error with a message (without the file name) on failure.
std::vector<std::uint8_t> readWholeFile(const std::string& path, std::size_t limit = kMaxInputBytes);

} // namespace cogbook
