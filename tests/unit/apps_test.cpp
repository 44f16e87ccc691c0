// The Online StartUp folder and the application list: which folder, which files become
// records, the fields of a record, its icon, and adoption of a program already running.
// Shortcuts are real .lnk files written with the shell's link object.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Fakes.h"
#include "HelperProcess.h"
#include "Prompt.h"
#include "Resources.h"
#include "ShellLinkHelper.h"
#include "TrayFakes.h"
#include "apps/Apps.h"
#include "resource.h"

namespace {

using tw::test::CreateShellLink;
using tw::test::FakePrompter;
using tw::test::FakeProcesses;
using tw::test::HelperProcess;
using tw::test::ShellLinkFields;
using tw::test::WriteTextFile;
using namespace tw::tray;

// ---- Pure rules ----

TEST(WindowStyle, FromTheShortcutsShowCommand) {
    struct Case {
        int showCmd;
        std::int32_t style;
    } cases[] = {
        {SW_SHOWNORMAL, 1},      {SW_SHOWMAXIMIZED, 3}, {SW_SHOWMINNOACTIVE, 2},
        {SW_HIDE, 1},            {SW_SHOWMINIMIZED, 1}, {SW_SHOWNOACTIVATE, 1},
        {SW_SHOW, 1},            {SW_MINIMIZE, 1},      {SW_SHOWNA, 1},
        {SW_RESTORE, 1},         {SW_SHOWDEFAULT, 1},   {-1, 1},
        {1000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.showCmd);
        EXPECT_EQ(c.style, WindowStyleFromShowCmd(c.showCmd));
    }
}

TEST(OnlineStartupFolder, IsTheProgramsFolderFollowedByOnlineStartup) {
    EXPECT_EQ("C:\\Users\\Ann\\Start Menu\\Programs\\Online Startup\\",
              OnlineStartupFolderIn("C:\\Users\\Ann\\Start Menu\\Programs"));
    EXPECT_EQ("C:\\WINDOWS\\Start Menu\\Programs\\Online Startup\\",
              OnlineStartupFolderIn("C:\\WINDOWS\\Start Menu\\Programs\\"));
    // The shell could not name the Programs folder: the literal path.
    EXPECT_EQ("C:\\windows\\start menu\\programs\\online startup\\", OnlineStartupFolderIn(""));
}

TEST(OnlineStartupFolder, TheShellsProgramsFolderUnderWine) {
    char programs[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE));
    std::string expected = std::string(programs) + "\\Online Startup\\";
    EXPECT_EQ(expected, OnlineStartupFolder());
    DWORD attributes = GetFileAttributesA(programs);
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << programs;
}

TEST(OnlineStartupFolder, TestsCanPointItElsewhere) {
    std::string shell = OnlineStartupFolder();
    SetOnlineStartupFolder("C:\\elsewhere");
    EXPECT_EQ("C:\\elsewhere\\", OnlineStartupFolder());
    SetOnlineStartupFolder("C:\\elsewhere\\");
    EXPECT_EQ("C:\\elsewhere\\", OnlineStartupFolder());
    SetOnlineStartupFolder("");
    EXPECT_EQ(shell, OnlineStartupFolder());
}

TEST(AppInfo, CommandLineAndDisplayName) {
    AppInfo app;
    app.FileName = "My.Mail.lnk";
    app.Path = "C:\\Program Files\\Mail\\mail.exe";
    app.Arguments = " ";
    EXPECT_EQ("C:\\Program Files\\Mail\\mail.exe ", CommandLine(app));
    EXPECT_EQ("My.Mail", DisplayName(app));
    app.Arguments = " -check /q";
    EXPECT_EQ("C:\\Program Files\\Mail\\mail.exe -check /q", CommandLine(app));
    app.FileName = "README";
    EXPECT_EQ("README", DisplayName(app));
}

// ---- Icons: what a picture shows ----

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // drawn over white
};

IconImage Render(HICON icon) {
    IconImage image;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return image;
    BITMAP bitmap = {};
    GetObject(info.hbmMask, sizeof(bitmap), &bitmap);
    image.width = bitmap.bmWidth;
    image.height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = image.width;
    format.bmiHeader.biHeight = -image.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP surface = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, surface);
    RECT all = {0, 0, image.width, image.height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, image.width, image.height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + image.width * image.height);
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    return image;
}

IconImage DefaultIconImage() {
    const tw::UniqueIcon icon = tw::LoadResIcon(IDI_DEFAULT_APP, GetSystemMetrics(SM_CXSMICON));
    IconImage image = Render(icon.Get());
    return image;
}

