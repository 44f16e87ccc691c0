// REMOVED.REG and the deletion of Run values, against the real registry and files of the
// test's own Wine prefix: the file's lines, its import with regedit, the existence test's
// prompts, and the deletion's messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "OperationsTestKit.h"
#include "ShellLinkHelper.h"
#include "operations/modRegStuff.h"

using namespace std::string_literals;
using namespace tw;
using namespace tw::modRegStuff;
using tw::test::FakePrompter;

namespace {

const char* const kHkcuSection = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]";
const char* const kHklmSection = "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]";

// The lines that carry something (the private-profile writer may add blank lines).
std::vector<std::string> FilledLines(const std::string& file) {
    std::vector<std::string> filled;
    for (const std::string& line : tw::test::ReadLines(file))
        if (!line.empty()) filled.push_back(line);
    return filled;
}

class RemovedRegTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = tw::test::NewTestFolder("removedreg");
        ASSERT_FALSE(m_folder.empty());
        m_file = m_folder + "removed.reg";
        modRegStuff::SetRemovedRegFile(m_file);
    }
    void TearDown() override { modRegStuff::SetRemovedRegFile(std::string()); }
    std::string m_folder;
    std::string m_file;
    FakePrompter m_prompter;
};

// Exports from the real Run keys (the test's prefix is its own): the sections name them.
TEST_F(RemovedRegTest, FirstExportCreatesTheFileWithItsHeader) {
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\APPS\\Tray.exe -min"));
    std::vector<std::string> lines = FilledLines(m_file);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("REGEDIT4", lines[0]);
    EXPECT_EQ(kHkcuSection, lines[1]);
    EXPECT_EQ("\"Tray\"=\"C:\\\\APPS\\\\Tray.exe -min\"", lines[2]);
    // The first line is the file's first bytes, ended by CR LF.
    EXPECT_EQ("REGEDIT4\r\n", tw::test::ReadFileBytes(m_file).substr(0, 10));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(RemovedRegTest, SecondHiveGetsASecondSectionAfterTheFirst) {
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\APPS\\Tray.exe -min"));
    ASSERT_TRUE(ExportRunValue("HKEY_LOCAL_MACHINE", "Scan", "C:\\AV\\scan.exe"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Mail", "C:\\Mail\\mail.exe"));
    std::vector<std::string> lines = FilledLines(m_file);
    const std::vector<std::string> expected = {
        "REGEDIT4",
        kHkcuSection,
        "\"Tray\"=\"C:\\\\APPS\\\\Tray.exe -min\"",
        "\"Mail\"=\"C:\\\\Mail\\\\mail.exe\"",
        kHklmSection,
        "\"Scan\"=\"C:\\\\AV\\\\scan.exe\"",
    };
    EXPECT_EQ(expected, lines);
}

TEST_F(RemovedRegTest, SameValueTwiceKeepsOneLineWithTheLaterData) {
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\old\\tray.exe"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Other", "C:\\o.exe"));
    // A later run, another letter case of the same name: the line is replaced in place.
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "TRAY", "C:\\new\\tray.exe"));
    std::vector<std::string> lines = FilledLines(m_file);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("REGEDIT4", lines[0]);
    EXPECT_EQ("\"Tray\"=\"C:\\\\new\\\\tray.exe\"", lines[2]);
    EXPECT_EQ("\"Other\"=\"C:\\\\o.exe\"", lines[3]);
}

TEST_F(RemovedRegTest, AnExistingFileIsNeverTruncatedAndGetsNoSecondHeader) {
    const std::string earlier = "REGEDIT4\r\n\r\n; kept by the user\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"a\"=\"b\"\r\n";
    ASSERT_TRUE(tw::test::WriteTextFile(m_file, earlier));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
    std::vector<std::string> lines = FilledLines(m_file);
    const std::vector<std::string> expected = {
        "REGEDIT4", "; kept by the user", "[HKEY_CURRENT_USER\\Software\\X]", "\"a\"=\"b\"",
        kHkcuSection, "\"Tray\"=\"C:\\\\t.exe\"",
    };
    EXPECT_EQ(expected, lines);
}

