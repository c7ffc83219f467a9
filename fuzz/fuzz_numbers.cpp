// Number and boolean parsing: no undefined behaviour, and agreement with the
// C library on plain decimal numbers.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const exstring text = TextFromBytes(data, size);
    const uint64_t value = text.ToUInt64();

    const bool word = text.size() == 4 && text.EqualsNoCase(EXT("true"));
    if (text.ToBool() != (word || value != 0)) std::abort();

    bool digitsOnly = !text.empty() && text.size() < 40;
    std::string ascii;
    for (const exchar unit : text) {
        if (unit < '0' || unit > '9') digitsOnly = false;
        ascii += static_cast<char>(unit);
    }
    if (digitsOnly) {
        errno = 0;
        const unsigned long long reference = std::strtoull(ascii.c_str(), nullptr, 10);
        if (reference != value) std::abort();
    }
    return 0;
}
