// The table's look-up, and the text of a buffer-filling call.
#include "SystemCalls.h"

#include <vector>

namespace tw {

FARPROC LoadSystemProc(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    if (!module) {
        // Only from the system directory: never a DLL planted beside the program.
        char dir[MAX_PATH];
        UINT length = GetSystemDirectoryA(dir, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        std::string path(dir, length);
        if (path.back() != '\\') path += '\\';
        path += dll;
        module = LoadLibraryA(path.c_str());  // kept loaded for the life of the process
        if (!module) return nullptr;
    }
    return GetProcAddress(module, name);
}

}  // namespace tw

namespace tw::sys {
namespace {

// The DLLs, each named once, and the DLL of each call.
enum Dll : unsigned char { advapi32, gdi32, kernel32, ntdll, psapi, shell32, user32 };
const char* const kDllNames[] = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "ntdll.dll",
                                 "psapi.dll",    "shell32.dll", "user32.dll"};
#define TW_DLL(dll, name) dll,
const Dll kCallDlls[] = {TW_SYSTEM_CALLS(TW_DLL)};
#undef TW_DLL
// The names one after the other, each ending in a NUL: a call's name is counted out at its
// first use, which keeps the table to its characters.
#define TW_NAME_(dll, name) #name "\0"
#define TW_NAME(dll, name) TW_NAME_(dll, name)
const char kCallNames[] = TW_SYSTEM_CALLS(TW_NAME);
#undef TW_NAME
#undef TW_NAME_

const char* CallName(CallId id) {
    const char* name = kCallNames;
    for (int i = 0; i < id; ++i) name += lstrlenA(name) + 1;
    return name;
}

}  // namespace

// The address of call `id`, looked up once; nullptr where the system lacks it.
FARPROC Proc(CallId id) {
    static FARPROC procs[kCallCount];
    static bool looked[kCallCount];
    if (!looked[id]) {
        procs[id] = LoadSystemProc(kDllNames[kCallDlls[id]], CallName(id));
        looked[id] = true;
    }
    return procs[id];
}

FARPROC FirstProc(CallId id, CallId otherwise) {
    FARPROC proc = Proc(id);
    return proc ? proc : Proc(otherwise);
}

FARPROC Find(OptionalCall call) {
    switch (call) {
    // The process status calls: psapi.dll, or where that is missing the copies kernel32
    // exports with a K32 prefix (Windows 7 and later).
    case OptionalCall::EnumProcesses: return FirstProc(kEnumProcesses, kK32EnumProcesses);
    case OptionalCall::EnumProcessModules: return FirstProc(kEnumProcessModules, kK32EnumProcessModules);
    case OptionalCall::NtQuerySystemInformation: return Proc(kNtQuerySystemInformation);
    case OptionalCall::IsWow64Process: return Proc(kIsWow64Process);
    case OptionalCall::Wow64DisableWow64FsRedirection: return Proc(kWow64DisableWow64FsRedirection);
    case OptionalCall::Wow64RevertWow64FsRedirection: return Proc(kWow64RevertWow64FsRedirection);
    }
    return nullptr;
}

std::string FilledText(Fill fill, const void* context) {
    DWORD capacity = MAX_PATH;
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::vector<wchar_t> buffer(capacity + 1, L'\0');  // room for either
        const DWORD length = fill(context, buffer.data(), capacity);
        if (length == 0) return std::string();
        if (length < capacity)
            return UnicodeSystem() ? FromWide(buffer.data(), static_cast<int>(length))
                                   : FromAnsi(reinterpret_cast<const char*>(buffer.data()), static_cast<int>(length));
        capacity = length > capacity ? length + 1 : capacity * 2;
    }
    return std::string();
}

}  // namespace tw::sys