TEST_F(RemovedRegTest, QuotesAndBackslashesInNamesAndData) {
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Say \"hi\"", "\"C:\\P F\\a.exe\" /x"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tools\\Agent", "plain"));
    std::vector<std::string> lines = FilledLines(m_file);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("\"Say \\\"hi\\\"\"=\"\\\"C:\\\\P F\\\\a.exe\\\" /x\"", lines[2]);
    EXPECT_EQ("\"Tools\\\\Agent\"=\"plain\"", lines[3]);
}

TEST_F(RemovedRegTest, ValuesAreWrittenAsTheRegistryHoldsThem) {
    tw::test::RunKeySandbox keys("types");
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), "Exp", "%WINDIR%\\e.exe", REG_EXPAND_SZ));
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, keys.Path(), "Num", REG_DWORD, "\x07\x00\x00\x00"s));
    // The listed command line is only the fallback: the registry's bytes are written.
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Exp", "%WINDIR%\\e.exe"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Num", "\x07"));
    std::vector<std::string> lines = FilledLines(m_file);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("[HKEY_CURRENT_USER\\" + keys.Path() + "]", lines[1]);
    EXPECT_EQ("\"Exp\"=hex(2):25,57,49,4e,44,49,52,25,5c,65,2e,65,78,65,00", lines[2]);
    EXPECT_EQ("\"Num\"=dword:00000007", lines[3]);
}

