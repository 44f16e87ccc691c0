// IsProcessRunning, GetPlatformID and the FindRunningApp family over the process layer.
#include "ProcessDiscovery.h"

#include <windows.h>

#include <algorithm>

#include "Clock.h"
#include "Prompt.h"
#include "System.h"

namespace tw::tray {
namespace {

// What the process status strategy has learned of each listed process: its executable path
// ("" when it could not be read) and the creation time that tells a reused id apart. Kept
// sorted by id; ids that are no longer listed are forgotten at each enumeration, and all of
// it when another process layer is installed.
struct KnownProcess {
    ProcessId id = 0;
    std::uint64_t created = 0;
    std::string exePath;
    double firstFailure = -1;  // Clock().Now() of the first read that failed; -1: none yet
};
std::vector<KnownProcess> g_known;
unsigned g_knownGeneration = 0;

// A process whose path could not be read is asked again at every enumeration for this long
// (a process that is still starting may not tell its path yet), then left alone while it
// lives. A time, not a number of tries: loading the list and the application window
// enumerate once per listed program, in a burst.
constexpr double kReadRetrySeconds = 10.0;

// The processes the process status strategy lists now, each opened only when it is new to
// the enumeration: the path of a known id is taken as it was read when the enumeration gives
// the same creation time for it (a process that does not say when it was created is read
// every time).
bool PsapiProcessesKnown(std::vector<ProcessEntry>& entries) {
    IProcessApi& api = Processes();
    if (g_knownGeneration != ProcessApiGeneration()) {
        g_known.clear();
        g_knownGeneration = ProcessApiGeneration();
    }
    entries.clear();
    std::vector<ProcessStamp> stamps;
    if (!api.ProcessStamps(stamps)) return false;
    std::vector<KnownProcess> known;
    known.reserve(stamps.size());
    for (const ProcessStamp& stamp : stamps) {
        KnownProcess entry;
        entry.id = stamp.id;
        entry.created = stamp.created;
        auto before = std::lower_bound(
            g_known.begin(), g_known.end(), stamp.id,
            [](const KnownProcess& process, ProcessId id) { return process.id < id; });
        const bool same = before != g_known.end() && before->id == stamp.id &&
                          stamp.created != 0 && before->created == stamp.created;
        if (same) {
            entry.exePath = std::move(before->exePath);
            entry.firstFailure = before->firstFailure;
        }
        if (!same || (entry.exePath.empty() &&
                      Clock().Now() - entry.firstFailure < kReadRetrySeconds)) {
            std::uint64_t created = 0;
            // The creation time of the opened process must be the listed one: otherwise the id
            // was reused in between and the path is another process's.
            if (!api.ReadProcess(stamp.id, entry.exePath, created) ||
                (stamp.created != 0 && created != stamp.created)) {
                entry.exePath.clear();
                if (entry.firstFailure < 0) entry.firstFailure = Clock().Now();
            }
        }
        // A process whose path cannot be read (another user's, a system process) is left
        // out, so that it can never match anything.
        if (!entry.exePath.empty()) entries.push_back({entry.id, entry.exePath});
        known.push_back(std::move(entry));
    }
    std::sort(known.begin(), known.end(),
              [](const KnownProcess& a, const KnownProcess& b) { return a.id < b.id; });
    g_known.swap(known);
    return true;
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
        PsapiProcessesKnown(list.entries);
        break;
    default:
        break;
    }
    return list;
}

ProcessId FindInProcesses(const std::string& path, const std::vector<ProcessEntry>& processes) {
    if (path.empty()) return 0;
    // Whole paths, compared as the file system compares names.
    const std::string wanted = sys::FoldFileName(path);
    ProcessId found = 0;
    for (const ProcessEntry& entry : processes)
        if (sys::FoldFileName(entry.exePath) == wanted) found = entry.id;
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
    if (!PsapiProcessesKnown(processes)) return 0;
    return FindInProcesses(path, processes);
}

}  // namespace tw::tray
