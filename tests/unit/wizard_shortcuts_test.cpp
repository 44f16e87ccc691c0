// Shortcut creation for Run values: the link's fields read back through the shell's link
// object, the ICQ rule, and the per-value processing with its messages, REMOVED.REG and
// deletion, including the faults that must lose nothing.
#include <algorithm>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "OperationsTestKit.h"
#include "ShellLinkHelper.h"
#include "Shortcut.h"
#include "operations/modRegStuff.h"
#include "operations/modShellLnk.h"

using namespace tw;
using tw::test::FakePrompter;

namespace {

const char* const kCreated = "The shortcut was created successfuly.";
const char* const kFailed = "Non-Critical ERROR: Failed to create the shortcut.";

std::string SystemDirectory() {
    char buffer[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

struct Link {
    bool read = false;
    std::string path, workingDirectory, arguments, iconPath;
    int iconIndex = -1;
    int showCmd = -1;
};

Link ReadLink(const std::string& file) {
    Link link;
    link.read = ReadShortcut(file, link.path, link.workingDirectory, link.arguments, link.iconPath,
                             link.iconIndex, link.showCmd);
    return link;
}

// The show command as the link file's header holds it (offset 0x3C of the 76-byte header).
int HeaderShowCommand(const std::string& file) {
    std::string bytes = tw::test::ReadFileBytes(file);
    if (bytes.size() < 0x40) return -1;
    return static_cast<unsigned char>(bytes[0x3C]) | static_cast<unsigned char>(bytes[0x3D]) << 8;
}

std::vector<std::string> Texts(const FakePrompter& prompter) {
    std::vector<std::string> texts;
    for (const auto& shown : prompter.shown) texts.push_back(shown.text);
    return texts;
}

// Backslashes doubled, as a REMOVED.REG line holds a path.
std::string EscapeForReg(const std::string& text) {
    std::string escaped;
    for (char c : text) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
}

class ShortcutTest : public testing::Test {
protected:
    void SetUp() override {
        m_online = tw::test::NewTestFolder("online");
        m_programs = tw::test::NewTestFolder("programs");
        ASSERT_FALSE(m_online.empty());
        ASSERT_FALSE(m_programs.empty());
        modRegStuff::SetRemovedRegFile(m_programs + "removed.reg");
    }
    void TearDown() override { modRegStuff::SetRemovedRegFile(std::string()); }

    // A program file that exists, so the link object resolves it as it is.
    std::string Program(const std::string& relative) {
        std::string path = m_programs + relative;
        for (std::string::size_type slash = path.find('\\', m_programs.size()); slash != std::string::npos;
             slash = path.find('\\', slash + 1))
            CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        EXPECT_TRUE(tw::test::WriteTextFile(path, "MZ"));
        return path;
    }

    std::string m_online;
    std::string m_programs;
    FakePrompter m_prompter;
};

TEST_F(ShortcutTest, CreateShortcutWritesEveryField) {
    std::string program = Program("App\\app.exe");
    std::string link = m_online + "App.lnk";
    ASSERT_TRUE(modShellLnk::CreateShortcut(link, program, m_programs + "App\\", "-min /x",
                                            m_programs + "App\\app.exe", 0, SW_SHOW));
    Link read = ReadLink(link);
    ASSERT_TRUE(read.read);
    EXPECT_EQ(program, read.path);
    EXPECT_EQ(m_programs + "App\\", read.workingDirectory);
    EXPECT_EQ("-min /x", read.arguments);
    EXPECT_EQ(program, read.iconPath);
    EXPECT_EQ(0, read.iconIndex);
    EXPECT_EQ(SW_SHOW, HeaderShowCommand(link));
}

TEST_F(ShortcutTest, CreateShortcutReplacesAnExistingLink) {
    std::string first = Program("first.exe");
    std::string second = Program("second.exe");
    std::string link = m_online + "Same.lnk";
    ASSERT_TRUE(modShellLnk::CreateShortcut(link, first, "", "-a", "", 0, SW_SHOW));
    ASSERT_TRUE(modShellLnk::CreateShortcut(link, second, "", "", "", 0, SW_SHOW));
    Link read = ReadLink(link);
    EXPECT_EQ(second, read.path);
    EXPECT_EQ("", read.arguments);
}

TEST_F(ShortcutTest, CreateShortcutRefusesEmptyNamesAndUnwritableFolders) {
    std::string program = Program("p.exe");
    EXPECT_FALSE(modShellLnk::CreateShortcut("", program, "", "", "", 0, SW_SHOW));
    EXPECT_FALSE(modShellLnk::CreateShortcut(m_online + "Empty.lnk", "", "", "", "", 0, SW_SHOW));
    EXPECT_FALSE(tw::test::FileThere(m_online + "Empty.lnk"));
    EXPECT_FALSE(modShellLnk::CreateShortcut(m_online + "no such folder\\P.lnk", program, "", "", "", 0,
                                             SW_SHOW));
}

class RegShortcutsTest : public ShortcutTest {
protected:
    void SetUp() override {
        ShortcutTest::SetUp();
        m_keys = std::make_unique<tw::test::RunKeySandbox>("shortcuts");
    }
    void TearDown() override {
        m_keys.reset();
        ShortcutTest::TearDown();
    }
    // A Run value written into `view` of the hive's key, and the item page 2 lists for it.
    RegItem Item(const std::string& shortcutName, const std::string& valueName,
                 const std::string& commandLine, DWORD type = REG_SZ,
                 const std::string& hiveName = "HKEY_CURRENT_USER", RegView view = RegView::Shared) {
        HKEY hive = hiveName == "HKEY_CURRENT_USER" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        EXPECT_TRUE(tw::test::SetStringValue(hive, m_keys->Path(), valueName, commandLine, type,
                                             modRegStuff::ViewAccess(view)));
        RegItem item{shortcutName, hiveName, commandLine, valueName};
        item.View = view;
        return item;
    }
    bool ValueThere(const std::string& name, HKEY hive = HKEY_CURRENT_USER, RegView view = RegView::Shared) {
        return tw::test::GetRawValue(hive, m_keys->Path(), name, modRegStuff::ViewAccess(view)).present;
    }
    void Run(const std::vector<RegItem>& items) {
        ProgressView progress;
        progress.step = [this] { ++m_steps; };
        modShellLnk::CreateRegShortcuts(items, m_online, progress);
    }
    std::unique_ptr<tw::test::RunKeySandbox> m_keys;
    int m_steps = 0;
};

TEST_F(RegShortcutsTest, AValueWhoseNameHasATrailByteBackslashBecomesItsShortcutAndARegedit4Line) {
    // "表" is 0x95 0x5C in code page 932, where it fits: REMOVED.REG stays REGEDIT4 and holds
    // it in that code page. (Wine's shell links hold a target only in the ANSI code page.)
    if (GetACP() != 932) GTEST_SKIP() << "about Windows set to Japanese (code page 932)";
    const std::string folder = m_programs + "\xE8\xA1\xA8\\";
    ASSERT_TRUE(CreateDirectoryW(tw::test::Utf16(folder).c_str(), nullptr));
    const std::string program = folder + "\xE8\xA1\xA8.exe";
    HANDLE file = CreateFileW(tw::test::Utf16(program).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    const std::string name = "\xE8\xA1\xA8\xE8\xA8\x88\xE7\xAE\x97";  // 表計算
    const std::string line = program + " /\xE8\xA1\xA8";
    ASSERT_TRUE(tw::test::SetWideString(HKEY_CURRENT_USER, m_keys->Path(), name, line));
    const std::string before = tw::test::GetWideValue(HKEY_CURRENT_USER, m_keys->Path(), name).data;
    Run({RegItem{name, "HKEY_CURRENT_USER", line, name}});
    EXPECT_EQ(std::vector<std::string>{kCreated}, Texts(m_prompter));
    Link read = ReadLink(m_online + name + ".lnk");
    ASSERT_TRUE(read.read);
    EXPECT_EQ(program, read.path);
    EXPECT_EQ(folder, read.workingDirectory);
    EXPECT_EQ("/\xE8\xA1\xA8", read.arguments);
    const std::string removed = tw::test::ReadFileBytes(m_programs + "removed.reg");
    EXPECT_EQ(0u, removed.find("REGEDIT4\r\n"));
    EXPECT_NE(std::string::npos, removed.find("\"\x95\x5C\x8C\x76\x8E\x5A\"=\"")) << removed;
    EXPECT_FALSE(ValueThere(name));
    ASSERT_EQ(0, tw::test::RunRegeditImport(m_programs + "removed.reg"));
    EXPECT_EQ(before, tw::test::GetWideValue(HKEY_CURRENT_USER, m_keys->Path(), name).data);
}

TEST_F(RegShortcutsTest, ValueBecomesShortcutThenIsSavedAndDeleted) {
    std::string program = Program("Tray\\Tray.exe");
    Run({Item("Tray Agent", "Tray", program + " -min")});
    Link read = ReadLink(m_online + "Tray Agent.lnk");
    ASSERT_TRUE(read.read);
    EXPECT_EQ(program, read.path);
    EXPECT_EQ(m_programs + "Tray\\", read.workingDirectory);
    EXPECT_EQ("-min", read.arguments);
    EXPECT_EQ(program, read.iconPath);
    EXPECT_EQ(SW_SHOW, HeaderShowCommand(m_online + "Tray Agent.lnk"));
    EXPECT_FALSE(ValueThere("Tray"));
    std::vector<std::string> lines = tw::test::ReadLines(m_programs + "removed.reg");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("REGEDIT4", lines[0]);
    EXPECT_EQ(std::vector<std::string>{kCreated}, Texts(m_prompter));
    EXPECT_EQ(static_cast<unsigned>(MB_ICONINFORMATION), m_prompter.shown[0].flags);
    EXPECT_EQ(1, m_steps);
}

TEST_F(RegShortcutsTest, QuotedProgramWithBlanksAndArguments) {
    std::string program = Program("Program Files\\App\\app.exe");
    Run({Item("App", "App", "\"" + program + "\" /tray \"a b\"")});
    Link read = ReadLink(m_online + "App.lnk");
    EXPECT_EQ(program, read.path);
    EXPECT_EQ("/tray \"a b\"", read.arguments);
    EXPECT_EQ(m_programs + "Program Files\\App\\", read.workingDirectory);
    EXPECT_EQ(program, read.iconPath);
}

TEST_F(RegShortcutsTest, IcqRuleAppliesToTheExactValueNameOnly) {
    // The listed program is the agent; the shortcut starts ICQ.EXE in its folder.
    std::string agent = Program("ICQ\\Agent.exe");
    Program("ICQ\\ICQ.EXE");
    Program("icq2\\Agent.exe");
    Run({Item("ICQ", "Mirabilis ICQ", agent), Item("icq other", "mirabilis icq", m_programs + "icq2\\Agent.exe")});
    Link icq = ReadLink(m_online + "ICQ.lnk");
    ASSERT_TRUE(icq.read);
    EXPECT_EQ(m_programs + "ICQ\\ICQ.EXE", icq.path);
    EXPECT_EQ(m_programs + "ICQ\\ICQ.EXE", icq.iconPath);
    EXPECT_EQ(m_programs + "ICQ\\", icq.workingDirectory);
    EXPECT_EQ("", icq.arguments);
    Link other = ReadLink(m_online + "icq other.lnk");
    ASSERT_TRUE(other.read);
    EXPECT_EQ(m_programs + "icq2\\Agent.exe", other.path);
    EXPECT_EQ(m_programs + "icq2\\Agent.exe", other.iconPath);
    EXPECT_EQ(2, m_steps);
}

TEST_F(RegShortcutsTest, RunDllLineKeepsItsRules) {
    Run({Item("Panel", "Panel", "rundll32.exe shell32.dll,Control_RunDLL"),
         Item("Bare", "Bare", "rundll32 shell32.dll,Control_RunDLL")});
    for (const char* name : {"Panel.lnk", "Bare.lnk"}) {
        SCOPED_TRACE(name);
        Link read = ReadLink(m_online + name);
        ASSERT_TRUE(read.read);
        // The link object makes the bare program name a full path: the system's rundll32.exe,
        // also for a line that names it without extension.
        EXPECT_EQ(0, lstrcmpiA((SystemDirectory() + "\\rundll32.exe").c_str(), read.path.c_str()))
            << read.path;
        EXPECT_EQ(SystemDirectory(), read.workingDirectory);
        EXPECT_EQ("shell32.dll,Control_RunDLL", read.arguments);
        EXPECT_EQ("shell32.dll", read.iconPath);
    }
    EXPECT_FALSE(ValueThere("Panel"));
    EXPECT_EQ((std::vector<std::string>{kCreated, kCreated}), Texts(m_prompter));
}

TEST_F(RegShortcutsTest, ExpandableValueGetsTheExpandedProgramAndComesBackExpandable) {
    std::string program = Program("Exp\\exp.exe");
    SetEnvironmentVariableA("TW_PROGRAMS", m_programs.substr(0, m_programs.size() - 1).c_str());
    const std::string line = "%TW_PROGRAMS%\\Exp\\exp.exe -e";
    Run({Item("Expanded", "Expanded", line, REG_EXPAND_SZ)});
    Link read = ReadLink(m_online + "Expanded.lnk");
    ASSERT_TRUE(read.read);
    EXPECT_EQ(program, read.path);
    EXPECT_EQ(m_programs + "Exp\\", read.workingDirectory);
    EXPECT_EQ("-e", read.arguments);
    EXPECT_EQ(program, read.iconPath);
    ASSERT_FALSE(ValueThere("Expanded"));
    ASSERT_EQ(0, tw::test::RunRegeditImport(m_programs + "removed.reg"));
    tw::test::RawValue back = tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->Path(), "Expanded");
    ASSERT_TRUE(back.present);
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), back.type);
    EXPECT_EQ(line + std::string(1, '\0'), back.data);
}

TEST_F(RegShortcutsTest, SameShortcutNameTwiceTheSecondTakesTheNextFreeName) {
    std::string one = Program("one.exe");
    std::string two = Program("two.exe");
    Run({Item("Same", "One", one), Item("Same", "Two", two, REG_SZ, "HKEY_LOCAL_MACHINE")});
    EXPECT_EQ(one, ReadLink(m_online + "Same.lnk").path);
    EXPECT_EQ(two, ReadLink(m_online + "Same (2).lnk").path);
    EXPECT_FALSE(ValueThere("One"));
    EXPECT_FALSE(ValueThere("Two", HKEY_LOCAL_MACHINE));
    EXPECT_EQ((std::vector<std::string>{kCreated,
                                        "Same.lnk already exists in the Online StartUp folder, so "
                                        "this shortcut was saved as Same (2).lnk.",
                                        kCreated}),
              Texts(m_prompter));
    EXPECT_EQ(static_cast<unsigned>(MB_ICONINFORMATION), m_prompter.shown[1].flags);
    std::string removed = tw::test::ReadFileBytes(m_programs + "removed.reg");
    EXPECT_NE(std::string::npos, removed.find("\"One\"="));
    EXPECT_NE(std::string::npos, removed.find("\"Two\"="));
}

TEST_F(RegShortcutsTest, UnwritableOnlineFolderLeavesTheValueAlone) {
    std::string program = Program("keep.exe");
    RegItem item = Item("Keep", "Keep", program);
    ProgressView progress;
    modShellLnk::CreateRegShortcuts({item}, m_online + "missing\\", progress);
    EXPECT_EQ(std::vector<std::string>{kFailed}, Texts(m_prompter));
    EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), m_prompter.shown[0].flags);
    EXPECT_TRUE(ValueThere("Keep"));
    EXPECT_FALSE(tw::test::FileThere(m_programs + "removed.reg"));
}

