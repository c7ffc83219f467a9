// Tokenizing never fails, and quoting then tokenizing gives the tokens back.
#include <cstdlib>

#include "base/excmdline.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const exstring text = TextFromBytes(data, size);

    excmdline parsed;
    parsed.Parse(text);
    excmdline again;
    again.Parse(parsed.ToString());
    if (again.Tokens() != parsed.Tokens()) std::abort();

    if (!text.empty()) {
        excmdline single;
        single.Parse(excmdline::QuoteArg(text));
        const std::vector<exstring> tokens = single.Tokens();
        if (tokens.size() != 1 || tokens[0] != text) std::abort();
    }
    return 0;
}
