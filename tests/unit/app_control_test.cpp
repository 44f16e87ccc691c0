// Application control with the fake process layer: CloseApp's whole result table and its
// prompt, the launch command line and show command, the one-enumeration refresh of process
// ids, AnyAppRunning/AnyAppNotRunning, and the application-window seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "Prompt.h"
#include "TrayFakes.h"
#include "apps/Apps.h"
#include "apps/Close.h"
#include "apps/Launch.h"
#include "monitor/AppWindow.h"
#include "monitor/MonitorCycle.h"
#include "monitor/modGeneral.h"

namespace {

using namespace tw::tray;
using tw::test::FakeProcess;
using tw::test::FakeProcesses;
using tw::test::FakePrompter;

const std::string kPromptText =
    "This program is not responding. It may be busy, waiting for a response from you, or it may "
    "have stopped running.\r\rClick Yes to wait for the application, No to kill the application, "
    "or Cancel to leave the application alone.";

std::vector<UINT> PostedMessages(const FakeProcesses& processes) {
    std::vector<UINT> messages;
    for (const auto& posted : processes.posted) messages.push_back(posted.message);
    return messages;
}

// ---- CloseApp ----

class CloseAppTest : public ::testing::Test {
protected:
    FakeProcesses processes;
    FakePrompter prompter;