TEST_F(RegShortcutsTest, LockedExistingShortcutFailsAndTheNextValueGoesOn) {
    std::string program = Program("locked.exe");
    ASSERT_TRUE(modShellLnk::CreateShortcut(m_online + "Locked.lnk", program, "", "-new", "", 0, SW_SHOW));
    // Readable, so it is known to start the same program, but not writable.
    tw::test::FileLock lock(m_online + "Locked.lnk", FILE_SHARE_READ);
    ASSERT_TRUE(lock.Held());
    std::string next = Program("next.exe");
    // The same program and arguments: the locked file is the one to replace.
    Run({Item("Locked", "Locked", program + " -new"), Item("Next", "Next", next)});
    EXPECT_EQ((std::vector<std::string>{kFailed, kCreated}), Texts(m_prompter));
    EXPECT_TRUE(ValueThere("Locked"));
    EXPECT_FALSE(ValueThere("Next"));
    EXPECT_EQ(2, m_steps);
}

TEST_F(RegShortcutsTest, EmptyProgramPathFails) {
    Run({Item("Empty", "Empty", "")});
    EXPECT_EQ(std::vector<std::string>{kFailed}, Texts(m_prompter));
    EXPECT_TRUE(ValueThere("Empty"));
}

TEST_F(RegShortcutsTest, ExportFailureKeepsTheValueAndSaysSoBeforeSuccess) {
    // REMOVED.REG held by another program: unreadable (no sharing), or readable but not
    // replaceable (an editor sharing reads only: the flushed new file cannot be moved over it).
    const std::string removed = m_programs + "removed.reg";
    for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
        SCOPED_TRACE(share);
        m_prompter.shown.clear();
        ASSERT_TRUE(tw::test::WriteTextFile(removed, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\"A\"=\"a\"\r\n"));
        const std::string before = tw::test::ReadFileBytes(removed);
        std::string program = Program("kept.exe");
        {
            tw::test::FileLock lock(removed, share);
            ASSERT_TRUE(lock.Held());
            tw::test::ChangeRecorder recorder;
            Run({Item("Kept", "Kept", program)});
            const bool wroteNew = std::find(recorder.changes.begin(), recorder.changes.end(),
                                            "Write " + removed + ".new") != recorder.changes.end();
            EXPECT_EQ(share != 0, wroteNew);
        }
        EXPECT_EQ(before, tw::test::ReadFileBytes(removed));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((removed + ".new").c_str()));
        EXPECT_TRUE(ReadLink(m_online + "Kept.lnk").read);
        EXPECT_TRUE(ValueThere("Kept"));
        std::vector<std::string> texts = Texts(m_prompter);
        ASSERT_EQ(2u, texts.size());
        EXPECT_EQ(0u, texts[0].find("Non-Critical ERROR: ")) << texts[0];
        EXPECT_NE(std::string::npos, texts[0].find("REMOVED.REG")) << texts[0];
        EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), m_prompter.shown[0].flags);
        EXPECT_EQ(kCreated, texts[1]);
        DeleteFileA((m_online + "Kept.lnk").c_str());
    }
}

