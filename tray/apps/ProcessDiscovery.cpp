// IsProcessRunning, GetPlatformID and the FindRunningApp family over the process layer.
#include "ProcessDiscovery.h"

#include <windows.h>

#include "Prompt.h"

namespace tw::tray {
namespace {

// Lower case as the system's ANSI code page has it (CharLowerBuffA).
std::string Lower(const std::string& text) {
    std::string lower = text;
    if (!lower.empty()) CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

}  // namespace

bool IsProcessRunning(ProcessId id) { return id != 0 && Processes().IsRunning(id); }

std::int32_t GetPlatformID() { return Processes().PlatformId(); }

ProcessList ListProcesses() {
    ProcessList list;
    switch (GetPlatformID()) {
    case kPlatformWindows:
        list.recognised = true;
        Processes().ToolhelpProcesses(list.entries);
        break;
    case kPlatformNT:
        list.recognised = true;
        Processes().PsapiProcesses(list.entries);
        break;
    default:
        break;
    }
    return list;
}

ProcessId FindInProcesses(const std::string& path, const std::vector<ProcessEntry>& processes) {
    if (path.empty()) return 0;
    const std::string wanted = Lower(path);
    ProcessId found = 0;
    for (const ProcessEntry& entry : processes)
        if (Lower(entry.exePath) == wanted) found = entry.id;
    return found;
}

ProcessId FindRunningApp(const std::string& path, const ProcessList& processes) {
    if (!processes.recognised) {
        MsgBox("Operating system not recognized!", MB_ICONSTOP);
        return 0;
    }
    return FindInProcesses(path, processes.entries);
}

ProcessId FindRunningApp(const std::string& path) { return FindRunningApp(path, ListProcesses()); }

ProcessId FindRunningAppToolhelp(const std::string& path) {
    std::vector<ProcessEntry> processes;
    if (!Processes().ToolhelpProcesses(processes)) return 0;
    return FindInProcesses(path, processes);
}

ProcessId FindRunningAppPSAPI(const std::string& path) {
    std::vector<ProcessEntry> processes;
    if (!Processes().PsapiProcesses(processes)) return 0;
    return FindInProcesses(path, processes);
}

}  // namespace tw::tray
