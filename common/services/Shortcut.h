// Reading shell shortcut (.lnk) files.
#pragma once
#include <windows.h>

#include <string>

namespace tw {

namespace sys {
class ShellLink;
}

// Reads a shortcut through the shell's link object. True when `linkFile` was loaded as a
// shell link; then the six outputs hold its target path, working directory, arguments,
// icon file and index, and show command (SW_SHOWNORMAL, SW_SHOWMAXIMIZED or
// SW_SHOWMINNOACTIVE). False for an empty name, a missing file or a file that is not a
// shell link (a text file, an Internet shortcut, desktop.ini); the outputs are then
// left as they were.
bool ReadShortcut(const std::string& linkFile, std::string& path, std::string& workingDirectory,
                  std::string& arguments, std::string& iconPath, int& iconIndex, int& showCmd);

// The target path and arguments of a link object, read as ReadShortcut reads them (so
// that two links can be compared); false when either cannot be read.
bool ReadLinkTarget(sys::ShellLink& link, std::string& path, std::string& arguments);

}  // namespace tw
