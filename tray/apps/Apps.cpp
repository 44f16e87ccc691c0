// LoadStartUpApps and AddApp: the Online StartUp folder read into `Apps`.
#include "Apps.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "Handles.h"
#include "ProcessDiscovery.h"
#include "Prompt.h"
#include "Resources.h"
#include "Shortcut.h"
#include "Strings.h"
#include "System.h"
#include "resource.h"

namespace tw::tray {

std::vector<AppInfo> Apps;

const char* const kNoShortcutsMessage =
    "There are no shortcuts in your Online StartUp folder. You can move your online programs "
    "shortcuts from your StartUp folder, use the Online StartUp Wizard, or create new shortcuts "
    "to your online programs. ";

namespace {

const char* const kLiteralFolder = "C:\\windows\\start menu\\programs\\online startup\\";
const char* const kOnlineStartupName = "Online Startup\\";

std::string g_folderOverride;

std::string WithBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

// The small icon of `iconPath`/`iconIndex`, or the default icon 201 (loaded at the small
// icon size, like the extracted one) when none can be extracted.
Picture AppIcon(const std::string& iconPath, int iconIndex) {
    HICON large = nullptr;
    HICON small = nullptr;
    UINT extracted = sys::ExtractIcons(iconPath, iconIndex, &large, &small);
    UniqueIcon largeOwner(large);  // only the small one is used
    if (extracted != 0 && extracted != UINT_MAX && small) return IconToPicture(small);
    if (small) DestroyIcon(small);
    return IconToPicture(LoadResIcon(IDI_DEFAULT_APP, SmallIconSize()));
}

}  // namespace

std::string OnlineStartupFolderIn(const std::string& programsFolder) {
    if (programsFolder.empty()) return kLiteralFolder;
    return WithBackslash(programsFolder) + kOnlineStartupName;
}

std::string OnlineStartupFolder() {
    if (!g_folderOverride.empty()) return g_folderOverride;
    return OnlineStartupFolderIn(sys::SpecialFolder(CSIDL_PROGRAMS));
}

void SetOnlineStartupFolder(const std::string& folder) {
    g_folderOverride = folder.empty() ? std::string() : WithBackslash(folder);
}

std::int32_t WindowStyleFromShowCmd(int showCmd) {
    switch (showCmd) {
    case SW_SHOWMAXIMIZED: return 3;
    case SW_SHOWMINNOACTIVE: return 2;
    default: return 1;
    }
}

std::string CommandLine(const AppInfo& app) { return app.Path + app.Arguments; }

std::string DisplayName(const AppInfo& app) { return StripExtension(app.FileName); }

bool AddApp(const std::string& folder, const std::string& fileName) {
    if (fileName.empty()) return false;
    std::string path, workingDirectory, arguments, iconPath;
    int iconIndex = 0;
    int showCmd = SW_SHOWNORMAL;
    if (!ReadShortcut(folder + fileName, path, workingDirectory, arguments, iconPath, iconIndex,
                      showCmd))
        return false;
    if (iconPath.empty()) iconPath = path;

    Apps.emplace_back();
    AppInfo& app = Apps.back();
    app.Icon = AppIcon(iconPath, iconIndex);
    app.FileName = fileName;
    app.Path = path;
    app.Arguments = " " + arguments;
    app.WorkingDirectory = workingDirectory;
    app.ProcessID = FindRunningApp(path);  // a program already running is adopted
    app.WindowStyle = WindowStyleFromShowCmd(showCmd);
    return true;
}

std::int32_t LoadStartUpApps() {
    const std::string folder = WithBackslash(OnlineStartupFolder());
    std::int32_t count = 0;
    sys::FindFiles(folder + "*.*", [&](const sys::FoundFile& entry) {
        // INVALID_FILE_ATTRIBUTES has the directory bit set: an unreadable entry is skipped.
        const DWORD attributes = sys::FileAttributes(folder + entry.name);
        if (entry.name != "." && entry.name != ".." && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            AddApp(folder, entry.name))
            ++count;
        return true;
    });
    if (count == 0) MsgBox(kNoShortcutsMessage, MB_ICONEXCLAMATION | MB_OK);
    return count;
}

}  // namespace tw::tray