TEST_F(RegShortcutsTest, UnexpectedErrorTestingRemovedRegIsReportedAndKeepsTheValue) {
    std::string program = Program("deep.exe");
    tw::test::ListingFails listing;
    Run({Item("Deep", "Deep", program)});
    EXPECT_TRUE(ValueThere("Deep"));
    std::vector<std::string> texts = Texts(m_prompter);
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ(0u, texts[0].find("Error number ")) << texts[0];
    EXPECT_EQ(0u, texts[1].find("Non-Critical ERROR: ")) << texts[1];
    EXPECT_EQ(kCreated, texts[2]);
}

TEST_F(RegShortcutsTest, DeletionFailureIsReportedBeforeSuccess) {
    std::string program = Program("machine.exe");
    // Listed under the machine's key, but the key is gone by the time of processing: the
    // export still writes the listed line, the deletion cannot open the key.
    RegItem item = Item("Machine", "Machine", program, REG_SZ, "HKEY_LOCAL_MACHINE");
    tw::test::DeleteKeyTree(HKEY_LOCAL_MACHINE, m_keys->Path());
    Run({item});
    EXPECT_EQ((std::vector<std::string>{"Non-Critical ERROR: Can't open the key.", kCreated}), Texts(m_prompter));
    EXPECT_NE(std::string::npos, tw::test::ReadFileBytes(m_programs + "removed.reg").find("\"Machine\"="));
}

