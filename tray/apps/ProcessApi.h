// The process layer: the platform calls whose answers decide what Lookout does with the
// processes of its applications, behind two small seams. IProcessApi lists, tests, starts
// and opens processes; IWindowApi finds, asks and names their top-level windows. The Win32
// implementations are installed by default; tests install fakes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tw::tray {

// A process id as the applications list keeps it: signed 32-bit, 0 = no process.
using ProcessId = std::int32_t;

// GetVersionExA's dwPlatformId values that select a discovery strategy.
constexpr std::int32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS: 95/98/Me, Toolhelp
constexpr std::int32_t kPlatformNT = 2;       // VER_PLATFORM_WIN32_NT: process status library

// GetExitCodeProcess's answer for a process that has not ended.
constexpr DWORD kStillActive = 259;
// PROCESS_ALL_ACCESS as the NT 4/2000 headers define it.
constexpr DWORD kProcessAllAccess = 0x1F0FFF;

// One running process: its id and the executable name the strategy reports (the full path
// from the process status library; from Toolhelp the full path on 95/98/Me, the bare file
// name on the NT family and under Wine).
struct ProcessEntry {
    ProcessId id = 0;
    std::string exePath;
};

// One process as the process status enumeration lists it: its id and its creation time
// (FILETIME ticks; 0 when the system does not say). An id may be reused once its process
// has ended; the pair names one process.
struct ProcessStamp {
    ProcessId id = 0;
    std::uint64_t created = 0;
};

// IProcessApi::Create's show command when the startup record imposes none.
constexpr int kNoShowCommand = -1;

// A process opened for closing. The handle is closed with the object. A process that could
// not be opened gives an object whose calls fail as they do on a null handle.
class IProcess {
public:
    virtual ~IProcess() = default;
    // Whether OpenProcess gave a handle.
    virtual bool Opened() const = 0;
    // WaitForSingleObject: WAIT_OBJECT_0 when it ended, WAIT_TIMEOUT, or WAIT_FAILED.
    virtual DWORD Wait(DWORD milliseconds) = 0;
    // TerminateProcess; false when it failed.
    virtual bool Terminate(UINT exitCode) = 0;
    // GetExitCodeProcess: kStillActive while it runs; 0 when the call fails.
    virtual DWORD ExitCode() = 0;
};

class IProcessApi {
public:
    virtual ~IProcessApi() = default;
    // GetVersionExA's dwPlatformId (0 when the call fails).
    virtual std::int32_t PlatformId() = 0;
    // Every process, in the order a Toolhelp snapshot gives them; false when no snapshot
    // can be taken (or the system has no Toolhelp).
    virtual bool ToolhelpProcesses(std::vector<ProcessEntry>& processes) = 0;
    // Every process the process status strategy lists, in enumeration order, with its
    // creation time; false when the processes cannot be listed. Opens no process.
    virtual bool ProcessStamps(std::vector<ProcessStamp>& stamps) = 0;
    // Opens process `id` for querying, once: its executable path and its creation time
    // (GetProcessTimes); false when it cannot be opened or its path cannot be read.
    virtual bool ReadProcess(ProcessId id, std::string& exePath, std::uint64_t& created) = 0;
    // Whether the process can be opened for querying and has not ended (id 0 never runs).
    virtual bool IsRunning(ProcessId id) = 0;
    // CreateProcessA of `commandLine` (no application name, handles inherited, normal
    // priority); `currentDirectory` empty = the caller's own. `showCommand` (SW_...) goes to
    // the new process through the startup record (STARTF_USESHOWWINDOW); kNoShowCommand
    // imposes none. The new process's id, or 0 when none was created. Nothing waits for it.
    virtual ProcessId Create(const std::string& commandLine, const std::string& currentDirectory,
                             int showCommand) = 0;
    // OpenProcess(access, no inheritance, id); never null (see IProcess).
    virtual std::unique_ptr<IProcess> Open(ProcessId id, DWORD access) = 0;
};

class IWindowApi {
public:
    virtual ~IWindowApi() = default;
    // The first window in the platform's top-level order (FindWindowA, then GW_HWNDNEXT)
    // that has neither parent nor owner (GetParent null) and belongs to process `id`;
    // visibility is not tested. Null when there is none.
    virtual HWND FindProcessWindow(ProcessId id) = 0;
    // PostMessageA; false when it failed.
    virtual bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // GetWindowTextA into a 128-character buffer: the first n characters, n as returned.
    virtual std::string WindowText(HWND window) = 0;
};

// The query right IsRunning opens a process with: PROCESS_QUERY_LIMITED_INFORMATION from
// NT 6 (Vista) on, which elevated processes grant too, PROCESS_QUERY_INFORMATION before.
DWORD QueryAccess();

// The installed layers (by default the Win32 ones).
IProcessApi& Processes();
IWindowApi& Windows();
// Install a layer (nullptr restores the Win32 one) and return the previous one.
IProcessApi* SetProcessApi(IProcessApi* api);
// Counts the installations of a process layer, so that what was learned from one layer is
// never taken for what another one says.
unsigned ProcessApiGeneration();
IWindowApi* SetWindowApi(IWindowApi* api);

// The Win32 process layer. The optional calls (Toolhelp, the process status library,
// QueryFullProcessImageNameA) are looked up at run time in the system directory.
class Win32ProcessApi final : public IProcessApi {
public:
    // How the process status strategy reads an executable path: QueryFullProcessImageNameA
    // where the system has it (Vista and later), else GetModuleFileNameExA of the first
    // module; or always the latter.
    enum class ImageName { Best, ModuleFileName };
    explicit Win32ProcessApi(ImageName imageName = ImageName::Best) : m_imageName(imageName) {}

    std::int32_t PlatformId() override;
    bool ToolhelpProcesses(std::vector<ProcessEntry>& processes) override;
    // The ids with their creation times from one NtQuerySystemInformation call (the call
    // EnumProcesses makes, which drops the times); EnumProcesses, times unknown, where ntdll
    // lacks it.
    bool ProcessStamps(std::vector<ProcessStamp>& stamps) override;
    bool ReadProcess(ProcessId id, std::string& exePath, std::uint64_t& created) override;
    bool IsRunning(ProcessId id) override;
    ProcessId Create(const std::string& commandLine, const std::string& currentDirectory,
                     int showCommand) override;
    std::unique_ptr<IProcess> Open(ProcessId id, DWORD access) override;

    // Every listed process that can be opened for its path, read anew (no cache), in
    // enumeration order; false when the processes cannot be listed.
    bool PsapiProcesses(std::vector<ProcessEntry>& processes);

private:
    ImageName m_imageName;
};

class Win32WindowApi final : public IWindowApi {
public:
    HWND FindProcessWindow(ProcessId id) override;
    bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    std::string WindowText(HWND window) override;
};

}  // namespace tw::tray