    // A running process of a program that ignores the close request.
    ProcessId Stubborn(const std::string& title = "Stubborn Window") {
        FakeProcess& process = processes.Add("C:\\apps\\stubborn.exe", title);
        process.closesOnRequest = false;
        return process.id;
    }
    bool Running(ProcessId id) {
        FakeProcess* process = processes.Find(id);
        return process && process->running;
    }
};

TEST_F(CloseAppTest, AnApplicationThatClosesOnRequestCountsAsClosed) {
    const ProcessId id = processes.Add("C:\\apps\\mail.exe", "Mail").id;
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_FALSE(Running(id));
    // WM_CANCELMODE first, then WM_CLOSE, to its window; one 20-second wait; nobody asked.
    EXPECT_EQ((std::vector<UINT>{WM_CANCELMODE, WM_CLOSE}), PostedMessages(processes));
    EXPECT_EQ(processes.Find(id)->window, processes.posted[0].window);
    EXPECT_EQ((std::vector<DWORD>{20000}), processes.waits);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(CloseAppTest, AnApplicationThatEndsWithANonZeroCodeStaysTracked) {
    FakeProcess& process = processes.Add("C:\\apps\\mail.exe", "Mail");
    process.exitCodeOnClose = 3;
    const ProcessId id = process.id;
    EXPECT_EQ(id, CloseApp(id));
    EXPECT_FALSE(Running(id));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(CloseAppTest, NoKillsAnApplicationThatDoesNotRespond) {
    const ProcessId id = Stubborn();
    prompter.Answer(IDNO);
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_FALSE(Running(id));
    EXPECT_EQ(0u, processes.Find(id)->exitCode);  // terminated with exit code 0
    ASSERT_EQ(1u, prompter.shown.size());
    EXPECT_EQ(kPromptText, prompter.shown[0].text);
    EXPECT_EQ(4403u, prompter.shown[0].flags);
    EXPECT_EQ(MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2 | MB_SYSTEMMODAL,
              prompter.shown[0].flags);
    EXPECT_EQ("Stubborn Window", prompter.shown[0].title);
}

TEST_F(CloseAppTest, CancelLeavesTheApplicationAloneAndTracked) {
    const ProcessId id = Stubborn();
    prompter.Answer(IDCANCEL);
    EXPECT_EQ(id, CloseApp(id));
    EXPECT_TRUE(Running(id));
    EXPECT_EQ(1u, prompter.shown.size());
}

TEST_F(CloseAppTest, YesAsksAgainAndWaitsAnotherTwentySecondsThenNoKills) {
    const ProcessId id = Stubborn();
    prompter.Answer(IDYES);
    prompter.Answer(IDYES);
    prompter.Answer(IDNO);
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_FALSE(Running(id));
    EXPECT_EQ(3u, prompter.shown.size());
    EXPECT_EQ((std::vector<DWORD>{20000, 20000, 20000}), processes.waits);
    // Both messages posted again before each further wait.
    EXPECT_EQ((std::vector<UINT>{WM_CANCELMODE, WM_CLOSE, WM_CANCELMODE, WM_CLOSE, WM_CANCELMODE,
                                 WM_CLOSE}),
              PostedMessages(processes));
}

TEST_F(CloseAppTest, YesThenTheApplicationEndsDuringTheSecondWait) {
    const ProcessId id = Stubborn();
    prompter.Answer(IDYES);
    int waits = 0;
    processes.onWait = [&](FakeProcess& process, DWORD) -> long {
        if (++waits == 2) {
            process.running = false;
            process.exitCode = 0;
        }
        return -1;
    };
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_EQ(1u, prompter.shown.size());
}

TEST_F(CloseAppTest, AFailedTerminateKeepsTheIdAndSaysSo) {
    const ProcessId id = Stubborn();
    processes.Find(id)->terminable = false;
    prompter.Answer(IDNO);
    EXPECT_EQ(id, CloseApp(id));
    EXPECT_TRUE(Running(id));
    ASSERT_EQ(2u, prompter.shown.size());
    EXPECT_EQ("Non-Critical ERROR: Couldn't end Stubborn Window.", prompter.shown[1].text);
    EXPECT_EQ(static_cast<unsigned>(MB_ICONEXCLAMATION), prompter.shown[1].flags);
}

// One running with higher rights: it can be seen and waited for, but not terminated.
class RefusedTerminateTest : public CloseAppTest {
protected:
    ProcessId Elevated(bool closesOnRequest) {
        FakeProcess& process = processes.Add("C:\\apps\\admin.exe", "Admin Tool");
        process.deniedAccess = PROCESS_TERMINATE;
        process.closesOnRequest = closesOnRequest;
        return process.id;
    }
};

TEST_F(RefusedTerminateTest, ItIsClosedPolitelyAfterAnOpenWithoutTerminateRights) {
    const ProcessId id = Elevated(true);
    EXPECT_TRUE(processes.IsRunning(id));
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_FALSE(Running(id));
    EXPECT_EQ((std::vector<UINT>{WM_CANCELMODE, WM_CLOSE}), PostedMessages(processes));
    EXPECT_EQ((std::vector<DWORD>{20000}), processes.waits);
    ASSERT_EQ(2u, processes.openAccess.size());
    EXPECT_EQ(static_cast<DWORD>(SYNCHRONIZE | QueryAccess()), processes.openAccess[1]);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(RefusedTerminateTest, ItIsWaitedForAndAskedAboutAndARefusedKillIsReported) {
    const ProcessId id = Elevated(false);
    prompter.Answer(IDYES);
    prompter.Answer(IDNO);
    EXPECT_EQ(id, CloseApp(id)) << "still running: still tracked";
    EXPECT_TRUE(Running(id));
    EXPECT_EQ((std::vector<DWORD>{20000, 20000}), processes.waits);
    ASSERT_EQ(3u, prompter.shown.size());
    EXPECT_EQ(kPromptText, prompter.shown[0].text);
    EXPECT_EQ("Admin Tool", prompter.shown[1].title);
    EXPECT_EQ("Non-Critical ERROR: Couldn't end Admin Tool.", prompter.shown[2].text);
    EXPECT_EQ(48u, prompter.shown[2].flags);
}

TEST_F(CloseAppTest, AProcessThatCannotBeOpenedCountsAsClosedWithoutAWaitOrAPrompt) {
    FakeProcess& process = processes.Add("C:\\apps\\other.exe", "Other User's");
    process.openable = false;
    const ProcessId id = process.id;
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_TRUE(prompter.shown.empty());
    // The close request still went to the window that was found.
    EXPECT_EQ((std::vector<UINT>{WM_CANCELMODE, WM_CLOSE}), PostedMessages(processes));
}

TEST_F(CloseAppTest, AProcessWithoutAWindowGetsNoRequestAndAPromptWithAnEmptyTitle) {
    FakeProcess& process = processes.Add("C:\\apps\\hidden.exe");  // no window
    process.closesOnRequest = false;
    const ProcessId id = process.id;
    tw::SetAppTitle("Tetherwatch");
    prompter.Answer(IDNO);
    EXPECT_EQ(0, CloseApp(id));
    EXPECT_TRUE(processes.posted.empty());
    ASSERT_EQ(1u, prompter.shown.size());
    // An empty caption is the toolkit's "no title": the program's own.
    EXPECT_EQ("Tetherwatch", prompter.shown[0].title);
    tw::SetAppTitle("");
}

TEST_F(CloseAppTest, EventsRunOnceBeforeThePrompt) {
    // A message waiting in the queue is handled after the time-out, before the prompt.
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_NULL, 0, 0);
    const ProcessId id = Stubborn();
    bool queueEmptyAtPrompt = false;
    prompter.onShow = [&](const FakePrompter::Shown&) {
        MSG msg;
        queueEmptyAtPrompt = !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    };
    prompter.Answer(IDCANCEL);
    CloseApp(id);
    EXPECT_TRUE(queueEmptyAtPrompt);
    DestroyWindow(window);
}

TEST_F(CloseAppTest, OpensTheProcessForWaitingTerminatingAndItsExitCode) {
    const ProcessId id = processes.Add("C:\\apps\\mail.exe", "Mail").id;
    CloseApp(id);
    ASSERT_EQ(1u, processes.openAccess.size());
    const DWORD access = processes.openAccess[0];
    EXPECT_EQ(static_cast<DWORD>(SYNCHRONIZE), access & SYNCHRONIZE);
    EXPECT_EQ(static_cast<DWORD>(PROCESS_TERMINATE), access & PROCESS_TERMINATE);
    EXPECT_EQ(QueryAccess(), access & QueryAccess()) << "the query right IsRunning uses";
}

// ---- Launching ----

TEST(LaunchCommandLine, QuotesAPathWithABlankAndKeepsTheArguments) {
    struct Case {
        const char* path;
        const char* arguments;
        const char* expected;
    } cases[] = {
        {"C:\\Apps\\mail.exe", " ", "C:\\Apps\\mail.exe "},
        {"C:\\Apps\\mail.exe", " -check now", "C:\\Apps\\mail.exe -check now"},
        {"C:\\Program Files\\Mail\\mail.exe", " ", "\"C:\\Program Files\\Mail\\mail.exe\" "},
        {"C:\\Program Files\\Mail\\mail.exe", " /s \"a b\"",
         "\"C:\\Program Files\\Mail\\mail.exe\" /s \"a b\""},
        {"\"C:\\Program Files\\Mail\\mail.exe\"", " ", "\"C:\\Program Files\\Mail\\mail.exe\" "},
        {"", " ", " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        AppInfo app;
        app.Path = c.path;
        app.Arguments = c.arguments;
        EXPECT_EQ(c.expected, LaunchCommandLine(app));
    }
}

TEST(ShowCommandOf, MapsTheWindowStyleBack) {
    EXPECT_EQ(SW_SHOWNORMAL, ShowCommandOf(1));
    EXPECT_EQ(SW_SHOWMINNOACTIVE, ShowCommandOf(2));
    EXPECT_EQ(SW_SHOWMAXIMIZED, ShowCommandOf(3));
    EXPECT_EQ(SW_SHOWNORMAL, ShowCommandOf(0));
    EXPECT_EQ(SW_SHOWNORMAL, ShowCommandOf(7));
}

TEST(LaunchApp, GivesTheNewIdOrZero) {
    FakeProcesses processes;
    const ProcessId id = LaunchApp("C:\\apps\\mail.exe ");
    EXPECT_NE(0, id);
    ASSERT_EQ(1u, processes.created.size());
    EXPECT_EQ("C:\\apps\\mail.exe ", processes.created[0].commandLine);
    EXPECT_EQ("", processes.created[0].currentDirectory);
    EXPECT_EQ(kNoShowCommand, processes.created[0].showCommand);
    processes.createFails = true;
    EXPECT_EQ(0, LaunchApp("C:\\apps\\missing.exe "));
}

// ---- Process ids of the list ----

class AppListTest : public ::testing::Test {
protected:
    AppListTest() { Apps.clear(); }
    ~AppListTest() override { Apps.clear(); }
    size_t List(const std::string& path, ProcessId id = 0) {
        AppInfo app;
        app.Path = path;
        app.ProcessID = id;
        Apps.push_back(app);
        return Apps.size() - 1;
    }
    FakeProcesses processes;
    FakePrompter prompter;
};

TEST_F(AppListTest, RefreshEnumeratesTheProcessesOnceForAllApplications) {
    for (int i = 0; i < 5; ++i) List("C:\\apps\\app" + std::to_string(i) + ".exe");
    const ProcessId three = processes.Add("C:\\APPS\\APP3.EXE").id;
    processes.Add("C:\\windows\\explorer.exe");
    RefreshProcessIDs();
    EXPECT_EQ(1, processes.psapiCalls);
    EXPECT_EQ(three, Apps[3].ProcessID);
    for (size_t i : {0, 1, 2, 4}) EXPECT_EQ(0, Apps[i].ProcessID);
}

TEST_F(AppListTest, RefreshDoesNotEnumerateWhenEveryApplicationRuns) {
    const ProcessId id = processes.Add("C:\\apps\\mail.exe").id;
    List("C:\\apps\\mail.exe", id);
    RefreshProcessIDs();
    EXPECT_EQ(0, processes.psapiCalls);
    EXPECT_EQ(id, Apps[0].ProcessID);
}

TEST_F(AppListTest, RefreshKeepsALiveIdAndReplacesAnEndedOne) {
    const ProcessId first = processes.Add("C:\\apps\\mail.exe").id;
    const ProcessId second = processes.Add("C:\\apps\\mail.exe").id;
    const ProcessId third = processes.Add("C:\\apps\\mail.exe").id;
    size_t live = List("C:\\apps\\mail.exe", first);
    size_t ended = List("C:\\apps\\mail.exe", 999);
    RefreshProcessIDs();
    EXPECT_EQ(first, Apps[live].ProcessID);     // stays, though others run the same program
    EXPECT_EQ(third, Apps[ended].ProcessID);    // the last in the enumeration wins
    processes.End(third);
    RefreshProcessIDs();
    EXPECT_EQ(second, Apps[ended].ProcessID);
}

TEST_F(AppListTest, RefreshOnAnUnrecognisedPlatformReportsOncePerApplicationNotRunning) {
    processes.platformId = 3;
    const ProcessId id = processes.Add("C:\\apps\\news.exe").id;
    List("C:\\apps\\mail.exe");
    List("C:\\apps\\news.exe", id);
    List("C:\\apps\\chat.exe", 77);
    RefreshProcessIDs();
    ASSERT_EQ(2u, prompter.shown.size());
    EXPECT_EQ("Operating system not recognized!", prompter.shown[0].text);
    EXPECT_EQ(16u, prompter.shown[0].flags);
    EXPECT_EQ(0, Apps[0].ProcessID);
    EXPECT_EQ(id, Apps[1].ProcessID);
    EXPECT_EQ(0, Apps[2].ProcessID);
}

TEST_F(AppListTest, AnyAppRunningAndAnyAppNotRunning) {
    const ProcessId running = processes.Add("C:\\apps\\mail.exe").id;
    struct Case {
        std::vector<ProcessId> ids;
        bool anyRunning;
        bool anyNotRunning;
    } cases[] = {
        {{running}, true, false},
        {{0}, false, true},
        {{0, running}, true, true},
        {{running, running}, true, false},
        {{555, 0}, false, true},  // an id without a process, and 0, never run
        {{}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.ids));
        Apps.clear();
        for (ProcessId id : c.ids) List("C:\\apps\\x.exe", id);
        EXPECT_EQ(c.anyRunning, AnyAppRunning());
        EXPECT_EQ(c.anyNotRunning, AnyAppNotRunning());
    }
}

TEST_F(AppListTest, AnyAppRunningStopsAtTheFirstAnswer) {
    const ProcessId running = processes.Add("C:\\apps\\mail.exe").id;
    List("C:\\apps\\mail.exe", running);
    List("C:\\apps\\news.exe");
    List("C:\\apps\\chat.exe");
    processes.isRunningCalls = 0;
    EXPECT_TRUE(AnyAppRunning());
    EXPECT_EQ(1, processes.isRunningCalls);
    processes.isRunningCalls = 0;
    EXPECT_TRUE(AnyAppNotRunning());
    // 0 is never asked about: it never runs.
    EXPECT_EQ(1, processes.isRunningCalls);
}

// ---- The application-window seam ----

class RecordingAppWindow final : public IAppWindow {
public:
    void ShowModal() override {
        ++shown;
        modes.push_back(AppWindowMode);
        autoPrompts.push_back(AutoPrompt);
        open = true;
        if (during) during();
        open = false;
        AutoPrompt = false;
    }
    void Unload() override { ++unloads; }
    bool IsOpen() override { return open; }
    int shown = 0;
    int unloads = 0;
    bool open = false;
    std::vector<std::string> modes;
    std::vector<bool> autoPrompts;
    std::function<void()> during;
};

TEST(AppWindow, OpensWithTheModeAndAutoPromptSet) {
    RecordingAppWindow window;
    IAppWindow* previous = SetAppWindow(&window);
    window.during = [] {
        // Opening again while it is open does nothing.
        OpenAppWindow(kOptionsMode, false);
        EXPECT_TRUE(IsAppWindowOpen());
    };
    OpenAppWindow(kKillAppsMode, true);
    EXPECT_EQ(1, window.shown);
    EXPECT_EQ((std::vector<std::string>{"Kill Apps"}), window.modes);
    EXPECT_EQ((std::vector<bool>{true}), window.autoPrompts);
    EXPECT_FALSE(IsAppWindowOpen());
    UnloadAppWindow();
    EXPECT_EQ(1, window.unloads);
    SetAppWindow(previous);
}

TEST(AppWindow, WithoutAWindowNothingOpensAndAutoPromptStaysFalse) {
    IAppWindow* previous = SetAppWindow(nullptr);
    AutoPrompt = false;
    OpenAppWindow(kLaunchAppsMode, true);
    EXPECT_FALSE(AutoPrompt);
    EXPECT_EQ("Launch Apps", AppWindowMode);
    EXPECT_FALSE(IsAppWindowOpen());
    UnloadAppWindow();
    SetAppWindow(previous);
}

}  // namespace
