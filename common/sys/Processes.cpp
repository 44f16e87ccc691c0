// Other programs: starting them, naming their processes, their windows' titles; named mutexes.
#include "Processes.h"
#include <tlhelp32.h>

#include <vector>

#include "Handles.h"
#include "SystemCalls.h"

namespace tw::sys {

// ---- Processes and windows of other programs ---------------------------------------------

bool StartProcess(const std::string& commandLine, const std::string& folder, DWORD startFlags,
                   WORD showWindow, PROCESS_INFORMATION& info) {
    info = PROCESS_INFORMATION{};
    // CreateProcess may write into the command line: it gets a copy of its own.
    if (UnicodeSystem()) {
        WideText line = ToWide(commandLine);
        const WideText directory = ToWide(folder);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = startFlags;
        startup.wShowWindow = showWindow;
        return TW_CALL(CreateProcessW)(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                                      nullptr, folder.empty() ? nullptr : directory.data(), &startup,
                                      &info) != FALSE;
    }
    std::string line = ToAnsi(commandLine);
    const std::string directory = ToAnsi(folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);  // 68 in a 32-bit program
    startup.dwFlags = startFlags;
    startup.wShowWindow = showWindow;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                          folder.empty() ? nullptr : directory.c_str(), &startup, &info) != FALSE;
}

namespace {
using QueryImageNameW = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, DWORD*);
QueryImageNameW ImageNameW() {
    return reinterpret_cast<QueryImageNameW>(reinterpret_cast<void*>(Proc(kQueryFullProcessImageNameW)));
}
}  // namespace

// Both calls below exist on the NT family only (Vista and later; NT 4 and later).
bool HasProcessImageName() { return UnicodeSystem() && ImageNameW() != nullptr; }

std::string ProcessImageName(HANDLE process) {
    if (!HasProcessImageName()) return std::string();
    // 32,767 characters: the longest path the NT family has.
    std::vector<wchar_t> name(32768, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    return ImageNameW()(process, 0, name.data(), &size) ? FromWide(name.data(), static_cast<int>(size))
                                                        : std::string();
}

std::string ModuleFileNameEx(HANDLE process, HMODULE module) {
    // From psapi.dll, or where that is missing the copy kernel32 exports with a K32 prefix
    // (Windows 7 and later).
    using NameW = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    static const auto nameW =
        reinterpret_cast<NameW>(reinterpret_cast<void*>(FirstProc(kGetModuleFileNameExW, kK32GetModuleFileNameExW)));
    if (!UnicodeSystem() || !nameW) return std::string();
    struct Call {
        HANDLE process;
        HMODULE module;
    } call{process, module};
    return FilledText(
        [](const void* context, void* buffer, DWORD capacity) -> DWORD {
            const auto* of = static_cast<const Call*>(context);
            return nameW(of->process, of->module, static_cast<wchar_t*>(buffer), capacity);
        },
        &call);
}

bool SnapshotProcesses(std::vector<SnapshotProcess>& processes) {
    // Toolhelp is in kernel32 on 95/98/Me and 2000 and later, but not on NT 4.
    processes.clear();
    static const auto createSnapshot = TW_CALL(CreateToolhelp32Snapshot);
    if (!createSnapshot) return false;
    UniqueFile snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    if (UnicodeSystem()) {
        static const auto first = TW_CALL(Process32FirstW);
        static const auto next = TW_CALL(Process32NextW);
        if (!first || !next) return false;
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = first(snapshot.Get(), &entry); more; more = next(snapshot.Get(), &entry))
            processes.push_back({entry.th32ProcessID, FromWide(entry.szExeFile)});
    } else {
        static const auto first = TW_CALL(Process32First);
        static const auto next = TW_CALL(Process32Next);
        if (!first || !next) return false;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);  // 296 in a 32-bit program
        for (BOOL more = first(snapshot.Get(), &entry); more; more = next(snapshot.Get(), &entry))
            processes.push_back({entry.th32ProcessID, FromAnsi(entry.szExeFile)});
    }
    return true;
}

std::string WindowText(HWND window, int capacity) {
    // No window, no title: Wine's GetWindowText(NULL) reports a length over an untouched buffer.
    if (!window) return std::string();
    if (UnicodeSystem()) {
        if (capacity <= 0) capacity = TW_CALL(GetWindowTextLengthW)(window) + 1;
        std::vector<wchar_t> text(static_cast<size_t>(capacity) + 1, L'\0');
        int length = TW_CALL(GetWindowTextW)(window, text.data(), capacity);
        return length > 0 ? FromWide(text.data(), std::min(length, capacity - 1)) : std::string();
    }
    if (capacity <= 0) capacity = GetWindowTextLengthA(window) + 1;
    std::vector<char> text(static_cast<size_t>(capacity) + 1, '\0');
    int length = GetWindowTextA(window, text.data(), capacity);
    return length > 0 ? FromAnsi(text.data(), std::min(length, capacity - 1)) : std::string();
}

void SetText(HWND window, const std::string& text) {
    const SystemText title(text);
    if (UnicodeSystem())
        TW_CALL(SetWindowTextW)(window, title.W());
    else
        SetWindowTextA(window, title.A());
}

HWND FindWindowOfClass(const char* className) { return FindWindowA(className, nullptr); }

HANDLE CreateNamedMutex(const std::string& name) {
    const SystemText text(name);
    return UnicodeSystem() ? TW_CALL(CreateMutexW)(nullptr, FALSE, text.W())
                           : CreateMutexA(nullptr, FALSE, text.A());
}

}  // namespace tw::sys