bool SameImage(const IconImage& a, const IconImage& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// ---- The folder and its records ----

class AppList : public testing::Test {
protected:
    void SetUp() override {
        Apps.clear();
        tw::SetAppTitle("Tetherwatch");
        m_folder = tw::test::NewTestFolder("apps");
        ASSERT_FALSE(m_folder.empty());
        SetOnlineStartupFolder(m_folder);
    }
    void TearDown() override {
        SetOnlineStartupFolder("");
        Apps.clear();
    }

    void Link(const std::string& name, const ShellLinkFields& fields) {
        ASSERT_EQ(S_OK, CreateShellLink(m_folder + name, fields)) << name;
    }
    // A target program that exists (a copy of the helper, never started unless asked).
    std::string Program(const std::string& name) {
        if (m_programs.empty()) m_programs = tw::test::NewTestFolder("programs");
        return tw::test::CopyIdleApp(m_programs, name);
    }
    const AppInfo* Record(const std::string& fileName) const {
        for (const AppInfo& app : Apps)
            if (app.FileName == fileName) return &app;
        return nullptr;
    }
    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const AppInfo& app : Apps) names.push_back(app.FileName);
        return names;
    }

    std::string m_folder;
    std::string m_programs;
};

TEST_F(AppList, EveryReadableShortcutBecomesARecordAndNothingElse) {
    std::string notepad = "C:\\windows\\notepad.exe";
    Link("Mail.lnk", {notepad, "-check", "", "", 0, SW_SHOWNORMAL, ""});
    Link("News.Reader.lnk", {notepad, "", "", "", 0, SW_SHOWMAXIMIZED, ""});
    Link("Chat", {notepad, "/min", "", "", 0, SW_SHOWMINNOACTIVE, ""});  // no extension
    ASSERT_TRUE(WriteTextFile(m_folder + "notes.txt", "not a shortcut\r\n"));
    ASSERT_TRUE(WriteTextFile(m_folder + "desktop.ini", "[.ShellClassInfo]\r\nIconIndex=0\r\n"));
    SetFileAttributesA((m_folder + "desktop.ini").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(WriteTextFile(m_folder + "Site.url",
                              "[InternetShortcut]\r\nURL=http://example.com/\r\n"));
    ASSERT_TRUE(CreateDirectoryA((m_folder + "Sub").c_str(), nullptr));
    Link("Sub\\Inner.lnk", {notepad, "", "", "", 0, SW_SHOWNORMAL, ""});
    ASSERT_TRUE(CreateDirectoryA((m_folder + "Folder.lnk").c_str(), nullptr));

    FakePrompter prompter;
    EXPECT_EQ(3, LoadStartUpApps());
    EXPECT_TRUE(prompter.shown.empty());
    std::vector<std::string> names = FileNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Chat", "Mail.lnk", "News.Reader.lnk"}), names);

    const AppInfo* mail = Record("Mail.lnk");
    ASSERT_NE(nullptr, mail);
    EXPECT_EQ(notepad, mail->Path);
    EXPECT_EQ(" -check", mail->Arguments);
    EXPECT_EQ(1, mail->WindowStyle);
    EXPECT_EQ("Mail", DisplayName(*mail));
    EXPECT_EQ(notepad + " -check", CommandLine(*mail));

    const AppInfo* news = Record("News.Reader.lnk");
    ASSERT_NE(nullptr, news);
    EXPECT_EQ(" ", news->Arguments) << "no arguments: a single blank";
    EXPECT_EQ(3, news->WindowStyle);
    EXPECT_EQ("News.Reader", DisplayName(*news));
    EXPECT_EQ(notepad + " ", CommandLine(*news));

    const AppInfo* chat = Record("Chat");
    ASSERT_NE(nullptr, chat);
    EXPECT_EQ(" /min", chat->Arguments);
    EXPECT_EQ(2, chat->WindowStyle) << "minimized without activation gives 2";

    for (const AppInfo& app : Apps) {
        SCOPED_TRACE(app.FileName);
        EXPECT_TRUE(app.Icon);
        EXPECT_EQ(0, app.ProcessID) << "notepad is not running";
    }
}

TEST_F(AppList, TheRecordsComeInTheOrderOfTheListing) {
    for (const char* name : {"b.lnk", "c.lnk", "a.lnk"})
        Link(name, {"C:\\windows\\notepad.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    std::vector<std::string> listed;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((m_folder + "*.*").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") listed.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);

    EXPECT_EQ(3, LoadStartUpApps());
    EXPECT_EQ(listed, FileNames());
}

TEST_F(AppList, AFolderWithoutShortcutsShowsTheWarningOnce) {
    const std::string text =
        "There are no shortcuts in your Online StartUp folder. You can move your online programs "
        "shortcuts from your StartUp folder, use the Online StartUp Wizard, or create new "
        "shortcuts to your online programs. ";
    struct Case {
        const char* what;
        std::function<void(const std::string&)> fill;
    } cases[] = {
        {"empty", [](const std::string&) {}},
        {"missing", [](const std::string&) { SetOnlineStartupFolder("C:\\no\\such\\folder"); }},
        {"only other files",
         [](const std::string& folder) {
             WriteTextFile(folder + "notes.txt", "text");
             WriteTextFile(folder + "Site.url", "[InternetShortcut]\r\nURL=http://example.com/\r\n");
             WriteTextFile(folder + "fake.lnk", "not really a link");
             CreateDirectoryA((folder + "Sub").c_str(), nullptr);
             CreateShellLink(folder + "Sub\\Inner.lnk",
                             {"C:\\windows\\notepad.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string folder = tw::test::NewTestFolder(std::string("none-") + c.what[0]);
        SetOnlineStartupFolder(folder);
        c.fill(folder);
        FakePrompter prompter;
        EXPECT_EQ(0, LoadStartUpApps());
        ASSERT_EQ(1u, prompter.shown.size());
        EXPECT_EQ(text, prompter.shown[0].text);
        EXPECT_EQ(std::string(kNoShortcutsMessage), prompter.shown[0].text);
        EXPECT_EQ(48u, prompter.shown[0].flags);
        EXPECT_EQ("Tetherwatch", prompter.shown[0].title);
        EXPECT_TRUE(Apps.empty());
    }
}

TEST_F(AppList, RecordsAreOnlyEverAppended) {
    Link("One.lnk", {"C:\\windows\\notepad.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    ASSERT_EQ(1, LoadStartUpApps());
    Apps[0].ProcessID = 1234;
    Link("Two.lnk", {"C:\\windows\\notepad.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    EXPECT_TRUE(AddApp(m_folder, "Two.lnk"));
    ASSERT_EQ(2u, Apps.size());
    EXPECT_EQ("One.lnk", Apps[0].FileName);
    EXPECT_EQ(1234, Apps[0].ProcessID);
    EXPECT_EQ("Two.lnk", Apps[1].FileName);
}

TEST_F(AppList, AddAppRefusesWhatIsNotAReadableShortcut) {
    ASSERT_TRUE(WriteTextFile(m_folder + "notes.txt", "text"));
    ASSERT_TRUE(WriteTextFile(m_folder + "Site.url", "[InternetShortcut]\r\nURL=http://a.b/\r\n"));
    FakePrompter prompter;
    EXPECT_FALSE(AddApp(m_folder, ""));
    EXPECT_FALSE(AddApp(m_folder, "missing.lnk"));
    EXPECT_FALSE(AddApp(m_folder, "notes.txt"));
    EXPECT_FALSE(AddApp(m_folder, "Site.url"));
    EXPECT_TRUE(Apps.empty());
    EXPECT_TRUE(prompter.shown.empty()) << "non-shortcuts drop out silently";
}

TEST_F(AppList, TheWorkingDirectoryIsKept) {
    Link("Work.lnk", {"C:\\windows\\notepad.exe", "", "C:\\windows\\temp", "", 0, SW_SHOWNORMAL, ""});
    Link("NoWork.lnk", {"C:\\windows\\notepad.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    ASSERT_TRUE(AddApp(m_folder, "Work.lnk"));
    ASSERT_TRUE(AddApp(m_folder, "NoWork.lnk"));
    EXPECT_EQ("C:\\windows\\temp", Apps[0].WorkingDirectory);
    EXPECT_EQ("", Apps[1].WorkingDirectory);
}

TEST_F(AppList, IconsComeFromTheShortcutOrAreTheDefault) {
    std::string notepad = "C:\\windows\\notepad.exe";
    ASSERT_TRUE(WriteTextFile(m_folder + "plain.txt", "no icons in here"));
    Link("FromTarget.lnk", {notepad, "", "", "", 0, SW_SHOWNORMAL, ""});
    Link("FromIconFile.lnk", {m_folder + "plain.txt", "", "", notepad, 0, SW_SHOWNORMAL, ""});
    Link("TargetWithoutIcon.lnk", {m_folder + "plain.txt", "", "", "", 0, SW_SHOWNORMAL, ""});
    Link("IconFileWithoutIcon.lnk",
         {notepad, "", "", m_folder + "plain.txt", 0, SW_SHOWNORMAL, ""});
    Link("MissingIndex.lnk", {notepad, "", "", notepad, 99, SW_SHOWNORMAL, ""});

    IconImage defaultImage = DefaultIconImage();
    ASSERT_GT(defaultImage.width, 0) << "icon 201 is in this test's resources";
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), defaultImage.width) << "loaded at the small icon size";

    struct Case {
        const char* name;
        bool isDefault;
    } cases[] = {
        {"FromTarget.lnk", false},
        {"FromIconFile.lnk", false},
        {"TargetWithoutIcon.lnk", true},
        {"IconFileWithoutIcon.lnk", true},
        {"MissingIndex.lnk", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(AddApp(m_folder, c.name));
        const AppInfo& app = Apps.back();
        ASSERT_TRUE(app.Icon);
        ASSERT_TRUE(app.Icon.IsIcon());
        IconImage image = Render(app.Icon.Icon());
        EXPECT_EQ(c.isDefault, SameImage(defaultImage, image));
        if (!c.isDefault) {
            EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), image.width) << "the small icon is used";
        }
    }
}

TEST_F(AppList, AShortcutWithoutATargetFileIsStillListed) {
    ShellLinkFields fields;
    fields.arguments = "-x";
    HRESULT written = CreateShellLink(m_folder + "Nothing.lnk", fields);
    if (written != S_OK) GTEST_SKIP() << "the shell link object will not save a link without a target";
    ASSERT_TRUE(AddApp(m_folder, "Nothing.lnk"));
    EXPECT_EQ("", Apps[0].Path);
    EXPECT_EQ(" -x", Apps[0].Arguments);
    EXPECT_EQ(0, Apps[0].ProcessID) << "an empty path adopts nothing";
    EXPECT_TRUE(SameImage(DefaultIconImage(), Render(Apps[0].Icon.Icon())));
}

TEST_F(AppList, AProgramAlreadyRunningIsAdopted) {
    std::string program = Program("Adopt Me.exe");
    ASSERT_FALSE(program.empty());
    Link("Running.lnk", {program, "", "", "", 0, SW_SHOWNORMAL, ""});
    Link("Same Target.lnk", {program, "-second", "", "", 0, SW_SHOWNORMAL, ""});
    Link("Other.lnk", {"C:\\windows\\notepad.exe", "", "", "", 0, SW_SHOWNORMAL, ""});

    HelperProcess helper(program, "--no-window");
    ASSERT_TRUE(helper.Started());
    ASSERT_EQ(3, LoadStartUpApps());
    const ProcessId id = static_cast<ProcessId>(helper.Id());
    ASSERT_NE(nullptr, Record("Running.lnk"));
    EXPECT_EQ(id, Record("Running.lnk")->ProcessID);
    EXPECT_EQ(id, Record("Same Target.lnk")->ProcessID) << "both records adopt the one process";
    EXPECT_EQ(0, Record("Other.lnk")->ProcessID);
}

TEST_F(AppList, AdoptionIgnoresLetterCase) {
    std::string program = Program("CaseApp.exe");
    ASSERT_FALSE(program.empty());
    std::string upper = program;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    Link("Upper.lnk", {upper, "", "", "", 0, SW_SHOWNORMAL, ""});
    HelperProcess helper(program, "--no-window");
    ASSERT_TRUE(helper.Started());
    ASSERT_TRUE(AddApp(m_folder, "Upper.lnk"));
    EXPECT_EQ(static_cast<ProcessId>(helper.Id()), Apps[0].ProcessID) << Apps[0].Path;
}

TEST_F(AppList, AdoptionGoesThroughTheProcessLayer) {
    FakeProcesses processes;
    ProcessId first = processes.Add("C:\\Tools\\App.exe").id;
    ProcessId second = processes.Add("c:\\tools\\app.exe").id;
    Link("App.lnk", {"C:\\Tools\\App.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    ASSERT_TRUE(AddApp(m_folder, "App.lnk"));
    ASSERT_EQ("C:\\Tools\\App.exe", Apps[0].Path);
    EXPECT_EQ(second, Apps[0].ProcessID) << "the last in the enumeration wins";
    EXPECT_NE(first, Apps[0].ProcessID);
}

TEST_F(AppList, OnAnUnknownPlatformEachShortcutReportsItOnce) {
    FakeProcesses processes;
    processes.platformId = 0;
    processes.Add("C:\\Tools\\App.exe");
    Link("A.lnk", {"C:\\Tools\\App.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    Link("B.lnk", {"C:\\Tools\\App.exe", "", "", "", 0, SW_SHOWNORMAL, ""});
    FakePrompter prompter;
    EXPECT_EQ(2, LoadStartUpApps());
    ASSERT_EQ(2u, prompter.shown.size());
    for (const FakePrompter::Shown& shown : prompter.shown) {
        EXPECT_EQ("Operating system not recognized!", shown.text);
        EXPECT_EQ(16u, shown.flags);
    }
    EXPECT_EQ(0, Apps[0].ProcessID);
    EXPECT_EQ(0, Apps[1].ProcessID);
}

}  // namespace
