// Helpers for the wizard operations' tests: a private Run key under both hives, registry
// values written and read raw, files read whole, regedit run and waited for.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ShellLinkHelper.h"
#include "WindowsKind.h"
#include "operations/modRegStuff.h"

namespace tw::test {

// Deletes `subKey` with everything below it; `view` (KEY_WOW64_64KEY, KEY_WOW64_32KEY) picks
// a view of a 64-bit registry, 0 the process's own.
inline void DeleteKeyTree(HKEY root, const std::string& subKey, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    char name[512];
    for (;;) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteKeyTree(key, name, view);
    }
    // The key itself, through a handle that was opened in its view.
    const std::string::size_type slash = subKey.rfind('\\');
    HKEY parent = root;
    if (slash != std::string::npos &&
        RegOpenKeyExA(root, subKey.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS)
        parent = nullptr;
    if (parent) RegDeleteKeyA(parent, subKey.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
    if (parent && parent != root) RegCloseKey(parent);
    RegCloseKey(key);
}

// Points the operations at "Software\Tetherwatch Tests\<name>\Run" instead of the real Run
// keys, creates it under the hives asked for (the machine's in both views of a 64-bit
// registry, as Windows has its Run key), and removes it all again at the end.
class RunKeySandbox {
public:
    explicit RunKeySandbox(const std::string& name, bool currentUser = true, bool localMachine = true)
        : m_base("Software\\Tetherwatch Tests\\" + name), m_path(m_base + "\\Run") {
        Remove();
        if (currentUser) Create(HKEY_CURRENT_USER, 0);
        if (localMachine) {
            Create(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
            Create(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
        }
        modRegStuff::SetRunKeyPath(m_path);
        modRegStuff::SetStartupApprovedPath(m_base + "\\StartupApproved");
    }
    RunKeySandbox(const RunKeySandbox&) = delete;
    RunKeySandbox& operator=(const RunKeySandbox&) = delete;
    ~RunKeySandbox() {
        modRegStuff::SetRunKeyPath(std::string());
        modRegStuff::SetStartupApprovedPath(std::string());
        Remove();
    }
    const std::string& Path() const { return m_path; }
    // Task Manager's switch keys: "Run", "Run32" or "StartupFolder" (in the native view of a
    // 64-bit registry, where Task Manager keeps them).
    std::string SwitchKey(const std::string& list) const { return m_base + "\\StartupApproved\\" + list; }

private:
    void Create(HKEY hive, REGSAM view) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(hive, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    void Remove() {
        DeleteKeyTree(HKEY_CURRENT_USER, m_base);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, m_base, KEY_WOW64_64KEY);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, m_base, KEY_WOW64_32KEY);
    }
    std::string m_base;
    std::string m_path;
};

// `view` (KEY_WOW64_32KEY, KEY_WOW64_64KEY) picks a view of a 64-bit registry; 0 the
// process's own.
// Opens keys as Windows opens them for a standard user: any write access to the machine's
// keys is refused (Wine grants everything).
inline LONG OpenAsStandardUser(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    const REGSAM writes = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE | WRITE_DAC | WRITE_OWNER;
    if (hive == HKEY_LOCAL_MACHINE && (access & writes)) return ERROR_ACCESS_DENIED;
    return sys::RegOpen(hive, subKey, access, key);
}
// A deletion the system refuses.
inline LONG RefuseDelete(HKEY, const std::string&) { return ERROR_ACCESS_DENIED; }

// The operations' registry calls replaced for the life of the object.
class RunKeyCallsAs {
public:
    explicit RunKeyCallsAs(const modRegStuff::RunKeyCalls& calls) : m_previous(modRegStuff::SetRunKeyCalls(calls)) {}
    RunKeyCallsAs(const RunKeyCallsAs&) = delete;
    RunKeyCallsAs& operator=(const RunKeyCallsAs&) = delete;
    ~RunKeyCallsAs() { modRegStuff::SetRunKeyCalls(m_previous); }

private:
    modRegStuff::RunKeyCalls m_previous;
};

// 32-bit (false) or 64-bit Windows (true) as far as the operations can tell, for the life of
// the object.
class WindowsAs {
public:
    explicit WindowsAs(bool windows64) { modRegStuff::SetWindows64(windows64); }
    WindowsAs(const WindowsAs&) = delete;
    WindowsAs& operator=(const WindowsAs&) = delete;
    ~WindowsAs() { modRegStuff::SetWindows64(std::nullopt); }
};

// A switch as Task Manager writes it: 12 bytes, the first 02 (runs) or 03 (switched off; 06
// and 07 are the same), the rest when it was switched.
inline std::string SwitchBytes(unsigned char first) {
    return std::string(1, static_cast<char>(first)) + std::string("\x00\x00\x00\x00\x00\x00\x00\x5A\xC3\x1E\x01", 11);
}
// KEY_WOW64_64KEY on 64-bit Windows, else 0: the view Task Manager's switches are in.
inline REGSAM SwitchView() { return modRegStuff::IsWindows64() ? KEY_WOW64_64KEY : 0; }

inline bool SetRawValue(HKEY hive, const std::string& subKey, const std::string& name, DWORD type,
                        const std::string& data, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(hive, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// A string value as RegSetValueExA wants it: the text and its closing NUL.
inline bool SetStringValue(HKEY hive, const std::string& subKey, const std::string& name,
                           const std::string& text, DWORD type = REG_SZ, REGSAM view = 0) {
    return SetRawValue(hive, subKey, name, type, text + std::string(1, '\0'), view);
}

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::string data;
};

inline RawValue GetRawValue(HKEY hive, const std::string& subKey, const std::string& name,
                            REGSAM view = 0) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, subKey.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return value;
    // The bytes as RegQueryValueExA gives them (the tests' values are ANSI).
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 1, 0);
        value.present = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, data.data(), &size) == ERROR_SUCCESS;
        if (value.present) value.data.assign(reinterpret_cast<const char*>(data.data()), size);
    }
    RegCloseKey(key);
    return value;
}

