// The Win32 process layer: GetVersionExA, Toolhelp snapshots, the process status library
// (or QueryFullProcessImageName), OpenProcess/GetExitCodeProcess, CreateProcess, and the
// top-level window walk; the calls with names and paths go through common/System.h. Calls
// that not every Windows family has are looked up at run time, in the system directory only.
#include "ProcessApi.h"

#include <winternl.h>

#include <algorithm>

#include "Handles.h"
#include "System.h"

namespace tw::tray {
namespace {

// Not in the Windows 2000 headers the programs are built with.
constexpr DWORD kProcessQueryLimitedInformation = 0x1000;

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);

// The process status calls: from psapi.dll, or, where that is missing, the copies that
// kernel32 exports with a K32 prefix (Windows 7 and later).
struct PsapiCalls {
    EnumProcessesFn enumProcesses = nullptr;
    EnumProcessModulesFn enumProcessModules = nullptr;
};

PsapiCalls LoadPsapi() {
    PsapiCalls calls;
    calls.enumProcesses = sys::Find<EnumProcessesFn>(sys::OptionalCall::EnumProcesses);
    calls.enumProcessModules = sys::Find<EnumProcessModulesFn>(sys::OptionalCall::EnumProcessModules);
    return calls;
}

const PsapiCalls& Psapi() {
    static const PsapiCalls calls = LoadPsapi();
    return calls;
}

OSVERSIONINFOA VersionInfo() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);  // 148
    GetVersionExA(&info);
    return info;
}

// The process ids, with the buffer grown by doubling (16 bytes first) until a call leaves
// room to spare: EnumProcesses cannot say how many there are.
bool ProcessIds(std::vector<DWORD>& ids) {
    EnumProcessesFn enumProcesses = Psapi().enumProcesses;
    if (!enumProcesses) return false;
    DWORD bufferSize = 8;
    DWORD bytesReturned = 96;
    while (bufferSize <= bytesReturned) {
        bufferSize *= 2;
        ids.assign(bufferSize / sizeof(DWORD), 0);
        if (!enumProcesses(ids.data(), bufferSize, &bytesReturned)) return false;
    }
    ids.resize(bytesReturned / sizeof(DWORD));
    return true;
}

// NtQuerySystemInformation(SystemProcessInformation): one record a process, each with its id
// and creation time. The buffer grows while the call says it is too small.
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

bool StampsFromSystem(NtQuerySystemInformationFn query, std::vector<ProcessStamp>& stamps) {
    // ULONGLONG elements keep the records 8-byte aligned. The size that sufficed last time is
    // where the next call starts, so that a tick normally takes one snapshot, not two.
    static size_t lastSize = 4096;
    std::vector<ULONGLONG> buffer(lastSize);
    LONG status;
    for (;;) {
        ULONG needed = 0;
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
        status = query(kSystemProcessInformation, buffer.data(), size, &needed);
        if (status != kStatusInfoLengthMismatch || buffer.size() >= (64u << 20) / sizeof(ULONGLONG))
            break;
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed / sizeof(ULONGLONG) + 512));
    }
    if (status < 0) return false;
    lastSize = buffer.size();
    const char* record = reinterpret_cast<const char*>(buffer.data());
    for (;;) {
        const auto* info = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(record);
        stamps.push_back({static_cast<ProcessId>(reinterpret_cast<ULONG_PTR>(info->UniqueProcessId)),
                          static_cast<std::uint64_t>(info->CreateTime.QuadPart)});
        if (info->NextEntryOffset == 0) break;
        record += info->NextEntryOffset;
    }
    return true;
}

std::uint64_t CreationTime(HANDLE process) {
    FILETIME created = {}, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The NT 4 way: the first module of a process is its executable. A 32-bit program cannot
// list the modules of a 64-bit process (EnumProcessModules fails), hence the query above.
std::string ImagePathByModule(HANDLE process) {
    const PsapiCalls& calls = Psapi();
    if (!calls.enumProcessModules) return std::string();
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    if (!calls.enumProcessModules(process, modules.data(),
                                  static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed) ||
        needed < sizeof(HMODULE))
        return std::string();
    return sys::ModuleFileNameEx(process, modules[0]);
}

class Win32Process final : public IProcess {
public:
    explicit Win32Process(HANDLE process) : m_process(process) {}
    bool Opened() const override { return static_cast<bool>(m_process); }
    DWORD Wait(DWORD milliseconds) override { return WaitForSingleObject(m_process.Get(), milliseconds); }
    bool Terminate(UINT exitCode) override { return TerminateProcess(m_process.Get(), exitCode) != FALSE; }
    DWORD ExitCode() override {
        DWORD code = 0;
        if (!GetExitCodeProcess(m_process.Get(), &code)) return 0;
        return code;
    }

private:
    UniqueHandle m_process;
};

Win32ProcessApi g_win32Processes;
Win32WindowApi g_win32Windows;
IProcessApi* g_processes = &g_win32Processes;
unsigned g_processApiGeneration = 0;
IWindowApi* g_windows = &g_win32Windows;

}  // namespace