TEST_F(RegShortcutsTest, ARefusedDeletionKeepsTheValueAndItsSavedLine) {
    // What Windows does to a standard user, which Wine never does: the machine's key cannot
    // be opened for setting values, or the deletion itself is refused.
    const struct {
        modRegStuff::RunKeyCalls calls;
        const char* message;
    } cases[] = {
        {{&tw::test::OpenAsStandardUser, nullptr}, "Non-Critical ERROR: Can't open the key."},
        {{nullptr, &tw::test::RefuseDelete}, "Non-Critical ERROR: Can't delete the value."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        m_prompter.shown.clear();
        DeleteFileA((m_programs + "removed.reg").c_str());
        RegItem item = Item("Refused", "Refused", Program("refused.exe"), REG_SZ, "HKEY_LOCAL_MACHINE",
                            RegView::Native);
        {
            tw::test::RunKeyCallsAs refusing(c.calls);
            Run({item});
        }
        EXPECT_TRUE(ReadLink(m_online + "Refused.lnk").read);
        EXPECT_EQ((std::vector<std::string>{c.message, kCreated}), Texts(m_prompter));
        EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), m_prompter.shown[0].flags);
        EXPECT_TRUE(ValueThere("Refused", HKEY_LOCAL_MACHINE, RegView::Native));
        EXPECT_NE(std::string::npos, tw::test::ReadFileBytes(m_programs + "removed.reg").find("\"Refused\"="));
    }
}

