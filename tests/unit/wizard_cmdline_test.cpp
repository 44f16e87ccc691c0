// The command-line rules of the Run values, the name and extension helpers, and the text
// forms REMOVED.REG is written in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "operations/modDir.h"
#include "operations/modRegStuff.h"
#include "operations/modShellLnk.h"

using namespace tw;
using namespace tw::modRegStuff;

namespace {

std::string SystemDirectory() {
    char buffer[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

const char* const kSystem = "<system>";  // GetFolder's answer for a path without folder

struct LineCase {
    const char* line;  // after StripQuotes
    const char* program;
    const char* icon;
    const char* arguments;
    const char* folder;  // GetFolder of the program path
};

const LineCase kLines[] = {
    // Lines the original rules already took apart correctly.
    {"C:\\PROGRA~1\\ICQ\\Agent.exe", "C:\\PROGRA~1\\ICQ\\Agent.exe", "C:\\PROGRA~1\\ICQ\\Agent.exe", "",
     "C:\\PROGRA~1\\ICQ\\"},
    {"rundll32.exe shell32.dll,Control_RunDLL", "rundll32.exe", "shell32.dll",
     "shell32.dll,Control_RunDLL", kSystem},
    // A first word without extension names the program's .exe, not a file "rundll32".
    {"RunDLL C:\\WIN\\x.dll,Go", "rundll.exe", "C:\\WIN\\x.dll", "C:\\WIN\\x.dll,Go", kSystem},
    {"rundll32 shell32.dll,Control_RunDLL", "rundll32.exe", "shell32.dll",
     "shell32.dll,Control_RunDLL", kSystem},
    {"RUNDLL32", "rundll32.exe", "RUNDLL32", "RUNDLL32", kSystem},
    {"RUNDLL.EXE setupx.dll,InstallHinfSection", "RUNDLL.EXE", "setupx.dll",
     "setupx.dll,InstallHinfSection", kSystem},
    // A RUNDLL line without a blank: arguments and icon work on the whole line.
    {"rundll32.exe", "rundll32.exe", "rundll32.exe", "rundll32.exe", kSystem},
    {"rundll", "rundll.exe", "rundll", "rundll", kSystem},
    // Any other first word keeps the six letters.
    {"rundllx a.dll,B", "rundll", "a.dll", "a.dll,B", kSystem},
    // No dot at all: the whole line.
    {"C:\\APPS\\TRAY", "C:\\APPS\\TRAY", "C:\\APPS\\TRAY", "", "C:\\APPS\\"},
    // Arguments now stay with every line, not only RUNDLL ones.
    {"C:\\APPS\\Tray.exe -min", "C:\\APPS\\Tray.exe", "C:\\APPS\\Tray.exe", "-min", "C:\\APPS\\"},
    {"C:\\APPS\\Tray.exe    -min /x", "C:\\APPS\\Tray.exe", "C:\\APPS\\Tray.exe", "-min /x",
     "C:\\APPS\\"},
    // A dotted folder keeps the whole path; the icon no longer comes from the last dot.
    {"C:\\My.Apps\\x.exe", "C:\\My.Apps\\x.exe", "C:\\My.Apps\\x.exe", "", "C:\\My.Apps\\"},
    {"C:\\My.Apps\\x.exe /open c:\\doc.txt", "C:\\My.Apps\\x.exe", "C:\\My.Apps\\x.exe",
     "/open c:\\doc.txt", "C:\\My.Apps\\"},
    {"C:\\Ver 2.0\\x.exe", "C:\\Ver 2.0\\x.exe", "C:\\Ver 2.0\\x.exe", "", "C:\\Ver 2.0\\"},
    {"C:\\v.1\\a b.exe -x", "C:\\v.1\\a b.exe", "C:\\v.1\\a b.exe", "-x", "C:\\v.1\\"},
    // Blanks inside an unquoted path.
    {"C:\\Program Files\\App\\app.exe -min", "C:\\Program Files\\App\\app.exe",
     "C:\\Program Files\\App\\app.exe", "-min", "C:\\Program Files\\App\\"},
    // Short and long extensions: one to three characters end a path, four do not.
    {"C:\\x\\a.b -c", "C:\\x\\a.b", "C:\\x\\a.b", "-c", "C:\\x\\"},
    {"C:\\x\\page.html -c", "C:\\x\\page.html -c", "C:\\x\\page.html -c", "", "C:\\x\\"},
    // A quoted path: the text inside the quotes, the rest after the blanks is arguments.
    {"\"C:\\Program Files\\App\\app.exe\" -min", "C:\\Program Files\\App\\app.exe",
     "C:\\Program Files\\App\\app.exe", "-min", "C:\\Program Files\\App\\"},
    {"\"C:\\My.Apps\\x.exe\"  /a \"b c\"", "C:\\My.Apps\\x.exe", "C:\\My.Apps\\x.exe", "/a \"b c\"",
     "C:\\My.Apps\\"},
    {"\"C:\\P\\noclose.exe -x", "C:\\P\\noclose.exe -x", "C:\\P\\noclose.exe -x", "", "C:\\P\\"},
    // Names beyond the ANSI code page (UTF-8): extensions count characters, and "表" (0x95 0x5C
    // in code page 932) holds no backslash to cut the path at.
    {"C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\\xD0\xBF.\xD0\xB5\xD1\x85\xD0\xB5 -x",
     "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\\xD0\xBF.\xD0\xB5\xD1\x85\xD0\xB5",
     "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\\xD0\xBF.\xD0\xB5\xD1\x85\xD0\xB5", "-x",
     "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\"},
    {"C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.exe /x", "C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.exe",
     "C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.exe", "/x", "C:\\\xE8\xA1\xA8\\"},
    {"\"C:\\\xE8\xA1\xA8 \xF0\x9F\x93\xA7\\a.exe\" \xE6\x96\xB0", "C:\\\xE8\xA1\xA8 \xF0\x9F\x93\xA7\\a.exe",
     "C:\\\xE8\xA1\xA8 \xF0\x9F\x93\xA7\\a.exe", "\xE6\x96\xB0", "C:\\\xE8\xA1\xA8 \xF0\x9F\x93\xA7\\"},
    {"rundll32.exe C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8x,Go", "rundll32.exe",
     "C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8",
     "C:\\\xE8\xA1\xA8\\\xE8\xA1\xA8.\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8x,Go", kSystem},
    // A RUNDLL program given with its folder is an ordinary program.
    {"C:\\WINDOWS\\RUNDLL32.EXE shell32.dll,Go", "C:\\WINDOWS\\RUNDLL32.EXE",
     "C:\\WINDOWS\\RUNDLL32.EXE", "shell32.dll,Go", "C:\\WINDOWS\\"},
};

TEST(CommandLine, SplitsIntoProgramIconArgumentsAndFolder) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.program, GetProgramPath(c.line));
        EXPECT_EQ(c.icon, GetIconPath(c.line));
        EXPECT_EQ(c.arguments, GetRunDllArguments(c.line));
        std::string folder = c.folder == kSystem ? SystemDirectory() : std::string(c.folder);
        EXPECT_EQ(folder, GetFolder(GetProgramPath(c.line)));
    }
}

TEST(CommandLine, RunDllIsRecognisedInAnyLetterCaseOnlyAtTheStart) {
    EXPECT_EQ("rUnDlL32.exe", GetProgramPath("rUnDlL32.exe a.dll,B"));
    EXPECT_EQ("a.dll,B", GetRunDllArguments("rUnDlL32.exe a.dll,B"));
    // Shorter than six characters, or RUNDLL later in the line: the ordinary rules.
    EXPECT_EQ("", GetRunDllArguments("rund"));
    EXPECT_EQ("x.exe", GetProgramPath("x.exe rundll32.exe"));
    EXPECT_EQ("rundll32.exe", GetRunDllArguments("x.exe rundll32.exe"));
}

TEST(CommandLine, RunDllIconComesFromTheLastDotAfterTheBlank) {
    // The library's own rule is kept: the last dot of what follows the first blank.
    EXPECT_EQ("C:\\A.B\\lib.dll", GetIconPath("rundll32.exe C:\\A.B\\lib.dll,Entry"));
    EXPECT_EQ("lib.dll,Go a.txt", GetIconPath("rundll32.exe lib.dll,Go a.txt"));
    EXPECT_EQ("lib", GetIconPath("rundll32.exe lib"));
}

TEST(CommandLine, GetFolderOfEdgePaths) {
    EXPECT_EQ("\\", GetFolder("\\x.exe"));
    EXPECT_EQ("C:\\", GetFolder("C:\\x.exe"));
    EXPECT_EQ(SystemDirectory(), GetFolder("notepad.exe"));
    EXPECT_EQ(SystemDirectory(), GetFolder(""));
    EXPECT_NE('\\', GetFolder("x").back());
}

TEST(StripQuotes, RemovesOnlyQuotesAroundTheWholeLine) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"\"C:\\P\\ICQ\\Agent.exe\"", "C:\\P\\ICQ\\Agent.exe"},
        {"C:\\APPS\\Tray.exe -min", "C:\\APPS\\Tray.exe -min"},
        {"\"\"", ""},
        {"\"", "\""},
        // A quoted path with arguments stays whole for the operations to take apart.
        {"\"C:\\P F\\a.exe\" -min", "\"C:\\P F\\a.exe\" -min"},
        {"x \"y\"", "x \"y\""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(c.out, StripQuotes(c.in));
    }
    // The pipeline of the processing page on a quoted line with arguments.
    std::string c = StripQuotes("\"C:\\P F\\a.exe\" -min");
    EXPECT_EQ("C:\\P F\\a.exe", GetProgramPath(c));
    EXPECT_EQ("-min", GetRunDllArguments(c));
    EXPECT_EQ("C:\\P F\\a.exe", GetIconPath(c));
}

