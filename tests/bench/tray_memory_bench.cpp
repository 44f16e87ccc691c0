// Memory of the tray window over an hour of ticks: the real frmDialOsprey, the real process
// layer with ten idle_app helpers started and ended in turn, the shell's real tray; the
// connection (fake probe) going up and down and the monitor switched off and on, the clock
// fake. Kernel handles, GDI and USER objects, private bytes and the working set are taken
// after start (a warm-up has shown every state once) and after 1,800 more ticks, printed,
// and must be equal within a small allowance: a tick that leaks leaks 1,800 times.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "HelperProcess.h"
#include "MonitorFakes.h"
#include "ShellLinkHelper.h"
#include "TrayFakes.h"
#include "apps/Apps.h"
#include "monitor/frmDialOsprey.h"
#include "monitor/modGeneral.h"
#include "startup/RegSet.h"

namespace {

using namespace tw::tray;

// GetGuiResources, or where the system does not count (Wine answers 0 and
// ERROR_CALL_NOT_IMPLEMENTED) the objects found by trying every 16-bit handle value, which
// the system takes for a handle of any generation.
long GuiObjects(DWORD kind) {
    SetLastError(0);
    const DWORD counted = GetGuiResources(GetCurrentProcess(), kind);
    if (counted != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<long>(counted);
    long found = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value) {
        if (kind == GR_GDIOBJECTS) {
            found += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
            continue;
        }
        const HWND window = reinterpret_cast<HWND>(value);
        DWORD owner = 0;
        ICONINFO icon = {};
        if (IsWindow(window)) {
            GetWindowThreadProcessId(window, &owner);
            found += owner == GetCurrentProcessId();
        } else if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++found;
        } else if (GetIconInfo(reinterpret_cast<HICON>(value), &icon)) {
            ++found;
            if (icon.hbmMask) DeleteObject(icon.hbmMask);
            if (icon.hbmColor) DeleteObject(icon.hbmColor);
        }
    }
    return found;
}

// GetProcessHandleCount, or (where it answers 0) the handle values that are open.
long KernelHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return static_cast<long>(count);
    long found = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x40000; value += 4)
        found += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    return found;
}

// Private bytes: the system's figure, or (where it answers 0) the committed private memory.
long long PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters)) &&
        counters.PrivateUsage != 0)
        return static_cast<long long>(counters.PrivateUsage);
    long long total = 0;
    MEMORY_BASIC_INFORMATION region = {};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

long long WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
    return static_cast<long long>(counters.WorkingSetSize);
}

// A listed program running: started without waiting for it to be idle (under Wine,
// WaitForInputIdle leaves a handle behind at every call), ended with TerminateProcess.
class Running {
public:
    explicit Running(const std::string& path) {
        std::string commandLine = "\"" + path + "\" --no-window";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info))
            return;
        CloseHandle(info.hThread);
        m_process = info.hProcess;
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    ~Running() {
        if (!m_process) return;
        TerminateProcess(m_process, 0);
        WaitForSingleObject(m_process, 30000);
        CloseHandle(m_process);
    }
    bool Started() const { return m_process != nullptr; }

private:
    HANDLE m_process = nullptr;
};

struct Figures {
    long handles, gdi, user;
    long long privateBytes, workingSet;
};

Figures Measure() {
    return {KernelHandles(), GuiObjects(GR_GDIOBJECTS), GuiObjects(GR_USEROBJECTS), PrivateBytes(),
            WorkingSet()};
}

TEST(TrayMemoryBench, AnHourOfTicksLeavesNothingBehind) {
    // The listed programs: ten copies of idle_app, none running yet.
    const std::string folder = tw::test::NewTestFolder("memory-bench");
    ASSERT_FALSE(folder.empty());
    std::vector<std::string> paths;
    Apps.clear();
    for (int i = 0; i < 10; ++i) {
        paths.push_back(tw::test::CopyIdleApp(folder, "app" + std::to_string(i) + ".exe"));
        ASSERT_FALSE(paths.back().empty());
        AppInfo app;
        app.FileName = "App " + std::to_string(i) + ".lnk";
        app.Path = paths.back();
        app.Arguments = " ";
        Apps.push_back(app);
    }
    std::vector<std::unique_ptr<Running>> running(paths.size());

    tw::test::FakeSettingsStore settings;
    tw::test::FakePrompter prompter;
    tw::test::SteppingClock clock;
    tw::test::FakeConnectionProbe probe;
    tw::test::FakeAppWindow appWindow;  // AskFirst: a transition opens it, nothing more
    settings.Set(kSettingsApp, kSettingsSection, "AskFirst", "True");
    probe.result = false;
    auto form = std::make_unique<frmDialOsprey>();
    form->tmrCheckConnection.SetInterval(3600000);  // ticks are run by hand
    form->Load();
    ASSERT_TRUE(form->IsLoaded());

    // Tick `tick` of a schedule: the connection changes every 60 ticks, the monitor is off
    // for 10 ticks in every 300, and every 90 ticks one helper starts or ends in turn, so
    // that after 1,800 ticks each one has run once and the same helpers run as before.
    auto step = [&](int tick) {
        probe.result = (tick / 60) % 2 == 1;
        probe.flags = probe.result ? 0x02 : 0x30;
        form->tmrCheckConnection.SetEnabled(tick % 300 < 290);
        if (tick % 90 == 45) {
            auto& helper = running[static_cast<size_t>(tick / 90) % running.size()];
            if (helper) {
                helper.reset();
            } else {
                helper = std::make_unique<Running>(paths[static_cast<size_t>(tick / 90) % paths.size()]);
                ASSERT_TRUE(helper->Started());
            }
        }
        form->tmrCheckConnection_Timer();
        appWindow.openings.clear();
    };
    // Warm-up: the same hour once, so that whatever the system makes on first use (the status
    // window's first showing, the first process of each program) is there before the count.
    for (int tick = 0; tick < 1800; ++tick) step(tick);
    const Figures start = Measure();
    for (int tick = 0; tick < 1800; ++tick) step(tick);
    for (const auto& helper : running) EXPECT_FALSE(helper) << "the helpers that ran at the start";
    const Figures end = Measure();

    std::printf("\nThe tray window, 1,800 ticks: 10 programs coming and going, connection up and down, monitor off and on\n");
    std::printf("  %-16s %14s %16s %10s %10s\n", "", "after start", "after 1,800", "change", "allowance");
    const struct {
        const char* name;
        long long before, after, allowance;
    } rows[] = {{"kernel handles", start.handles, end.handles, 4},
                {"GDI objects", start.gdi, end.gdi, 4},
                {"USER objects", start.user, end.user, 4},
                {"private bytes", start.privateBytes, end.privateBytes, 256 * 1024},
                {"working set", start.workingSet, end.workingSet, -1}};
    for (const auto& row : rows) {
        std::printf("  %-16s %14lld %16lld %+10lld %10s\n", row.name, row.before, row.after,
                    row.after - row.before,
                    row.allowance < 0 ? "(shown)" : std::to_string(row.allowance).c_str());
        if (row.allowance >= 0) {
            EXPECT_LE(row.after - row.before, row.allowance) << row.name;
        }
    }
    EXPECT_GT(start.gdi, 0);
    EXPECT_GT(start.user, 0);
    EXPECT_GT(start.handles, 0);
    form->Unload();
    form.reset();
    Apps.clear();
}

}  // namespace
