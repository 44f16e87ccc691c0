// The program's own module, the system folder, environment variables and the shell's folders.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "Text.h"

namespace tw::sys {

// ---- Program, system, environment ------------------------------------------------------------

std::string ModulePath(HMODULE module);  // "" when it cannot be read
std::string SystemFolder();              // without a trailing backslash; "" on failure
HMODULE LoadLibraryFrom(const std::string& path);
std::string ExpandEnvironment(const std::string& text);  // `text` itself when it fails
bool EnvironmentVariable(const char* name, std::string& value);  // false when not set
// The shell's folder `csidl` (CSIDL_PROGRAMS, CSIDL_STARTUP), without a trailing backslash;
// "" when the shell cannot name it.
std::string SpecialFolder(int csidl);

}  // namespace tw::sys
