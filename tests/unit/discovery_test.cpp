// Process discovery: IsProcessRunning and the FindRunningApp family. The rules (lower-case
// whole-string match, last in the enumeration wins, the platform choosing the strategy)
// against the fake layer; then the Win32 layer for real, against idle_app helper processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Fakes.h"
#include "HelperProcess.h"
#include "ShellLinkHelper.h"
#include "TrayFakes.h"
#include "apps/ProcessDiscovery.h"

namespace {

using tw::test::FakeClock;
using tw::test::FakePrompter;
using tw::test::FakeProcess;
using tw::test::FakeProcesses;
using tw::test::HelperProcess;
using namespace tw::tray;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// ---- The rules, with the fake layer ----

TEST(FindRunningApp, MatchesTheWholePathInAnyLetterCase) {
    FakeProcesses processes;
    ProcessId id = processes.Add("C:\\Program Files\\Mail\\MAIL.EXE").id;
    processes.Add("C:\\Windows\\Explorer.exe");
    struct Case {
        const char* path;
        bool found;
    } cases[] = {
        {"C:\\Program Files\\Mail\\MAIL.EXE", true},
        {"c:\\program files\\mail\\mail.exe", true},
        {"C:\\PROGRAM FILES\\MAIL\\Mail.Exe", true},
        {"C:\\Program Files\\Mail\\MAIL", false},           // a prefix
        {"Program Files\\Mail\\MAIL.EXE", false},           // a suffix
        {"MAIL.EXE", false},                                // the bare name
        {"C:\\Program Files\\Mail\\MAIL.EXE ", false},      // no trimming
        {"\"C:\\Program Files\\Mail\\MAIL.EXE\"", false},   // no unquoting
        {"C:\\PROGRA~1\\Mail\\MAIL.EXE", false},            // no short/long forms
        {"C:/Program Files/Mail/MAIL.EXE", false},          // no separator rewriting
        {"", false},                                        // an empty path names nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.found ? id : 0, FindRunningApp(c.path));
    }
}

TEST(FindRunningApp, TheLastMatchInTheEnumerationWins) {
    FakeProcesses processes;
    ProcessId first = processes.Add("C:\\App\\app.exe").id;
    processes.Add("C:\\Other\\other.exe");
    ProcessId second = processes.Add("C:\\APP\\APP.EXE").id;
    processes.Add("C:\\Other\\other2.exe");
    EXPECT_EQ(second, FindRunningApp("c:\\app\\app.exe"));
    // Reversing the enumeration order reverses the answer.
    std::reverse(processes.processes.begin(), processes.processes.end());
    EXPECT_EQ(first, FindRunningApp("c:\\app\\app.exe"));
}

TEST(FindRunningApp, AnEmptyPathNeverMatchesEvenAProcessWithoutAName) {
    FakeProcesses processes;
    processes.Add("");
    EXPECT_EQ(0, FindRunningApp(""));
    EXPECT_EQ(0, FindRunningAppToolhelp(""));
    EXPECT_EQ(0, FindRunningAppPSAPI(""));
}

TEST(FindRunningApp, ThePlatformChoosesTheStrategy) {
    FakeProcesses processes;
    FakeProcess& app = processes.Add("C:\\App\\app.exe");
    app.toolhelpName = "app.exe";  // as Toolhelp reports it on the NT family

    processes.platformId = kPlatformNT;
    EXPECT_EQ(app.id, FindRunningApp("C:\\App\\app.exe"));
    EXPECT_EQ(0, FindRunningApp("app.exe"));
    EXPECT_EQ(2, processes.psapiCalls);
    EXPECT_EQ(0, processes.toolhelpCalls);

    processes.platformId = kPlatformWindows;
    EXPECT_EQ(0, FindRunningApp("C:\\App\\app.exe"));
    EXPECT_EQ(processes.processes[0].id, FindRunningApp("APP.EXE"));
    EXPECT_EQ(2, processes.toolhelpCalls);
    EXPECT_EQ(2, processes.psapiCalls);
}

TEST(FindRunningApp, AnUnknownPlatformIsReportedOnEveryLookup) {
    FakeProcesses processes;
    processes.Add("C:\\App\\app.exe");
    tw::SetAppTitle("Tetherwatch");
    for (std::int32_t platform : {0, 3, -1}) {
        SCOPED_TRACE(platform);
        processes.platformId = platform;
        FakePrompter prompter;
        EXPECT_EQ(0, FindRunningApp("C:\\App\\app.exe"));
        ProcessList list = ListProcesses();
        EXPECT_FALSE(list.recognised);
        EXPECT_TRUE(list.entries.empty());
        // One message per lookup, also when the lookups share one enumeration.
        EXPECT_EQ(0, FindRunningApp("C:\\App\\app.exe", list));
        EXPECT_EQ(0, FindRunningApp("C:\\Other\\other.exe", list));
        ASSERT_EQ(3u, prompter.shown.size());
        for (const FakePrompter::Shown& shown : prompter.shown) {
            EXPECT_EQ("Operating system not recognized!", shown.text);
            EXPECT_EQ(16u, shown.flags);
            EXPECT_EQ("Tetherwatch", shown.title);
        }
    }
    EXPECT_EQ(0, processes.psapiCalls + processes.toolhelpCalls);
}

TEST(FindRunningApp, OneEnumerationServesManyLookups) {
    FakeProcesses processes;
    ProcessId a = processes.Add("C:\\A\\a.exe").id;
    ProcessId b = processes.Add("C:\\B\\b.exe").id;
    ProcessList list = ListProcesses();
    EXPECT_TRUE(list.recognised);
    EXPECT_EQ(a, FindRunningApp("c:\\a\\a.exe", list));
    EXPECT_EQ(b, FindRunningApp("c:\\b\\b.exe", list));
    EXPECT_EQ(0, FindRunningApp("c:\\c\\c.exe", list));
    EXPECT_EQ(1, processes.psapiCalls);
}

TEST(FindRunningApp, AFailedEnumerationFindsNothing) {
    FakeProcesses processes;
    processes.Add("C:\\App\\app.exe");
    processes.toolhelpFails = true;
    processes.psapiFails = true;
    EXPECT_EQ(0, FindRunningAppToolhelp("C:\\App\\app.exe"));
    EXPECT_EQ(0, FindRunningAppPSAPI("C:\\App\\app.exe"));
    processes.platformId = kPlatformWindows;
    EXPECT_EQ(0, FindRunningApp("C:\\App\\app.exe"));
}

TEST(FindRunningApp, EndedAndUnopenableProcessesAreNotFound) {
    FakeProcesses processes;
    FakeProcess& ended = processes.Add("C:\\App\\ended.exe");
    ProcessId endedId = ended.id;
    processes.End(endedId, 0);
    processes.Add("C:\\App\\locked.exe").openable = false;
    EXPECT_EQ(0, FindRunningApp("C:\\App\\ended.exe"));
    EXPECT_EQ(0, FindRunningAppPSAPI("C:\\App\\locked.exe"));
}

// ---- What the process status strategy keeps from one enumeration to the next ----

TEST(KnownProcesses, AProcessIsOpenedOnlyWhenItsIdIsNewToTheEnumeration) {
    FakeProcesses processes;
    const ProcessId a = processes.Add("C:\\A\\a.exe").id;
    const ProcessId b = processes.Add("C:\\B\\b.exe").id;
    EXPECT_EQ(a, FindRunningApp("c:\\a\\a.exe"));
    EXPECT_EQ(b, FindRunningApp("c:\\b\\b.exe"));
    ListProcesses();
    EXPECT_EQ((std::vector<ProcessId>{a, b}), processes.reads);
    const ProcessId c = processes.Add("C:\\C\\c.exe").id;
    EXPECT_EQ(c, FindRunningApp("c:\\c\\c.exe"));
    EXPECT_EQ((std::vector<ProcessId>{a, b, c}), processes.reads);
    // b ends; a process of another program gets b's id later: it is read, and found as what
    // it is, never as b.
    processes.End(b);
    EXPECT_EQ(0, FindRunningApp("c:\\b\\b.exe"));
    FakeProcess& reused = processes.Add("C:\\D\\d.exe");
    reused.id = b;
    processes.processes.erase(processes.processes.begin() + 1);  // the ended b
    EXPECT_EQ(0, FindRunningApp("c:\\b\\b.exe"));
    EXPECT_EQ(b, FindRunningApp("c:\\d\\d.exe"));
    EXPECT_EQ((std::vector<ProcessId>{a, b, c, b}), processes.reads);
}

TEST(KnownProcesses, AnIdReusedBetweenTheEnumerationAndTheOpenIsNotTrusted) {
    FakeProcesses processes;
    FakeProcess& app = processes.Add("C:\\App\\app.exe");
    const ProcessId id = app.id;
    app.createdWhenOpened = app.created + 1;  // the open finds a younger process
    EXPECT_EQ(0, FindRunningApp("C:\\App\\app.exe"));
    processes.Find(id)->createdWhenOpened = 0;
    EXPECT_EQ(id, FindRunningApp("C:\\App\\app.exe")) << "read again at the next enumeration";
}

TEST(KnownProcesses, AnUnreadableProcessIsAskedForTenSecondsThenLeftAlone) {
    FakeClock clock;
    FakeProcesses processes;
    FakeProcess& locked = processes.Add("C:\\App\\locked.exe");
    locked.openable = false;
    const ProcessId id = locked.id;
    // A burst of enumerations (one per listed program) does not use up the tries.
    for (int i = 0; i < 6; ++i) ListProcesses();
    clock.Advance(9.5);
    ListProcesses();
    EXPECT_EQ(7u, processes.reads.size());
    EXPECT_EQ(id, processes.reads.back());
    clock.Advance(1.0);
    ListProcesses();
    ListProcesses();
    EXPECT_EQ(7u, processes.reads.size());
    // One that can be read at the second try is found.
    FakeProcess& starting = processes.Add("C:\\App\\starting.exe");
    starting.openable = false;
    const ProcessId late = starting.id;
    EXPECT_EQ(0, FindRunningApp("C:\\App\\starting.exe"));
    processes.Find(late)->openable = true;
    EXPECT_EQ(late, FindRunningApp("C:\\App\\starting.exe"));
}

TEST(KnownProcesses, ProcessesWithoutACreationTimeAreReadAtEveryEnumeration) {
    FakeProcesses processes;
    FakeProcess& app = processes.Add("C:\\App\\app.exe");
    app.created = 0;  // as where only EnumProcesses can list them
    const ProcessId id = app.id;
    EXPECT_EQ(id, FindRunningApp("C:\\App\\app.exe"));
    EXPECT_EQ(id, FindRunningApp("C:\\App\\app.exe"));
    EXPECT_EQ(2u, processes.reads.size());
}

TEST(IsProcessRunning, FollowsTheLayerAndZeroNeverRuns) {
    FakeProcesses processes;
    FakeProcess& running = processes.Add("C:\\App\\app.exe");
    ProcessId id = running.id;
    EXPECT_TRUE(IsProcessRunning(id));
    processes.End(id, 0);
    EXPECT_FALSE(IsProcessRunning(id));
    ProcessId locked = processes.Add("C:\\App\\locked.exe").id;
    processes.Find(locked)->openable = false;
    EXPECT_FALSE(IsProcessRunning(locked));
    processes.Add("C:\\App\\zero.exe").id = 0;
    int asked = processes.isRunningCalls;
    EXPECT_FALSE(IsProcessRunning(0));
    EXPECT_EQ(asked, processes.isRunningCalls) << "id 0 is not even looked up";
}

TEST(GetPlatformID, ComesFromTheLayer) {
    FakeProcesses processes;
    processes.platformId = kPlatformWindows;
    EXPECT_EQ(1, GetPlatformID());
    processes.platformId = 7;
    EXPECT_EQ(7, GetPlatformID());
}

// ---- The Win32 layer, for real ----

// Each test runs its own copy of idle_app under a name of its own, so the processes of one
// test never match the paths of another.
class RealProcesses : public testing::Test {
protected:
    void SetUp() override {
        m_folder = tw::test::NewTestFolder("discovery");
        ASSERT_FALSE(m_folder.empty());
    }
    std::string Copy(const std::string& name) {
        std::string path = tw::test::CopyIdleApp(m_folder, name);
        EXPECT_FALSE(path.empty()) << "copying idle_app.exe to " << m_folder << name;
        return path;
    }
    // This test program's own path, as the loader reports it.
    static std::string OwnPath() {
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        return std::string(path, length);
    }
    std::string m_folder;
};

TEST_F(RealProcesses, ThePlatformIsTheNTFamily) {
    // Wine presents itself as Windows 7 (6.1.7601).
    EXPECT_EQ(kPlatformNT, GetPlatformID());
}

TEST_F(RealProcesses, AHelperIsFoundByItsPathInAnyLetterCase) {
    std::string path = Copy("Finder Target.exe");
    HelperProcess helper(path, "--no-window");
    ASSERT_TRUE(helper.Started());
    ProcessId id = static_cast<ProcessId>(helper.Id());
    for (const std::string& asked : {path, Upper(path), Lower(path)}) {
        SCOPED_TRACE(asked);
        EXPECT_EQ(id, FindRunningApp(asked));
        EXPECT_EQ(id, FindRunningAppPSAPI(asked));
    }
    EXPECT_EQ(0, FindRunningApp(path.substr(0, path.size() - 4)));
    EXPECT_TRUE(IsProcessRunning(id));
}

TEST_F(RealProcesses, BothWaysOfReadingTheExecutablePathAgree) {
    std::string path = Copy("both_ways.exe");
    HelperProcess helper(path, "--no-window");
    ASSERT_TRUE(helper.Started());
    ProcessId id = static_cast<ProcessId>(helper.Id());

    Win32ProcessApi byModule(Win32ProcessApi::ImageName::ModuleFileName);
    Win32ProcessApi byQuery(Win32ProcessApi::ImageName::Best);
    std::vector<ProcessEntry> moduleList, queryList;
    ASSERT_TRUE(byModule.PsapiProcesses(moduleList));
    ASSERT_TRUE(byQuery.PsapiProcesses(queryList));
    auto pathOf = [](ProcessId wanted, const std::vector<ProcessEntry>& list) {
        for (const ProcessEntry& entry : list)
            if (entry.id == wanted) return entry.exePath;
        return std::string("(missing)");
    };
    const ProcessId self = static_cast<ProcessId>(GetCurrentProcessId());
    EXPECT_EQ(Lower(path), Lower(pathOf(id, moduleList)));
    EXPECT_EQ(Lower(path), Lower(pathOf(id, queryList)));
    EXPECT_EQ(Lower(OwnPath()), Lower(pathOf(self, moduleList)));
    EXPECT_EQ(Lower(OwnPath()), Lower(pathOf(self, queryList)));

    IProcessApi* previous = SetProcessApi(&byModule);
    EXPECT_EQ(id, FindRunningApp(Upper(path)));
    SetProcessApi(previous);
}

TEST_F(RealProcesses, TheEnumerationGivesTheCreationTimeThatTheOpenedProcessHas) {
    std::string path = Copy("stamped.exe");
    HelperProcess helper(path, "--no-window");
    ASSERT_TRUE(helper.Started());
    const ProcessId ids[] = {static_cast<ProcessId>(helper.Id()),
                             static_cast<ProcessId>(GetCurrentProcessId())};
    Win32ProcessApi win32;
    std::vector<ProcessStamp> stamps;
    ASSERT_TRUE(win32.ProcessStamps(stamps));
    for (ProcessId id : ids) {
        SCOPED_TRACE(id);
        auto stamp = std::find_if(stamps.begin(), stamps.end(),
                                  [&](const ProcessStamp& s) { return s.id == id; });
        ASSERT_NE(stamps.end(), stamp);
        std::string read;
        std::uint64_t created = 0;
        ASSERT_TRUE(win32.ReadProcess(id, read, created));
        EXPECT_NE(0u, stamp->created);
        EXPECT_EQ(stamp->created, created);
    }
    std::string read;
    std::uint64_t created = 0;
    ASSERT_TRUE(win32.ReadProcess(ids[0], read, created));
    EXPECT_EQ(Lower(path), Lower(read));
}

TEST_F(RealProcesses, ToolhelpReportsBareNamesOnThisFamily) {
    // Under Wine, as on the NT family, Toolhelp's executable field is the file name alone,
    // so this strategy finds a program by its name and never by its full path.
    std::string path = Copy("toolhelp_target.exe");
    HelperProcess helper(path, "--no-window");
    ASSERT_TRUE(helper.Started());
    ProcessId id = static_cast<ProcessId>(helper.Id());
    EXPECT_EQ(id, FindRunningAppToolhelp("toolhelp_target.exe"));
    EXPECT_EQ(id, FindRunningAppToolhelp("TOOLHELP_TARGET.EXE"));
    EXPECT_EQ(0, FindRunningAppToolhelp(path));
    EXPECT_EQ(0, FindRunningAppToolhelp("toolhelp_target"));
}

TEST_F(RealProcesses, OfTwoInstancesTheLastInTheEnumerationWins) {
    std::string path = Copy("twice.exe");
    HelperProcess first(path, "--no-window");
    HelperProcess second(path, "--no-window");
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(second.Started());
    const ProcessId ids[] = {static_cast<ProcessId>(first.Id()),
                             static_cast<ProcessId>(second.Id())};

    ProcessList list = ListProcesses();
    ASSERT_TRUE(list.recognised);
    ProcessId last = 0;
    int seen = 0;
    for (const ProcessEntry& entry : list.entries) {
        if (entry.id == ids[0] || entry.id == ids[1]) {
            last = entry.id;
            ++seen;
        }
    }
    ASSERT_EQ(2, seen) << "both instances are enumerated";
    EXPECT_EQ(last, FindRunningApp(path, list));

    std::vector<ProcessEntry> toolhelp;
    ASSERT_TRUE(Processes().ToolhelpProcesses(toolhelp));
    ProcessId lastByName = 0;
    for (const ProcessEntry& entry : toolhelp)
        if (entry.id == ids[0] || entry.id == ids[1]) lastByName = entry.id;
    EXPECT_EQ(lastByName, FindRunningAppToolhelp("twice.exe"));
}

TEST_F(RealProcesses, AProcessThatHasEndedIsNotRunningAndNotFound) {
    std::string path = Copy("ended.exe");
    HelperProcess helper(path, "--no-window");
    ASSERT_TRUE(helper.Started());
    ProcessId id = static_cast<ProcessId>(helper.Id());
    ASSERT_TRUE(IsProcessRunning(id));
    helper.Kill();
    EXPECT_FALSE(IsProcessRunning(id));
    EXPECT_EQ(0, FindRunningApp(path));
    EXPECT_EQ(0, FindRunningAppToolhelp("ended.exe"));
}

TEST_F(RealProcesses, IdZeroAndUnusedIdsAreNotRunning) {
    EXPECT_FALSE(IsProcessRunning(0));
    EXPECT_FALSE(IsProcessRunning(0x7FFFFFF0));
    EXPECT_FALSE(IsProcessRunning(-4));
    EXPECT_TRUE(IsProcessRunning(static_cast<ProcessId>(GetCurrentProcessId())));
}

TEST_F(RealProcesses, ThisProgramIsFoundByItsOwnPath) {
    ProcessId self = static_cast<ProcessId>(GetCurrentProcessId());
    EXPECT_EQ(self, FindRunningApp(Upper(OwnPath())));
}

}  // namespace
