// A command line as a set of tokens: quoting rules close to the C runtime's,
// only the space separates, and tokens that differ in letter case only are one.
#pragma once

#include <vector>

#include "../text/exstring.h"

// The arguments of a whole command line: what follows the first space outside
// double quotes, as the shell's PathGetArgsW finds it. Done here so that the
// password query need not load the shell libraries. Null gives null.
const exchar* ArgumentsOf(const exchar* commandLine);

// Every token of `text` in order, equal ones kept: for the program's own
// command lines, whose positions matter.
std::vector<exstring> CommandLineTokens(const exstring& text);

class excmdline {
public:
    void Parse(const exstring& text);
    // An equal token (any letter case) is replaced in place; others are appended.
    void Add(const exstring& token);
    bool Contains(const exstring& token) const;
    std::vector<exstring> Tokens() const { return tokens_; }

    static exstring QuoteArg(const exstring& token);
    exstring ToString() const;

private:
    std::vector<exstring> tokens_;
};