TEST_F(RemovedRegTest, ImportedWithRegeditTheValuesComeBackByteForByte) {
    tw::test::RunKeySandbox keys("roundtrip");
    struct Value {
        HKEY hive;
        const char* hiveName;
        std::string name;
        DWORD type;
        std::string data;
        RegView view = RegView::Shared;
    };
    const std::vector<Value> values = {
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Tray", REG_SZ, "C:\\APPS\\Tray.exe -min\0"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Quoted \"name\"", REG_SZ,
         "\"C:\\Program Files\\A\\a.exe\" /q \"x\\\"\0"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Back\\slash\\name", REG_SZ, "\\\\server\\share\\b.exe\0"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Expand", REG_EXPAND_SZ, "%SystemRoot%\\x.exe -a\0"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Long", REG_SZ,
         "C:\\" + std::string(600, 'L') + "\\long.exe\0"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Number", REG_DWORD, "\x01\x02\x03\x04"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Bytes", REG_BINARY, "\x00\x10\xff"s},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "No terminator", REG_SZ, "abc"s},
        // The machine's native key, as page 2 lists it on either kind of Windows.
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Machine", REG_SZ, "C:\\M\\m.exe\0"s,
         tw::test::OnWindows64() ? RegView::Native : RegView::Shared},
    };
    // What the registry gives back before the export is what must come back after it
    // (a REG_SZ written without its NUL reads with one through the ANSI calls).
    std::vector<tw::test::RawValue> before;
    for (const Value& v : values) {
        SCOPED_TRACE(v.name);
        const REGSAM access = ViewAccess(v.view);
        ASSERT_TRUE(tw::test::SetRawValue(v.hive, keys.Path(), v.name, v.type, v.data, access));
        before.push_back(tw::test::GetRawValue(v.hive, keys.Path(), v.name, access));
        ASSERT_TRUE(before.back().present);
        // Exported twice: the second write must leave one line that still imports.
        ASSERT_TRUE(ExportRunValue(v.hiveName, v.name, "listed", v.view));
        ASSERT_TRUE(ExportRunValue(v.hiveName, v.name, "listed", v.view));
        std::string start = "\"";
        for (char c : v.name) start += (c == '\\' || c == '"') ? std::string{'\\', c} : std::string(1, c);
        start += "\"=";
        size_t lines = 0;
        for (const std::string& line : FilledLines(m_file)) lines += line.compare(0, start.size(), start) == 0;
        EXPECT_EQ(1u, lines) << start;
        ASSERT_TRUE(DeleteRunValue(v.hiveName, v.name, v.view));
        ASSERT_FALSE(tw::test::GetRawValue(v.hive, keys.Path(), v.name, access).present);
    }
    ASSERT_EQ(0, tw::test::RunRegeditImport(m_file));
    for (size_t i = 0; i < values.size(); ++i) {
        const Value& v = values[i];
        SCOPED_TRACE(v.name);
        tw::test::RawValue back = tw::test::GetRawValue(v.hive, keys.Path(), v.name, ViewAccess(v.view));
        ASSERT_TRUE(back.present);
        EXPECT_EQ(v.type, back.type);
        EXPECT_EQ(before[i].data, back.data);
        if (v.name != "No terminator") {
            EXPECT_EQ(v.data, back.data);
        }
    }
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(RemovedRegTest, EachViewOfTheMachineKeyIsSavedUnderTheKeyRegeditRestoresItTo) {
    if (!tw::test::OnWindows64()) GTEST_SKIP() << "about 64-bit Windows: 32-bit Windows has one machine key";
    tw::test::RunKeySandbox keys("views");
    const std::string& path = keys.Path();
    // One name in both views of a 64-bit registry, another in the 32-bit view only.
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, path, "Same", "C:\\native.exe", REG_SZ, KEY_WOW64_64KEY));
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, path, "Same", "C:\\wow.exe", REG_SZ, KEY_WOW64_32KEY));
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, path, "Old", "C:\\old.exe", REG_SZ, KEY_WOW64_32KEY));
    const struct {
        const char* name;
        RegView view;
        REGSAM flag, other;
    } values[] = {
        {"Same", RegView::Native, KEY_WOW64_64KEY, KEY_WOW64_32KEY},
        {"Same", RegView::Wow32, KEY_WOW64_32KEY, KEY_WOW64_64KEY},
        {"Old", RegView::Wow32, KEY_WOW64_32KEY, KEY_WOW64_64KEY},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(std::string(v.name) + (v.view == RegView::Native ? " native" : " 32-bit"));
        const bool inOther = tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, v.name, v.other).present;
        ASSERT_TRUE(ExportRunValue("HKEY_LOCAL_MACHINE", v.name, "listed", v.view));
        ASSERT_TRUE(DeleteRunValue("HKEY_LOCAL_MACHINE", v.name, v.view));
        EXPECT_FALSE(tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, v.name, v.flag).present);
        EXPECT_EQ(inOther, tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, v.name, v.other).present);
    }
    const std::vector<std::string> expected = {
        "REGEDIT4",
        "[HKEY_LOCAL_MACHINE\\" + path + "]",
        "\"Same\"=\"C:\\\\native.exe\"",
        "[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\" + path.substr(9) + "]",
        "\"Same\"=\"C:\\\\wow.exe\"",
        "\"Old\"=\"C:\\\\old.exe\"",
    };
    EXPECT_EQ(expected, FilledLines(m_file));
    // The system's regedit (the 64-bit one, whichever build this test is) puts each value back
    // into the view it came from.
    ASSERT_EQ(0, tw::test::RunRegeditImport(m_file));
    EXPECT_EQ("C:\\native.exe"s + '\0', tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, "Same", KEY_WOW64_64KEY).data);
    EXPECT_EQ("C:\\wow.exe"s + '\0', tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, "Same", KEY_WOW64_32KEY).data);
    EXPECT_TRUE(tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, "Old", KEY_WOW64_32KEY).present);
    EXPECT_FALSE(tw::test::GetRawValue(HKEY_LOCAL_MACHINE, path, "Old", KEY_WOW64_64KEY).present);
    EXPECT_TRUE(m_prompter.shown.empty());
}

// ---- Values beyond the ANSI code page --------------------------------------------------

