#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Strings.h"
#include "Text.h"

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

// ---- Text at the system boundary ----------------------------------------------------------

namespace {

std::vector<unsigned> Units(const tw::WideText& wide) {
    std::vector<unsigned> units(wide.begin(), wide.end() - 1);  // without the NUL
    return units;
}

}  // namespace

TEST(Utf8, ComesThroughUtf16AndBackUnchanged) {
    const struct {
        const char* what;
        std::string utf8;
        std::vector<unsigned> utf16;
    } cases[] = {
        {"ASCII path", "C:\\Apps\\a.exe", {'C', ':', '\\', 'A', 'p', 'p', 's', '\\', 'a', '.', 'e', 'x', 'e'}},
        {"Cyrillic", "\xD0\x9F\xD0\xBE", {0x41F, 0x43E}},
        {"Chinese", "\xE8\xA1\xA8", {0x8868}},
        {"emoji, outside the BMP", "\xF0\x9F\x93\xA7", {0xD83D, 0xDCE7}},
        {"empty", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tw::WideText wide = tw::ToWide(c.utf8);
        ASSERT_EQ(L'\0', wide.back());
        EXPECT_EQ(c.utf16, Units(wide));
        EXPECT_EQ(c.utf8, tw::FromWide(wide.data()));
    }
}

TEST(Utf8, ALoneSurrogateOfAFileNameSurvivesTheTrip) {
    // NTFS allows names that are not valid UTF-16; they must still name the same file.
    const wchar_t name[] = {L'a', static_cast<wchar_t>(0xD800), L'b', static_cast<wchar_t>(0xDFFF), L'\0'};
    const std::string utf8 = tw::FromWide(name);
    const tw::WideText back = tw::ToWide(utf8);
    EXPECT_EQ(std::vector<unsigned>({'a', 0xD800, 'b', 0xDFFF}), Units(back));
}

TEST(Utf8, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    // Cut sequences, stray continuation bytes, overlong forms, beyond U+10FFFF.
    EXPECT_EQ(std::vector<unsigned>({0xFFFD, 'a'}), Units(tw::ToWide("\xD0" "a")));
    EXPECT_EQ(std::vector<unsigned>({0xFFFD}), Units(tw::ToWide("\x80")));
    // The overlong form of "/" must not become one: each of its bytes is refused.
    EXPECT_EQ(std::vector<unsigned>({0xFFFD, 0xFFFD}), Units(tw::ToWide("\xC0\xAF")));
    EXPECT_EQ(std::vector<unsigned>({0xFFFD}), Units(tw::ToWide("\xF4\x90\x80\x80")));
}

TEST(Utf8, NoByteOfANonAsciiCharacterIsAPathOrCommandLineDelimiter) {
    // "表" is 0x95 0x5C in code page 932: its UTF-8 form holds no backslash.
    for (const std::string text : {"\xE8\xA1\xA8", "\xD0\x9F", "\xF0\x9F\x93\xA7"})
        EXPECT_EQ(std::string::npos, text.find_first_of("\\./\" "));
}

TEST(AnsiCodePage, TextFitsOnlyWhenEveryCharacterComesBack) {
    // Whatever the code page, ASCII fits and an emoji does not.
    EXPECT_TRUE(tw::FitsAnsi("C:\\Apps\\Tray.exe -min"));
    EXPECT_FALSE(tw::FitsAnsi("mail \xF0\x9F\x93\xA7"));
    const std::string ansi = tw::ToAnsi("C:\\x");
    EXPECT_EQ("C:\\x", ansi);
    EXPECT_EQ("C:\\x", tw::FromAnsi(ansi.c_str()));
}

TEST(AnsiCodePage, Western1252HoldsLatinLettersButNotCyrillic) {
    if (GetACP() != 1252) GTEST_SKIP() << "about Windows set to a Western language (code page 1252)";
    EXPECT_TRUE(tw::FitsAnsi("caf\xC3\xA9"));
    EXPECT_EQ("caf\xE9", tw::ToAnsi("caf\xC3\xA9"));
    EXPECT_FALSE(tw::FitsAnsi("\xD0\x9F"));
}

TEST(AnsiCodePage, Japanese932HoldsACharacterWhoseSecondByteIsABackslash) {
    if (GetACP() != 932) GTEST_SKIP() << "about Windows set to Japanese (code page 932)";
    EXPECT_TRUE(tw::FitsAnsi("\xE8\xA1\xA8"));
    EXPECT_EQ("\x95\x5C", tw::ToAnsi("\xE8\xA1\xA8"));
    EXPECT_EQ("\xE8\xA1\xA8", tw::FromAnsi("\x95\x5C"));
}