TEST(AddBackslash, AppendsOnlyWhenMissing) {
    EXPECT_EQ("C:\\x\\", AddBackslash("C:\\x"));
    EXPECT_EQ("C:\\x\\", AddBackslash("C:\\x\\"));
    EXPECT_EQ("\\", AddBackslash(""));
}

TEST(ExpandEnvironment, ReplacesVariablesAndKeepsUnknownOnes) {
    SetEnvironmentVariableA("TW_TEST_DIR", "C:\\Long Folder Name\\For Expansion");
    EXPECT_EQ("C:\\Long Folder Name\\For Expansion\\a.exe -x %TW_NOT_SET%",
              ExpandEnvironment("%TW_TEST_DIR%\\a.exe -x %TW_NOT_SET%"));
    std::string longValue(3000, 'v');
    SetEnvironmentVariableA("TW_TEST_LONG", longValue.c_str());
    EXPECT_EQ(longValue + "!", ExpandEnvironment("%TW_TEST_LONG%!"));
    EXPECT_EQ("", ExpandEnvironment(""));
}

TEST(ExpandEnvironment, NamesTheNativeProgramFoldersOn64BitWindows) {
    // As a 32-bit program sees them on 64-bit Windows.
    SetEnvironmentVariableA("ProgramFiles", "C:\\Program Files (x86)");
    SetEnvironmentVariableA("ProgramFiles(x86)", "C:\\Program Files (x86)");
    SetEnvironmentVariableA("ProgramW6432", "C:\\Program Files");
    SetEnvironmentVariableA("CommonProgramFiles", "C:\\Program Files (x86)\\Common Files");
    SetEnvironmentVariableA("CommonProgramW6432", "C:\\Program Files\\Common Files");
    const std::string line = "\"%programfiles%\\A\\a.exe\" %CommonProgramFiles%\\x %PROGRAMFILES(X86)%\\b";
    SetWindows64(true);
    EXPECT_EQ("\"C:\\Program Files\\A\\a.exe\" C:\\Program Files\\Common Files\\x "
              "C:\\Program Files (x86)\\b",
              ExpandEnvironment(line));
    SetWindows64(false);
    EXPECT_EQ("\"C:\\Program Files (x86)\\A\\a.exe\" C:\\Program Files (x86)\\Common Files\\x "
              "C:\\Program Files (x86)\\b",
              ExpandEnvironment(line));
    SetWindows64(std::nullopt);
}

