#include <gtest/gtest.h>

#include <vector>

#include "base/excmdline.h"
#include "testtext.h"

namespace {

using Tokens = std::vector<exstring>;

Tokens Parsed(const exchar* text) {
    excmdline line;
    line.Parse(text);
    return line.Tokens();
}

TEST(ExcmdlineParse, QuotesAndBackslashes) {
    struct Case {
        const exchar* line;
        Tokens expected;
    };
    const std::vector<Case> cases = {
        {EXT("a \"b c\" d"), {EXT("a"), EXT("b c"), EXT("d")}},
        {EXT("a\" b\"c"), {EXT("a bc")}},                      // a quoted stretch inside a token
        {EXT("x\\\\\"y z\""), {EXT("x\\y z")}},                  // two backslashes + quote: one, quote opens
        {EXT("x\\\"y"), {EXT("x\"y")}},                          // one backslash + quote: literal quote
        {EXT("x\\\\\\\"y"), {EXT("x\\\"y")}},                    // three: backslash and literal quote
        {EXT("C:\\dir\\file"), {EXT("C:\\dir\\file")}},          // backslashes before others stay
        {EXT("a\\\\ b"), {EXT("a\\\\"), EXT("b")}},
        {EXT("a\tb"), {EXT("a\tb")}},                            // tabs do not separate
        {EXT(" \t a  b \t "), {EXT("a"), EXT("b")}},
        {EXT("\"\" a"), {EXT("a")}},                             // an empty quoted argument is no token
        {EXT("\"unterminated quote"), {EXT("unterminated quote")}},
        {EXT("trailing\\"), {EXT("trailing\\")}},
    };
    for (const Case& c : cases) EXPECT_EQ(Parsed(c.line), c.expected) << exstring(c.line).ToUtf8();
}

TEST(ExcmdlineParse, ResultAndDuplicates) {
    excmdline line;
    line.Parse(EXT("+checkpwd Secret other SECRET"));
    const Tokens expected = {EXT("+checkpwd"), EXT("SECRET"), EXT("other")};
    EXPECT_EQ(line.Tokens(), expected);
    EXPECT_TRUE(line.Contains(EXT("+CHECKPWD")));
    EXPECT_FALSE(line.Contains(EXT("+checkpw")));

    line.Parse(EXT("a"));
    EXPECT_EQ(line.Tokens(), Tokens{EXT("a")});  // a new parse starts empty
}

TEST(ArgumentsOf, SkipsTheProgramPart) {
    struct Case {
        const exchar* line;
        const exchar* arguments;
    };
    const Case cases[] = {
        {EXT("prog.exe +checkpwd x"), EXT("+checkpwd x")},
        {EXT("\"C:\\Program Files\\m.exe\" +lock"), EXT("+lock")},
        {EXT("\"C:\\Program Files\\m.exe\""), EXT("")},
        {EXT("prog.exe"), EXT("")},
        {EXT(" +lock"), EXT("+lock")},  // the launcher's form: empty program part
        {EXT("prog.exe  two spaces"), EXT(" two spaces")},
    };
    for (const Case& c : cases) EXPECT_EQ(exstring(ArgumentsOf(c.line)), exstring(c.arguments)) << exstring(c.line).ToUtf8();
}

} // namespace
