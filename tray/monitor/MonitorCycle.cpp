// RefreshProcessIDs, AnyAppRunning and AnyAppNotRunning over Apps and process discovery.
#include "MonitorCycle.h"

#include <optional>

#include "apps/Apps.h"
#include "apps/ProcessDiscovery.h"

namespace tw::tray {

void RefreshProcessIDs() {
    std::optional<ProcessList> processes;
    for (AppInfo& app : Apps) {
        if (IsProcessRunning(app.ProcessID)) continue;
        if (!processes) processes = ListProcesses();
        app.ProcessID = FindRunningApp(app.Path, *processes);
    }
}

bool AnyAppRunning() {
    for (const AppInfo& app : Apps)
        if (IsProcessRunning(app.ProcessID)) return true;
    return false;
}

bool AnyAppNotRunning() {
    for (const AppInfo& app : Apps)
        if (!IsProcessRunning(app.ProcessID)) return true;
    return false;
}

}  // namespace tw::tray