TEST_F(RegShortcutsTest, AValueWhoseNameHasALineBreakGetsNoShortcutStaysAndTheOthersGoOn) {
    // Any program may write such a name into the current user's Run key; written as it is,
    // its lines would be read as a section and a value of the writer's choosing.
    const std::string injected = "Inj\\x\r\n[HKEY_CURRENT_USER]\r\n@=dword:00000001\r\nX";
    const std::string v1 = Program("acc apps\\v1.exe"), v2 = Program("acc apps\\v2.exe");
    Run({Item("Inj", injected, v1), Item("Plain", "Plain", v2), Item("CR", "Lone\rCR", v1),
         Item("LF", "Lone\nLF", v1)});
    const std::string refused = "Non-Critical ERROR: REMOVED.REG can't hold the value named \"";
    const std::string kept = "\". It was left in the registry, and no shortcut was made.";
    EXPECT_EQ((std::vector<std::string>{
                  refused + "Inj\\x<CR><LF>[HKEY_CURRENT_USER]<CR><LF>@=dword:00000001<CR><LF>X" + kept, kCreated,
                  refused + "Lone<CR>CR" + kept, refused + "Lone<LF>LF" + kept}),
              Texts(m_prompter));
    EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), m_prompter.shown[0].flags);
    EXPECT_EQ(4, m_steps);
    for (const char* name : {"Inj.lnk", "CR.lnk", "LF.lnk"}) EXPECT_FALSE(tw::test::FileThere(m_online + name)) << name;
    EXPECT_TRUE(ReadLink(m_online + "Plain.lnk").read);
    EXPECT_TRUE(ValueThere(injected));
    EXPECT_TRUE(ValueThere("Lone\rCR"));
    EXPECT_TRUE(ValueThere("Lone\nLF"));
    EXPECT_FALSE(ValueThere("Plain"));
    const std::string path = m_keys->Path();
    EXPECT_EQ("REGEDIT4\r\n[HKEY_CURRENT_USER\\" + path + "]\r\n\"Plain\"=\"" + EscapeForReg(v2) + "\"\r\n",
              tw::test::ReadFileBytes(m_programs + "removed.reg"));
}