// Values with names and strings beyond the ANSI code page: written and read through the W
// calls, UTF-8 converted by the system (not by the programs' own layer). `data` of the
// value read is its raw UTF-16LE bytes.
inline std::string Utf16Bytes(const std::string& utf8) {
    const std::wstring wide = Utf16(utf8);
    return std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t));
}
inline bool SetWideString(HKEY hive, const std::string& subKey, const std::string& name,
                          const std::string& text, DWORD type = REG_SZ, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(hive, Utf16(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const std::string bytes = Utf16Bytes(text);
    LONG result = RegSetValueExW(key, Utf16(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
inline RawValue GetWideValue(HKEY hive, const std::string& subKey, const std::string& name, REGSAM view = 0) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, Utf16(subKey).c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    const std::wstring wide = Utf16(name);
    if (RegQueryValueExW(key, wide.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 2, 0);
        value.present = RegQueryValueExW(key, wide.c_str(), nullptr, &value.type, data.data(), &size) == ERROR_SUCCESS;
        if (value.present) value.data.assign(reinterpret_cast<const char*>(data.data()), size);
    }
    RegCloseKey(key);
    return value;
}

// A file's UTF-16LE text (after its byte-order mark) in UTF-8, split at CR LF.
inline std::vector<std::string> Utf16Lines(const std::string& bytes) {
    std::wstring wide;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], length, nullptr, nullptr);
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

inline std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string contents;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        contents.append(buffer, read);
    CloseHandle(file);
    return contents;
}

// The file's lines, split at CR LF (or a lone LF).
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string contents = ReadFileBytes(path);
    std::string::size_type start = 0;
    while (start < contents.size()) {
        std::string::size_type end = contents.find('\n', start);
        if (end == std::string::npos) end = contents.size();
        std::string line = contents.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

inline bool FileThere(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs `regedit /s file` as a double-click on the file does, and waits for it; the exit code,
// or -1 when it did not start. The regedit is the system's own: on 64-bit Windows the 64-bit
// one, which a 32-bit test starts through the native cmd.exe (under WoW64 "regedit.exe" is the
// 32-bit one, which imports the machine's keys into their 32-bit view).
inline int RunRegeditImport(const std::string& file) {
    std::string command = (InWow64() ? "\"" + NativeSystemFolder() + "\\cmd.exe\" /c " : std::string()) +
                          "regedit.exe /s \"" + file + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// REMOVED.REG's existence test meets a listing error it does not expect (75, a path it
// cannot read) for the life of the object.
class ListingFails {
public:
    ListingFails() : m_previous(modRegStuff::SetDirFunction(&Fail)) {}
    ListingFails(const ListingFails&) = delete;
    ListingFails& operator=(const ListingFails&) = delete;
    ~ListingFails() { modRegStuff::SetDirFunction(m_previous); }

private:
    static std::string Fail(const std::string&, unsigned, FileError& error) {
        error = FileError{kErrPathFileAccess, "Path/File access error"};
        return std::string();
    }
    modRegStuff::DirFunction m_previous;
};

// Points REMOVED.REG at `file` for the life of the object.
class RemovedRegAt {
public:
    explicit RemovedRegAt(const std::string& file) { modRegStuff::SetRemovedRegFile(file); }
    RemovedRegAt(const RemovedRegAt&) = delete;
    RemovedRegAt& operator=(const RemovedRegAt&) = delete;
    ~RemovedRegAt() { modRegStuff::SetRemovedRegFile(std::string()); }
};

// Holds a file open with the given sharing, as another program would.
class FileLock {
public:
    FileLock(const std::string& path, DWORD share)
        : m_handle(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// Records the changes the operations report (sys::SetChangeObserver) for the life of the
// object, each as "Kind target"; `then`, when set, runs after each one (a fault that strikes
// between two steps).
class ChangeRecorder {
public:
    ChangeRecorder() : m_previous(sys::SetChangeObserver(&Record)) { s_current = this; }
    ChangeRecorder(const ChangeRecorder&) = delete;
    ChangeRecorder& operator=(const ChangeRecorder&) = delete;
    ~ChangeRecorder() {
        sys::SetChangeObserver(m_previous);
        s_current = nullptr;
    }
    std::vector<std::string> changes;
    std::function<void(sys::Change change, const std::string& target)> then;

private:
    static void Record(sys::Change change, const std::string& target) {
        static const char* const kKinds[] = {"Write", "Flush", "Copy", "Rename", "Delete", "ShortcutSave", "RegistryDelete"};
        s_current->changes.push_back(std::string(kKinds[static_cast<int>(change)]) + " " + target);
        if (s_current->then) s_current->then(change, target);
    }
    static inline ChangeRecorder* s_current = nullptr;
    sys::ChangeObserver m_previous;
};

}  // namespace tw::test