TEST_F(RemovedRegTest, AFileOfValuesThatFitIsTheRegedit4FileItAlwaysWasByteForByte) {
    tw::test::RunKeySandbox keys("fit");
    const std::string& path = keys.Path();
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, path, "Tray", "C:\\APPS\\Tray.exe -min"));
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, path, "Scan", "C:\\AV\\scan.exe"));
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, path, "Mail", "%WINDIR%\\m.exe", REG_EXPAND_SZ));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "listed"));
    ASSERT_TRUE(ExportRunValue("HKEY_LOCAL_MACHINE", "Scan", "listed"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Mail", "listed"));
    // What earlier versions wrote through the private-profile writer.
    EXPECT_EQ("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + path + "]\r\n\"Tray\"=\"C:\\\\APPS\\\\Tray.exe -min\"\r\n"
              "\"Mail\"=hex(2):25,57,49,4e,44,49,52,25,5c,6d,2e,65,78,65,00\r\n[HKEY_LOCAL_MACHINE\\" + path +
                  "]\r\n\"Scan\"=\"C:\\\\AV\\\\scan.exe\"\r\n",
              tw::test::ReadFileBytes(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
}

TEST_F(RemovedRegTest, AValueBeyondTheCodePageMakesItAVersion5FileThatRestoresEveryEntry) {
    tw::test::RunKeySandbox keys("unicode");
    const std::string& path = keys.Path();
    // From an earlier run: a comment, a string and an expandable string in ANSI bytes.
    const std::string earlier = "REGEDIT4\r\n; saved earlier\r\n[HKEY_CURRENT_USER\\" + path +
                                "]\r\n\"Old\"=\"C:\\\\old.exe\"\r\n\"OldExp\"=hex(2):25,41,25,00\r\n";
    ASSERT_TRUE(tw::test::WriteTextFile(m_file, earlier));
    const std::string mail = "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0 \xF0\x9F\x93\xA7";  // "Почта 📧"
    const std::string mailLine = "\"C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\\xE9\x82\xAE\xE4\xBB\xB6.exe\" -x";
    const std::string chat = "\xD0\xA7\xD0\xB0\xD1\x82";  // "Чат"
    const std::string chatLine = "%SystemDrive%\\\xE7\xA8\x8B\xE5\xBA\x8F\\chat.exe";
    ASSERT_TRUE(tw::test::SetWideString(HKEY_CURRENT_USER, path, mail, mailLine));
    // The machine's value in the view the wizard lists first (the native one on 64-bit Windows).
    const RegView machine = tw::test::OnWindows64() ? RegView::Native : RegView::Shared;
    const REGSAM view = tw::test::OnWindows64() ? KEY_WOW64_64KEY : 0;
    ASSERT_TRUE(tw::test::SetWideString(HKEY_LOCAL_MACHINE, path, chat, chatLine, REG_EXPAND_SZ, view));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", mail, "listed"));
    ASSERT_TRUE(ExportRunValue("HKEY_LOCAL_MACHINE", chat, "listed", machine));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Later", "C:\\later.exe"));

    const std::string bytes = tw::test::ReadFileBytes(m_file);
    ASSERT_EQ("\xFF\xFE", bytes.substr(0, 2));
    std::string chatHex;
    for (unsigned char c : tw::test::Utf16Bytes(chatLine)) {
        if (!chatHex.empty()) chatHex += ',';
        chatHex += "0123456789abcdef"[c >> 4];
        chatHex += "0123456789abcdef"[c & 15];
    }
    const std::vector<std::string> expected = {
        "Windows Registry Editor Version 5.00",
        "; saved earlier",
        "[HKEY_CURRENT_USER\\" + path + "]",
        "\"Old\"=\"C:\\\\old.exe\"",
        "\"OldExp\"=hex(2):25,00,41,00,25,00,00,00",  // the same string, now in UTF-16
        "\"" + mail + "\"=\"\\\"C:\\\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0\\\\\xE9\x82\xAE\xE4\xBB\xB6.exe\\\" -x\"",
        "\"Later\"=\"C:\\\\later.exe\"",
        "[HKEY_LOCAL_MACHINE\\" + path + "]",
        "\"" + chat + "\"=hex(2):" + chatHex,
    };
    EXPECT_EQ(expected, tw::test::Utf16Lines(bytes));

    // Everything comes back as it was: the earlier entries too.
    ASSERT_TRUE(DeleteRunValue("HKEY_CURRENT_USER", mail));
    ASSERT_TRUE(DeleteRunValue("HKEY_LOCAL_MACHINE", chat, machine));
    ASSERT_EQ(0, tw::test::RunRegeditImport(m_file));
    const tw::test::RawValue mailBack = tw::test::GetWideValue(HKEY_CURRENT_USER, path, mail);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), mailBack.type);
    EXPECT_EQ(tw::test::Utf16Bytes(mailLine), mailBack.data);
    const tw::test::RawValue chatBack = tw::test::GetWideValue(HKEY_LOCAL_MACHINE, path, chat, view);
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), chatBack.type);
    EXPECT_EQ(tw::test::Utf16Bytes(chatLine), chatBack.data);
    EXPECT_EQ(tw::test::Utf16Bytes("%A%"), tw::test::GetWideValue(HKEY_CURRENT_USER, path, "OldExp").data);
    EXPECT_EQ(tw::test::Utf16Bytes("C:\\old.exe"), tw::test::GetWideValue(HKEY_CURRENT_USER, path, "Old").data);
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(RemovedRegTest, AVersion5FileKeepsItsFormAndALaterValueOfTheSameNameReplacesItsData) {
    tw::test::RunKeySandbox keys("unicode-again");
    const std::string name = "\xE6\x96\xB0\xE9\x97\xBB";  // "新闻"
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", name, "C:\\old\\news.exe"));
    // Another letter case of an ASCII name, and the same name again: replaced in place.
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "TRAY", "C:\\t2.exe"));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", name, "C:\\new\\news.exe"));
    const std::vector<std::string> expected = {
        "Windows Registry Editor Version 5.00",
        "[HKEY_CURRENT_USER\\" + keys.Path() + "]",
        "\"" + name + "\"=\"C:\\\\new\\\\news.exe\"",
        "\"Tray\"=\"C:\\\\t2.exe\"",
    };
    EXPECT_EQ(expected, tw::test::Utf16Lines(tw::test::ReadFileBytes(m_file)));
}

