// The wizard's two lists filled for real: the Run values of both hives (ListRunValues) and
// the StartUp folder's shortcuts (ScanStartUpFolder), with their texts, tags, sub-items and
// icons, in a list view on a form under a display.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../unit/OperationsTestKit.h"
#include "Fakes.h"
#include "Form.h"
#include "ListView.h"
#include "Resources.h"
#include "ShellLinkHelper.h"
#include "Shortcut.h"
#include "operations/modDir.h"
#include "operations/modRegStuff.h"

using namespace tw;
using tw::test::FakePrompter;

namespace {

const char* const kNoShortcuts =
    "There are no shortcuts in your Online StartUp folder. You can move your online programs "
    "shortcuts from your StartUp folder, or create new shortcuts to your online programs. ";

std::string OwnExe() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// The pixels of one image of an image list (index from 1), drawn on white.
std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index - 1, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + 256);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// The image the list would show for an icon, made the way the operations make it.
std::vector<uint32_t> ReferencePixels(HICON icon) {
    ImageList reference;
    EXPECT_EQ(1, reference.Add(IconToPicture(icon)));
    return ImagePixels(reference.Handle(), 1);
}

std::vector<uint32_t> FallbackPixels() { return ReferencePixels(LoadResIcon(101, 16).Release()); }

// Asked for both sizes, as the operations ask (Wine's small icon differs when only the
// small one is asked for).
std::vector<uint32_t> FileIconPixels(const std::string& file, int index) {
    HICON large = nullptr;
    HICON small = nullptr;
    EXPECT_GE(static_cast<int>(ExtractIconExA(file.c_str(), index, &large, &small, 1)), 1);
    if (large) DestroyIcon(large);
    return ReferencePixels(small);
}

class ListForm : public Form {
public:
    ListForm() : Form(Style()) {}
    ImageList images;
    ListView list;

protected:
    static FormStyle Style() {
        FormStyle style;
        style.clientWidth = 6525;
        style.clientHeight = 4470;
        style.caption = "Wizard lists";
        return style;
    }
    void CreateControls() override { list.Create(*this, {2160, 720, 4215, 2535}); }
};

// The list as the wizard's pages prepare it: columns, image 1 the list icon, no rows.
class ListsTest : public testing::Test {
protected:
    void SetUp() override {
        m_form.Load();
        ASSERT_TRUE(m_form.list.Hwnd());
        m_form.list.AddColumn("Shortcut Name", 4185);
        m_form.list.AddColumn("Path & Filename", 5999);
        m_form.list.AddColumn("Registry Entry", 2880);
        ASSERT_EQ(1, m_form.images.Add(IconToPicture(LoadResIcon(102, 16))));
        m_form.list.SetSmallIcons(&m_form.images);
    }
    void TearDown() override { m_form.Unload(); }

    ListView& List() { return m_form.list; }
    ImageList& Images() { return m_form.images; }
    std::vector<uint32_t> RowPixels(int row) {
        return ImagePixels(Images().Handle(), List().RowIcon(row));
    }

    ListForm m_form;
    FakePrompter m_prompter;
};

// ---- Run values --------------------------------------------------------------------------

struct Expected {
    std::string name;
    std::string commandLine;
    bool ownIcon;  // the test program's first icon; otherwise icon resource 101
};

// The names of a key's values in the order the registry enumerates them.
std::vector<std::string> EnumeratedNames(HKEY hive, const std::string& subKey) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

