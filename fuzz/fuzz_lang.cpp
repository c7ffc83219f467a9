// Macro expansion and placeholder filling on arbitrary texts.
#include <cstdlib>

#include "fuzzinput.h"
#include "lang/mgtmlang.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const mgtMLang catalogue;
    const std::vector<exstring> parts = SplitParts(TextFromBytes(data, size), 5);

    mgtMLang table(catalogue);
    table.AddMacro(parts[1], parts[2]);
    table.Set(parts[3].empty() ? exstring(EXT("main")) : parts[3], EXT("probe"), parts[0]);
    const exstring stored = table.Get(parts[3].empty() ? exstring(EXT("main")) : parts[3], EXT("probe"));
    const exstring shown = table.GetText(parts[3], EXT("probe"), parts[4], parts[1], parts[2], EXT(""), EXT("%0"));

    // A text without any '%' is stored and shown exactly as it was given.
    if (parts[0].find('%') == exstring::npos && !parts[3].empty() && (stored != parts[0] || shown != parts[0]))
        std::abort();
    return 0;
}