TEST_F(RemovedRegTest, ALeftoverOfAnExportCutShortIsTakenInOnlyWhenTheFileIsGone) {
    // Where the old file was already removed, the whole new one is the file.
    const std::string whole = "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=\"b\"\r\n";
    ASSERT_TRUE(tw::test::WriteTextFile(m_file + ".new", whole));
    RecoverRemovedReg();
    EXPECT_EQ(whole, tw::test::ReadFileBytes(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
    // Beside the file, a leftover (here half a line) is only removed.
    ASSERT_TRUE(tw::test::WriteTextFile(m_file + ".new", "REGEDIT4\r\n[HKEY_CUR"));
    RecoverRemovedReg();
    EXPECT_EQ(whole, tw::test::ReadFileBytes(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
    // Half a file and no file: nothing is made of it.
    ASSERT_TRUE(DeleteFileA(m_file.c_str()));
    ASSERT_TRUE(tw::test::WriteTextFile(m_file + ".new", "REGEDIT4\r\n[HKEY_CUR"));
    RecoverRemovedReg();
    EXPECT_FALSE(tw::test::FileThere(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
}

TEST_F(RemovedRegTest, AVersion5LeftoverIsTakenInWholeAndNotCutShort) {
    // An export of a version 5.00 file ended between writing the new file and moving it.
    const std::string text = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\X]\r\n"
                             "\"\xD0\xA7\xD0\xB0\xD1\x82\"=\"C:\\\\chat.exe\"\r\n";
    std::string whole = "\xFF\xFE" + tw::test::Utf16Bytes(text);
    whole.resize(whole.size() - 2);  // no closing NUL in a file
    ASSERT_TRUE(tw::test::WriteTextFile(m_file + ".new", whole));
    RecoverRemovedReg();
    ASSERT_EQ(whole, tw::test::ReadFileBytes(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
    // Cut in the last line's CR LF (its CR and half the LF written): nothing is made of it.
    ASSERT_TRUE(DeleteFileA(m_file.c_str()));
    ASSERT_TRUE(tw::test::WriteTextFile(m_file + ".new", whole.substr(0, whole.size() - 1)));
    RecoverRemovedReg();
    EXPECT_FALSE(tw::test::FileThere(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
}

TEST_F(RemovedRegTest, AnExportAfterOneCutShortBetweenDeleteAndRenameKeepsEveryEarlierEntry) {
    // Where a file cannot be replaced in one step (95/98/Me), an export ended after deleting
    // the old file leaves only the new one; the next export builds on that one.
    const std::string earlier = "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"Old\"=\"C:\\\\old.exe\"\r\n";
    ASSERT_TRUE(tw::test::WriteTextFile(m_file + ".new", earlier));
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
    const std::string now = tw::test::ReadFileBytes(m_file);
    EXPECT_EQ(0u, now.find(earlier)) << now;
    EXPECT_NE(std::string::npos, now.find("\"Tray\"=\"C:\\\\t.exe\"\r\n")) << now;
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
}

// ---- Nothing written can change what another line means -----------------------------------

TEST_F(RemovedRegTest, ANameWithALineBreakOrNulIsRefusedAndNothingIsWritten) {
    tw::test::RunKeySandbox keys("linebreaks");
    const std::string earlier = "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=\"b\"\r\n";
    ASSERT_TRUE(tw::test::WriteTextFile(m_file, earlier));
    const std::string names[] = {
        "Inj\\x\r\n[HKEY_CURRENT_USER]\r\n@=dword:00000001\r\nX", "Lone\rCR", "Lone\nLF", "\nFirst", "Last\r",
        "Nul\0Inside"s,
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(VisibleName(name));
        EXPECT_FALSE(RegFileCarriesName(name));
        ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), name, "C:\\v.exe"));
        EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", name, "C:\\v.exe"));
        EXPECT_EQ(earlier, tw::test::ReadFileBytes(m_file));
    }
    EXPECT_EQ("Inj\\x<CR><LF>[HKEY_CURRENT_USER]<CR><LF>@=dword:00000001<CR><LF>X", VisibleName(names[0]));
    EXPECT_EQ("Nul<NUL>Inside", VisibleName(names[5]));
    // Nor is a file begun for one.
    ASSERT_TRUE(DeleteFileA(m_file.c_str()));
    EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Lone\nLF", "C:\\v.exe"));
    EXPECT_FALSE(tw::test::FileThere(m_file));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(RemovedRegTest, EveryOtherNameComesBackExactlyAndTheDefaultValueAsItself) {
    tw::test::RunKeySandbox keys("oddnames");
    // Characters a line may hold, next to the ones a section, a comment or an escape use.
    const std::string names[] = {"", " lead and trail\t", "[HKEY_CURRENT_USER]", "@", ";x", "a=b", "\\n", "end\\",
                                 "q\"=\"", "tab\tin"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(RegFileCarriesName(name));
        ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), name, "C:\\" + name + ".exe"));
        ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", name, "listed"));
        ASSERT_TRUE(DeleteRunValue("HKEY_CURRENT_USER", name));
    }
    // The default value is regedit's @, never a name of its own.
    EXPECT_EQ("@=\"C:\\\\.exe\"", FilledLines(m_file)[2]);
    ASSERT_EQ(0, tw::test::RunRegeditImport(m_file));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ("C:\\" + name + ".exe"s + '\0', tw::test::GetRawValue(HKEY_CURRENT_USER, keys.Path(), name).data);
    }
    // Exactly those: nothing else was set under the key.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, keys.Path().c_str(), 0, KEY_READ, &key));
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(std::size(names), count);
}

TEST_F(RemovedRegTest, AValueThatCannotBeReadIsWrittenAsTheListedString) {
    tw::test::RunKeySandbox keys("gone");
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Gone", "C:\\g\\gone.exe \"x\""));
    std::vector<std::string> lines = FilledLines(m_file);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("\"Gone\"=\"C:\\\\g\\\\gone.exe \\\"x\\\"\"", lines[2]);
}

TEST_F(RemovedRegTest, ALockedFileFailsTheExportWithoutLosingIt) {
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "First", "C:\\1.exe"));
    const std::string before = tw::test::ReadFileBytes(m_file);
    {
        tw::test::FileLock lock(m_file, 0);
        ASSERT_TRUE(lock.Held());
        EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Second", "C:\\2.exe"));
    }
    EXPECT_EQ(before, tw::test::ReadFileBytes(m_file));
}