TEST_F(ListsTest, RunValuesOfBothHivesWithTheirTypes) {
    using namespace std::string_literals;
    tw::test::RunKeySandbox keys("lists");
    const std::string exe = OwnExe();
    const std::string exeFolder = exe.substr(0, exe.rfind('\\'));
    const std::string exeName = exe.substr(exe.rfind('\\') + 1);
    SetEnvironmentVariableA("TW_LIST_DIR", exeFolder.c_str());
    const std::string longLine = exe + " " + std::string(700, 'a');

    HKEY cu = HKEY_CURRENT_USER;
    HKEY lm = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(tw::test::SetStringValue(cu, keys.Path(), "Tray", exe + " -min"));
    ASSERT_TRUE(tw::test::SetStringValue(cu, keys.Path(), "Quoted", "\"" + exe + "\" /x"));
    ASSERT_TRUE(tw::test::SetRawValue(cu, keys.Path(), "Number", REG_DWORD, "DCBA"s));
    ASSERT_TRUE(tw::test::SetRawValue(cu, keys.Path(), "Bytes", REG_BINARY, "ab\0cd"s));
    ASSERT_TRUE(tw::test::SetStringValue(cu, keys.Path(), "Expand", "%TW_LIST_DIR%\\" + exeName, REG_EXPAND_SZ));
    ASSERT_TRUE(tw::test::SetStringValue(cu, keys.Path(), "Long", longLine));
    ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "Machine", "C:\\nowhere\\m.exe /q"));
    ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "NoDot", "C:\\nowhere\\prog"));

    const std::vector<Expected> user = {
        {"Tray", exe + " -min", true},
        {"Quoted", "\"" + exe + "\" /x", true},
        {"Number", "DCBA", false},
        {"Bytes", "ab", false},
        {"Expand", "%TW_LIST_DIR%\\" + exeName, true},
        {"Long", longLine, true},
    };
    const std::vector<Expected> machine = {
        {"Machine", "C:\\nowhere\\m.exe /q", false},
        {"NoDot", "C:\\nowhere\\prog", false},
    };

    modRegStuff::ListRunValues(HKEY_CURRENT_USER, List(), Images());
    modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, List(), Images());
    EXPECT_TRUE(m_prompter.shown.empty());

    // Rows: the user's values in enumeration order, then the machine's.
    std::vector<std::pair<std::string, const Expected*>> order;
    for (const std::string& name : EnumeratedNames(cu, keys.Path()))
        for (const Expected& e : user)
            if (e.name == name) order.emplace_back("HKEY_CURRENT_USER", &e);
    for (const std::string& name : EnumeratedNames(lm, keys.Path()))
        for (const Expected& e : machine)
            if (e.name == name) order.emplace_back("HKEY_LOCAL_MACHINE", &e);
    ASSERT_EQ(user.size() + machine.size(), order.size());
    ASSERT_EQ(static_cast<int>(order.size()), List().RowCount());

    const std::vector<uint32_t> fallback = FallbackPixels();
    const std::vector<uint32_t> own = FileIconPixels(exe, 0);
    ASSERT_NE(fallback, own);
    for (int row = 1; row <= List().RowCount(); ++row) {
        const Expected& e = *order[static_cast<size_t>(row - 1)].second;
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.name, List().RowText(row));
        EXPECT_EQ(order[static_cast<size_t>(row - 1)].first, List().RowTag(row));
        EXPECT_EQ(e.commandLine, List().SubItem(row, 1));
        EXPECT_EQ(e.name, List().SubItem(row, 2));
        EXPECT_EQ(row + 1, List().RowIcon(row));
        EXPECT_EQ(e.ownIcon ? own : fallback, RowPixels(row));
    }
}

// Opens of Task Manager's switch keys, counted; every key is opened as usual.
int g_switchKeyOpens = 0;
LONG CountingOpen(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    if (subKey.find("StartupApproved") != std::string::npos) ++g_switchKeyOpens;
    return sys::RegOpen(hive, subKey, access, key);
}

