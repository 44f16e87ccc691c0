// ReadShortcut, through the shell's link object.
#include "Shortcut.h"

#include <cstring>

#include "Handles.h"
#include "System.h"

namespace tw {
namespace {

// The fixed 76-byte header of a shell link file: HeaderSize, LinkCLSID, ..., ShowCommand.
constexpr DWORD kLinkHeaderSize = 0x4C;
constexpr size_t kClsidOffset = 0x04;
constexpr size_t kShowCommandOffset = 0x3C;

// The show command as the file's header holds it. Wine's IShellLink::GetShowCmd answers
// SW_SHOWNORMAL for every link although Load read the header, so the header is read here.
// Values other than the three a link may hold count as SW_SHOWNORMAL, as the shell does.
bool ReadShowCommand(const std::string& linkFile, int& showCmd) {
    UniqueFile file(sys::OpenFile(linkFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file) return false;
    unsigned char header[kLinkHeaderSize];
    DWORD read = 0;
    if (!ReadFile(file.Get(), header, sizeof(header), &read, nullptr) || read != sizeof(header))
        return false;
    DWORD size;
    std::memcpy(&size, header, sizeof(size));
    if (size != kLinkHeaderSize) return false;
    CLSID clsid;
    std::memcpy(&clsid, header + kClsidOffset, sizeof(clsid));
    if (!IsEqualCLSID(clsid, CLSID_ShellLink)) return false;
    DWORD command;
    std::memcpy(&command, header + kShowCommandOffset, sizeof(command));
    switch (command) {
    case SW_SHOWMAXIMIZED:
    case SW_SHOWMINNOACTIVE:
        showCmd = static_cast<int>(command);
        break;
    default:
        showCmd = SW_SHOWNORMAL;
        break;
    }
    return true;
}

}  // namespace

bool ReadLinkTarget(sys::ShellLink& link, std::string& path, std::string& arguments) {
    std::string target, targetArguments;
    if (!link.GetPath(target) || !link.GetArguments(targetArguments)) return false;
    path = target;
    arguments = targetArguments;
    return true;
}

bool ReadShortcut(const std::string& linkFile, std::string& path, std::string& workingDirectory,
                  std::string& arguments, std::string& iconPath, int& iconIndex, int& showCmd) {
    if (linkFile.empty()) return false;
    sys::ShellLink link;
    if (!link.Created() || !link.Load(linkFile)) return false;
    std::string target, targetArguments, directory, icon;
    int index = 0;
    int command = SW_SHOWNORMAL;
    if (!ReadLinkTarget(link, target, targetArguments) || !link.GetWorkingDirectory(directory) ||
        !link.GetIconLocation(icon, index) || !link.GetShowCmd(command))
        return false;
    ReadShowCommand(linkFile, command);

    path = target;
    workingDirectory = directory;
    arguments = targetArguments;
    iconPath = icon;
    iconIndex = index;
    showCmd = command;
    return true;
}


}  // namespace tw
