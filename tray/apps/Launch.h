// Launching: starting one application as a new process, as its shortcut says.
#pragma once
#include <cstdint>
#include <string>

#include "Apps.h"
#include "ProcessApi.h"

namespace tw::tray {

// The command line that starts `app`: its Path, in double quotes when it holds a blank
// (and is not quoted already), followed directly by its Arguments (which begin with a
// blank). Unquoted, the platform would try the blank-separated prefixes of the path and
// could run C:\Program.exe in place of "C:\Program Files\...".
std::string LaunchCommandLine(const AppInfo& app);

// The show command a WindowStyle stands for: 2 SW_SHOWMINNOACTIVE, 3 SW_SHOWMAXIMIZED,
// anything else SW_SHOWNORMAL.
int ShowCommandOf(std::int32_t windowStyle);

// Starts `commandLine` as a new process (handles inherited, normal priority) and gives its
// id, or 0 when no process was created. It starts in `workingDirectory` when that names an
// existing folder, else in the tray program's own current directory, and with `showCommand`
// (kNoShowCommand: none imposed). Nothing waits for the new process.
ProcessId LaunchApp(const std::string& commandLine, const std::string& workingDirectory = std::string(),
                    int showCommand = kNoShowCommand);
// Starts a listed application: LaunchCommandLine, its shortcut's working directory and its
// WindowStyle's show command.
ProcessId LaunchApp(const AppInfo& app);

}  // namespace tw::tray