TEST_F(ListsTest, RunValuesSwitchedOffInTaskManagerAreNotListed) {
    using tw::test::SwitchBytes;
    tw::test::RunKeySandbox keys("switched");
    HKEY cu = HKEY_CURRENT_USER, lm = HKEY_LOCAL_MACHINE;
    const REGSAM native = tw::test::SwitchView();
    const bool windows64 = tw::test::OnWindows64();
    for (const char* name : {"RunOn", "RunOff", "RunOff7", "RunNone"})
        ASSERT_TRUE(tw::test::SetStringValue(cu, keys.Path(), name, "C:\\" + std::string(name) + ".exe"));
    ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "MachOff", "C:\\m.exe", REG_SZ, native));
    ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "MachOn", "C:\\n.exe", REG_SZ, native));
    const struct {
        HKEY hive;
        const char *list, *name;
        unsigned char first;
    } switches[] = {
        {cu, "Run", "RunOn", 0x02}, {cu, "Run", "runoff", 0x03}, {cu, "Run", "RunOff7", 0x07},
        {cu, "Run", "Gone", 0x03},  {lm, "Run", "MachOff", 0x03}, {lm, "Run", "MachOn", 0x06},
        // A shortcut's switch of the same name is not the value's.
        {cu, "StartupFolder", "RunNone", 0x03},
    };
    for (const auto& w : switches)
        ASSERT_TRUE(tw::test::SetRawValue(w.hive, keys.SwitchKey(w.list), w.name, REG_BINARY, SwitchBytes(w.first), native));
    if (windows64) {
        // The 32-bit view's values are switched in Run32: MachOff's switch in Run is not theirs.
        ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "WowOff", "C:\\w.exe", REG_SZ, KEY_WOW64_32KEY));
        ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "MachOff", "C:\\w.exe", REG_SZ, KEY_WOW64_32KEY));
        ASSERT_TRUE(tw::test::SetRawValue(lm, keys.SwitchKey("Run32"), "WowOff", REG_BINARY, SwitchBytes(0x03), native));
    }
    g_switchKeyOpens = 0;
    {
        tw::test::RunKeyCallsAs counting({&CountingOpen, nullptr});
        modRegStuff::ListRunValues(cu, List(), Images());
        modRegStuff::ListRunValues(lm, List(), Images());
    }
    EXPECT_TRUE(m_prompter.shown.empty());
    // Each switch key is read once, not once per row.
    EXPECT_EQ(windows64 ? 3 : 2, g_switchKeyOpens);
    std::vector<std::string> expected;
    for (const std::string& name : EnumeratedNames(cu, keys.Path()))
        if (name == "RunOn" || name == "RunNone") expected.push_back(name);
    expected.push_back("MachOn");
    if (windows64) expected.push_back("MachOff");  // of the 32-bit view
    std::vector<std::string> rows;
    for (int row = 1; row <= List().RowCount(); ++row) rows.push_back(List().RowText(row));
    EXPECT_EQ(expected, rows);
    if (windows64) EXPECT_EQ(RegView::Wow32, modRegStuff::RowView(List(), List().RowCount()));
}

TEST_F(ListsTest, BothViewsOfTheMachineKeyReadOnlyEachRowNamingItsKey) {
    if (!tw::test::OnWindows64()) GTEST_SKIP() << "about 64-bit Windows: 32-bit Windows has one machine key";
    tw::test::RunKeySandbox keys("views");
    HKEY lm = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), "User", "C:\\u.exe"));
    ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "Native", "C:\\n.exe", REG_SZ, KEY_WOW64_64KEY));
    ASSERT_TRUE(tw::test::SetStringValue(lm, keys.Path(), "Old", "C:\\o.exe", REG_SZ, KEY_WOW64_32KEY));
    // A standard user may only read the machine's key: that is all the listing asks for.
    tw::test::RunKeyCallsAs standardUser({&tw::test::OpenAsStandardUser, nullptr});
    modRegStuff::ListRunValues(HKEY_CURRENT_USER, List(), Images());
    modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, List(), Images());
    EXPECT_TRUE(m_prompter.shown.empty());
    const struct {
        const char *name, *hive, *key;
        RegView view;
    } rows[] = {
        {"User", "HKEY_CURRENT_USER", "HKEY_CURRENT_USER", RegView::Shared},
        {"Native", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE (64-bit)", RegView::Native},
        {"Old", "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE (32-bit)", RegView::Wow32},
    };
    ASSERT_EQ(3, List().RowCount());
    for (int row = 1; row <= 3; ++row) {
        const auto& r = rows[row - 1];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.name, List().RowText(row));
        EXPECT_EQ(r.hive, List().RowTag(row));
        EXPECT_EQ(r.key, List().SubItem(row, 3));
        EXPECT_EQ(r.view, modRegStuff::RowView(List(), row));
    }
}