TEST_F(RemovedRegTest, AFileAnotherProgramReadsIsWaitedForAboutTwoSeconds) {
    // A virus scanner reading the file: it can be read, but not replaced until it is let go.
    ASSERT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "First", "C:\\1.exe"));
    const std::string before = tw::test::ReadFileBytes(m_file);
    tw::test::FakeClock clock;
    auto lock = std::make_unique<tw::test::FileLock>(m_file, FILE_SHARE_READ);
    ASSERT_TRUE(lock->Held());
    EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Second", "C:\\2.exe"));
    EXPECT_EQ(20, clock.waits);
    EXPECT_EQ(before, tw::test::ReadFileBytes(m_file));
    EXPECT_FALSE(tw::test::FileThere(m_file + ".new"));
    clock.waits = 0;
    clock.onWait = [&] {
        if (clock.waits == 5) lock.reset();
    };
    EXPECT_TRUE(ExportRunValue("HKEY_CURRENT_USER", "Second", "C:\\2.exe"));
    EXPECT_EQ(5, clock.waits);
    EXPECT_NE(std::string::npos, tw::test::ReadFileBytes(m_file).find("\"Second\"=\"C:\\\\2.exe\""));
}

TEST_F(RemovedRegTest, AFileThatCannotBeCreatedFailsTheExport) {
    modRegStuff::SetRemovedRegFile(m_folder + "missing folder\\removed.reg");
    EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
    // A folder in the file's place: listed as no file, and no file can be made there.
    ASSERT_TRUE(CreateDirectoryA((m_folder + "dir.reg").c_str(), nullptr));
    modRegStuff::SetRemovedRegFile(m_folder + "dir.reg");
    EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(RemovedRegTest, AnUnexpectedListingErrorIsReportedAndFailsTheExport) {
    tw::test::ListingFails listing;
    EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
    ASSERT_EQ(1u, m_prompter.shown.size());
    const std::string& text = m_prompter.shown[0].text;
    EXPECT_EQ(0u, text.find("Error number  ")) << text;
    EXPECT_NE(std::string::npos, text.find(" occurred: ")) << text;
    EXPECT_EQ(static_cast<unsigned>(MB_ICONSTOP), m_prompter.shown[0].flags);
}

TEST_F(RemovedRegTest, ProgramFolderIsTheExecutablesFolder) {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string expected(module);
    expected = expected.substr(0, expected.rfind('\\') + 1);
    EXPECT_EQ(expected, ProgramFolder());
    modRegStuff::SetRemovedRegFile(std::string());
    EXPECT_EQ(expected + "removed.reg", RemovedRegFile());
}

// ---- FileExists and its prompts --------------------------------------------------------

int g_dirCalls = 0;
std::vector<int> g_dirErrors;  // errors the fake listing raises, one per call, then none

std::string FakeDir(const std::string&, unsigned, FileError& error) {
    int number = g_dirCalls < static_cast<int>(g_dirErrors.size()) ? g_dirErrors[g_dirCalls] : 0;
    ++g_dirCalls;
    error = FileError();
    if (number) {
        error.number = number;
        error.description = "Described failure";
        return std::string();
    }
    return "removed.reg";
}

class FileExistsTest : public testing::Test {
protected:
    void SetUp() override {
        g_dirCalls = 0;
        g_dirErrors.clear();
        m_previous = SetDirFunction(&FakeDir);
    }
    void TearDown() override { SetDirFunction(m_previous); }
    DirFunction m_previous = nullptr;
    FakePrompter m_prompter;
};

TEST_F(FileExistsTest, DiskNotReadyAsksAndRetriesOnOk) {
    g_dirErrors = {kErrDiskNotReady, kErrDiskNotReady};
    m_prompter.Answer(IDOK);
    m_prompter.Answer(IDOK);
    EXPECT_TRUE(FileExists("A:\\removed.reg"));
    EXPECT_EQ(3, g_dirCalls);
    ASSERT_EQ(2u, m_prompter.shown.size());
    EXPECT_EQ("Put a floppy disk in the drive and close the drive door.", m_prompter.shown[0].text);
    EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION | MB_OKCANCEL), m_prompter.shown[0].flags);
}

