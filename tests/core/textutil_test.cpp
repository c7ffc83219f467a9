#include <gtest/gtest.h>

#include "testtext.h"
#include "text/textutil.h"

namespace {

TEST(TextCleanMenuText, TabsDotsAndAmpersands) {
    const struct {
        const exchar* text;
        int mode;
        const exchar* expected;
    } cases[] = {
        {EXT("&Custom..."), kMenuDotsEllipsis, EXT("Custom")},   {EXT("&Custom..."), kMenuDotsTwoOrMore, EXT("Custom")},
        {EXT("&Custom..."), kMenuDotsKeep, EXT("Custom...")},    {EXT("A && B"), kMenuDotsEllipsis, EXT("A && B")},
        {EXT("A &&& B"), kMenuDotsEllipsis, EXT("A && B")},      {EXT("Open\tCtrl+O"), kMenuDotsEllipsis, EXT("Open")},
        {EXT("\t\tOpen\tCtrl+O"), kMenuDotsEllipsis, EXT("\t\tOpen")}, {EXT("\t\t"), kMenuDotsEllipsis, EXT("\t\t")},
        {EXT("Wait...."), kMenuDotsEllipsis, EXT("Wait....")},   {EXT("Wait...."), kMenuDotsTwoOrMore, EXT("Wait")},
        {EXT("End."), kMenuDotsTwoOrMore, EXT("End.")},          {EXT("&"), kMenuDotsEllipsis, EXT("")},
        {EXT("..."), kMenuDotsEllipsis, EXT("")},
    };
    for (const auto& c : cases) {
        exstring text(c.text);
        EXPECT_EQ(CleanMenuText(text, c.mode), exstring(c.expected)) << exstring(c.text).ToUtf8() << " " << c.mode;
    }
}

} // namespace
