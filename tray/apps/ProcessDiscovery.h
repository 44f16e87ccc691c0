// Process discovery: whether the process behind an id still runs, and which running
// process, if any, runs a given executable path. The 95/98/Me family is searched with
// Toolhelp snapshots, the NT family with the process status library; the platform is asked
// anew on every lookup. The process status strategy opens a process only when its id is new
// to the enumeration (or was reused: its creation time differs) and keeps the path it read
// while the process lives. Everything goes through the installed process layer (ProcessApi.h).
#pragma once
#include <string>
#include <vector>

#include "ProcessApi.h"

namespace tw::tray {

// True when `id` names a process that can be opened for querying and has not ended.
// 0, an ended process and one that cannot be opened all count as not running.
bool IsProcessRunning(ProcessId id);

// GetVersionExA's dwPlatformId: 1 selects Toolhelp, 2 the process status library.
std::int32_t GetPlatformID();

// One enumeration of the running processes, by the strategy of the platform's family;
// `recognised` is false on a platform that is neither 1 nor 2 (then it holds nothing).
struct ProcessList {
    bool recognised = false;
    std::vector<ProcessEntry> entries;
};
ProcessList ListProcesses();

// The id of the running process whose executable is `path`, or 0. Paths are compared in
// lower case as whole strings (no other normalising); when several processes match, the
// last in the enumeration wins. An empty `path` matches nothing. On a platform that is not
// recognised it shows "Operating system not recognized!" (flags 16) and gives 0.
ProcessId FindRunningApp(const std::string& path);
// The same against a list taken before, so that one enumeration serves several lookups
// (a refresh of every application); the message is still shown once per lookup.
ProcessId FindRunningApp(const std::string& path, const ProcessList& processes);
// The two strategies, whatever the platform.
ProcessId FindRunningAppToolhelp(const std::string& path);
ProcessId FindRunningAppPSAPI(const std::string& path);

// The match rule alone: the last entry whose executable equals `path` ignoring case.
ProcessId FindInProcesses(const std::string& path, const std::vector<ProcessEntry>& processes);

}  // namespace tw::tray
