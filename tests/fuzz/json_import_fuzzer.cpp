// Feeds arbitrary text to the JSON import. What it refuses must be refused
// with a short message; what it accepts must keep the node invariants and
// come back the same through export and import.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/json_form.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace cogbook;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ZRBicycleListPtr bike;
    try {
        bike = importJson(text);
    } catch (const JsonFormError& error) {
        // Whatever the input holds, the message stays readable.
        if (std::strlen(error.what()) > 1024) std::abort();
        return 0;
    }
    if (findInvariantViolation(*bike)) std::abort();
    const std::string exported = exportJson(*bike);
    if (exportJson(*importJson(exported)) != exported) std::abort();
    return 0;
}