TEST_F(FileExistsTest, DiskNotReadyCancelGivesFalse) {
    g_dirErrors = {kErrDiskNotReady};
    m_prompter.Answer(IDCANCEL);
    FileError error;
    EXPECT_FALSE(FileExists("A:\\removed.reg", &error));
    EXPECT_EQ(kErrDiskNotReady, error.number);
    EXPECT_EQ(1, g_dirCalls);
}

TEST_F(FileExistsTest, MissingDeviceIsReported) {
    g_dirErrors = {kErrDeviceUnavailable};
    EXPECT_FALSE(FileExists("Q:\\removed.reg"));
    ASSERT_EQ(1u, m_prompter.shown.size());
    EXPECT_EQ("This drive or path does not exist: Q:\\removed.reg", m_prompter.shown[0].text);
    EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), m_prompter.shown[0].flags);
}

TEST_F(FileExistsTest, OtherErrorsAreReportedWithTheirNumber) {
    g_dirErrors = {kErrPathFileAccess};
    FileError error;
    EXPECT_FALSE(FileExists("C:\\removed.reg", &error));
    EXPECT_EQ(kErrPathFileAccess, error.number);
    ASSERT_EQ(1u, m_prompter.shown.size());
    EXPECT_EQ("Error number  75 occurred: Described failure", m_prompter.shown[0].text);
    EXPECT_EQ(static_cast<unsigned>(MB_ICONSTOP), m_prompter.shown[0].flags);
}