TEST_F(ListsTest, AMachineWithoutA32BitRunKeyListsItsNativeOneWithoutComplaint) {
    if (!tw::test::OnWindows64()) GTEST_SKIP() << "about 64-bit Windows: 32-bit Windows has one machine key";
    tw::test::RunKeySandbox keys("native only");
    tw::test::DeleteKeyTree(HKEY_LOCAL_MACHINE, keys.Path(), KEY_WOW64_32KEY);
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, keys.Path(), "Native", "C:\\n.exe", REG_SZ,
                                         KEY_WOW64_64KEY));
    modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, List(), Images());
    EXPECT_TRUE(m_prompter.shown.empty());
    ASSERT_EQ(1, List().RowCount());
    EXPECT_EQ("Native", List().RowText(1));
}

TEST_F(ListsTest, On32BitWindowsTheMachineKeyIsOneKeyAndRowsNameNoKey) {
    if (tw::test::OnWindows64()) GTEST_SKIP() << "about 32-bit Windows: 64-bit Windows has two machine keys";
    tw::test::RunKeySandbox keys("oneview");
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_LOCAL_MACHINE, keys.Path(), "Mine", "C:\\m.exe"));
    modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, List(), Images());
    ASSERT_EQ(1, List().RowCount());
    EXPECT_EQ("Mine", List().RowText(1));
    EXPECT_EQ("", List().SubItem(1, 3));
    EXPECT_EQ(RegView::Shared, modRegStuff::RowView(List(), 1));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(ListsTest, EmptyKeysGiveNoRowsAndNoMessage) {
    tw::test::RunKeySandbox keys("empty");
    modRegStuff::ListRunValues(HKEY_CURRENT_USER, List(), Images());
    modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, List(), Images());
    EXPECT_EQ(0, List().RowCount());
    EXPECT_EQ(1, Images().Count());
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(ListsTest, KeyThatCannotBeOpenedIsReportedEveryTimeAndTheOtherHiveListed) {
    tw::test::RunKeySandbox keys("noopen", true, false);
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), "Mine", "C:\\m.exe"));
    for (int visit = 1; visit <= 2; ++visit) {
        SCOPED_TRACE(visit);
        List().ClearRows();
        m_prompter.shown.clear();
        modRegStuff::ListRunValues(HKEY_CURRENT_USER, List(), Images());
        modRegStuff::ListRunValues(HKEY_LOCAL_MACHINE, List(), Images());
        ASSERT_EQ(1u, m_prompter.shown.size());
        EXPECT_EQ("Cannot open key", m_prompter.shown[0].text);
        EXPECT_EQ(static_cast<unsigned>(MB_OK), m_prompter.shown[0].flags);
        ASSERT_EQ(1, List().RowCount());
        EXPECT_EQ("Mine", List().RowText(1));
    }
}

TEST_F(ListsTest, QuotedIcqValueKeepsItsQuotesAndTakesTheIconFromTheProgram) {
    tw::test::RunKeySandbox keys("icq");
    std::string folder = tw::test::NewTestFolder("icqlist");
    std::string agent = folder + "Agent.exe";
    ASSERT_TRUE(CopyFileA(OwnExe().c_str(), agent.c_str(), FALSE));
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, keys.Path(), "ICQ", "\"" + agent + "\""));
    modRegStuff::ListRunValues(HKEY_CURRENT_USER, List(), Images());
    ASSERT_EQ(1, List().RowCount());
    EXPECT_EQ("ICQ", List().RowText(1));
    EXPECT_EQ("\"" + agent + "\"", List().SubItem(1, 1));
    EXPECT_EQ(FileIconPixels(agent, 0), RowPixels(1));
}

