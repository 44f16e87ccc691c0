// The system calls with text, W on the NT family and A on 95/98/Me. The W functions are
// looked up at run time (TW_W): 95/98/Me lack some of them altogether, and a program that
// imports a function the system lacks does not start.
#include "System.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "Handles.h"

namespace tw::sys {
namespace {

// In the 32-bit headers SetWindowLongPtr and GetWindowLongPtr are macros for the Long calls.
#ifdef _WIN64
#define TW_SET_WINDOW_LONG SetWindowLongPtrW
#define TW_GET_WINDOW_LONG GetWindowLongPtrW
#else
#define TW_SET_WINDOW_LONG SetWindowLongW
#define TW_GET_WINDOW_LONG GetWindowLongW
#endif

// The calls looked up at run time: DLL and name. One table, so that each call site costs a
// number, not a look-up of its own.
#define TW_SYSTEM_CALLS(X) \
    X(advapi32, RegCreateKeyExW) \
    X(advapi32, RegDeleteValueW) \
    X(advapi32, RegEnumValueW) \
    X(advapi32, RegOpenKeyExW) \
    X(advapi32, RegQueryValueExW) \
    X(advapi32, RegSetValueExW) \
    X(gdi32, CreateFontIndirectW) \
    X(gdi32, GetObjectW) \
    X(gdi32, GetTextExtentPoint32W) \
    X(kernel32, CopyFileW) \
    X(kernel32, CreateDirectoryW) \
    X(kernel32, CreateFileW) \
    X(kernel32, CreateMutexW) \
    X(kernel32, CreateProcessW) \
    X(kernel32, CreateToolhelp32Snapshot) \
    X(kernel32, DeleteFileW) \
    X(kernel32, ExpandEnvironmentStringsW) \
    X(kernel32, FindFirstFileW) \
    X(kernel32, FindNextFileW) \
    X(kernel32, FormatMessageW) \
    X(kernel32, GetDriveTypeW) \
    X(kernel32, GetEnvironmentVariableW) \
    X(kernel32, GetFileAttributesW) \
    X(kernel32, GetModuleFileNameW) \
    X(kernel32, GetSystemDirectoryW) \
    X(kernel32, LCMapStringW) \
    X(kernel32, LoadLibraryW) \
    X(kernel32, MoveFileExW) \
    X(kernel32, Process32First) \
    X(kernel32, Process32FirstW) \
    X(kernel32, Process32Next) \
    X(kernel32, Process32NextW) \
    X(shell32, ExtractIconExW) \
    X(shell32, SHGetPathFromIDListW) \
    X(user32, CallWindowProcW) \
    X(user32, CharUpperBuffW) \
    X(user32, CreateWindowExW) \
    X(user32, DefWindowProcW) \
    X(user32, DispatchMessageW) \
    X(user32, DrawStateW) \
    X(user32, DrawTextW) \
    X(user32, GetMessageW) \
    X(user32, GetWindowTextLengthW) \
    X(user32, GetWindowTextW) \
    X(user32, IsDialogMessageW) \
    X(user32, LoadStringW) \
    X(user32, MessageBoxW) \
    X(user32, PeekMessageW) \
    X(user32, RegisterClassW) \
    X(user32, SendMessageW) \
    X(user32, SetWindowTextW) \
    X(user32, SystemParametersInfoW) \
    X(user32, TW_GET_WINDOW_LONG) \
    X(user32, TW_SET_WINDOW_LONG)

#define TW_ID_(name) k##name,
#define TW_ID(dll, name) TW_ID_(name)
enum CallId { TW_SYSTEM_CALLS(TW_ID) kCallCount };
#undef TW_ID
#undef TW_ID_

// The DLL names in one string, and each call's "dll\0name".
#define TW_NAME_(dll, name) #dll ".dll\0" #name,
#define TW_NAME(dll, name) TW_NAME_(dll, name)
const char* const kCallNames[] = {TW_SYSTEM_CALLS(TW_NAME)};
#undef TW_NAME
#undef TW_NAME_

// The address of call `id`, looked up once; nullptr where the system lacks it.
FARPROC Proc(CallId id) {
    static FARPROC procs[kCallCount];
    static bool looked[kCallCount];
    if (!looked[id]) {
        const char* dll = kCallNames[id];
        procs[id] = LoadSystemProc(dll, dll + lstrlenA(dll) + 1);
        looked[id] = true;
    }
    return procs[id];
}

// The function `name`, typed as the headers declare it.
#define TW_CALL_(name) (reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(Proc(k##name))))
#define TW_CALL(name) TW_CALL_(name)
#define TW_W(dll, name) TW_CALL(name)
#define TW_K32(name) TW_CALL(name)
#define TW_U32(name) TW_CALL(name)

ChangeObserver g_observer = nullptr;

// The text a buffer-filling call leaves: `fill(context, buffer, capacity)` returns the length
// it wrote, or the length it needs when that is more; 0 when it failed. The buffer takes
// UTF-16 units on the NT family and ANSI bytes otherwise.
using Fill = DWORD (*)(const void* context, void* buffer, DWORD capacity);
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

}  // namespace

// ---- Files ---------------------------------------------------------------------------------

DWORD FileAttributes(const std::string& path) {
    const SystemText text(path);
    return UnicodeSystem() ? TW_K32(GetFileAttributesW)(text.W()) : GetFileAttributesA(text.A());
}

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD FindFiles(const std::string& pattern, FileVisitor visit, void* context) {
    const SystemText text(pattern);
    FoundFile found;
    if (UnicodeSystem()) {
        WIN32_FIND_DATAW entry;
        UniqueFind find(TW_K32(FindFirstFileW)(text.W(), &entry));
        if (!find) return GetLastError();
        do {
            found.name = FromWide(entry.cFileName);
            found.attributes = entry.dwFileAttributes;
        } while (visit(context, found) && TW_K32(FindNextFileW)(find.Get(), &entry));
    } else {
        WIN32_FIND_DATAA entry;
        UniqueFind find(FindFirstFileA(text.A(), &entry));
        if (!find) return GetLastError();
        do {
            found.name = FromAnsi(entry.cFileName);
            found.attributes = entry.dwFileAttributes;
        } while (visit(context, found) && FindNextFileA(find.Get(), &entry));
    }
    return ERROR_SUCCESS;
}

HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                DWORD attributes) {
    const SystemText text(path);
    return UnicodeSystem()
               ? TW_K32(CreateFileW)(text.W(), access, share, nullptr, disposition, attributes, nullptr)
               : CreateFileA(text.A(), access, share, nullptr, disposition, attributes, nullptr);
}

