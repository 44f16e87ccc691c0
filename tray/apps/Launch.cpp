// LaunchApp over the installed process layer.
#include "Launch.h"

#include <windows.h>

#include "NativeFileSystem.h"
#include "System.h"

namespace tw::tray {

std::string LaunchCommandLine(const AppInfo& app) {
    const bool quote = app.Path.find(' ') != std::string::npos &&
                       !(app.Path.size() >= 2 && app.Path.front() == '"' && app.Path.back() == '"');
    return (quote ? "\"" + app.Path + "\"" : app.Path) + app.Arguments;
}

int ShowCommandOf(std::int32_t windowStyle) {
    switch (windowStyle) {
    case 2: return SW_SHOWMINNOACTIVE;
    case 3: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
    }
}

ProcessId LaunchApp(const std::string& commandLine, const std::string& workingDirectory,
                    int showCommand) {
    // A shortcut into C:\Windows\System32 starts what the shell would start.
    const NativeFileSystem native;
    return Processes().Create(commandLine, sys::IsFolder(workingDirectory) ? workingDirectory : std::string(),
                              showCommand);
}

ProcessId LaunchApp(const AppInfo& app) {
    return LaunchApp(LaunchCommandLine(app), app.WorkingDirectory, ShowCommandOf(app.WindowStyle));
}

}  // namespace tw::tray