TEST_F(ListsTest, TheRealRunKeyByDefault) {
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(tw::test::SetStringValue(HKEY_CURRENT_USER, run, "TwListed", "C:\\l.exe"));
    modRegStuff::ListRunValues(HKEY_CURRENT_USER, List(), Images());
    bool found = false;
    for (int row = 1; row <= List().RowCount(); ++row)
        found = found || (List().RowText(row) == "TwListed" && List().SubItem(row, 1) == "C:\\l.exe");
    EXPECT_TRUE(found);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, run, 0, KEY_ALL_ACCESS, &key));
    RegDeleteValueA(key, "TwListed");
    RegCloseKey(key);
}

// ---- StartUp folder ----------------------------------------------------------------------

class StartUpScanTest : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        m_startup = tw::test::NewTestFolder("scan");
        ASSERT_FALSE(m_startup.empty());
    }
    void Link(const std::string& name, const std::string& target, const std::string& arguments = "",
              const std::string& iconPath = "", int iconIndex = 0) {
        tw::test::ShellLinkFields fields;
        fields.path = target;
        fields.arguments = arguments;
        fields.iconPath = iconPath;
        fields.iconIndex = iconIndex;
        ASSERT_EQ(S_OK, tw::test::CreateShellLink(m_startup + name, fields));
    }
    int Scan() { return modDir::ScanStartUpFolder(m_startup, List(), Images()); }
    int RowNamed(const std::string& text) {
        for (int row = 1; row <= List().RowCount(); ++row)
            if (List().RowText(row) == text) return row;
        return 0;
    }
    std::string m_startup;
};

TEST_F(StartUpScanTest, ShortcutsSwitchedOffInTaskManagerAreNotListed) {
    tw::test::RunKeySandbox keys("scanswitched");
    for (const char* name : {"On.lnk", "Off.lnk", "Off2.lnk", "None.lnk"}) Link(name, OwnExe());
    const struct {
        const char* name;
        unsigned char first;
    } switches[] = {{"On.lnk", 0x06}, {"Off.lnk", 0x03}, {"OFF2.LNK", 0x07}, {"Gone.lnk", 0x03}};
    for (const auto& w : switches)
        ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("StartupFolder"), w.name, REG_BINARY,
                                          tw::test::SwitchBytes(w.first), tw::test::SwitchView()));
    // A Run value's switch of the same name is not the shortcut's.
    ASSERT_TRUE(tw::test::SetRawValue(HKEY_CURRENT_USER, keys.SwitchKey("Run"), "None.lnk", REG_BINARY,
                                      tw::test::SwitchBytes(0x03), tw::test::SwitchView()));
    EXPECT_EQ(2, Scan());
    EXPECT_EQ(2, List().RowCount());
    EXPECT_NE(0, RowNamed("On"));
    EXPECT_NE(0, RowNamed("None"));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(StartUpScanTest, OwnShortcutInAnyLetterCaseIsNeverListed) {
    for (const char* own : {"OSPREY.LNK", "osprey.lnk", "Osprey.Lnk"}) {
        SCOPED_TRACE(own);
        m_startup = tw::test::NewTestFolder("own");
        Link(own, OwnExe());
        Link("Mail.lnk", OwnExe());
        List().ClearRows();
        m_prompter.shown.clear();
        EXPECT_EQ(1, Scan());
        ASSERT_EQ(1, List().RowCount());
        EXPECT_EQ("Mail", List().RowText(1));
        EXPECT_TRUE(m_prompter.shown.empty());
    }
}

