#include <gtest/gtest.h>

#include <string>

#include "Strings.h"

using namespace std::string_literals;

struct StringCase {
    std::string text;
    std::string expected;
};

TEST(StripExtension, CutsAtTheLastDotUnlessABackslashComesFirst) {
    const StringCase cases[] = {
        {"Mail.lnk", "Mail"},
        {"My.Mail.lnk", "My.Mail"},
        {"Mail.Online.lnk", "Mail.Online"},
        {"NoDot", "NoDot"},
        {".lnk", ""},
        {"C:\\My.Dir\\File", "C:\\My.Dir\\File"},
        {"C:\\My.Dir\\File.exe", "C:\\My.Dir\\File"},
        {"C:\\Dir\\", "C:\\Dir\\"},
        {"Trailing.", "Trailing"},
        {"..", "."},
        {"", ""},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.expected, tw::StripExtension(c.text));
    }
}

TEST(TrimNull, KeepsWhatComesBeforeTheFirstNul) {
    const StringCase cases[] = {
        {"C:\\App.exe\0   "s, "C:\\App.exe"},
        {"a\0b\0c"s, "a"},
        {"\0rest"s, ""},
        {"no nul at all", "no nul at all"},
        {"   blanks stay   ", "   blanks stay   "},
        {"", ""},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(c.expected, tw::TrimNull(c.text));
    }
}
