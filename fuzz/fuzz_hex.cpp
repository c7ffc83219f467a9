// Hex decoding stays within its output and agrees with the encoder.
#include <cstdlib>
#include <cstring>

#include "fuzzinput.h"
#include "text/textutil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t capacity = data[0] % 40;
    const bool reverse = (data[0] & 0x80) != 0;
    const exstring text = TextFromBytes(data + 1, size - 1);

    std::vector<uint8_t> output(capacity + 8, 0xA5);
    const size_t written = HexToBytes(text, output.data(), capacity, reverse);
    if (written > capacity) std::abort();
    for (size_t i = capacity; i < output.size(); ++i)
        if (output[i] != 0xA5) std::abort();

    if (written > 0) {
        const exstring hex = BytesToHex(output.data(), static_cast<long long>(written));
        std::vector<uint8_t> back(written);
        if (HexToBytes(hex, back.data(), written, false) != written) std::abort();
        if (std::memcmp(back.data(), output.data(), written) != 0) std::abort();
    }
    return 0;
}