bool CopyFileOver(const std::string& source, const std::string& destination) {
    const SystemText from(source), to(destination);
    const BOOL done = UnicodeSystem() ? TW_K32(CopyFileW)(from.W(), to.W(), FALSE)
                                      : CopyFileA(from.A(), to.A(), FALSE);
    if (done) ReportChange(Change::Copy, destination);
    return done != FALSE;
}

bool RemoveFile(const std::string& path) {
    const SystemText text(path);
    const BOOL done = UnicodeSystem() ? TW_K32(DeleteFileW)(text.W()) : DeleteFileA(text.A());
    if (done) ReportChange(Change::Delete, path);
    return done != FALSE;
}

bool CreateFolder(const std::string& path) {
    const SystemText text(path);
    return (UnicodeSystem() ? TW_K32(CreateDirectoryW)(text.W(), nullptr)
                            : CreateDirectoryA(text.A(), nullptr)) != FALSE;
}

bool MoveOver(const std::string& source, const std::string& destination) {
    const SystemText from(source), to(destination);
    BOOL done;
    if (UnicodeSystem()) {
        done = TW_K32(MoveFileExW)(from.W(), to.W(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else {
        // MoveFileEx is not implemented on 95/98/Me, and MoveFile does not replace: the old
        // file is deleted (a change of its own), then the new one takes its name.
        done = (RemoveFile(destination) || GetLastError() == ERROR_FILE_NOT_FOUND) &&
               MoveFileA(from.A(), to.A());
    }
    if (done) ReportChange(Change::Rename, destination);
    return done != FALSE;
}

UINT DriveType(const std::string& root) {
    const SystemText text(root);
    return UnicodeSystem() ? TW_K32(GetDriveTypeW)(text.W()) : GetDriveTypeA(text.A());
}

std::string ErrorText(DWORD code) {
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    std::string message;
    void* text = nullptr;
    if (UnicodeSystem()) {
        DWORD length = TW_K32(FormatMessageW)(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length && text) message = FromWide(static_cast<wchar_t*>(text), static_cast<int>(length));
    } else {
        DWORD length = FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
        if (length && text) message = FromAnsi(static_cast<char*>(text), static_cast<int>(length));
    }
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

// ---- Changes --------------------------------------------------------------------------------

ChangeObserver SetChangeObserver(ChangeObserver observer) {
    ChangeObserver previous = g_observer;
    g_observer = observer;
    return previous;
}

void ReportChange(Change change, const std::string& target) {
    if (g_observer) g_observer(change, target);
}

bool WriteAll(HANDLE file, const std::string& data, const std::string& name) {
    DWORD written = 0;
    const bool done = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                      written == data.size();
    if (done) ReportChange(Change::Write, name);
    return done;
}

bool Flush(HANDLE file, const std::string& name) {
    const bool done = FlushFileBuffers(file) != FALSE;
    if (done) ReportChange(Change::Flush, name);
    return done;
}

bool FlushFile(const std::string& path) {
    UniqueFile file(OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    return file && Flush(file.Get(), path);
}

bool ReadWholeFile(const std::string& path, std::string& contents, size_t limit) {
    UniqueFile file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!file) return false;
    // GetFileSize, not GetFileSizeEx: Windows 95 has only the former.
    DWORD high = 0;
    const DWORD size = GetFileSize(file.Get(), &high);
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high || size > limit) return false;
    contents.assign(size, '\0');
    DWORD read = 0;
    return size == 0 || (::ReadFile(file.Get(), &contents[0], size, &read, nullptr) && read == size);
}

// ---- Program, system, environment ------------------------------------------------------------

std::string ModulePath(HMODULE module) {
    return FilledText(
        [](const void* context, void* buffer, DWORD capacity) -> DWORD {
            HMODULE of = static_cast<HMODULE>(const_cast<void*>(context));
            DWORD length = UnicodeSystem() ? TW_K32(GetModuleFileNameW)(of, static_cast<wchar_t*>(buffer), capacity)
                                           : GetModuleFileNameA(of, static_cast<char*>(buffer), capacity);
            // A full buffer means the name was cut (without a NUL on the NT family).
            return length >= capacity ? capacity : length;
        },
        module);
}

std::string SystemFolder() {
    return FilledText(
        [](const void*, void* buffer, DWORD capacity) -> DWORD {
            return UnicodeSystem() ? TW_K32(GetSystemDirectoryW)(static_cast<wchar_t*>(buffer), capacity)
                                   : GetSystemDirectoryA(static_cast<char*>(buffer), capacity);
        },
        nullptr);
}

HMODULE LoadLibraryFrom(const std::string& path) {
    const SystemText text(path);
    return UnicodeSystem() ? TW_K32(LoadLibraryW)(text.W()) : LoadLibraryA(text.A());
}

std::string ExpandEnvironment(const std::string& text) {
    const SystemText source(text);
    const std::string expanded = FilledText(
        [](const void* context, void* buffer, DWORD capacity) -> DWORD {
            const auto* from = static_cast<const SystemText*>(context);
            // The count includes the NUL.
            DWORD needed = UnicodeSystem()
                               ? TW_K32(ExpandEnvironmentStringsW)(from->W(), static_cast<wchar_t*>(buffer), capacity)
                               : ExpandEnvironmentStringsA(from->A(), static_cast<char*>(buffer), capacity);
            return needed == 0 || needed > capacity ? needed : needed - 1;
        },
        &source);
    return expanded.empty() ? text : expanded;
}

bool EnvironmentVariable(const char* name, std::string& value) {
    const SystemText text(name);
    SetLastError(ERROR_SUCCESS);
    value = FilledText(
        [](const void* context, void* buffer, DWORD capacity) -> DWORD {
            const auto* of = static_cast<const SystemText*>(context);
            return UnicodeSystem() ? TW_K32(GetEnvironmentVariableW)(of->W(), static_cast<wchar_t*>(buffer), capacity)
                                   : GetEnvironmentVariableA(of->A(), static_cast<char*>(buffer), capacity);
        },
        &text);
    return !value.empty() || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
}

std::string SpecialFolder(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, csidl, &items) != S_OK || !items) return std::string();
    std::string folder;
    if (UnicodeSystem()) {
        wchar_t path[MAX_PATH + 1] = {};
        if (TW_W("shell32.dll", SHGetPathFromIDListW)(items, path)) folder = FromWide(path);
    } else {
        char path[MAX_PATH + 1] = {};
        if (SHGetPathFromIDListA(items, path)) folder = FromAnsi(path);
    }
    // The item list comes from the shell's allocator, which is COM's task allocator.
    CoTaskMemFree(items);
    return folder;
}

// ---- Registry --------------------------------------------------------------------------------

LONG RegOpen(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    const SystemText text(subKey);
    key = nullptr;
    return UnicodeSystem() ? TW_W("advapi32.dll", RegOpenKeyExW)(hive, text.W(), 0, access, &key)
                           : RegOpenKeyExA(hive, text.A(), 0, access, &key);
}

LONG RegCreate(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    const SystemText text(subKey);
    key = nullptr;
    return UnicodeSystem()
               ? TW_W("advapi32.dll", RegCreateKeyExW)(hive, text.W(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                      access, nullptr, &key, nullptr)
               : RegCreateKeyExA(hive, text.A(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 &key, nullptr);
}

LONG RegQuery(HKEY key, const std::string& name, RegValue& value) {
    const SystemText text(name);
    value = RegValue();
    value.utf16 = UnicodeSystem();
    const auto query = [&](BYTE* data, DWORD* size) {
        return value.utf16 ? TW_W("advapi32.dll", RegQueryValueExW)(key, text.W(), nullptr, &value.type, data, size)
                           : RegQueryValueExA(key, text.A(), nullptr, &value.type, data, size);
    };
    // The value may grow between the two calls: ask again with the new size.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = 0;
        LONG result = query(nullptr, &size);
        if (result != ERROR_SUCCESS) return result;
        std::vector<BYTE> buffer(size + 2, 0);
        DWORD got = size;
        result = query(buffer.data(), &got);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) return result;
        value.bytes.assign(reinterpret_cast<const char*>(buffer.data()), got);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

std::string RegText(const RegValue& value) {
    // Bytes of another type read as text, as the A calls would give them.
    if (!value.utf16 || (value.type != REG_SZ && value.type != REG_EXPAND_SZ && value.type != REG_MULTI_SZ))
        return FromAnsi(value.bytes.c_str());
    std::vector<wchar_t> wide(value.bytes.size() / 2 + 1, L'\0');
    for (size_t i = 0; i + 1 < value.bytes.size(); i += 2)
        wide[i / 2] = static_cast<wchar_t>(static_cast<unsigned char>(value.bytes[i]) |
                                           static_cast<unsigned char>(value.bytes[i + 1]) << 8);
    return FromWide(wide.data());
}

LONG RegValueName(HKEY key, DWORD index, std::string& name) {
    // Value names are at most 16383 characters.
    constexpr DWORD kCapacity = 16384;
    DWORD length = kCapacity;
    LONG result;
    if (UnicodeSystem()) {
        std::vector<wchar_t> buffer(kCapacity + 1, L'\0');
        result = TW_W("advapi32.dll", RegEnumValueW)(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) name = FromWide(buffer.data(), static_cast<int>(length));
    } else {
        std::vector<char> buffer(kCapacity + 1, '\0');
        result = RegEnumValueA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) name = FromAnsi(buffer.data(), static_cast<int>(length));
    }
    return result;
}

LONG RegSetText(HKEY key, const std::string& name, const std::string& text) {
    const SystemText valueName(name);
    if (UnicodeSystem()) {
        const WideText wide = ToWide(text);
        return TW_W("advapi32.dll", RegSetValueExW)(key, valueName.W(), 0, REG_SZ,
                                                    reinterpret_cast<const BYTE*>(wide.data()),
                                                    static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
    }
    const std::string ansi = ToAnsi(text);
    return RegSetValueExA(key, valueName.A(), 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()),
                          static_cast<DWORD>(ansi.size() + 1));
}

LONG RegDeleteValue(HKEY key, const std::string& name) {
    const SystemText text(name);
    const LONG result = UnicodeSystem() ? TW_W("advapi32.dll", RegDeleteValueW)(key, text.W())
                                        : RegDeleteValueA(key, text.A());
    if (result == ERROR_SUCCESS) ReportChange(Change::RegistryDelete, name);
    return result;
}

// ---- Names ------------------------------------------------------------------------------------

std::string FoldFileName(const std::string& name) {
    std::string folded = name;
    bool ascii = true;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
    }
    if (ascii) return folded;  // the usual case, and the same answer as below
    if (!UnicodeSystem()) {
        std::string ansi = ToAnsi(name);
        if (!ansi.empty()) CharUpperBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
        return FromAnsi(ansi.c_str(), static_cast<int>(ansi.size()));
    }
    // The invariant upper case, one UTF-16 unit for one, as NTFS compares names; Windows
    // 2000 and NT 4 lack the invariant locale: there the user's.
    WideText wide = ToWide(name);
    const int length = static_cast<int>(wide.size()) - 1;
    if (!TW_K32(LCMapStringW)(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, wide.data(), length))
        TW_U32(CharUpperBuffW)(wide.data(), static_cast<DWORD>(length));
    return FromWide(wide.data(), length);
}

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
        return TW_K32(CreateProcessW)(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
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
    static const auto fn = reinterpret_cast<QueryImageNameW>(
        reinterpret_cast<void*>(LoadSystemProc("kernel32.dll", "QueryFullProcessImageNameW")));
    return fn;
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
    static const NameW nameW = [] {
        FARPROC proc = LoadSystemProc("psapi.dll", "GetModuleFileNameExW");
        if (!proc) proc = LoadSystemProc("kernel32.dll", "K32GetModuleFileNameExW");
        return reinterpret_cast<NameW>(reinterpret_cast<void*>(proc));
    }();
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
    static const auto createSnapshot = TW_K32(CreateToolhelp32Snapshot);
    if (!createSnapshot) return false;
    UniqueFile snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    if (UnicodeSystem()) {
        static const auto first = TW_K32(Process32FirstW);
        static const auto next = TW_K32(Process32NextW);
        if (!first || !next) return false;
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = first(snapshot.Get(), &entry); more; more = next(snapshot.Get(), &entry))
            processes.push_back({entry.th32ProcessID, FromWide(entry.szExeFile)});
    } else {
        static const auto first = TW_K32(Process32First);
        static const auto next = TW_K32(Process32Next);
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
        if (capacity <= 0) capacity = TW_U32(GetWindowTextLengthW)(window) + 1;
        std::vector<wchar_t> text(static_cast<size_t>(capacity) + 1, L'\0');
        int length = TW_U32(GetWindowTextW)(window, text.data(), capacity);
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
        TW_U32(SetWindowTextW)(window, title.W());
    else
        SetWindowTextA(window, title.A());
}

HWND FindWindowOfClass(const char* className) { return FindWindowA(className, nullptr); }

HANDLE CreateNamedMutex(const std::string& name) {
    const SystemText text(name);
    return UnicodeSystem() ? TW_K32(CreateMutexW)(nullptr, FALSE, text.W())
                           : CreateMutexA(nullptr, FALSE, text.A());
}

// ---- Our own windows ---------------------------------------------------------------------------

ATOM RegisterWindowClass(const char* className, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background) {
    // WNDCLASSA and WNDCLASSW differ only in the type their names point to.
    const SystemText name(className);
    WNDCLASSW wc = {};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = static_cast<const wchar_t*>(name.Either());
    return UnicodeSystem() ? TW_U32(RegisterClassW)(&wc) : RegisterClassA(reinterpret_cast<const WNDCLASSA*>(&wc));
}

HWND MakeWindow(DWORD exStyle, const char* className, const std::string& title, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu, void* param) {
    const SystemText text(title);
    if (UnicodeSystem()) {
        const WideText name = ToWide(className);
        return TW_U32(CreateWindowExW)(exStyle, name.data(), text.W(), style, x, y, width, height, parent,
                                       menu, GetModuleHandleA(nullptr), param);
    }
    return CreateWindowExA(exStyle, className, text.A(), style, x, y, width, height, parent, menu,
                           GetModuleHandleA(nullptr), param);
}

LRESULT DefaultProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UnicodeSystem() ? TW_U32(DefWindowProcW)(window, msg, wParam, lParam)
                           : DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT CallProc(WNDPROC proc, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UnicodeSystem() ? TW_U32(CallWindowProcW)(proc, window, msg, wParam, lParam)
                           : CallWindowProcA(proc, window, msg, wParam, lParam);
}

LONG_PTR GetLong(HWND window, int index) {
    return UnicodeSystem() ? TW_U32(TW_GET_WINDOW_LONG)(window, index) : GetWindowLongPtrA(window, index);
}

LONG_PTR SetLong(HWND window, int index, LONG_PTR value) {
    return UnicodeSystem() ? TW_U32(TW_SET_WINDOW_LONG)(window, index, value)
                           : SetWindowLongPtrA(window, index, value);
}

WNDPROC SetWindowProc(HWND window, WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(SetLong(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UnicodeSystem() ? TW_U32(SendMessageW)(window, msg, wParam, lParam)
                           : SendMessageA(window, msg, wParam, lParam);
}

BOOL NextMessage(MSG& msg) {
    return UnicodeSystem() ? TW_U32(GetMessageW)(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0);
}

BOOL PeekNextMessage(MSG& msg) {
    return UnicodeSystem() ? TW_U32(PeekMessageW)(&msg, nullptr, 0, 0, PM_REMOVE)
                           : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
}

LRESULT Dispatch(const MSG& msg) {
    return UnicodeSystem() ? TW_U32(DispatchMessageW)(&msg) : DispatchMessageA(&msg);
}

BOOL DialogMessage(HWND dialog, MSG& msg) {
    return UnicodeSystem() ? TW_U32(IsDialogMessageW)(dialog, &msg) : IsDialogMessageA(dialog, &msg);
}

// Our property names are ASCII, the same in either character set.
BOOL SetProperty(HWND window, const char* name, HANDLE value) { return SetPropA(window, name, value); }
HANDLE Property(HWND window, const char* name) { return GetPropA(window, name); }
HANDLE RemoveProperty(HWND window, const char* name) { return RemovePropA(window, name); }

int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) {
    const SystemText body(text), caption(title);
    return UnicodeSystem() ? TW_U32(MessageBoxW)(owner, body.W(), caption.W(), flags)
                           : MessageBoxA(owner, body.A(), caption.A(), flags);
}

std::string ResourceString(HINSTANCE module, UINT id) {
    // LoadString truncates silently: grow the buffer while it comes back full.
    std::string text;
    for (int capacity = 256; capacity <= 65536; capacity *= 4) {
        int length;
        if (UnicodeSystem()) {
            std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
            length = TW_U32(LoadStringW)(module, id, buffer.data(), capacity);
            if (length > 0) text = FromWide(buffer.data(), length);
        } else {
            std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
            length = LoadStringA(module, id, buffer.data(), capacity);
            if (length > 0) text = FromAnsi(buffer.data(), length);
        }
        if (length < capacity - 1) break;
    }
    return text;
}

// ---- Text on the screen ----------------------------------------------------------------------

int DrawString(HDC dc, const std::string& text, RECT& rect, UINT format) {
    const SystemText shown(text);
    return UnicodeSystem() ? TW_U32(DrawTextW)(dc, shown.W(), -1, &rect, format)
                           : DrawTextA(dc, shown.A(), -1, &rect, format);
}

SIZE TextExtent(HDC dc, const std::string& text) {
    SIZE size = {0, 0};
    if (UnicodeSystem()) {
        const WideText wide = ToWide(text);
        TW_W("gdi32.dll", GetTextExtentPoint32W)(dc, wide.data(), static_cast<int>(wide.size() - 1), &size);
    } else {
        const std::string ansi = ToAnsi(text);
        GetTextExtentPoint32A(dc, ansi.c_str(), static_cast<int>(ansi.size()), &size);
    }
    return size;
}

BOOL DrawStateText(HDC dc, const std::string& text, int x, int y, int width, int height, UINT flags) {
    if (UnicodeSystem()) {
        const WideText wide = ToWide(text);
        return TW_U32(DrawStateW)(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(wide.data()),
                                  static_cast<WPARAM>(wide.size() - 1), x, y, width, height, flags);
    }
    const std::string ansi = ToAnsi(text);
    return DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(ansi.c_str()),
                      static_cast<WPARAM>(ansi.size()), x, y, width, height, flags);
}

HFONT CreateMessageFont() {
    // The pre-Vista sizes: _WIN32_WINNT is 0x0500.
    if (UnicodeSystem()) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof(metrics);
        if (TW_U32(SystemParametersInfoW)(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            return TW_W("gdi32.dll", CreateFontIndirectW)(&metrics.lfMessageFont);
        return nullptr;
    }
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return CreateFontIndirectA(&metrics.lfMessageFont);
    return nullptr;
}

HFONT CreateBoldFont(HFONT font) {
    if (UnicodeSystem()) {
        LOGFONTW info = {};
        if (!TW_W("gdi32.dll", GetObjectW)(font, sizeof(info), &info)) return nullptr;
        info.lfWeight = FW_BOLD;
        return TW_W("gdi32.dll", CreateFontIndirectW)(&info);
    }
    LOGFONTA info = {};
    if (!GetObjectA(font, sizeof(info), &info)) return nullptr;
    info.lfWeight = FW_BOLD;
    return CreateFontIndirectA(&info);
}

// ---- Shell links ------------------------------------------------------------------------------

namespace {
// Link fields come back in buffers of this many characters (INFOTIPSIZE, the longest field
// the shell's property sheet edits).
constexpr int kFieldCapacity = 1024;

// IShellLinkA and IShellLinkW have the same methods in the same order and differ only in the
// character type of their strings: the W declarations call either, with the family's text.
IShellLinkW* AsW(IUnknown* link) { return static_cast<IShellLinkW*>(static_cast<void*>(link)); }

// A field's buffer, room for either character type, and the text the family's call left in it.
std::vector<wchar_t> FieldBuffer() { return std::vector<wchar_t>(kFieldCapacity + 1, L'\0'); }
std::string FieldText(const std::vector<wchar_t>& buffer) {
    return UnicodeSystem() ? FromWide(buffer.data()) : FromAnsi(reinterpret_cast<const char*>(buffer.data()));
}

using Getter = HRESULT (*)(IShellLinkW* link, wchar_t* buffer, int capacity);
bool GetField(IUnknown* link, std::string& out, Getter get) {
    std::vector<wchar_t> buffer = FieldBuffer();
    if (!link || FAILED(get(AsW(link), buffer.data(), kFieldCapacity))) return false;
    out = FieldText(buffer);
    return true;
}

using Setter = HRESULT (*)(IShellLinkW* link, const wchar_t* text);
bool SetField(IUnknown* link, const std::string& value, Setter set) {
    const SystemText text(value);
    return link && SUCCEEDED(set(AsW(link), static_cast<const wchar_t*>(text.Either())));
}
}  // namespace

ShellLink::ShellLink() {
    const IID& iid = UnicodeSystem() ? IID_IShellLinkW : IID_IShellLinkA;
    void* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, iid, &link)) || !link) return;
    m_link = static_cast<IUnknown*>(link);
    void* file = nullptr;
    if (SUCCEEDED(m_link->QueryInterface(IID_IPersistFile, &file))) m_file = static_cast<IPersistFile*>(file);
}

