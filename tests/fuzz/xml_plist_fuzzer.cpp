// Feeds arbitrary bytes to the XML property-list reader (preferences and
// templates are files a user can edit). What it refuses must be refused with
// a short message; what it accepts must write and read back to the same text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "foundation/xml_plist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cogbook;
    PlistValue value;
    try {
        value = readXmlPlist(std::span<const std::uint8_t>(data, size));
    } catch (const PlistError& error) {
        if (std::strlen(error.what()) > 1024) std::abort();
        return 0;
    }
    std::string written;
    try {
        written = writeXmlPlist(value);
    } catch (const PlistError&) {
        return 0; // read, but not writable as XML (a control character, say)
    }
    const PlistValue again =
        readXmlPlist(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
    if (writeXmlPlist(again) != written) std::abort();
    return 0;
}
