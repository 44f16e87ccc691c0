// Launching and closing for real under Wine, with the Win32 process layer: a target path
// with a blank in a folder name starts the right program (not a planted "first word"
// program), in the shortcut's working directory and with its show command; CloseApp against
// idle_app helpers; FindProcessWindow finds a hidden window too.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "HelperProcess.h"
#include "ShellLinkHelper.h"
#include "apps/Apps.h"
#include "apps/Close.h"
#include "apps/Launch.h"
#include "apps/ProcessDiscovery.h"

namespace {

using namespace tw::tray;
using tw::test::HelperProcess;

// Ends a process that a test launched, whatever happens to the test.
class LaunchedProcess {
public:
    explicit LaunchedProcess(ProcessId id) : m_id(id) {}
    ~LaunchedProcess() {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(m_id));
        if (!process) return;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    }

private:
    ProcessId m_id;
};

// The lines report_start wrote, once it has written them (up to 20 s).
std::vector<std::string> ReadReport(const std::string& file) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(file);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) lines.push_back(line);
        if (lines.size() >= 3) return lines;
        Sleep(100);
    }
    return {};
}

bool CopyHelper(const std::string& name, const std::string& target) {
    return CopyFileA((tw::test::TestBinFolder() + name).c_str(), target.c_str(), FALSE) != FALSE;
}

TEST(LaunchForReal, APathWithABlankStartsTheRightProgramAsTheShortcutSays) {
    const std::string folder = tw::test::NewTestFolder("launch-blank");
    ASSERT_TRUE(CreateDirectoryA((folder + "My Apps").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "work").c_str(), nullptr));
    ASSERT_TRUE(CopyHelper("report_start.exe", folder + "My Apps\\report_start.exe"));
    // The program the platform would run for the unquoted line: the path's first word.
    ASSERT_TRUE(CopyHelper("idle_app.exe", folder + "My.exe"));
    const std::string report = folder + "report.txt";

    AppInfo app;
    app.Path = folder + "My Apps\\report_start.exe";
    app.Arguments = " \"" + report + "\"";
    app.WorkingDirectory = folder + "work";
    app.WindowStyle = 2;
    const ProcessId id = LaunchApp(app);
    LaunchedProcess guard(id);
    ASSERT_NE(0, id);
    const std::vector<std::string> lines = ReadReport(report);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(folder + "work", lines[0]);
    EXPECT_EQ(std::to_string(SW_SHOWMINNOACTIVE), lines[1]);
    EXPECT_EQ("\"" + app.Path + "\" \"" + report + "\"", lines[2]);
    EXPECT_EQ(id, FindRunningApp(app.Path));
    EXPECT_EQ(0, FindRunningApp(folder + "My.exe"));
}

TEST(LaunchForReal, AWorkingDirectoryThatDoesNotExistStartsInOurOwn) {
    const std::string folder = tw::test::NewTestFolder("launch-nodir");
    ASSERT_TRUE(CopyHelper("report_start.exe", folder + "report_start.exe"));
    const std::string report = folder + "report.txt";
    AppInfo app;
    app.Path = folder + "report_start.exe";
    app.Arguments = " " + report;
    app.WorkingDirectory = folder + "missing";
    app.WindowStyle = 3;
    const ProcessId id = LaunchApp(app);
    LaunchedProcess guard(id);
    ASSERT_NE(0, id);
    const std::vector<std::string> lines = ReadReport(report);
    ASSERT_EQ(3u, lines.size());
    char ours[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, ours);
    EXPECT_EQ(ours, lines[0]);
    EXPECT_EQ(std::to_string(SW_SHOWMAXIMIZED), lines[1]);
}

TEST(LaunchForReal, AMissingProgramGivesZero) {
    const std::string folder = tw::test::NewTestFolder("launch-missing");
    AppInfo app;
    app.Path = folder + "nothing here.exe";
    app.Arguments = " ";
    EXPECT_EQ(0, LaunchApp(app));
    app.Path = "";
    EXPECT_EQ(0, LaunchApp(app));
}

// A copy of helper `name` at `target` (any characters: UTF-16 calls of the test's own).
bool CopyHelperTo(const std::string& name, const std::string& folder, const std::string& file) {
    CreateDirectoryW(tw::test::Utf16(folder).c_str(), nullptr);
    return CopyFileW(tw::test::Utf16(tw::test::TestBinFolder() + name).c_str(),
                     tw::test::Utf16(folder + file).c_str(), FALSE) != FALSE;
}

// Waits up to 10 s for the top-level window of process `id`; its title.
std::string WindowTitleOf(ProcessId id) {
    for (int i = 0; i < 100; ++i) {
        if (HWND window = FindProcessWindow(id)) return Windows().WindowText(window);
        Sleep(100);
    }
    return std::string();
}

