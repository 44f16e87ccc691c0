// Calls that not every Windows has, for the code outside the system layer: each is looked up
// once, in the system layer's one table, from the system directory only; nullptr where the
// system lacks it. Typed by the caller: Find<Fn>(call).
#pragma once
#include <windows.h>

namespace tw {

// Loads a function from a system DLL already loaded or from the system directory (never a DLL
// planted beside the program); nullptr when absent. The table's own look-up; tests use it for
// calls the programs do not make.
FARPROC LoadSystemProc(const char* dll, const char* name);

namespace sys {

enum class OptionalCall {
    EnumProcesses,                   // psapi.dll, or kernel32's K32 copy (Windows 7 and later)
    EnumProcessModules,              // the same
    NtQuerySystemInformation,        // ntdll.dll: the NT family
    IsWow64Process,                  // kernel32: XP SP2 and later
    Wow64DisableWow64FsRedirection,  // kernel32: XP x64, Vista and later
    Wow64RevertWow64FsRedirection,
};

FARPROC Find(OptionalCall call);

template <class Fn>
Fn Find(OptionalCall call) {
    // FARPROC has no parameters; the detour through void* keeps -Wcast-function-type quiet.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Find(call)));
}

}  // namespace sys
}  // namespace tw
