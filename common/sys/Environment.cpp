// The program's own module, the system folder, environment variables and the shell's folders.
#include "Environment.h"
#include <shlobj.h>

#include "SystemCalls.h"

namespace tw::sys {

// ---- Program, system, environment ------------------------------------------------------------

std::string ModulePath(HMODULE module) {
    return FilledText(
        [](const void* context, void* buffer, DWORD capacity) -> DWORD {
            HMODULE of = static_cast<HMODULE>(const_cast<void*>(context));
            DWORD length = UnicodeSystem() ? TW_CALL(GetModuleFileNameW)(of, static_cast<wchar_t*>(buffer), capacity)
                                           : GetModuleFileNameA(of, static_cast<char*>(buffer), capacity);
            // A full buffer means the name was cut (without a NUL on the NT family).
            return length >= capacity ? capacity : length;
        },
        module);
}

std::string SystemFolder() {
    return FilledText(
        [](const void*, void* buffer, DWORD capacity) -> DWORD {
            return UnicodeSystem() ? TW_CALL(GetSystemDirectoryW)(static_cast<wchar_t*>(buffer), capacity)
                                   : GetSystemDirectoryA(static_cast<char*>(buffer), capacity);
        },
        nullptr);
}

HMODULE LoadLibraryFrom(const std::string& path) {
    const SystemText text(path);
    return UnicodeSystem() ? TW_CALL(LoadLibraryW)(text.W()) : LoadLibraryA(text.A());
}

std::string ExpandEnvironment(const std::string& text) {
    const SystemText source(text);
    const std::string expanded = FilledText(
        [](const void* context, void* buffer, DWORD capacity) -> DWORD {
            const auto* from = static_cast<const SystemText*>(context);
            // The count includes the NUL.
            DWORD needed = UnicodeSystem()
                               ? TW_CALL(ExpandEnvironmentStringsW)(from->W(), static_cast<wchar_t*>(buffer), capacity)
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
            return UnicodeSystem() ? TW_CALL(GetEnvironmentVariableW)(of->W(), static_cast<wchar_t*>(buffer), capacity)
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
        if (TW_CALL(SHGetPathFromIDListW)(items, path)) folder = FromWide(path);
    } else {
        char path[MAX_PATH + 1] = {};
        if (SHGetPathFromIDListA(items, path)) folder = FromAnsi(path);
    }
    // The item list comes from the shell's allocator, which is COM's task allocator.
    CoTaskMemFree(items);
    return folder;
}

}  // namespace tw::sys
