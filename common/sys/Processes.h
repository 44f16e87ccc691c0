// Other programs: starting them, naming their processes, their windows' titles; named mutexes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Text.h"

namespace tw::sys {

// ---- Processes and windows of other programs ---------------------------------------------

// CreateProcess of `commandLine` (no application name, handles inherited, normal priority);
// `folder` "" = the caller's own. False when nothing was started.
bool StartProcess(const std::string& commandLine, const std::string& folder, DWORD startFlags,
                   WORD showWindow, PROCESS_INFORMATION& info);
// The executable path of an opened process: QueryFullProcessImageName (Vista and later).
bool HasProcessImageName();
std::string ProcessImageName(HANDLE process);
// GetModuleFileNameEx of the process status library; "" when it fails or is missing.
std::string ModuleFileNameEx(HANDLE process, HMODULE module);
// The processes of a Toolhelp snapshot: id and file name; false without Toolhelp.
struct SnapshotProcess {
    DWORD id = 0;
    std::string exeFile;
};
bool SnapshotProcesses(std::vector<SnapshotProcess>& processes);
// A window's title (GetWindowText), at most `capacity` characters including the NUL.
std::string WindowText(HWND window, int capacity = 0);
void SetText(HWND window, const std::string& text);
// FindWindow by class name (ASCII) only.
HWND FindWindowOfClass(const char* className);
HANDLE CreateNamedMutex(const std::string& name);

}  // namespace tw::sys
