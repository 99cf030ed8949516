// XML property lists (the shipped templates, the user-defaults file).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "foundation/plist.h"

namespace cogbook {

// Files larger than this are refused before parsing.
constexpr std::size_t kMaxXmlPlistBytes = 64u * 1024u * 1024u;

// Reads <plist version="1.0"> with one value; refuses anything else (unknown
// elements, bad numbers or dates, duplicate keys, DTD entity declarations,
// nesting deeper than 512) with a PlistError naming the line.
PlistValue readXmlPlist(std::span<const std::uint8_t> bytes);
// Writes the usual indented form with the standard DOCTYPE. A null or UID
// value cannot be written and throws PlistError.
std::string writeXmlPlist(const PlistValue& value);

} // namespace cogbook