TEST_F(StartUpScanTest, OnlyShortcutsAreListed) {
    Link("Mail.Online.lnk", OwnExe(), "-check");
    ASSERT_TRUE(tw::test::WriteTextFile(m_startup + "notes.txt", "just text"));
    ASSERT_TRUE(tw::test::WriteTextFile(m_startup + "desktop.ini", "[.ShellClassInfo]\r\n"));
    ASSERT_TRUE(tw::test::WriteTextFile(m_startup + "site.url", "[InternetShortcut]\r\nURL=http://example.com/\r\n"));
    ASSERT_TRUE(tw::test::WriteTextFile(m_startup + "fake.lnk", "not a shell link at all"));
    ASSERT_TRUE(CreateDirectoryA((m_startup + "Folder.lnk").c_str(), nullptr));
    EXPECT_EQ(1, Scan());
    ASSERT_EQ(1, List().RowCount());
    EXPECT_EQ("Mail.Online", List().RowText(1));
    EXPECT_EQ("lnk", List().RowTag(1));
    EXPECT_EQ("Mail.Online.lnk", List().RowText(1) + "." + List().RowTag(1));
    EXPECT_EQ(OwnExe() + "-check", List().SubItem(1, 1));
    EXPECT_EQ(2, List().RowIcon(1));
    EXPECT_TRUE(m_prompter.shown.empty());
}

TEST_F(StartUpScanTest, SubItemIsTargetAndArgumentsWithNothingBetween) {
    Link("A.lnk", "C:\\Prog\\A.EXE", "/min");
    EXPECT_EQ(1, Scan());
    EXPECT_EQ("C:\\Prog\\A.EXE/min", List().SubItem(1, 1));
}

TEST_F(StartUpScanTest, IconsFromTheIconLocationTheTargetOrResource101) {
    std::string exe = OwnExe();
    Link("Own.lnk", exe);                                    // no icon location: the target's
    Link("Second.lnk", "C:\\nowhere\\x.exe", "", exe, 1);    // icon location, index 1
    Link("Missing.lnk", "C:\\nowhere\\y.exe");               // target without icons
    Link("BadIcon.lnk", exe, "", "C:\\nowhere\\icons.dll");  // icon file that is not there
    EXPECT_EQ(4, Scan());
    const std::vector<uint32_t> fallback = FallbackPixels();
    const std::vector<uint32_t> first = FileIconPixels(exe, 0);
    const std::vector<uint32_t> second = FileIconPixels(exe, 1);
    ASSERT_NE(first, second);
    ASSERT_NE(fallback, second);
    EXPECT_EQ(first, RowPixels(RowNamed("Own")));
    EXPECT_EQ(second, RowPixels(RowNamed("Second")));
    EXPECT_EQ(fallback, RowPixels(RowNamed("Missing")));
    EXPECT_EQ(fallback, RowPixels(RowNamed("BadIcon")));
    for (int row = 1; row <= List().RowCount(); ++row) EXPECT_EQ(row + 1, List().RowIcon(row));
    EXPECT_EQ(5, Images().Count());
}

TEST_F(StartUpScanTest, EmptyOrMissingFolderSaysSoEveryTime) {
    ASSERT_TRUE(tw::test::WriteTextFile(m_startup + "readme.txt", "no shortcuts here"));
    for (const std::string& folder : {m_startup, m_startup + "missing\\"}) {
        SCOPED_TRACE(folder);
        for (int visit = 0; visit < 2; ++visit) {
            m_prompter.shown.clear();
            EXPECT_EQ(0, modDir::ScanStartUpFolder(folder, List(), Images()));
            ASSERT_EQ(1u, m_prompter.shown.size());
            EXPECT_EQ(kNoShortcuts, m_prompter.shown[0].text);
            EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), m_prompter.shown[0].flags);
        }
    }
    EXPECT_EQ(0, List().RowCount());
}

TEST_F(StartUpScanTest, AddStartUpItemRefusesWhatItCannotList) {
    Link("Mail.lnk", OwnExe());
    EXPECT_FALSE(modDir::AddStartUpItem(m_startup, "", List(), Images()));
    EXPECT_FALSE(modDir::AddStartUpItem(m_startup, "oSpReY.lNk", List(), Images()));
    EXPECT_FALSE(modDir::AddStartUpItem(m_startup, "absent.lnk", List(), Images()));
    EXPECT_EQ(0, List().RowCount());
    EXPECT_EQ(1, Images().Count());
    EXPECT_TRUE(modDir::AddStartUpItem(m_startup, "Mail.lnk", List(), Images()));
    EXPECT_EQ(1, List().RowCount());
}

}  // namespace