TEST(GetExtension, TakesWhatFollowsTheLastDotOfTheName) {
    const struct {
        const char* name;
        const char* extension;
    } cases[] = {
        {"Mail.lnk", "lnk"},      {"Mail.Online.lnk", "lnk"}, {"Mail", ""},
        {"C:\\My.Dir\\File", ""}, {"x.", ""},                 {".lnk", "lnk"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.extension, modDir::GetExtension(c.name));
    }
}

TEST(InvalidChars, ReportsForbiddenCharactersInSetOrder) {
    EXPECT_EQ("", modShellLnk::InvalidChars("Tray Agent (1).x"));
    EXPECT_EQ(":?", modShellLnk::InvalidChars("What? Now: yes"));
    EXPECT_EQ("\\/:*?<>|\"", modShellLnk::InvalidChars("\"|><?*:/\\\\"));
    EXPECT_EQ("/", modShellLnk::InvalidChars("a/b/c"));
}

TEST(InvalidChars, MessageText) {
    EXPECT_EQ(std::string("A filename cannot contain any of the following characters:\r") +
                  "                 \\ / : * ? \" < > |",
              modShellLnk::InvalidNameMessage());
}

TEST(RegText, QuoteAndEscape) {
    EXPECT_EQ("\"C:\\APPS\\Tray.exe -min\"", QuoteRegString("C:\\APPS\\Tray.exe -min"));
    EXPECT_EQ("\"C:\\\\APPS\\\\Tray.exe -min\"", QuoteRegString(EscapeBackslashes("C:\\APPS\\Tray.exe -min")));
    EXPECT_EQ("\"\\\"C:\\\\P\\\\a.exe\\\"\"", QuoteRegString(EscapeBackslashes("\"C:\\P\\a.exe\"")));
    EXPECT_EQ("\"plain text\"", QuoteRegString(EscapeBackslashes("plain text")));
    EXPECT_EQ("\"\"", QuoteRegString(""));
    EXPECT_EQ("\\\\\\\\", EscapeBackslashes("\\\\"));
}