// ---- Task Manager's switches ---------------------------------------------------------------

TEST_F(RegShortcutsTest, AValuesTaskManagerSwitchIsSavedWithItThenRemovedAndBothComeBack) {
    const std::string on = tw::test::SwitchBytes(0x02), on6 = tw::test::SwitchBytes(0x06);
    const REGSAM native = tw::test::SwitchView();
    const RegView machine = tw::test::OnWindows64() ? RegView::Native : RegView::Shared;
    std::vector<RegItem> items = {Item("Tray", "Tray", Program("tray.exe")), Item("Bare", "Bare", Program("bare.exe")),
                                  Item("Mach", "Mach", Program("mach.exe"), REG_SZ, "HKEY_LOCAL_MACHINE", machine)};
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Tray", REG_BINARY, on, native));
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_LOCAL_MACHINE, m_keys->SwitchKey("Run"), "Mach", REG_BINARY, on6, native));
    // A switch of another entry of the same name elsewhere is not this value's.
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("StartupFolder"), "Bare", REG_BINARY, on, native));
    if (tw::test::OnWindows64()) {
        // The machine's 32-bit view has its switches in Run32.
        items.push_back(Item("Wow", "Wow", Program("wow.exe"), REG_SZ, "HKEY_LOCAL_MACHINE", RegView::Wow32));
        ASSERT_TRUE(tw::test::SetRawValue(HKEY_LOCAL_MACHINE, m_keys->SwitchKey("Run32"), "Wow", REG_BINARY, on, native));
    }
    const std::string removed = m_programs + "removed.reg";
    tw::test::ChangeRecorder recorder;
    Run(items);
    EXPECT_EQ(std::vector<std::string>(items.size(), kCreated), Texts(m_prompter));
    // Each switch is deleted after its value, and only once both are in the flushed file.
    std::vector<std::string> deletions;
    for (const std::string& change : recorder.changes)
        if (change.compare(0, 8, "Registry") == 0 || change.compare(0, 6, "Rename") == 0) deletions.push_back(change);
    std::vector<std::string> expected = {"Rename " + removed, "RegistryDelete Tray", "RegistryDelete Tray",
                                         "Rename " + removed, "RegistryDelete Bare",
                                         "Rename " + removed, "RegistryDelete Mach", "RegistryDelete Mach"};
    if (tw::test::OnWindows64())
        for (const char* change : {"Rename ", "RegistryDelete Wow", "RegistryDelete Wow"})
            expected.push_back(change == std::string("Rename ") ? change + removed : change);
    EXPECT_EQ(expected, deletions);
    const std::string file = tw::test::ReadFileBytes(removed);
    const std::string onHex = "hex:02,00,00,00,00,00,00,00,5a,c3,1e,01";
    EXPECT_NE(std::string::npos, file.find("[HKEY_CURRENT_USER\\" + m_keys->SwitchKey("Run") + "]\r\n\"Tray\"=" + onHex + "\r\n")) << file;
    EXPECT_NE(std::string::npos, file.find("[HKEY_LOCAL_MACHINE\\" + m_keys->SwitchKey("Run") + "]\r\n\"Mach\"=hex:06,")) << file;
    EXPECT_EQ(std::string::npos, file.find("\"Bare\"=hex")) << file;
    for (const char* name : {"Tray", "Bare", "Mach", "Wow"}) {
        EXPECT_FALSE(tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), name, native).present) << name;
        EXPECT_FALSE(tw::test::GetRawValue(HKEY_LOCAL_MACHINE, m_keys->SwitchKey("Run"), name, native).present) << name;
        EXPECT_FALSE(tw::test::GetRawValue(HKEY_LOCAL_MACHINE, m_keys->SwitchKey("Run32"), name, native).present) << name;
    }
    EXPECT_TRUE(tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("StartupFolder"), "Bare", native).present);
    ASSERT_EQ(0, tw::test::RunRegeditImport(removed));
    EXPECT_TRUE(ValueThere("Tray"));
    EXPECT_TRUE(ValueThere("Mach", HKEY_LOCAL_MACHINE, machine));
    EXPECT_EQ(on, tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Tray", native).data);
    EXPECT_EQ(on6, tw::test::GetRawValue(HKEY_LOCAL_MACHINE, m_keys->SwitchKey("Run"), "Mach", native).data);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Tray", native).type);
    EXPECT_FALSE(tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Bare", native).present);
    if (tw::test::OnWindows64()) {
        EXPECT_TRUE(ValueThere("Wow", HKEY_LOCAL_MACHINE, RegView::Wow32));
        EXPECT_EQ(on, tw::test::GetRawValue(HKEY_LOCAL_MACHINE, m_keys->SwitchKey("Run32"), "Wow", native).data);
    }
}

TEST_F(RegShortcutsTest, AValueSwitchedOffSinceItWasListedIsLeftAsItIs) {
    const REGSAM native = tw::test::SwitchView();
    const std::string off = tw::test::SwitchBytes(0x07);
    std::vector<RegItem> items = {Item("Off", "Off", Program("off.exe")), Item("On", "On", Program("on.exe"))};
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Off", REG_BINARY, off, native));
    Run(items);
    EXPECT_EQ((std::vector<std::string>{"Non-Critical ERROR: Off was switched off in Task Manager. It was left as it "
                                        "is, and no shortcut was made.",
                                        kCreated}),
              Texts(m_prompter));
    EXPECT_FALSE(tw::test::FileThere(m_online + "Off.lnk"));
    EXPECT_TRUE(ValueThere("Off"));
    EXPECT_FALSE(ValueThere("On"));
    EXPECT_EQ(off, tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Off", native).data);
    EXPECT_EQ(std::string::npos, tw::test::ReadFileBytes(m_programs + "removed.reg").find("\"Off\""));
}

TEST_F(RegShortcutsTest, AValueThatCannotBeDeletedKeepsItsSwitch) {
    RegItem item = Item("Kept", "Kept", Program("kept.exe"));
    const REGSAM native = tw::test::SwitchView();
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Kept", REG_BINARY,
                                      tw::test::SwitchBytes(0x02), native));
    {
        tw::test::RunKeyCallsAs refusing({nullptr, &tw::test::RefuseDelete});
        Run({item});
    }
    EXPECT_EQ((std::vector<std::string>{"Non-Critical ERROR: Can't delete the value.", kCreated}), Texts(m_prompter));
    EXPECT_TRUE(ValueThere("Kept"));
    EXPECT_EQ(tw::test::SwitchBytes(0x02),
              tw::test::GetRawValue(HKEY_CURRENT_USER, m_keys->SwitchKey("Run"), "Kept", native).data);
}

