// Benchmark of Lookout's per-tick process work and start-up scan, under Wine: prints
// figures, never fails on time. Baseline: one IsProcessRunning, measured in the same run.
//   - one enumeration by each strategy (Toolhelp, QueryFullProcessImageNameA, module path),
//     the process status ids alone, and ListProcesses when every path is already known
//   - a refresh of 10 applications: 10 FindRunningApp (10 enumerations) against one
//     ListProcesses shared by 10 lookups
//   - LoadStartUpApps of 20 shortcuts; one connection probe
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HelperProcess.h"
#include "ShellLinkHelper.h"
#include "apps/Apps.h"
#include "apps/ProcessDiscovery.h"
#include "monitor/Connection.h"

namespace {

using namespace tw::tray;

double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds per run of `work`, over `runs` runs.
double PerRun(int runs, const std::function<void()>& work) {
    double start = Seconds();
    for (int i = 0; i < runs; ++i) work();
    return (Seconds() - start) * 1000.0 / runs;
}

TEST(TrayDiscoveryBench, Figures) {
    std::string folder = tw::test::NewTestFolder("bench");
    ASSERT_FALSE(folder.empty());
    // Ten running helpers, so that the enumerations have processes to open.
    std::vector<std::unique_ptr<tw::test::HelperProcess>> helpers;
    std::vector<std::string> paths;
    for (int i = 0; i < 10; ++i) {
        paths.push_back(tw::test::CopyIdleApp(folder, "bench" + std::to_string(i) + ".exe"));
        helpers.push_back(std::make_unique<tw::test::HelperProcess>(paths.back(), "--no-window"));
        ASSERT_TRUE(helpers.back()->Started());
    }
    const ProcessId self = static_cast<ProcessId>(GetCurrentProcessId());

    double baseline = PerRun(200, [&] { IsProcessRunning(self); });
    std::vector<ProcessEntry> list;
    Win32ProcessApi query(Win32ProcessApi::ImageName::Best);
    Win32ProcessApi module(Win32ProcessApi::ImageName::ModuleFileName);
    double toolhelp = PerRun(50, [&] { query.ToolhelpProcesses(list); });
    size_t toolhelpCount = list.size();
    double byQuery = PerRun(50, [&] { query.PsapiProcesses(list); });
    size_t queryCount = list.size();
    double byModule = PerRun(50, [&] { module.PsapiProcesses(list); });
    size_t moduleCount = list.size();
    std::vector<ProcessStamp> stamps;
    double stampsOnly = PerRun(50, [&] { query.ProcessStamps(stamps); });
    ListProcesses();
    double known = PerRun(50, [&] { ListProcesses(); });  // nothing new to open

    int found = 0;
    double separate = PerRun(10, [&] {
        found = 0;
        for (const std::string& path : paths) found += FindRunningApp(path) != 0;
    });
    EXPECT_EQ(10, found);
    double shared = PerRun(10, [&] {
        found = 0;
        ProcessList processes = ListProcesses();
        for (const std::string& path : paths) found += FindRunningApp(path, processes) != 0;
    });
    EXPECT_EQ(10, found);

    std::string links = tw::test::NewTestFolder("bench-links");
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(S_OK, tw::test::CreateShellLink(links + "App" + std::to_string(i) + ".lnk",
                                                  {paths[i % 10], "-x", "", "", 0, SW_SHOWNORMAL, ""}));
    SetOnlineStartupFolder(links);
    Apps.clear();
    double scan = PerRun(1, [&] { LoadStartUpApps(); });
    EXPECT_EQ(20u, Apps.size());
    int adopted = 0;
    for (const AppInfo& app : Apps) adopted += app.ProcessID != 0;
    EXPECT_EQ(20, adopted);
    SetOnlineStartupFolder("");
    Apps.clear();

    double probe = PerRun(20, [] { GetConnectionState(); });

    std::printf("baseline IsProcessRunning          %8.3f ms\n", baseline);
    std::printf("Toolhelp enumeration (%3zu procs)   %8.3f ms  (%.0fx baseline)\n", toolhelpCount,
                toolhelp, toolhelp / baseline);
    std::printf("PSAPI + QueryFullProcessImageName  %8.3f ms  (%zu procs, %.0fx)\n", byQuery,
                queryCount, byQuery / baseline);
    std::printf("PSAPI + GetModuleFileNameEx        %8.3f ms  (%zu procs, %.0fx)\n", byModule,
                moduleCount, byModule / baseline);
    std::printf("PSAPI ids and creation times only   %7.3f ms  (%zu procs, %.0fx)\n", stampsOnly,
                stamps.size(), stampsOnly / baseline);
    std::printf("ListProcesses, every path known     %7.3f ms  (%.0fx)\n", known, known / baseline);
    std::printf("refresh of 10 apps, 10 enumerations %7.3f ms\n", separate);
    std::printf("refresh of 10 apps, one enumeration %7.3f ms  (%.1fx faster)\n", shared,
                separate / shared);
    std::printf("LoadStartUpApps, 20 shortcuts       %7.3f ms  (%.2f ms each)\n", scan, scan / 20);
    std::printf("GetConnectionState (wininet)        %7.3f ms\n", probe);
}

}  // namespace
