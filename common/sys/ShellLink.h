// The shell's link object, and the icons of a file.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "Com.h"
#include "Text.h"

namespace tw::sys {

// ---- Shell links ------------------------------------------------------------------------------

// The shell's link object: IShellLinkW on the NT family, IShellLinkA on 95/98/Me, with its
// IPersistFile. Strings are read into buffers of 1,024 characters. COM must be initialised.
class ShellLink {
public:
    ShellLink();  // creates the object; Created() tells whether that worked
    ShellLink(const ShellLink&) = delete;
    ShellLink& operator=(const ShellLink&) = delete;
    ~ShellLink();

    bool Created() const { return m_link && m_file; }
    bool Load(const std::string& linkFile);
    bool Save(const std::string& linkFile);  // reported as a ShortcutSave
    bool SetPath(const std::string& path);
    bool SetArguments(const std::string& arguments);
    bool SetWorkingDirectory(const std::string& folder);
    bool SetIconLocation(const std::string& file, int index);
    bool SetDescription(const std::string& description);
    bool SetShowCmd(int showCmd);
    bool Resolve(DWORD flags);
    bool GetPath(std::string& path);
    bool GetArguments(std::string& arguments);
    bool GetWorkingDirectory(std::string& folder);
    bool GetIconLocation(std::string& file, int& index);
    bool GetShowCmd(int& showCmd);

private:
    ComPtr<IUnknown> m_link;  // IShellLinkW or IShellLinkA, as UnicodeSystem() says
    ComPtr<IPersistFile> m_file;
};

// ExtractIconEx of one icon: the number it reports (UINT_MAX for a missing file).
UINT ExtractIcons(const std::string& file, int index, HICON* large, HICON* small);

}  // namespace tw::sys
