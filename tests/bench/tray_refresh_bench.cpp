// Benchmark of the monitor tick's refresh of process ids, under Wine with the Win32 process
// layer: for M listed applications that are not running and P running processes, the
// process opens and the wall time per refresh of RefreshProcessIDs (one enumeration shared
// by all applications) against the per-application enumeration (FindRunningApp for each),
// side by side, with the ratio; each with every process read anew (no creation times, so
// nothing is known again) and with the paths kept from one enumeration to the next.
// Prints figures; never fails on time.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "OptionalCalls.h"
#include "HelperProcess.h"
#include "ShellLinkHelper.h"
#include "apps/Apps.h"
#include "apps/ProcessDiscovery.h"
#include "monitor/MonitorCycle.h"

namespace {

using namespace tw::tray;

double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The Win32 layer, counting what opens processes: IsRunning opens one, ReadProcess one.
// With `forgetful`, the enumeration gives no creation times, so every process is read anew
// at every enumeration (as before paths were kept).
class CountingProcessApi final : public IProcessApi {
public:
    CountingProcessApi() : m_previous(SetProcessApi(this)) {}
    ~CountingProcessApi() override { SetProcessApi(m_previous); }
    std::int32_t PlatformId() override { return m_win32.PlatformId(); }
    bool ToolhelpProcesses(std::vector<ProcessEntry>& list) override {
        return m_win32.ToolhelpProcesses(list);
    }
    bool ProcessStamps(std::vector<ProcessStamp>& stamps) override {
        ++enumerations;
        if (!m_win32.ProcessStamps(stamps)) return false;
        if (forgetful)
            for (ProcessStamp& stamp : stamps) stamp.created = 0;
        return true;
    }
    bool ReadProcess(ProcessId id, std::string& path, std::uint64_t& created) override {
        ++opens;
        return m_win32.ReadProcess(id, path, created);
    }
    bool IsRunning(ProcessId id) override {
        ++opens;
        return m_win32.IsRunning(id);
    }
    ProcessId Create(const std::string& line, const std::string& directory, int show) override {
        return m_win32.Create(line, directory, show);
    }
    std::unique_ptr<IProcess> Open(ProcessId id, DWORD access) override { return m_win32.Open(id, access); }

    bool forgetful = false;
    long enumerations = 0;
    long opens = 0;

private:
    Win32ProcessApi m_win32;
    IProcessApi* m_previous;
};

// The number of process ids the system lists now: what one enumeration opens.
long SystemProcessCount() {
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    auto enumProcesses = reinterpret_cast<EnumProcessesFn>(
        reinterpret_cast<void*>(tw::LoadSystemProc("kernel32.dll", "K32EnumProcesses")));
    if (!enumProcesses)
        enumProcesses = reinterpret_cast<EnumProcessesFn>(
            reinterpret_cast<void*>(tw::LoadSystemProc("psapi.dll", "EnumProcesses")));
    if (!enumProcesses) return 0;
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!enumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return 0;
    return static_cast<long>(bytes / sizeof(DWORD));
}

// The refresh as every tick did it before: one enumeration per application not running.
void RefreshPerApplication() {
    for (AppInfo& app : Apps)
        if (!IsProcessRunning(app.ProcessID)) app.ProcessID = FindRunningApp(app.Path);
}

struct Measure {
    double enumerations;  // per refresh
    double opens;         // per refresh
    double ms;            // per refresh
};

Measure TimeRefreshes(CountingProcessApi& counter, int runs, void (*refresh)()) {
    refresh();  // what is kept from one enumeration to the next is there
    counter.enumerations = counter.opens = 0;
    const double start = Seconds();
    for (int i = 0; i < runs; ++i) refresh();
    const double ms = (Seconds() - start) * 1000.0 / runs;
    return {static_cast<double>(counter.enumerations) / runs,
            static_cast<double>(counter.opens) / runs, ms};
}

TEST(TrayRefreshBench, OneEnumerationAgainstOnePerApplication) {
    const std::string folder = tw::test::NewTestFolder("refresh-bench");
    ASSERT_FALSE(folder.empty());
    const std::string helper = tw::test::CopyIdleApp(folder, "bench_idle.exe");
    ASSERT_FALSE(helper.empty());
    CountingProcessApi counter;
    std::vector<std::unique_ptr<tw::test::HelperProcess>> helpers;

    std::printf("\nRefreshProcessIDs: M applications not running, P processes; per refresh\n");
    std::printf("%4s %5s %-10s | %9s %9s | %9s %9s | %s\n", "M", "P", "paths", "opens/app",
                "opens/one", "ms/app", "ms/one", "ratio (time)");
    for (int extra : {0, 24, 72}) {
        while (static_cast<int>(helpers.size()) < extra) {
            helpers.push_back(std::make_unique<tw::test::HelperProcess>(helper, "bench"));
            ASSERT_TRUE(helpers.back()->Started());
        }
        const long processes = SystemProcessCount();
        ASSERT_GT(processes, 0);
        for (int m : {1, 4, 16}) {
            Apps.clear();
            for (int i = 0; i < m; ++i) {
                AppInfo app;
                app.Path = folder + "absent" + std::to_string(i) + ".exe";
                app.Arguments = " ";
                Apps.push_back(app);
            }
            for (bool forgetful : {true, false}) {
                counter.forgetful = forgetful;
                const int runs = m >= 16 ? 5 : 10;
                const Measure perApp = TimeRefreshes(counter, runs, &RefreshPerApplication);
                const Measure one = TimeRefreshes(counter, runs, &RefreshProcessIDs);
                // Nothing runs any of them: both leave every id at 0.
                for (const AppInfo& app : Apps) EXPECT_EQ(0, app.ProcessID);
                EXPECT_EQ(perApp.enumerations, m * one.enumerations);
                std::printf("%4d %5ld %-10s | %9.0f %9.0f | %9.2f %9.2f | %.1fx\n", m, processes,
                            forgetful ? "read anew" : "kept", perApp.opens, one.opens, perApp.ms,
                            one.ms, perApp.ms / one.ms);
            }
        }
    }
    Apps.clear();
}

}  // namespace