TEST(LaunchForReal, AProgramBeyondTheCodePageStartsIsFoundByItsPathAndCloses) {
    // "C:\...\Прога 📧\почта.exe", its window "Почта окно".
    const std::string folder = tw::test::NewTestFolder("launch-names") + "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD0\xB0 \xF0\x9F\x93\xA7\\";
    const std::string title = "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0 \xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE";
    ASSERT_TRUE(CopyHelperTo("idle_app.exe", folder, "\xD0\xBF\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0.exe"));
    AppInfo app;
    app.Path = folder + "\xD0\xBF\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0.exe";
    app.Arguments = " \"" + title + "\"";
    app.WorkingDirectory = folder;
    const ProcessId id = LaunchApp(app);
    LaunchedProcess guard(id);
    ASSERT_NE(0, id);
    EXPECT_EQ(title, WindowTitleOf(id));
    EXPECT_EQ(id, FindRunningApp(app.Path));
    // Letter case as the file system ignores it, in Cyrillic too: "ПОЧТА.EXE".
    EXPECT_EQ(id, FindRunningApp(folder + "\xD0\x9F\xD0\x9E\xD0\xA7\xD0\xA2\xD0\x90.EXE"));
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_FALSE(IsProcessRunning(id));
}

TEST(LaunchForReal, AShortcutToAProgramWhoseNameHasATrailByteBackslashStartsIt) {
    // "表" is 0x95 0x5C in code page 932: a byte-wise walk of the ANSI path cuts it at 0x5C.
    // Wine's shell links hold a target only in the ANSI code page, so under Wine the shortcut
    // can name this program only where the code page holds "表".
    if (GetACP() != 932) GTEST_SKIP() << "about Windows set to Japanese (code page 932)";
    const std::string base = tw::test::NewTestFolder("launch-dbcs");
    const std::string folder = base + "\xE8\xA1\xA8\\";
    ASSERT_TRUE(CopyHelperTo("idle_app.exe", folder, "\xE8\xA1\xA8\xE7\xA4\xBA.exe"));  // 表示.exe
    tw::test::ShellLinkFields fields;
    fields.path = folder + "\xE8\xA1\xA8\xE7\xA4\xBA.exe";
    fields.arguments = "\"\xE8\xA1\xA8\"";
    ASSERT_EQ(S_OK, tw::test::CreateShellLink(base + "\xE8\xA1\xA8.lnk", fields));
    Apps.clear();
    ASSERT_TRUE(AddApp(base, "\xE8\xA1\xA8.lnk"));
    EXPECT_EQ(fields.path, Apps[0].Path);
    EXPECT_EQ("\xE8\xA1\xA8", DisplayName(Apps[0]));
    const ProcessId id = LaunchApp(Apps[0]);
    LaunchedProcess guard(id);
    ASSERT_NE(0, id);
    EXPECT_EQ("\xE8\xA1\xA8", WindowTitleOf(id));
    EXPECT_EQ(id, FindRunningApp(fields.path));
    Apps.clear();
}

TEST(CloseForReal, AHelperThatClosesOnRequestEnds) {
    HelperProcess helper(tw::test::IdleAppPath(), "\"Close Me\"");
    ASSERT_TRUE(helper.Started());
    const ProcessId id = static_cast<ProcessId>(helper.Id());
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_EQ(0u, helper.WaitForExit());
    EXPECT_FALSE(IsProcessRunning(id));
}

TEST(CloseForReal, AHelperEndingWithANonZeroCodeStaysTracked) {
    HelperProcess helper(tw::test::IdleAppPath(), "--exit-code 4 \"Close Me Too\"");
    ASSERT_TRUE(helper.Started());
    const ProcessId id = static_cast<ProcessId>(helper.Id());
    EXPECT_EQ(id, CloseApp(id));
    EXPECT_EQ(4u, helper.WaitForExit());
    EXPECT_FALSE(IsProcessRunning(id));
}

TEST(CloseForReal, AProcessThatHasEndedCountsAsClosedAtOnce) {
    HelperProcess helper(tw::test::IdleAppPath(), "Gone");
    ASSERT_TRUE(helper.Started());
    const ProcessId id = static_cast<ProcessId>(helper.Id());
    helper.Kill();
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_LT(GetTickCount() - start, 5000u);  // no 20-second wait
}

TEST(FindProcessWindowForReal, FindsTheTopLevelWindowVisibleOrNot) {
    HelperProcess shown(tw::test::IdleAppPath(), "\"Shown Window\"");
    HelperProcess hidden(tw::test::IdleAppPath(), "--hidden \"Hidden Window\"");
    ASSERT_TRUE(shown.Started());
    ASSERT_TRUE(hidden.Started());
    HWND window = FindProcessWindow(static_cast<ProcessId>(shown.Id()));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Shown Window", Windows().WindowText(window));
    window = FindProcessWindow(static_cast<ProcessId>(hidden.Id()));
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ("Hidden Window", Windows().WindowText(window));
    EXPECT_EQ(nullptr, FindProcessWindow(0x7FFFFFF0));
}

}  // namespace