TEST_F(FileExistsTest, AListingErrorMakesTheExportFailBeforeAnyWrite) {
    std::string folder = tw::test::NewTestFolder("existserror");
    tw::test::RemovedRegAt at(folder + "removed.reg");
    for (int number : {kErrDeviceUnavailable, kErrDiskNotReady, kErrPathFileAccess}) {
        SCOPED_TRACE(number);
        g_dirCalls = 0;
        g_dirErrors = {number};
        m_prompter.Answer(IDCANCEL);
        EXPECT_FALSE(ExportRunValue("HKEY_CURRENT_USER", "Tray", "C:\\t.exe"));
        EXPECT_FALSE(tw::test::FileThere(folder + "removed.reg"));
    }
}

TEST(FileExistsReal, FindsFilesOnlyNotFolders) {
    FakePrompter prompter;
    std::string folder = tw::test::NewTestFolder("exists");
    ASSERT_TRUE(tw::test::WriteTextFile(folder + "removed.reg", "REGEDIT4\r\n"));
    EXPECT_TRUE(FileExists(folder + "removed.reg"));
    EXPECT_FALSE(FileExists(folder + "other.reg"));
    EXPECT_FALSE(FileExists(folder.substr(0, folder.size() - 1)));
    EXPECT_TRUE(prompter.shown.empty());
}

// ---- DeleteRunValue --------------------------------------------------------------------

TEST(DeleteRunValue, DeletesFromTheNamedHive) {
    FakePrompter prompter;
    tw::test::RunKeySandbox keys("delete");
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), "Same", "user"));
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, keys.Path(), "Same", "machine"));
    EXPECT_TRUE(DeleteRunValue("HKEY_LOCAL_MACHINE", "Same"));
    EXPECT_FALSE(tw::test::GetRawValue(HKEY_LOCAL_MACHINE, keys.Path(), "Same").present);
    EXPECT_TRUE(tw::test::GetRawValue(HKEY_CURRENT_USER, keys.Path(), "Same").present);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(DeleteRunValue, FailuresAreReported) {
    FakePrompter prompter;
    tw::test::RunKeySandbox keys("deletefail", true, false);
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), "Here", "x"));
    const struct {
        const char* hive;
        const char* name;
        const char* message;
    } cases[] = {
        {"HKEY_CURRENT_USER", "Absent", "Non-Critical ERROR: Can't delete the value."},
        {"HKEY_LOCAL_MACHINE", "Here", "Non-Critical ERROR: Can't open the key."},
        // The hive's name is compared exactly.
        {"HKEY_Current_User", "Here", "Non-Critical ERROR: Can't open the key."},
        {"", "Here", "Non-Critical ERROR: Can't open the key."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.hive) + " " + c.name);
        prompter.shown.clear();
        EXPECT_FALSE(DeleteRunValue(c.hive, c.name));
        ASSERT_EQ(1u, prompter.shown.size());
        EXPECT_EQ(c.message, prompter.shown[0].text);
        EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), prompter.shown[0].flags);
    }
    EXPECT_TRUE(tw::test::GetRawValue(HKEY_CURRENT_USER, keys.Path(), "Here").present);
}

TEST(DeleteRunValue, TheRealRunKeyByDefault) {
    FakePrompter prompter;
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, run, "TwDeleteMe", "C:\\d.exe"));
    EXPECT_TRUE(DeleteRunValue("HKEY_CURRENT_USER", "TwDeleteMe"));
    EXPECT_FALSE(tw::test::GetRawValue(HKEY_CURRENT_USER, run, "TwDeleteMe").present);
}

}  // namespace