TEST(RegText, DataOfEachTypeInRegedit4Form) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        DWORD type;
        std::string data;
        const char* text;
    } cases[] = {
        {"string", REG_SZ, "C:\\a \"b\"\0"s, "\"C:\\\\a \\\"b\\\"\""},
        {"empty string", REG_SZ, "\0"s, "\"\""},
        {"string without its NUL", REG_SZ, "ab"s, "hex(1):61,62"},
        {"string with a NUL inside", REG_SZ, "a\0b\0"s, "hex(1):61,00,62,00"},
        {"string with a line break", REG_SZ, "a\r\nb\0"s, "hex(1):61,0d,0a,62,00"},
        {"expandable", REG_EXPAND_SZ, "%W%\\a\0"s, "hex(2):25,57,25,5c,61,00"},
        {"number", REG_DWORD, "\x2a\x00\x00\x80"s, "dword:8000002a"},
        {"short number", REG_DWORD, "\x2a"s, "hex(4):2a"},
        {"bytes", REG_BINARY, "\x01\xff"s, "hex:01,ff"},
        {"no bytes", REG_BINARY, ""s, "hex:"},
        {"multi string", REG_MULTI_SZ, "a\0b\0\0"s, "hex(7):61,00,62,00,00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.text, RegDataText(c.type, c.data));
    }
}

}  // namespace