ShellLink::~ShellLink() {
    if (m_file) m_file->Release();
    if (m_link) m_link->Release();
}

// IPersistFile takes UTF-16 names on every family.
bool ShellLink::Load(const std::string& linkFile) {
    return m_file && SUCCEEDED(m_file->Load(ToWide(linkFile).data(), STGM_READ));
}

bool ShellLink::Save(const std::string& linkFile) {
    const bool done = m_file && SUCCEEDED(m_file->Save(ToWide(linkFile).data(), FALSE));
    if (done) ReportChange(Change::ShortcutSave, linkFile);
    return done;
}

bool ShellLink::SetPath(const std::string& path) {
    return SetField(m_link, path, [](IShellLinkW* l, const wchar_t* v) { return l->SetPath(v); });
}
bool ShellLink::SetArguments(const std::string& arguments) {
    return SetField(m_link, arguments, [](IShellLinkW* l, const wchar_t* v) { return l->SetArguments(v); });
}
bool ShellLink::SetWorkingDirectory(const std::string& folder) {
    return SetField(m_link, folder, [](IShellLinkW* l, const wchar_t* v) { return l->SetWorkingDirectory(v); });
}
bool ShellLink::SetDescription(const std::string& description) {
    return SetField(m_link, description, [](IShellLinkW* l, const wchar_t* v) { return l->SetDescription(v); });
}
bool ShellLink::SetIconLocation(const std::string& file, int index) {
    const SystemText text(file);
    return m_link && SUCCEEDED(AsW(m_link)->SetIconLocation(static_cast<const wchar_t*>(text.Either()), index));
}
bool ShellLink::SetShowCmd(int showCmd) { return m_link && SUCCEEDED(AsW(m_link)->SetShowCmd(showCmd)); }
bool ShellLink::Resolve(DWORD flags) { return m_link && SUCCEEDED(AsW(m_link)->Resolve(nullptr, flags)); }
bool ShellLink::GetShowCmd(int& showCmd) { return m_link && SUCCEEDED(AsW(m_link)->GetShowCmd(&showCmd)); }

