// The Online StartUp applications: the folder Lookout watches and the list `Apps` read from
// it once at start. Owns `Apps` (grow-only, index from 0, never reordered or cleared during
// a run); each record's picture owns its icon handle. Only `ProcessID` changes after the scan.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Picture.h"
#include "ProcessApi.h"

namespace tw::tray {

// One Online StartUp application.
struct AppInfo {
    Picture Icon;              // small icon (the default icon 201 when the shortcut gives none)
    ProcessId ProcessID = 0;   // the process treated as its running instance; 0 = none known
    std::int32_t WindowStyle = 1;  // 1 normal, 2 minimized, 3 maximized (recorded only)
    std::string FileName;      // the shortcut's file name as listed, extension included
    std::string Path;          // the shortcut's target path as the shell link reports it
    std::string Arguments;     // " " followed by the shortcut's arguments
    std::string WorkingDirectory;  // the shortcut's working directory ("" when none)
};

// The application list. Other parts keep indices into it, never copies.
extern std::vector<AppInfo> Apps;

// The text shown when the folder holds no readable shortcut (the trailing blank belongs).
extern const char* const kNoShortcutsMessage;

// The Online StartUp folder, ending in "\": the Start menu's Programs folder as the shell
// reports it (SHGetSpecialFolderLocation(CSIDL_PROGRAMS)), followed by "Online Startup\" --
// the folder the wizard fills. Only when the shell lookup fails, the literal
// "C:\windows\start menu\programs\online startup\".
std::string OnlineStartupFolder();
// The folder for a Programs folder path ("" = the shell lookup failed).
std::string OnlineStartupFolderIn(const std::string& programsFolder);
// Makes OnlineStartupFolder() give `folder` (a "\" is appended when missing); "" goes back to
// the shell lookup. For tests.
void SetOnlineStartupFolder(const std::string& folder);

// Scans the Online StartUp folder and appends a record for every readable shortcut, in the
// order of the directory listing; every plain file is offered to AddApp, subfolders and "."
// and ".." are not. When nothing was added, shows kNoShortcutsMessage (flags 48, the
// program's title). Gives the number of records appended.
std::int32_t LoadStartUpApps();

// Reads the shortcut `folder` + `fileName` and appends its record: true when one was
// appended; false for an empty name or a file that is not a readable shortcut. The record
// adopts a process that already runs its target (FindRunningApp).
bool AddApp(const std::string& folder, const std::string& fileName);

// WindowStyle of a shortcut's show command: SW_SHOWNORMAL 1 -> 1, SW_SHOWMAXIMIZED 3 -> 3,
// SW_SHOWMINNOACTIVE 7 -> 2, anything else -> 1.
std::int32_t WindowStyleFromShowCmd(int showCmd);

// The command line that starts an application: Path followed directly by Arguments.
std::string CommandLine(const AppInfo& app);
// Its display name: the file name without its extension (Mail.lnk gives Mail).
std::string DisplayName(const AppInfo& app);

}  // namespace tw::tray