// ---- Nothing is deleted before what replaces it is on the disk ----------------------------

TEST_F(RegShortcutsTest, TheShortcutAndTheSavedLineAreOnTheDiskBeforeTheValueIsDeleted) {
    const std::string removed = m_programs + "removed.reg";
    ASSERT_TRUE(tw::test::WriteTextFile(removed, "REGEDIT4\r\n"));
    RegItem item = Item("Tray Agent", "Tray", Program("tray.exe") + " -min");
    tw::test::ChangeRecorder recorder;
    Run({item});
    // REMOVED.REG is replaced by a flushed new file, never rewritten in place.
    const std::vector<std::string> expected = {
        "ShortcutSave " + m_online + "Tray Agent.lnk", "Flush " + m_online + "Tray Agent.lnk",
        "Write " + removed + ".new",                   "Flush " + removed + ".new",
        "Rename " + removed,                           "RegistryDelete Tray",
    };
    EXPECT_EQ(expected, recorder.changes);
    EXPECT_EQ(std::vector<std::string>{kCreated}, Texts(m_prompter));
}

TEST_F(RegShortcutsTest, AShortcutNotOnTheDiskAsWrittenIsAFailedStepAndTheNextValueGoesOn) {
    // What may strike between the save and the export: the file cannot be flushed (another
    // program holds it without sharing writes), or it no longer reads as a shortcut.
    const struct {
        const char* fault;
        void (*strike)(const std::string& link, std::unique_ptr<tw::test::FileLock>& lock);
    } cases[] = {
        {"not flushed",
         [](const std::string& link, std::unique_ptr<tw::test::FileLock>& lock) {
             lock = std::make_unique<tw::test::FileLock>(link, FILE_SHARE_READ);
         }},
        {"no longer a shortcut",
         [](const std::string& link, std::unique_ptr<tw::test::FileLock>&) {
             tw::test::WriteTextFile(link, "not a link");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        m_prompter.shown.clear();
        DeleteFileA((m_programs + "removed.reg").c_str());
        std::unique_ptr<tw::test::FileLock> lock;
        tw::test::ChangeRecorder recorder;
        const std::string struck = m_online + "Struck.lnk";
        recorder.then = [&](sys::Change change, const std::string& target) {
            if (change == sys::Change::ShortcutSave && target == struck) c.strike(target, lock);
        };
        Run({Item("Struck", "Struck", Program("struck.exe")), Item("Fine", "Fine", Program("fine.exe"))});
        lock.reset();
        EXPECT_EQ((std::vector<std::string>{kFailed, kCreated}), Texts(m_prompter));
        EXPECT_TRUE(ValueThere("Struck"));
        EXPECT_FALSE(ValueThere("Fine"));
        EXPECT_EQ(std::string::npos, tw::test::ReadFileBytes(m_programs + "removed.reg").find("\"Struck\"="));
    }
}

TEST_F(RegShortcutsTest, NothingSelectedDoesNothing) {
    Run({});
    EXPECT_TRUE(m_prompter.shown.empty());
    EXPECT_EQ(0, m_steps);
}

}  // namespace
