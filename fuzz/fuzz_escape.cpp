// Every text, any code unit included, reads back as it was stored.
#include <cstdlib>

#include "fuzzinput.h"
#include "settings/escaping.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const exstring text = TextFromBytes(data, size);
    exstring stored(text);
    EscapeText(stored);
    // A stored text holds no line break or tab: the registry shows one line.
    if (stored.find_first_of(EXT("\r\n\t")) != exstring::npos) std::abort();
    exstring back(stored);
    if (UnescapeText(back) != text) std::abort();

    // Whatever another program stored loads without harm.
    exstring foreign(text);
    UnescapeText(foreign);
    if (foreign.size() > text.size()) std::abort();
    return 0;
}