bool ShellLink::GetPath(std::string& path) {
    return GetField(m_link, path, [](IShellLinkW* l, wchar_t* b, int n) {
        WIN32_FIND_DATAW data;  // the larger of the two
        return l->GetPath(b, n, &data, SLGP_UNCPRIORITY);
    });
}
bool ShellLink::GetArguments(std::string& arguments) {
    return GetField(m_link, arguments, [](IShellLinkW* l, wchar_t* b, int n) { return l->GetArguments(b, n); });
}
bool ShellLink::GetWorkingDirectory(std::string& folder) {
    return GetField(m_link, folder, [](IShellLinkW* l, wchar_t* b, int n) { return l->GetWorkingDirectory(b, n); });
}
bool ShellLink::GetIconLocation(std::string& file, int& index) {
    std::vector<wchar_t> buffer = FieldBuffer();
    int got = 0;
    if (!m_link || FAILED(AsW(m_link)->GetIconLocation(buffer.data(), kFieldCapacity, &got))) return false;
    file = FieldText(buffer);
    index = got;
    return true;
}

UINT ExtractIcons(const std::string& file, int index, HICON* large, HICON* small) {
    const SystemText text(file);
    return UnicodeSystem() ? TW_W("shell32.dll", ExtractIconExW)(text.W(), index, large, small, 1)
                           : ExtractIconExA(text.A(), index, large, small, 1);
}

}  // namespace tw::sys
