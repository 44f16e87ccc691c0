// ReadShortcut (through CLSID_ShellLink, IShellLinkA and IPersistFile) and IconToPicture.
#include "Shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <vector>

#include "Com.h"
#include "Handles.h"
#include "Strings.h"

namespace tw {
namespace {

// Each string comes back in a buffer of this capacity.
constexpr int kFieldCapacity = 255;

// The fixed 76-byte header of a shell link file: HeaderSize, LinkCLSID, ..., ShowCommand.
constexpr DWORD kLinkHeaderSize = 0x4C;
constexpr size_t kClsidOffset = 0x04;
constexpr size_t kShowCommandOffset = 0x3C;

// The show command as the file's header holds it. Wine's IShellLinkA::GetShowCmd answers
// SW_SHOWNORMAL for every link although Load read the header, so the header is read here.
// Values other than the three a link may hold count as SW_SHOWNORMAL, as the shell does.
bool ReadShowCommand(const std::string& linkFile, int& showCmd) {
    UniqueFile file(CreateFileA(linkFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

// A fresh buffer for one field. NUL-filled rather than blank-filled, so a field that a
// call leaves untouched (GetPath of a link to a non-file item) reads as empty.
std::vector<char> FieldBuffer() { return std::vector<char>(kFieldCapacity + 1, '\0'); }

std::string FieldText(const std::vector<char>& buffer) {
    return TrimNull(std::string(buffer.data(), kFieldCapacity));
}

}  // namespace

bool CreateShellLinkObject(ComPtr<IShellLinkA>& link, ComPtr<IPersistFile>& file) {
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      link.Out())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out()));
}

bool ReadLinkTarget(IShellLinkA& link, std::string& path, std::string& arguments) {
    std::vector<char> pathBuffer = FieldBuffer();
    WIN32_FIND_DATAA findData;
    if (FAILED(link.GetPath(pathBuffer.data(), kFieldCapacity, &findData, SLGP_UNCPRIORITY)))
        return false;
    std::vector<char> argumentsBuffer = FieldBuffer();
    if (FAILED(link.GetArguments(argumentsBuffer.data(), kFieldCapacity))) return false;
    path = FieldText(pathBuffer);
    arguments = FieldText(argumentsBuffer);
    return true;
}

bool ReadShortcut(const std::string& linkFile, std::string& path, std::string& workingDirectory,
                  std::string& arguments, std::string& iconPath, int& iconIndex, int& showCmd) {
    if (linkFile.empty()) return false;

    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (!CreateShellLinkObject(link, file)) return false;
    if (FAILED(file->Load(Widen(linkFile).data(), STGM_READ))) return false;

    std::string target, targetArguments;
    if (!ReadLinkTarget(*link.Get(), target, targetArguments)) return false;
    std::vector<char> directoryBuffer = FieldBuffer();
    if (FAILED(link->GetWorkingDirectory(directoryBuffer.data(), kFieldCapacity))) return false;
    std::vector<char> iconBuffer = FieldBuffer();
    int index = 0;
    if (FAILED(link->GetIconLocation(iconBuffer.data(), kFieldCapacity, &index))) return false;
    int command = SW_SHOWNORMAL;
    if (FAILED(link->GetShowCmd(&command))) return false;
    ReadShowCommand(linkFile, command);

    path = target;
    workingDirectory = FieldText(directoryBuffer);
    arguments = targetArguments;
    iconPath = FieldText(iconBuffer);
    iconIndex = index;
    showCmd = command;
    return true;
}

Picture IconToPicture(HICON icon) { return Picture::FromIcon(icon); }

}  // namespace tw