// PROCESS_QUERY_LIMITED_INFORMATION exists from NT 6 (Vista) on; it also opens elevated
// and protected processes, which PROCESS_QUERY_INFORMATION cannot.
DWORD QueryAccess() {
    static const DWORD access = [] {
        OSVERSIONINFOA info = VersionInfo();
        return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 6
                   ? kProcessQueryLimitedInformation
                   : static_cast<DWORD>(PROCESS_QUERY_INFORMATION);
    }();
    return access;
}

IProcessApi& Processes() { return *g_processes; }
IWindowApi& Windows() { return *g_windows; }

IProcessApi* SetProcessApi(IProcessApi* api) {
    IProcessApi* previous = g_processes;
    g_processes = api ? api : &g_win32Processes;
    ++g_processApiGeneration;
    return previous;
}

unsigned ProcessApiGeneration() { return g_processApiGeneration; }

IWindowApi* SetWindowApi(IWindowApi* api) {
    IWindowApi* previous = g_windows;
    g_windows = api ? api : &g_win32Windows;
    return previous;
}

std::int32_t Win32ProcessApi::PlatformId() {
    return static_cast<std::int32_t>(VersionInfo().dwPlatformId);
}

bool Win32ProcessApi::ToolhelpProcesses(std::vector<ProcessEntry>& processes) {
    processes.clear();
    std::vector<sys::SnapshotProcess> snapshot;
    if (!sys::SnapshotProcesses(snapshot)) return false;
    for (const sys::SnapshotProcess& entry : snapshot)
        processes.push_back({static_cast<ProcessId>(entry.id), entry.exeFile});
    return true;
}

bool Win32ProcessApi::ProcessStamps(std::vector<ProcessStamp>& stamps) {
    static const auto query =
        sys::Find<NtQuerySystemInformationFn>(sys::OptionalCall::NtQuerySystemInformation);
    stamps.clear();
    if (query) return StampsFromSystem(query, stamps);
    std::vector<DWORD> ids;
    if (!ProcessIds(ids)) return false;
    for (DWORD id : ids) stamps.push_back({static_cast<ProcessId>(id), 0});
    return true;
}

bool Win32ProcessApi::ReadProcess(ProcessId id, std::string& exePath, std::uint64_t& created) {
    const bool query = m_imageName == ImageName::Best && sys::HasProcessImageName();
    // QueryFullProcessImageName needs the limited right only; the module list needs more.
    UniqueHandle process(OpenProcess(query ? kProcessQueryLimitedInformation
                                           : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                     FALSE, static_cast<DWORD>(id)));
    if (!process) return false;
    exePath = query ? sys::ProcessImageName(process.Get()) : ImagePathByModule(process.Get());
    created = CreationTime(process.Get());
    return !exePath.empty();
}

bool Win32ProcessApi::PsapiProcesses(std::vector<ProcessEntry>& processes) {
    processes.clear();
    std::vector<ProcessStamp> stamps;
    if (!ProcessStamps(stamps)) return false;
    for (const ProcessStamp& stamp : stamps) {
        std::string path;
        std::uint64_t created = 0;
        if (ReadProcess(stamp.id, path, created)) processes.push_back({stamp.id, path});
    }
    return true;
}

bool Win32ProcessApi::IsRunning(ProcessId id) {
    if (id == 0) return false;
    UniqueHandle process(OpenProcess(QueryAccess(), FALSE, static_cast<DWORD>(id)));
    if (!process) return false;
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) return false;
    return code == kStillActive;
}

ProcessId Win32ProcessApi::Create(const std::string& commandLine,
                                  const std::string& currentDirectory, int showCommand) {
    // The new process's first ShowWindow(SW_SHOWDEFAULT or its nCmdShow) takes the show
    // command of the startup record.
    const bool show = showCommand != kNoShowCommand;
    PROCESS_INFORMATION info = {};
    sys::StartProcess(commandLine, currentDirectory, show ? STARTF_USESHOWWINDOW : 0,
                       show ? static_cast<WORD>(showCommand) : 0, info);
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
    return static_cast<ProcessId>(info.dwProcessId);
}

std::unique_ptr<IProcess> Win32ProcessApi::Open(ProcessId id, DWORD access) {
    return std::make_unique<Win32Process>(OpenProcess(access, FALSE, static_cast<DWORD>(id)));
}

HWND Win32WindowApi::FindProcessWindow(ProcessId id) {
    for (HWND window = FindWindowA(nullptr, nullptr); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetParent(window)) continue;
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == static_cast<DWORD>(id)) return window;
    }
    return nullptr;
}

bool Win32WindowApi::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(window, message, wParam, lParam) != FALSE;
}

std::string Win32WindowApi::WindowText(HWND window) {
    return sys::WindowText(window, 128);
}

}  // namespace tw::tray
