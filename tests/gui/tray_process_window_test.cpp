// The Win32 process layer's window and control calls, for real under Xvfb against idle_app
// helpers: finding a process's top-level window, posting to it, reading its title, waiting
// for, terminating and reading the exit code of a process, and starting one.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "HelperProcess.h"
#include "ShellLinkHelper.h"
#include "apps/ProcessApi.h"

namespace {

using tw::test::HelperProcess;
using namespace tw::tray;

constexpr DWORD kLong = 30000;  // an upper bound; the waits end as soon as the helper does

ProcessId IdOf(const HelperProcess& helper) { return static_cast<ProcessId>(helper.Id()); }

// Waits until a process started by Create has its window up; false on time-out.
bool WaitUntilReady(ProcessId id) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                 static_cast<DWORD>(id));
    if (!process) return false;
    bool ready = WaitForInputIdle(process, kLong) == 0;
    CloseHandle(process);
    return ready;
}

TEST(ProcessWindow, TheHelpersTitledWindowIsFound) {
    HelperProcess helper(tw::test::IdleAppPath(), "\"Found By Id\"");
    ASSERT_TRUE(helper.Started());
    HWND window = Windows().FindProcessWindow(IdOf(helper));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Found By Id", Windows().WindowText(window));
    EXPECT_EQ(nullptr, GetParent(window));
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(helper.Id(), owner);
}

TEST(ProcessWindow, AHiddenWindowCountsToo) {
    HelperProcess helper(tw::test::IdleAppPath(), "--hidden \"Hidden One\"");
    ASSERT_TRUE(helper.Started());
    HWND window = Windows().FindProcessWindow(IdOf(helper));
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ("Hidden One", Windows().WindowText(window));
}

TEST(ProcessWindow, AProcessWithoutWindowsHasNone) {
    HelperProcess helper(tw::test::IdleAppPath(), "--no-window");
    ASSERT_TRUE(helper.Started());
    EXPECT_EQ(nullptr, Windows().FindProcessWindow(IdOf(helper)));
    EXPECT_EQ(nullptr, Windows().FindProcessWindow(0x7FFFFFF0));
}

TEST(ProcessWindow, TitlesAreCutAt127Characters) {
    std::string title(200, 'x');
    title.replace(0, 5, "Long-");
    HelperProcess helper(tw::test::IdleAppPath(), title);
    ASSERT_TRUE(helper.Started());
    HWND window = Windows().FindProcessWindow(IdOf(helper));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(title.substr(0, 127), Windows().WindowText(window));
    EXPECT_EQ("", Windows().WindowText(nullptr));
}

TEST(ProcessControl, ACloseRequestEndsACooperativeProgram) {
    HelperProcess helper(tw::test::IdleAppPath(), "--exit-code 7 Polite");
    ASSERT_TRUE(helper.Started());
    std::unique_ptr<IProcess> process = Processes().Open(IdOf(helper), kProcessAllAccess);
    HWND window = Windows().FindProcessWindow(IdOf(helper));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(kStillActive, process->ExitCode());
    EXPECT_TRUE(Windows().Post(window, WM_CANCELMODE, 0, 0));
    EXPECT_TRUE(Windows().Post(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(WAIT_OBJECT_0, process->Wait(kLong));
    EXPECT_EQ(7u, process->ExitCode());
    EXPECT_FALSE(Processes().IsRunning(IdOf(helper)));
    // Windows refuses to terminate an ended process, Wine says yes; either way the exit
    // code stays the one it ended with.
    process->Terminate(0);
    EXPECT_EQ(7u, process->ExitCode());
}

TEST(ProcessControl, AProgramThatIgnoresTheRequestIsTerminated) {
    HelperProcess helper(tw::test::IdleAppPath(), "--ignore-close Stubborn");
    ASSERT_TRUE(helper.Started());
    std::unique_ptr<IProcess> process = Processes().Open(IdOf(helper), kProcessAllAccess);
    HWND window = Windows().FindProcessWindow(IdOf(helper));
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(Windows().Post(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), process->Wait(200));
    EXPECT_TRUE(Processes().IsRunning(IdOf(helper)));
    EXPECT_EQ("Stubborn", Windows().WindowText(window));
    EXPECT_TRUE(process->Terminate(42));
    EXPECT_EQ(WAIT_OBJECT_0, process->Wait(kLong));
    EXPECT_EQ(42u, process->ExitCode());
    EXPECT_FALSE(Processes().IsRunning(IdOf(helper)));
    EXPECT_FALSE(Windows().Post(window, WM_CLOSE, 0, 0)) << "its window is gone";
}

TEST(ProcessControl, AProcessThatCannotBeOpenedFailsEveryCall) {
    std::unique_ptr<IProcess> process = Processes().Open(0x7FFFFFF0, kProcessAllAccess);
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(static_cast<DWORD>(WAIT_FAILED), process->Wait(kLong));
    EXPECT_FALSE(process->Terminate(0));
    EXPECT_EQ(0u, process->ExitCode());
}

TEST(ProcessCreate, StartsACommandLineAndGivesItsId) {
    ProcessId id = Processes().Create(tw::test::IdleAppPath() + " Created Here", "", kNoShowCommand);
    ASSERT_NE(0, id);
    ASSERT_TRUE(WaitUntilReady(id));
    EXPECT_TRUE(Processes().IsRunning(id));
    HWND window = Windows().FindProcessWindow(id);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Here", Windows().WindowText(window)) << "the last word is the title";
    std::unique_ptr<IProcess> process = Processes().Open(id, kProcessAllAccess);
    Windows().Post(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, process->Wait(kLong));
}

TEST(ProcessCreate, UsesTheGivenCurrentDirectory) {
    std::string folder = tw::test::NewTestFolder("cwd");
    ASSERT_FALSE(folder.empty());
    std::string directory = folder.substr(0, folder.size() - 1);
    ProcessId id = Processes().Create(tw::test::IdleAppPath() + " --title-cwd", directory, kNoShowCommand);
    ASSERT_NE(0, id);
    ASSERT_TRUE(WaitUntilReady(id));
    HWND window = Windows().FindProcessWindow(id);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(directory, Windows().WindowText(window));
    Processes().Open(id, kProcessAllAccess)->Terminate(0);
}

TEST(ProcessCreate, AnUnquotedPathWithBlanksIsFoundByThePlatformsPrefixSearch) {
    std::string folder = tw::test::NewTestFolder("with blanks");
    std::string program = tw::test::CopyIdleApp(folder, "idle app.exe");
    ASSERT_FALSE(program.empty());
    ASSERT_NE(std::string::npos, program.find(' '));
    ProcessId id = Processes().Create(program + " Blanks", "", kNoShowCommand);
    ASSERT_NE(0, id);
    ASSERT_TRUE(WaitUntilReady(id));
    HWND window = Windows().FindProcessWindow(id);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Blanks", Windows().WindowText(window));
    Processes().Open(id, kProcessAllAccess)->Terminate(0);
}

TEST(ProcessCreate, AMissingProgramGivesZero) {
    EXPECT_EQ(0, Processes().Create("C:\\no\\such\\program.exe ", "", kNoShowCommand));
    EXPECT_EQ(0, Processes().Create(" ", "", kNoShowCommand));
    std::string folder = tw::test::NewTestFolder("document");
    ASSERT_TRUE(tw::test::WriteTextFile(folder + "notes.txt", "a document"));
    EXPECT_EQ(0, Processes().Create(folder + "notes.txt ", "", kNoShowCommand)) << "a document is not a program";
}

}  // namespace
